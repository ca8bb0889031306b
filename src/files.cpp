#include "lennard/files.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace lennard {

std::filesystem::path resolve_links(std::filesystem::path path) {
  std::error_code error;
  for (int hop = 0; hop < 40 && std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)); ++hop) {
    const std::filesystem::path target = std::filesystem::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  // Made absolute first: weakly_canonical leaves a path relative when no
  // leading part of it exists yet.
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal() : resolved;
}

namespace {

std::optional<FileKey> key_of(const struct stat& status) {
  if (S_ISCHR(status.st_mode)) return std::nullopt;
  return FileKey{std::pair<unsigned long long, unsigned long long>(status.st_dev, status.st_ino)};
}

}  // namespace

std::optional<FileKey> file_key(const Endpoint& endpoint) {
  struct stat status {};
  if (endpoint.name == "-") {
    if (fstat(endpoint.std_fd, &status) != 0) return std::nullopt;
    return key_of(status);
  }
  if (stat(endpoint.name.c_str(), &status) == 0) return key_of(status);
  return FileKey{resolve_links(endpoint.name).string()};
}

bool same_destination(const Endpoint& a, const Endpoint& b) {
  if (a.name == "-" && b.name == "-" && a.std_fd == b.std_fd) return a.explicit_dash && b.explicit_dash;
  const std::optional<FileKey> key_a = file_key(a);
  const std::optional<FileKey> key_b = file_key(b);
  return key_a && key_b && *key_a == *key_b;
}

namespace {

// How an output is named in a message.
std::string shown_name(const Endpoint& endpoint) {
  return endpoint.name == "-" ? "la salida estándar" : quoted_name(endpoint.name);
}

}  // namespace

std::optional<std::string> clashing_outputs(const std::vector<std::pair<std::string, Endpoint>>& outputs,
                                            const std::optional<Endpoint>& input) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const auto& [option, endpoint] = outputs[i];
    if (input && same_destination(endpoint, *input)) {
      return option + " escribiría en " + shown_name(endpoint) +
             ", que es el archivo de datos: se perderían los datos. Elija otro archivo.";
    }
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      if (same_destination(endpoint, outputs[j].second)) {
        return option + " y " + outputs[j].first + " escribirían los dos en " + shown_name(endpoint) +
               (endpoint.name == "-" ? ", mezclados" : ": uno borraría al otro") + ". Elija archivos distintos.";
      }
    }
  }
  return std::nullopt;
}

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
