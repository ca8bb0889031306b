#include "lennard/io/files.hpp"

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

std::optional<OutputClash> clashing_outputs(const std::vector<std::pair<std::string, Endpoint>>& outputs,
                                            const std::optional<Endpoint>& input) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (input && same_destination(outputs[i].second, *input)) return OutputClash{i, std::nullopt};
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      if (same_destination(outputs[i].second, outputs[j].second)) return OutputClash{i, j};
    }
  }
  return std::nullopt;
}

}  // namespace lennard
