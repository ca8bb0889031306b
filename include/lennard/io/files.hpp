// Knowing when two names are one file, and showing untrusted text safely.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "lennard/io/text.hpp"
#include <vector>

namespace lennard {

// What a name for reading or writing stands for: a file of the command line
// ("-" for the standard stream std_fd), or a standard stream written to
// implicitly.
struct Endpoint {
  std::string name;   // "-" for the standard stream
  int std_fd = -1;    // the stream "-" stands for: 0 (input) or 1 (output)
  bool explicit_dash = true;  // "-" given by the user, not a default
};

// The identity of the file behind an endpoint: device and inode of an existing
// file (links followed; for "-", of the open stream), or the absolute path,
// links resolved, of one that does not exist yet. Empty for character devices
// (a terminal, /dev/null): writing there twice loses nothing.
using FileKey = std::variant<std::pair<unsigned long long, unsigned long long>, std::string>;
std::optional<FileKey> file_key(const Endpoint& endpoint);

// True when writing to a would overwrite or mix with b: both the same standard
// stream named "-" by the user, or both the same file.
bool same_destination(const Endpoint& a, const Endpoint& b);

// Two destinations that would overwrite or mix with each other: output and
// another output, or output and the input (other empty).
struct OutputClash {
  std::size_t output;
  std::optional<std::size_t> other;
};

// The first clash among outputs (each the option that names it and where it
// goes) and with the input, found before anything is read or written.
std::optional<OutputClash> clashing_outputs(const std::vector<std::pair<std::string, Endpoint>>& outputs,
                                            const std::optional<Endpoint>& input);

// Follows a chain of links to the path it ends at, even where that path does
// not exist yet (a dangling link names the file that writing would create).
std::filesystem::path resolve_links(std::filesystem::path path);

}  // namespace lennard
