#include "lennard/physics/parallel.hpp"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace lennard {

unsigned thread_count(const Parallelism& parallelism) {
  if (parallelism.threads > 0) return parallelism.threads;
  return std::max(1u, std::thread::hardware_concurrency());
}

void for_each_block(std::size_t n, std::size_t block, const Parallelism& parallelism,
                    const std::function<void(std::size_t begin, std::size_t end)>& body) {
  if (n == 0) return;
  block = std::max<std::size_t>(block, 1);
  const std::size_t blocks = (n + block - 1) / block;
  const auto run_block = [&](std::size_t k) {
    const std::size_t begin = k * block;
    const std::size_t end = std::min(n, begin + block);
    body(begin, end);
    if (parallelism.done != nullptr) parallelism.done->fetch_add(end - begin, std::memory_order_relaxed);
  };

  const std::size_t threads = std::min<std::size_t>(thread_count(parallelism), blocks);
  if (threads <= 1) {
    for (std::size_t k = 0; k < blocks; ++k) run_block(k);
    return;
  }

  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr first_error;
  std::mutex error_mutex;
  const auto work = [&] {
    for (std::size_t k = next++; k < blocks && !failed; k = next++) {
      try {
        run_block(k);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(error_mutex);
        if (!first_error) first_error = std::current_exception();
        failed = true;
      }
    }
  };
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  for (std::size_t t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the ones running share the work
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  if (first_error) std::rethrow_exception(first_error);
}

}  // namespace lennard
