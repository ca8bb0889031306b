// 'lennard gases': the gas library, for reading or for scripts.
#include "lennard/app/cli.hpp"
#include "lennard/app/exit_status.hpp"
#include "lennard/io/output.hpp"

namespace lennard {

int run_gases(const GasesOptions& options, std::FILE* out, std::FILE* /*err*/) {
  write_gas_library(out, options.format);
  return exit_success;  // a failed write is reported when standard output is checked
}

}  // namespace lennard
