// The failures the library reports, by kind; the application turns the kind
// into an exit status.
#pragma once

#include <stdexcept>
#include <string>

namespace lennard {

enum class ErrorKind {
  usage,    // a command-line value that is not acceptable (an unknown potential, ...)
  refused,  // input the computation cannot work with (parameters, data, a fit that is not determined)
};

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

// Input that is refused, with a message in Spanish for the user.
class InputError : public Error {
 public:
  explicit InputError(const std::string& message) : Error(ErrorKind::refused, message) {}
};

// A value of the command line that is not acceptable, with a message in Spanish.
class UsageError : public Error {
 public:
  explicit UsageError(const std::string& message) : Error(ErrorKind::usage, message) {}
};

}  // namespace lennard
