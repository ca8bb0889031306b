// The command line: options -> request -> run. The options of the table and
// of fit are set up and checked in table_options.cpp and fit_options.cpp.
#include "lennard/app/cli.hpp"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "cli_options.hpp"
#include "lennard/app/console.hpp"
#include "lennard/app/io_report.hpp"
#include "lennard/app/messages.hpp"
#include "lennard/io/files.hpp"

namespace lennard {

namespace {

ParseResult usage_error(const std::string& sentence, bool about_fit) {
  ParseResult result;
  result.exit_status = exit_usage;
  result.text = usage_message(sentence, about_fit);
  return result;
}

}  // namespace

ParseResult parse_command_line(int argc, const char* const argv[]) {
  using namespace cli;
  CLI::App app{
      "Segundo coeficiente del virial B(T) de un gas con potencial de Lennard-Jones 12-6 (u otro potencial de par).\n"
      "Sin argumentos pregunta epsilon/k_B y sigma y escribe la tabla en 'Lennard.dat'.",
      "lennard"};
  spanish_labels(app);
  app.set_version_flag("--version", version_text, "Muestra la versión y termina");
  TableSetup table;
  setup_table(app, table);

  CLI::App* fit = app.add_subcommand("fit", "Ajusta epsilon/k_B y sigma (serie exacta) a valores medidos de B(T)");
  fit->group("Subórdenes");
  spanish_labels(*fit);
  FitSetup fitting;
  setup_fit(*fit, fitting);

  CLI::App* gases = app.add_subcommand("gases", "Lista la biblioteca de gases: fórmula, epsilon/k_B, sigma, masa y fuente");
  gases->group("Subórdenes");
  spanish_labels(*gases);
  GasesOptions listing;
  add_choice(*gases, "-f,--format", listing.format,
             std::map<std::string, Format>{{"dat", Format::dat}, {"json", Format::json}},
             "Formato: dat (texto, por defecto) o json", "dat|json");

  ParseResult result;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    result.text = app.help();
    return result;
  } catch (const CLI::CallForVersion&) {
    result.text = std::string(version_text) + "\n";
    return result;
  } catch (const CLI::ParseError& error) {
    return usage_error(spanish(error), fit->parsed());
  }
  for (CLI::App* command : {fit, gases}) {
    if (!command->parsed()) continue;
    for (const CLI::Option* table_option : app.get_options()) {
      if (table_option->count() > 0) {
        return usage_error(table_option->get_name() + " no se usa con '" + command->get_name() + "'; las opciones de '" +
                               command->get_name() + "' van tras su nombre.",
                           command == fit);
      }
    }
    // fit's --quantum is a flag: an "exact" after it is left over, or taken
    // for the data file (which is then left over).
    std::vector<std::string> rest = command->remaining();
    if (command == fit && fitting.quantum) {
      if (fitting.options.data == "exact" && !rest.empty()) {
        fitting.quantum_exact = true;
        fitting.options.data = rest.front();
        rest.erase(rest.begin());
      } else if (const auto exact = std::find(rest.begin(), rest.end(), "exact"); exact != rest.end()) {
        fitting.quantum_exact = true;
        rest.erase(exact);
      }
    }
    if (const auto extra = leftover(rest)) return usage_error(*extra, command == fit);
  }
  try {
    if (gases->parsed()) {
      result.gases = listing;
    } else if (fit->parsed()) {
      if (const auto refusal = finish_fit(fitting)) return usage_error(*refusal, true);
      result.fit = fitting.options;
    } else {
      if (const auto extra = leftover(app.remaining())) return usage_error(*extra, false);
      if (const auto refusal = finish_table(table)) return usage_error(*refusal, false);
      result.table = table.options;
    }
  } catch (const std::exception& failure) {
    const std::optional<Refusal> refusal = refusal_of(failure);
    if (!refusal) throw;
    return usage_error(refusal->sentence, fit->parsed());
  }
  return result;
}

namespace {

// Output that sits in stdout's buffer fails at the latest when flushed.
int checked_standard_output(std::FILE* out, std::FILE* err, int status) {
  errno = 0;
  const bool flushed = std::fflush(out) == 0;
  if (flushed && std::ferror(out) == 0) return status;
  if (status != exit_success) return status;  // the failure that came first is already reported
  std::fprintf(err, "Error: no se pudo escribir en la salida estándar: %s\n",
               errno != 0 ? system_error_text(errno).c_str() : "error de escritura");
  return exit_write_failed;
}

int dispatch(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err) {
  if (argc <= 1) {  // the dialogue and the default table
    TableOptions dialogue;
    dialogue.threads = available_cpus();
    return run_table(dialogue, in, out, err);
  }
  ParseResult parsed = parse_command_line(argc, argv);
  if (parsed.fit) {
    if (parsed.fit->threads == 0) parsed.fit->threads = available_cpus();
    return run_fit(*parsed.fit, in, out, err);
  }
  if (parsed.gases) return run_gases(*parsed.gases, out, err);
  if (parsed.table) {
    if (parsed.table->threads == 0) parsed.table->threads = available_cpus();
    return run_table(*parsed.table, in, out, err);
  }
  std::fputs(parsed.text.c_str(), parsed.exit_status == exit_success ? out : err);
  return parsed.exit_status;
}

}  // namespace

int run(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err) {
  return checked_standard_output(out, err, dispatch(argc, argv, in, out, err));
}

unsigned available_cpus() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::max(1, CPU_COUNT(&allowed)));
}

void guard_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // Open for the other direction: every read or write fails with EBADF, as
    // on the closed descriptor. open() takes the lowest free number: fd.
    const int stand_in = open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
    if (stand_in >= 0 && stand_in != fd) {
      dup2(stand_in, fd);
      close(stand_in);
    }
  }
}

}  // namespace lennard
