// The writers say what became of a file (kind, path, errno); the command turns
// that into the message and exit status users see.
#include <gtest/gtest.h>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "lennard/app/cli.hpp"
#include "lennard/io/table.hpp"
#include "test_support.hpp"

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

}  // namespace
