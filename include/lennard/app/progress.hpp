// A progress line on standard error for long computations. It appears only on
// a terminal and only once the work has run for a while (a second by
// default), so that scripts and redirected output never see it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace lennard {

class ProgressLine {
 public:
  // what names the items counted, plural ("filas"); a total of 0 means the
  // count of items is not known in advance (the evaluations of a fit), and
  // the line shows the count alone.
  ProgressLine(std::FILE* err, std::size_t total, std::string what,
               std::chrono::milliseconds delay = std::chrono::seconds(1));
  ~ProgressLine();  // finishes the line, if one was shown
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // The counter the computation advances (Parallelism::done).
  std::atomic<std::size_t>* counter() { return &done_; }

 private:
  void watch();
  void show(std::size_t done);

  std::FILE* err_;
  std::size_t total_;
  std::string what_;
  std::chrono::milliseconds delay_;
  std::atomic<std::size_t> done_{0};
  bool shown_ = false;
  bool stopping_ = false;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread watcher_;
};

}  // namespace lennard
