// Work shared among threads gives the same rows as one thread.
#include "lennard/physics/parallel.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "lennard/physics/virial_table.hpp"

namespace {

TEST(Parallel, RowsAreTheSameOnAnyNumberOfThreads) {
  // Every row is computed on its own: bit for bit the same whoever computes it.
  std::vector<double> temperatures;
  for (int i = 0; i < 300; ++i) temperatures.push_back(100.0 + 1.7 * i);
  for (const lennard::Method method : {lennard::Method::trapezoid, lennard::Method::series}) {
    const lennard::Table one = lennard::compute_table(120.0, 3.4, temperatures, method, true, {1, nullptr});
    for (const unsigned threads : {2u, 7u}) {
      std::atomic<std::size_t> done{0};
      const lennard::Table many = lennard::compute_table(120.0, 3.4, temperatures, method, true, {threads, &done});
      EXPECT_EQ(done.load(), temperatures.size());
      ASSERT_EQ(many.columns.size(), 2u);
      for (std::size_t c = 0; c < 2; ++c) EXPECT_EQ(many.columns[c].values, one.columns[c].values);
    }
  }
}

TEST(Parallel, VisitsEachIndexOnceAndPassesOnTheFirstFailure) {
  std::vector<std::atomic<int>> visits(1000);
  lennard::for_each_block(visits.size(), 7, {4, nullptr}, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) ++visits[i];
  });
  for (const auto& v : visits) ASSERT_EQ(v.load(), 1);
  EXPECT_THROW(lennard::for_each_block(100, 1, {4, nullptr},
                                       [](std::size_t begin, std::size_t) {
                                         if (begin == 42) throw std::runtime_error("row 42");
                                       }),
               std::runtime_error);
}

}  // namespace
