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

#include "lennard/app/exit_status.hpp"
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

std::string shown_name(const std::string& path) { return path == "-" ? "la salida estándar" : quoted_name(path); }

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

std::FILE* StagedFiles::stage(const std::string& path, std::FILE* err) {
  // A link stays a link: the file it leads to is the one replaced.
  const std::filesystem::path destination = resolve_links(path);
  // A short name, so that it fits NAME_MAX beside a destination of any length.
  std::string temporary = (destination.parent_path() / ".lennard.XXXXXX").string();
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    std::fprintf(err, "Error: no se puede crear %s: %s\n", shown_name(path).c_str(), system_error_text(errno).c_str());
    return nullptr;
  }
  staged_.push_back({destination.string(), temporary, path, take_slot(temporary)});
  // The new file keeps the permissions (and, where allowed, the owner) of the
  // one it replaces; a new file gets those the umask leaves.
  struct stat previous {};
  if (stat(destination.c_str(), &previous) == 0) {
    fchmod(fd, previous.st_mode & 07777);
    if (fchown(fd, previous.st_uid, previous.st_gid) != 0) {
      // Another user's file: it becomes ours, with its permission bits.
    }
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  std::FILE* file = fdopen(fd, "w");
  if (file == nullptr) {
    std::fprintf(err, "Error: no se puede crear %s: %s\n", shown_name(path).c_str(), system_error_text(errno).c_str());
    close(fd);
    discard_last();
  }
  return file;
}

void StagedFiles::discard_last() {
  unlink(staged_.back().temporary.c_str());
  release_slot(staged_.back().slot);
  staged_.pop_back();
}

bool StagedFiles::close_staged(std::FILE* file, std::FILE* err) {
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
  if (!written) {
    std::fprintf(err, "Error: no se pudo escribir en %s: %s; el archivo anterior queda como estaba.\n",
                 shown_name(staged_.back().shown).c_str(),
                 error != 0 ? system_error_text(error).c_str() : "error de escritura");
    discard_last();
  }
  return written;
}

int StagedFiles::write(const std::string& path, std::FILE* out, std::FILE* err,
                       const std::function<void(std::FILE*)>& write) {
  if (replaceable_file(path)) {
    std::FILE* file = stage(path, err);
    if (file == nullptr) return exit_bad_input;
    errno = 0;  // a failed write leaves its reason here
    write(file);
    return close_staged(file, err) ? exit_success : exit_write_failed;
  }

  std::FILE* file = path == "-" ? out : std::fopen(path.c_str(), "w");
  if (file == nullptr) {
    std::fprintf(err, "Error: no se puede crear %s: %s\n", shown_name(path).c_str(), system_error_text(errno).c_str());
    return exit_bad_input;
  }
  errno = 0;  // a failed write leaves its reason here
  write(file);
  bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
  int error = errno;
  if (path != "-" && std::fclose(file) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written) return exit_success;
  std::fprintf(err, "Error: no se pudo escribir en %s: %s\n", shown_name(path).c_str(),
               error != 0 ? system_error_text(error).c_str() : "error de escritura");
  return exit_write_failed;
}

std::FILE* StagedFiles::open_for_drawing(const std::string& path, std::FILE* err) { return stage(path, err); }

bool StagedFiles::finish_drawing(std::FILE* file, bool drawn, std::FILE* err) {
  if (drawn) return close_staged(file, err);
  std::fclose(file);
  discard_last();
  return false;
}

int StagedFiles::commit(std::FILE* err) {
  committed_ = true;
  int status = exit_success;
  for (const Staged& s : staged_) {
    if (std::rename(s.temporary.c_str(), s.destination.c_str()) != 0) {
      std::fprintf(err, "Error: no se pudo poner %s en su sitio: %s; el archivo anterior queda como estaba.\n",
                   shown_name(s.shown).c_str(), system_error_text(errno).c_str());
      unlink(s.temporary.c_str());
      status = exit_write_failed;
      continue;
    }
    // The new name itself reaches the disk with its directory.
    const int directory = open(std::filesystem::path(s.destination).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (directory >= 0) {
      fsync(directory);
      close(directory);
    }
  }
  return status;
}

int write_to_path(const std::string& path, std::FILE* out, std::FILE* err,
                  const std::function<void(std::FILE*)>& write) {
  StagedFiles files;
  const int status = files.write(path, out, err, write);
  return status == exit_success ? files.commit(err) : status;
}

}  // namespace lennard
