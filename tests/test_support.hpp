// Helpers for tests that touch files or run the built program (tests/e2e).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>

namespace lennard::testing {

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary);
  out << contents;
}

inline std::string golden(const std::string& name) {
  return read_file(std::filesystem::path(LENNARD_TEST_DATA) / name);
}

// A fresh directory removed at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lennard-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

#ifdef LENNARD_EXE  // only the tests of the built program run it
struct RunResult {
  int status;  // exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

inline std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

// Runs the built program in dir with the given arguments (already quoted for
// the shell) and standard input; captures its exit status and both streams.
// stdout_redirection replaces the capture of standard output (">/dev/full",
// ">&-" to close it); out is then empty.
inline RunResult run_program(const ScratchDir& dir, const std::string& args, const std::string& input,
                             const std::string& environment = "", const std::string& stdout_redirection = ">.stdout") {
  write_file(dir / ".stdin", input);
  const std::string command = "cd " + shell_quote(dir.path().string()) + " && " + environment + " " +
                              shell_quote(LENNARD_EXE) + " " + args + " <.stdin " + stdout_redirection + " 2>.stderr";
  const int raw = std::system(command.c_str());
  RunResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(dir / ".stdout"), read_file(dir / ".stderr")};
  std::filesystem::remove(dir / ".stdin");
  std::filesystem::remove(dir / ".stdout");
  std::filesystem::remove(dir / ".stderr");
  return result;
}
#endif

// A case of a table-driven test of the program: what it is given (arguments
// or typed input) and a part of what it must say.
struct Case {
  const char* name;
  const char* given;
  const char* message;
};

inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// Names each case of a parameterised test after the `name` field of its parameter.
struct CaseName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return info.param.name;
  }
};

}  // namespace lennard::testing
