// shortest_by_printf, the WebAssembly build's shortest(), against
// std::to_chars, which the program's csv and messages use here.
#include "lennard/physics/shortest.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

std::string by_to_chars(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return {buffer, result.ptr};
}

TEST(ShortestByPrintf, AgreesWithToChars) {
  std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 0.1, 100.0, 120.0, 1e16, 1e21, 1e22, 1e23, 123456789012345680000.0,
                                5e-324, std::numeric_limits<double>::min(), std::numeric_limits<double>::max(), 1.5e-7,
                                0.0066225165562913907, 214.48000000000002, 9007199254740993.0, 1e-5, 1e-4,
                                std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  // Every power of two and its neighbours, where the gaps above and below differ.
  for (int e = -1074; e <= 1023; e += 7) {
    const double p = std::ldexp(1.0, e);
    values.insert(values.end(), {p, std::nextafter(p, 0.0), std::nextafter(p, 2.0 * p)});
  }
  // Random bit patterns, and values of the size of a table's.
  std::mt19937_64 random(19);
  std::uniform_real_distribution<double> decades(-12.0, 12.0);
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t bits = random();
    double v = 0.0;
    std::memcpy(&v, &bits, sizeof v);
    values.push_back(v);
    values.push_back(-std::pow(10.0, decades(random)));
  }
  for (const double v : values) {
    if (std::isnan(v)) continue;
    EXPECT_EQ(lennard::shortest_by_printf(v), by_to_chars(v)) << std::hexfloat << v;
  }
}

}  // namespace
