// 'lennard gases': the gas library, for reading or for scripts.
#include "lennard/cli.hpp"
#include "lennard/exit_status.hpp"
#include "lennard/output.hpp"

namespace lennard {

int run_gases(const GasesOptions& options, std::FILE* out, std::FILE* /*err*/) {
  write_gas_library(out, options.format);
  return exit_success;  // a failed write is reported when standard output is checked
}

}  // namespace lennard
