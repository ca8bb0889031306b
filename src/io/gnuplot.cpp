#include "lennard/io/gnuplot.hpp"

#include <pthread.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

extern char** environ;

namespace lennard {

namespace {

using Kind = IoOutcome::Kind;

bool on_path(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string directories = path;
  std::size_t start = 0;
  while (start <= directories.size()) {
    const std::size_t end = std::min(directories.find(':', start), directories.size());
    const std::string directory = end > start ? directories.substr(start, end - start) : ".";
    if (access((directory + "/" + program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Runs gnuplot with its standard output on picture and its standard error on err.
IoOutcome draw(const std::string& script, const std::string& path, std::FILE* picture, std::FILE* err) {
  std::fflush(picture);
  std::fflush(err);

  // A socket rather than a pipe: sent with MSG_NOSIGNAL, the script reaches a
  // gnuplot that died early as a failed send, not as a SIGPIPE that would
  // kill this program whatever the process's disposition of it.
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return {Kind::no_pipe, path, errno};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fileno(picture), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fileno(err), STDERR_FILENO);
  // In a process group of its own, so that Ctrl-C on the terminal reaches
  // only this program, which stops gnuplot itself: gnuplot would otherwise
  // drop the command it is reading and take the rest of the data for commands.
  // It gets the default SIGPIPE, which this program ignores.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  // An interruption between gnuplot's start and its registration would leave
  // it running: such a signal waits until gnuplot is registered, to be stopped.
  sigset_t interruptions, unblocked;
  sigemptyset(&interruptions);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interruptions, signal_number);
  pthread_sigmask(SIG_BLOCK, &interruptions, &unblocked);
  posix_spawnattr_setsigmask(&attributes, &unblocked);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  posix_spawnattr_setpgroup(&attributes, 0);
  char program[] = "gnuplot";
  char* argv[] = {program, nullptr};
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "gnuplot", &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned == 0) register_child_process(child);
  pthread_sigmask(SIG_SETMASK, &unblocked, nullptr);
  close(fds[0]);
  if (spawned != 0) {
    close(fds[1]);
    return {Kind::gnuplot_not_started, path, spawned};
  }

  std::size_t written = 0;
  while (written < script.size()) {
    const ssize_t n = send(fds[1], script.data() + written, script.size() - written, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  close(fds[1]);

  int status = 0;  // gnuplot's wait status
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  register_child_process(0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || written < script.size()) return {Kind::gnuplot_failed, path, 0};
  return {};
}

// Copies the finished picture in temporary to destination; false on a failed write.
bool copy_picture(std::FILE* temporary, std::FILE* destination) {
  std::rewind(temporary);
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, temporary)) > 0) {
    if (std::fwrite(buffer, 1, n, destination) != n) return false;
  }
  return std::ferror(temporary) == 0 && std::fflush(destination) == 0 && std::ferror(destination) == 0;
}

// Plots to standard output or to a device (a link to /dev/full, a pipe):
// drawn into an anonymous file first, so that a gnuplot that fails writes
// nothing, and copied with every write checked.
IoOutcome draw_and_copy(const std::string& script, const std::string& path, std::FILE* out, std::FILE* err) {
  std::FILE* temporary = std::tmpfile();
  if (temporary == nullptr) return {Kind::no_plot_temporary, path, errno};
  IoOutcome outcome = draw(script, path, temporary, err);
  if (outcome.ok()) {
    const bool to_stdout = path == "-";
    std::FILE* destination = to_stdout ? out : std::fopen(path.c_str(), "wb");
    if (destination == nullptr) {
      outcome = {Kind::plot_cannot_create, path, errno};
    } else {
      errno = 0;
      bool written = copy_picture(temporary, destination);
      int write_errno = errno;
      if (!to_stdout && std::fclose(destination) != 0 && written) {
        written = false;
        write_errno = errno;
      }
      if (!written) outcome = {Kind::plot_write_failed, path, write_errno};
    }
  }
  std::fclose(temporary);
  return outcome;
}

}  // namespace

IoOutcome run_gnuplot(const std::string& script, const std::string& path, std::FILE* out, std::FILE* err,
                      StagedFiles& files) {
  if (!on_path("gnuplot")) return {Kind::gnuplot_missing, path, 0};
  if (!replaceable_file(path)) return draw_and_copy(script, path, out, err);
  // A regular file is drawn into a staged file, put in place with the rest of
  // the command's results: a failure leaves the earlier plot whole.
  std::FILE* picture = nullptr;
  if (IoOutcome opened = files.open_for_drawing(path, picture); !opened.ok()) return opened;
  const IoOutcome drawn = draw(script, path, picture, err);
  if (!drawn.ok()) {
    files.abandon_drawing(picture);
    return drawn;
  }
  return files.finish_drawing(picture);
}

}  // namespace lennard
