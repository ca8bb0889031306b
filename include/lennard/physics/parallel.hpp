// Sharing independent pieces of work among the cores.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

namespace lennard {

struct Parallelism {
  unsigned threads = 0;                      // 0: one per core
  std::atomic<std::size_t>* done = nullptr;  // when given, counts the items finished, for a progress display
};

// The number of threads a computation with these settings uses at most.
unsigned thread_count(const Parallelism& parallelism);

// Calls body(begin, end) once for each block [k block, min((k + 1) block, n))
// on up to thread_count threads, the calling one included. The blocks depend
// on n and block only, so sums combined block by block in block order are the
// same whatever the number of threads. An exception thrown by body stops the
// remaining blocks and is rethrown here once every thread has finished.
void for_each_block(std::size_t n, std::size_t block, const Parallelism& parallelism,
                    const std::function<void(std::size_t begin, std::size_t end)>& body);

}  // namespace lennard
