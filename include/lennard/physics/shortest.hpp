// The shortest decimal text of a double that reads back to the same double.
#pragma once

#include <charconv>
#include <string>

namespace lennard {

inline std::string shortest(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return {buffer, result.ptr};
}

}  // namespace lennard
