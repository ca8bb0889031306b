// The compiled loops' driver: blocks of elements shared among worker threads
// while the calling thread, the GIL released, waits and every 0.1 s takes the
// GIL back to let Python run its signal handlers, so that Ctrl-C stops a long
// call. Each element is computed on its own, so the results are those of one
// thread whatever their number.
#pragma once

#include <pybind11/pybind11.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "lennard/physics/parallel.hpp"

namespace lennard_python {

namespace py = pybind11;

// Calls body(begin, end) for the blocks of [0, n) on up to `threads` threads
// (0: one per core). Called with the GIL held; body must not touch Python.
template <class Body>
void run_blocks(std::size_t n, std::size_t block, unsigned threads, const Body& body) {
  if (n == 0) return;
  const std::size_t blocks = (n + block - 1) / block;
  const std::size_t workers = std::min<std::size_t>(lennard::thread_count({threads, nullptr}), blocks);
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  std::exception_ptr error;
  std::mutex mutex;
  std::condition_variable finished_one;
  std::size_t finished = 0;
  const auto work = [&] {
    for (std::size_t k = next++; k < blocks && !stop; k = next++) {
      try {
        body(k * block, std::min(n, (k + 1) * block));
      } catch (...) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!error) error = std::current_exception();
        stop = true;
      }
    }
    const std::lock_guard<std::mutex> lock(mutex);
    ++finished;
    finished_one.notify_one();
  };

  bool interrupted = false;
  {
    py::gil_scoped_release unlocked;
    std::vector<std::thread> pool;
    if (blocks > 1) {
      pool.reserve(workers);
      for (std::size_t t = 0; t < workers; ++t) {
        try {
          pool.emplace_back(work);
        } catch (const std::system_error&) {
          break;  // the threads already running share the work
        }
      }
    }
    if (pool.empty()) {
      work();  // one block, or no thread to be had: short enough to run here
    } else {
      std::unique_lock<std::mutex> lock(mutex);
      while (!finished_one.wait_for(lock, std::chrono::milliseconds(100), [&] { return finished == pool.size(); })) {
        lock.unlock();
        {
          py::gil_scoped_acquire held;
          interrupted = PyErr_CheckSignals() != 0;
        }
        lock.lock();
        if (interrupted) {
          stop = true;
          break;
        }
      }
    }
    for (std::thread& t : pool) t.join();
  }
  if (interrupted) throw py::error_already_set();  // KeyboardInterrupt, or whatever the handler raised
  if (error) std::rethrow_exception(error);
}

}  // namespace lennard_python
