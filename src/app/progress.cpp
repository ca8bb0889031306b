#include "lennard/app/progress.hpp"

#include <unistd.h>

namespace lennard {

ProgressLine::ProgressLine(std::FILE* err, std::size_t total, std::string what, std::chrono::milliseconds delay)
    : err_(err), total_(total), what_(std::move(what)), delay_(delay) {
  if (isatty(fileno(err_)) == 1) watcher_ = std::thread([this] { watch(); });
}

ProgressLine::~ProgressLine() {
  if (!watcher_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  watcher_.join();
  if (shown_) {
    show(done_.load());
    std::fputc('\n', err_);
    std::fflush(err_);
  }
}

void ProgressLine::watch() {
  using namespace std::chrono_literals;
  const auto start = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(mutex_);
  // Looked at once before the first wait, so that a line without delay
  // always shows, however short the work.
  do {
    if (std::chrono::steady_clock::now() - start >= delay_) {
      show(done_.load());
      shown_ = true;
    }
  } while (!wake_.wait_for(lock, 200ms, [this] { return stopping_; }));
}

void ProgressLine::show(std::size_t done) {
  if (total_ == 0) {
    std::fprintf(err_, "\rCalculando: %zu %s", done, what_.c_str());
  } else {
    const unsigned percent = static_cast<unsigned>(100.0 * static_cast<double>(done) / static_cast<double>(total_));
    std::fprintf(err_, "\rCalculando: %zu de %zu %s (%u %%)", done, total_, what_.c_str(), percent);
  }
  std::fflush(err_);
}

}  // namespace lennard
