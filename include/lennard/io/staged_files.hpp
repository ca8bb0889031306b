// Results files that reach their destination whole or not at all.
//
// A regular file (or one that does not exist yet) is written into a temporary
// file beside it, flushed to the disk and renamed over it only when the
// command has written everything it writes: a write error, a full disk, a
// file-size limit or an interruption leaves the previous file as it was, and
// two runs writing the same file leave one of their results, complete.
// Standard output, devices and pipes cannot be replaced and are written
// directly.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "lennard/io/outcome.hpp"

namespace lennard {

class StagedFiles {
 public:
  StagedFiles() = default;
  ~StagedFiles();  // removes every temporary file that was not committed
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  // Runs write on path ("-" is out). A replaceable file is staged, to be put
  // in place by commit(); a staged file that failed is removed at once.
  IoOutcome write(const std::string& path, std::FILE* out, const std::function<void(std::FILE*)>& write);

  // A stream on which another program (gnuplot) may draw into a replaceable
  // path: the staged temporary file, set in file unless the outcome is a failure.
  // finish_drawing() closes it and keeps it for commit(), unless it could not
  // be written; abandon_drawing() removes it.
  IoOutcome open_for_drawing(const std::string& path, std::FILE*& file);
  IoOutcome finish_drawing(std::FILE* file);
  void abandon_drawing(std::FILE* file);

  // Renames every staged file over its destination, in the order staged.
  IoOutcomes commit();

 private:
  struct Staged {
    std::string destination;  // the file replaced (a link's target)
    std::string temporary;
    std::string shown;  // the name the user gave
    int slot;           // in the table of files to remove on a signal
  };
  IoOutcome stage(const std::string& path, std::FILE*& file);
  IoOutcome close_staged(std::FILE* file);
  void discard_last();

  std::vector<Staged> staged_;
  bool committed_ = false;
};

// True for a file that is staged and replaced: a regular file, or a name
// that does not exist yet; false for "-", devices, pipes and directories.
bool replaceable_file(const std::string& path);

// Writes one results file, staged and committed at once.
IoOutcome write_to_path(const std::string& path, std::FILE* out, const std::function<void(std::FILE*)>& write);

// For the handler of SIGINT, SIGTERM and SIGHUP: stops a drawing program the
// command has started and removes every staged temporary file. Uses only
// async-signal-safe calls.
void discard_staged_files_on_signal();

// The program drawing for the command (gnuplot), stopped by the call above;
// 0 when none.
void register_child_process(pid_t child);

}  // namespace lennard
