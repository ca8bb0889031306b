#include "lennard/io/text.hpp"

namespace lennard {

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t utf8_length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  unsigned min_second = 0x80, max_second = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) min_second = 0xA0;  // no overlong forms
    if (lead == 0xED) max_second = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) min_second = 0x90;
    if (lead == 0xF4) max_second = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < min_second || byte(i + 1) > max_second) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  // U+0080..U+009F are control characters too (a terminal may obey them).
  if (lead == 0xC2 && byte(i + 1) <= 0x9F) return 0;
  return length;
}

void append_escaped(std::string& out, unsigned char c) {
  constexpr char digits[] = "0123456789abcdef";
  out += "\\x";
  out += digits[c >> 4];
  out += digits[c & 0xF];
}

}  // namespace

std::string printable(std::string_view text, std::size_t max_chars) {
  std::string out;
  std::size_t shown = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (shown == max_chars) return out + "...";
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
      ++i;
    } else if (const std::size_t length = c >= 0x80 ? utf8_length(text, i) : 0; length > 0) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      append_escaped(out, c);
      ++i;
    }
    ++shown;
  }
  return out;
}

std::string quoted_name(std::string_view name) {
  std::string quoted(1, '\'');
  quoted += printable(name, 200);
  quoted += '\'';
  return quoted;
}

}  // namespace lennard
