// The shortest decimal text of a double that reads back to the same double.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace lennard {

// std::to_chars(double)'s text built from printf and strtod, for standard
// libraries without the floating-point to_chars (the WebAssembly build's): the
// fewest significant digits that read back to the value, nearest to it, then
// fixed or scientific notation, whichever is shorter (fixed on a tie; a fixed
// integer prints the value's exact digits, which are closest).
inline std::string shortest_by_printf(double value) {
  char buffer[400];
  if (!std::isfinite(value)) {
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
  }
  if (value == 0.0) return std::signbit(value) ? "-0" : "0";
  const auto reads_back = [value](const char* text) { return std::strtod(text, nullptr) == value; };
  // The significant digits (sign and point left out) and the exponent of the first.
  const auto split = [&buffer](std::string& digits, int& exponent) {
    digits.clear();
    const char* e = buffer;
    for (; *e != 'e'; ++e) {
      if (*e >= '0' && *e <= '9') digits += *e;
    }
    exponent = std::atoi(e + 1);
  };
  // A normal double is within 2^-53 of itself relative, closer than half the
  // spacing of 15-digit decimals (5e-16 relative at least): if 15 digits read
  // back, the nearest 15 digits are the shortest text padded with zeros. Only
  // 16 and 17 digits are left to try after them; subnormals try every count.
  const bool normal = std::fabs(value) >= std::numeric_limits<double>::min();
  std::string digits;
  int exponent = 0;
  for (int precision = normal ? 14 : 0; precision <= 16; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*e", precision, value);
    split(digits, exponent);
    if (reads_back(buffer) || precision == 16) break;
    // Next to a power of two the nearest digits may fall outside the narrower
    // half of the gap below while a neighbour lies inside the wider half above.
    bool found = false;
    for (const int step : {1, -1}) {
      std::string other = digits;
      int carry = step;
      for (std::size_t i = other.size(); carry != 0 && i-- > 0;) {
        const int d = other[i] - '0' + carry;
        carry = d > 9 ? 1 : d < 0 ? -1 : 0;
        other[i] = static_cast<char>('0' + (d + 10) % 10);
      }
      if (carry != 0 || other[0] == '0') continue;
      std::string text = value < 0.0 ? "-" : "";
      text.append(1, other[0]).append(1, '.').append(other, 1).append(1, 'e').append(std::to_string(exponent));
      if (reads_back(text.c_str())) {
        digits = other;
        found = true;
        break;
      }
    }
    if (found) break;
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const std::string sign = value < 0.0 ? "-" : "";
  const int count = static_cast<int>(digits.size());
  std::string scientific = sign;
  scientific.append(1, digits[0]);
  if (count > 1) scientific.append(1, '.').append(digits, 1);
  std::snprintf(buffer, sizeof buffer, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  scientific += buffer;
  std::string fixed;
  if (exponent >= count - 1) {
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    fixed = buffer;
  } else if (exponent >= 0) {
    fixed = sign + digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
            digits.substr(static_cast<std::size_t>(exponent) + 1);
  } else {
    fixed = sign;
    fixed.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
  }
  return fixed.size() <= scientific.size() ? fixed : scientific;
}

inline std::string shortest(double value) {
#if defined(__cpp_lib_to_chars)
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return {buffer, result.ptr};
#else
  return shortest_by_printf(value);
#endif
}

}  // namespace lennard
