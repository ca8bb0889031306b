// The writers say what became of a file (kind, path, errno); the command turns
// that into the message and exit status users see.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "lennard/app/cli.hpp"
#include "lennard/io/table.hpp"
#include "../test_support.hpp"

namespace {

using lennard::IoOutcome;
using lennard::testing::read_file;
using lennard::testing::ScratchDir;

std::string contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  return text;
}

TEST(IoOutcome, SaysWhatFailedAndTheCommandSaysItInSpanish) {
  ScratchDir dir;
  const std::string missing = (dir / "missing-folder" / "table.dat").string();
  struct Failure {
    std::string path;
    IoOutcome::Kind kind;
    int error_number;
    int status;
    std::string message;
  };
  const Failure failures[] = {
      {missing, IoOutcome::Kind::cannot_create, ENOENT, 1,
       "Error: no se puede crear '" + missing + "': no existe el archivo o el directorio\n"},
      {"/dev/full", IoOutcome::Kind::write_failed, ENOSPC, -1,
       "Error: no se pudo escribir en '/dev/full': no queda espacio en el dispositivo\n"},
  };
  for (const Failure& f : failures) {
    const IoOutcome outcome = lennard::write_dat_file(f.path.c_str(), 120.0, 3.4, {120.0, 130.0}, stdout);
    EXPECT_EQ(outcome.kind, f.kind) << f.path;
    EXPECT_EQ(outcome.error_number, f.error_number) << f.path;
    EXPECT_EQ(outcome.path, f.path);

    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const char* argv[] = {"lennard", "-e", "120", "-s", "3.4", "-o", f.path.c_str()};
    EXPECT_EQ(lennard::run(7, argv, in, out, err), f.status) << f.path;
    EXPECT_EQ(contents(err), f.message);
    for (std::FILE* file : {in, out, err}) std::fclose(file);
  }
}

TEST(IoOutcome, AReaderThatWentAwayIsAFailedWriteNotASilentDeath) {
  // Standard output is a pipe nobody reads; the program starts with the
  // default SIGPIPE, as from a shell.
  ScratchDir dir;
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  std::FILE* err = std::fopen((dir / "err").c_str(), "w");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fileno(err), STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  std::vector<std::string> args{LENNARD_EXE, "-e", "120", "-s", "3.4", "-o", "-"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, LENNARD_EXE, &actions, &attributes, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(fds[1]);
  std::fclose(err);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 255);
  EXPECT_EQ(read_file(dir / "err"), "Error: no se pudo escribir en la salida estándar: la tubería está cerrada\n");
}

}  // namespace
