// Text for messages: untrusted text made safe to show.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lennard {

// At most max_chars characters of text for a message: control characters and
// bytes that are not UTF-8 are shown as \xNN, and a longer text ends in "...".
std::string printable(std::string_view text, std::size_t max_chars = 60);

// A file name for a message: printable and between single quotes.
std::string quoted_name(std::string_view name);

}  // namespace lennard
