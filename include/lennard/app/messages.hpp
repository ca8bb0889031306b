// The program's words for the failures of the physics: the Spanish sentence
// users read and whether it is a refused value of the command line
// (exit_usage) or input the computation cannot work with (exit_bad_input).
// The only place where a typed failure becomes text and an exit status.
#pragma once

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

#include "lennard/io/data_file.hpp"
#include "lennard/physics/errors.hpp"

namespace lennard {

// Failures with a ready Spanish message, thrown by the command line, outside
// the physics.
enum class ErrorKind {
  usage,
  refused,
};

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

class InputError : public Error {
 public:
  explicit InputError(const std::string& message) : Error(ErrorKind::refused, message) {}
};

class UsageError : public Error {
 public:
  explicit UsageError(const std::string& message) : Error(ErrorKind::usage, message) {}
};

struct Refusal {
  std::string sentence;  // without the leading "Error: "
  bool usage;            // a value of the command line rather than refused input
};

// The refusal for a failure of the physics, or for the older failures that
// carry their own message; nullopt for any other exception.
std::optional<Refusal> refusal_of(const std::exception& error);

// The sentence alone (what() for an exception that is no refusal).
std::string spanish_sentence(const std::exception& error);

// The sentence for a data file the fit cannot read.
std::string data_file_sentence(const DataFileProblem& problem);

int exit_status_of(const Refusal& refusal);

}  // namespace lennard
