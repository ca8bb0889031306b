// Results files reach the disk whole or not at all: interruptions, write
// faults and concurrent runs leave every earlier file as it was and no
// temporary file behind. Nothing here waits on the machine's speed: each
// interruption is sent once the program is known to be blocked (at the
// dialogue's prompt, or with a stand-in gnuplot that never finishes).
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "test_support.hpp"

#include <pty.h>

extern char** environ;

namespace {

using lennard::testing::read_file;
using lennard::testing::ScratchDir;
using lennard::testing::shell_quote;
using lennard::testing::write_file;

// Leftovers of a staged write: hidden files beside the results.
std::vector<std::string> temporary_files(const ScratchDir& dir) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().filename().string().rfind(".lennard.", 0) == 0) found.push_back(entry.path().filename());
  }
  return found;
}

// Field 5 of /proc/PID/stat: the process group; field 3: the state.
std::string stat_field(pid_t pid, int field) {
  std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
  std::size_t at = stat.rfind(')');
  if (at == std::string::npos) return "";
  std::istringstream rest(stat.substr(at + 2));
  std::string value;
  for (int f = 3; f <= field; ++f) rest >> value;
  return value;
}

// Waits for a file the program (or its stand-in gnuplot) creates when it has
// reached the point to interrupt; false if the program ends first. The bound
// only stops a hung test.
bool wait_for(pid_t program, const std::filesystem::path& path, const std::string& containing = "") {
  for (int i = 0; i < 60000; ++i) {
    if (std::filesystem::exists(path) && read_file(path).find(containing) != std::string::npos) return true;
    if (kill(program, 0) != 0 || stat_field(program, 3) == "Z") return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

// The program started in dir with stdin from a pipe that stays open, stdout
// and stderr to files, and dir/bin first on PATH.
struct Started {
  pid_t pid;
  int stdin_fd;
};

Started start(const ScratchDir& dir, const std::vector<std::string>& args) {
  int pipe_fds[2];
  EXPECT_EQ(pipe(pipe_fds), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[0], 0);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
  posix_spawn_file_actions_addopen(&actions, 1, (dir / ".stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (dir / ".stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const std::string path = "PATH=" + (dir / "bin").string() + ":" + std::getenv("PATH");
  const std::string cd = dir.path().string();
  std::vector<std::string> words{"/bin/sh", "-c", "cd " + shell_quote(cd) + " && exec \"$0\" \"$@\"", LENNARD_EXE};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::string path_entry = path;
  std::vector<char*> env{path_entry.data(), nullptr};
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv.data(), env.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[0]);
  return {pid, pipe_fds[1]};
}

struct Interruption {
  const char* name;
  int signal_number;
  bool during_plot;  // else at the dialogue's prompt
};

void PrintTo(const Interruption& c, std::ostream* os) { *os << c.name; }

class Interrupted : public ::testing::TestWithParam<Interruption> {};

TEST_P(Interrupted, LeavesEveryFileAsItWasAndSaysSo) {
  const Interruption& c = GetParam();
  ScratchDir dir;
  std::filesystem::create_directory(dir / "bin");
  // A gnuplot that says it has started and then never finishes.
  write_file(dir / "bin" / "gnuplot", "#!/bin/sh\necho $$ > gnuplot.pid.part && mv gnuplot.pid.part gnuplot.pid\n"
                                      "exec sleep 600\n");
  std::filesystem::permissions(dir / "bin" / "gnuplot", std::filesystem::perms::owner_all);
  write_file(dir / "Lennard.dat", "earlier table\n");
  write_file(dir / "b.png", "earlier plot\n");

  const Started program = c.during_plot ? start(dir, {"-e", "120", "-s", "3.4", "--plot", "b.png"}) : start(dir, {});
  pid_t gnuplot = 0;
  if (c.during_plot) {
    ASSERT_TRUE(wait_for(program.pid, dir / "gnuplot.pid")) << read_file(dir / ".stderr");
    gnuplot = std::stoi(read_file(dir / "gnuplot.pid"));
    // Ctrl-C reaches the terminal's process group: gnuplot is kept out of it.
    EXPECT_NE(stat_field(gnuplot, 5), stat_field(program.pid, 5));
    EXPECT_EQ(temporary_files(dir).size(), 2u);  // the table and the plot, staged
  } else {
    ASSERT_TRUE(wait_for(program.pid, dir / ".stdout", "sigma(A): ")) << read_file(dir / ".stderr");
  }
  kill(program.pid, c.signal_number);
  int status = 0;
  ASSERT_EQ(waitpid(program.pid, &status, 0), program.pid);
  close(program.stdin_fd);

  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal_number);
  EXPECT_EQ(read_file(dir / ".stderr"), "Interrumpido: no se ha cambiado ningún archivo.\n");
  EXPECT_EQ(read_file(dir / "Lennard.dat"), "earlier table\n");
  EXPECT_EQ(read_file(dir / "b.png"), "earlier plot\n");
  EXPECT_TRUE(temporary_files(dir).empty());
  if (gnuplot > 0) {
    // Killed: gone, or a zombie waiting for its new parent to reap it.
    for (int i = 0; i < 60000 && stat_field(gnuplot, 3) != "" && stat_field(gnuplot, 3) != "Z"; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::string state = stat_field(gnuplot, 3);
    EXPECT_TRUE(state.empty() || state == "Z") << state;
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupted,
                         ::testing::Values(Interruption{"CtrlCDuringPlot", SIGINT, true},
                                           Interruption{"TermDuringPlot", SIGTERM, true},
                                           Interruption{"HangupAtPrompt", SIGHUP, false},
                                           Interruption{"CtrlCAtPrompt", SIGINT, false}),
                         lennard::testing::CaseName{});

// Faults while writing an existing results file, end to end.
struct WriteFault {
  const char* name;
  const char* setup;   // shell commands before the run
  const char* output;  // the -o name
  int status;
  const char* message;
};

void PrintTo(const WriteFault& c, std::ostream* os) { *os << c.name; }

class FaultyWrite : public ::testing::TestWithParam<WriteFault> {};

TEST_P(FaultyWrite, KeepsTheEarlierFileWhole) {
  const WriteFault& c = GetParam();
  ScratchDir dir;
  write_file(dir / "keep.dat", "earlier table\n");
  const std::string command = "cd " + shell_quote(dir.path().string()) + " && " + c.setup + " " +
                              shell_quote(LENNARD_EXE) + " -e 120 -s 3.4 --step 0.048 -o " + shell_quote(c.output) +
                              " 2>.stderr";
  const int raw = std::system(("/bin/bash -c " + shell_quote(command)).c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), c.status);
  EXPECT_NE(read_file(dir / ".stderr").find(c.message), std::string::npos) << read_file(dir / ".stderr");
  EXPECT_EQ(read_file(dir / "keep.dat"), "earlier table\n");
  EXPECT_TRUE(temporary_files(dir).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, FaultyWrite,
    ::testing::Values(
        // 10,001 rows need more than 8 blocks of 512 bytes.
        WriteFault{"FileSizeLimit", "ulimit -f 8;", "keep.dat", 255, "excede el tamaño máximo permitido"},
        WriteFault{"OutputIsAFolder", "mkdir folder;", "folder", 1, "'folder': es un directorio"},
        WriteFault{"EscapeInName", "", "/nonexistent/\x1b[31m.dat", 1, "'/nonexistent/\\x1b[31m.dat'"}),
    lennard::testing::CaseName{});

TEST(StagedWrite, KeepsPermissionsLinksAndLongNames) {
  ScratchDir dir;
  write_file(dir / "target.dat", "earlier\n");
  std::filesystem::permissions(dir / "target.dat", std::filesystem::perms(0640));
  std::filesystem::create_symlink("target.dat", dir / "link.dat");
  const std::string long_name(250, 'n');
  const auto to_link = lennard::testing::run_program(dir, "-e 120 -s 3.4 -o link.dat", "");
  const auto to_long = lennard::testing::run_program(dir, "-e 120 -s 3.4 -o " + long_name, "");
  EXPECT_EQ(to_link.status, 0) << to_link.err;
  EXPECT_EQ(to_long.status, 0) << to_long.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.dat"));
  EXPECT_EQ(read_file(dir / "target.dat"), lennard::testing::golden("lennard_120_3.4.dat"));
  EXPECT_EQ(read_file(dir / long_name), lennard::testing::golden("lennard_120_3.4.dat"));
  EXPECT_EQ(std::filesystem::status(dir / "target.dat").permissions(), std::filesystem::perms(0640));
}

TEST(StagedWrite, TwoRunsAtOnceLeaveOneCompleteTable) {
  ScratchDir dir;
  // Two tables of different sizes into one file at the same time.
  const std::string exe = shell_quote(LENNARD_EXE);
  const std::string command = "cd " + shell_quote(dir.path().string()) + " && (" + exe +
                              " -m series -e 120 -s 3.4 --step 0.0048 -o same.dat & " + exe +
                              " -m series -e 100 -s 3.4 --step 0.004 -o same.dat & wait)";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const auto a = lennard::testing::run_program(dir, "-m series -e 120 -s 3.4 --step 0.0048 -o -", "");
  const auto b = lennard::testing::run_program(dir, "-m series -e 100 -s 3.4 --step 0.004 -o -", "");
  const std::string result = read_file(dir / "same.dat");
  EXPECT_TRUE(result == a.out || result == b.out) << result.size() << " bytes";
  EXPECT_TRUE(temporary_files(dir).empty());
}

// The progress line, in-process on a real terminal, without its delay.
}  // namespace
