#include "lennard/io/staged_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>

#include "lennard/io/files.hpp"

namespace lennard {

namespace {

// The temporary files a signal handler must remove, as fixed buffers it can
// read without allocating. A slot is filled before its flag is raised and its
// flag lowered before the slot is reused, so the handler never reads half a name.
constexpr int slot_count = 8;
char pending_names[slot_count][PATH_MAX];
volatile std::sig_atomic_t pending_used[slot_count];
volatile std::sig_atomic_t drawing_child = 0;

int take_slot(const std::string& name) {
  if (name.size() >= PATH_MAX) return -1;
  for (int slot = 0; slot < slot_count; ++slot) {
    if (pending_used[slot] != 0) continue;
    std::memcpy(pending_names[slot], name.c_str(), name.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    pending_used[slot] = 1;
    return slot;
  }
  return -1;
}

void release_slot(int slot) {
  if (slot >= 0) pending_used[slot] = 0;
}

// Creates a new file beside a destination under a short random name (so that
// it fits NAME_MAX next to a name of any length), with the permissions of
// mode less the umask. Returns its descriptor, or -1 with errno set.
int create_temporary(const std::filesystem::path& directory, mode_t mode, std::string& name) {
  static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device source;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string leaf = ".lennard.";
    for (int k = 0; k < 6; ++k) leaf += letters[pick(source)];
    name = (directory / leaf).string();
    const int fd = open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;  // errno is EEXIST
}

}  // namespace

bool replaceable_file(const std::string& path) {
  struct stat status {};
  return path != "-" && (stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode));
}

void register_child_process(pid_t child) { drawing_child = static_cast<std::sig_atomic_t>(child); }

void discard_staged_files_on_signal() {
  const pid_t child = static_cast<pid_t>(drawing_child);
  if (child > 0) kill(child, SIGKILL);
  for (int slot = 0; slot < slot_count; ++slot) {
    if (pending_used[slot] != 0) unlink(pending_names[slot]);
  }
}

StagedFiles::~StagedFiles() {
  for (const Staged& s : staged_) {
    if (!committed_) unlink(s.temporary.c_str());
    release_slot(s.slot);
  }
}

IoOutcome StagedFiles::stage(const std::string& path, std::FILE*& file) {
  file = nullptr;
  // A link stays a link: the file it leads to is the one replaced.
  const std::filesystem::path destination = resolve_links(path);
  // The new file keeps the permissions (and, where allowed, the owner) of the
  // one it replaces; a new file gets those the umask leaves. It is never
  // readable by more users than the earlier file, not even before fchmod.
  struct stat previous {};
  const bool replaces = stat(destination.c_str(), &previous) == 0;
  std::string temporary;
  const int fd = create_temporary(destination.parent_path(), replaces ? previous.st_mode & 0666 : 0666, temporary);
  if (fd < 0) return {IoOutcome::Kind::cannot_create, path, errno};
  staged_.push_back({destination.string(), temporary, path, take_slot(temporary)});
  if (replaces) {
    fchmod(fd, previous.st_mode & 07777);
    if (fchown(fd, previous.st_uid, previous.st_gid) != 0) {
      // Another user's file: it becomes ours, with its permission bits.
    }
  }
  file = fdopen(fd, "w");
  if (file == nullptr) {
    const int error = errno;
    close(fd);
    discard_last();
    return {IoOutcome::Kind::cannot_create, path, error};
  }
  return {};
}

void StagedFiles::discard_last() {
  unlink(staged_.back().temporary.c_str());
  release_slot(staged_.back().slot);
  staged_.pop_back();
}

IoOutcome StagedFiles::close_staged(std::FILE* file) {
  // Buffered writes fail at the latest when flushed, and a full disk may
  // show only at fsync: check each before the file may replace another.
  bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
  int error = errno;
  if (written && fsync(fileno(file)) != 0) {
    written = false;
    error = errno;
  }
  if (std::fclose(file) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written) return {};
  IoOutcome failure{IoOutcome::Kind::staged_write_failed, staged_.back().shown, error};
  discard_last();
  return failure;
}

IoOutcome StagedFiles::write(const std::string& path, std::FILE* out, const std::function<void(std::FILE*)>& write) {
  if (replaceable_file(path)) {
    std::FILE* file = nullptr;
    if (IoOutcome opened = stage(path, file); !opened.ok()) return opened;
    errno = 0;  // a failed write leaves its reason here
    write(file);
    return close_staged(file);
  }

  std::FILE* file = path == "-" ? out : std::fopen(path.c_str(), "w");
  if (file == nullptr) return {IoOutcome::Kind::cannot_create, path, errno};
  errno = 0;  // a failed write leaves its reason here
  write(file);
  bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
  int error = errno;
  if (path != "-" && std::fclose(file) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written) return {};
  return {IoOutcome::Kind::write_failed, path, error};
}

IoOutcome StagedFiles::open_for_drawing(const std::string& path, std::FILE*& file) { return stage(path, file); }

IoOutcome StagedFiles::finish_drawing(std::FILE* file) { return close_staged(file); }

void StagedFiles::abandon_drawing(std::FILE* file) {
  std::fclose(file);
  discard_last();
}

IoOutcomes StagedFiles::commit() {
  committed_ = true;
  IoOutcomes failures;
  for (const Staged& s : staged_) {
    if (std::rename(s.temporary.c_str(), s.destination.c_str()) != 0) {
      failures.push_back({IoOutcome::Kind::rename_failed, s.shown, errno});
      unlink(s.temporary.c_str());
      continue;
    }
    // The new name itself reaches the disk with its directory.
    const int directory = open(std::filesystem::path(s.destination).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (directory >= 0) {
      fsync(directory);
      close(directory);
    }
  }
  return failures;
}

IoOutcome write_to_path(const std::string& path, std::FILE* out, const std::function<void(std::FILE*)>& write) {
  StagedFiles files;
  IoOutcome written = files.write(path, out, write);
  if (!written.ok()) return written;
  IoOutcomes failures = files.commit();
  return failures.empty() ? IoOutcome{} : failures.front();
}

}  // namespace lennard
