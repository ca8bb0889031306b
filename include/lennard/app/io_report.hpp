// What the user is told of a results file or a plot that failed, and the
// exit status it gives.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "lennard/io/files.hpp"
#include "lennard/io/outcome.hpp"

namespace lennard {

// Says on err what went wrong, if anything, and returns the exit status:
// exit_success, exit_bad_input when a file or a program could not even be
// started on, exit_write_failed when writing failed.
int report_io(const IoOutcome& outcome, std::FILE* err);
// Each failure in turn; the status of the first.
int report_io(const IoOutcomes& outcomes, std::FILE* err);

// What a failed system call's errno means, in Spanish for the errors a user
// meets with files (no such file, permission, full disk, ...); the C
// library's text for the rest.
std::string system_error_text(int error_number);

// The sentence refusing outputs that clash (from clashing_outputs).
std::string clash_message(const std::vector<std::pair<std::string, Endpoint>>& outputs, const OutputClash& clash);

}  // namespace lennard
