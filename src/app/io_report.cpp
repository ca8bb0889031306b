#include "lennard/app/io_report.hpp"

#include <cerrno>
#include <cstring>

#include "lennard/app/exit_status.hpp"
#include "lennard/io/files.hpp"

namespace lennard {

namespace {

std::string shown(const std::string& path) { return path == "-" ? "la salida estándar" : quoted_name(path); }

// A stream's error may leave no errno behind (a write error flagged earlier).
std::string write_reason(int error_number) {
  return error_number != 0 ? system_error_text(error_number) : "error de escritura";
}

}  // namespace

std::string system_error_text(int error_number) {
  switch (error_number) {
    case ENOENT: return "no existe el archivo o el directorio";
    case EACCES: return "permiso denegado";
    case EPERM: return "operación no permitida";
    case ENOSPC: return "no queda espacio en el dispositivo";
    case EFBIG: return "el archivo excede el tamaño máximo permitido";
    case EROFS: return "el sistema de archivos es de solo lectura";
    case EISDIR: return "es un directorio";
    case ENOTDIR: return "una parte de la ruta no es un directorio";
    case ENAMETOOLONG: return "el nombre es demasiado largo";
    case EEXIST: return "el archivo ya existe";
    case EPIPE: return "la tubería está cerrada";
    case EIO: return "error de entrada/salida";
    case EMFILE: return "demasiados archivos abiertos";
    case EBADF: return "descriptor de archivo no válido";
    default: return std::strerror(error_number);
  }
}

int report_io(const IoOutcome& outcome, std::FILE* err) {
  using Kind = IoOutcome::Kind;
  const std::string name = shown(outcome.path);
  const int e = outcome.error_number;
  switch (outcome.kind) {
    case Kind::ok:
      return exit_success;
    case Kind::cannot_create:
      std::fprintf(err, "Error: no se puede crear %s: %s\n", name.c_str(), system_error_text(e).c_str());
      return exit_bad_input;
    case Kind::write_failed:
      std::fprintf(err, "Error: no se pudo escribir en %s: %s\n", name.c_str(), write_reason(e).c_str());
      return exit_write_failed;
    case Kind::staged_write_failed:
      std::fprintf(err, "Error: no se pudo escribir en %s: %s; el archivo anterior queda como estaba.\n", name.c_str(),
                   write_reason(e).c_str());
      return exit_write_failed;
    case Kind::rename_failed:
      std::fprintf(err, "Error: no se pudo poner %s en su sitio: %s; el archivo anterior queda como estaba.\n",
                   name.c_str(), system_error_text(e).c_str());
      return exit_write_failed;
    case Kind::no_plot_temporary:
      std::fprintf(err, "Error: no se puede crear un archivo temporal para el gráfico: %s\n",
                   system_error_text(e).c_str());
      return exit_bad_input;
    case Kind::plot_cannot_create:
      std::fprintf(err, "Error: no se puede crear el gráfico %s: %s\n", name.c_str(), system_error_text(e).c_str());
      return exit_bad_input;
    case Kind::plot_write_failed:
      std::fprintf(err, "Error: no se pudo escribir el gráfico en %s: %s\n", name.c_str(), write_reason(e).c_str());
      return exit_write_failed;
    case Kind::gnuplot_missing:
      std::fputs("Error: no se encontró gnuplot; instálelo con: apt-get install gnuplot-nox\n", err);
      return exit_bad_input;
    case Kind::no_pipe:
      std::fprintf(err, "Error: no se pudo crear la tubería hacia gnuplot: %s\n", system_error_text(e).c_str());
      return exit_bad_input;
    case Kind::gnuplot_not_started:
      std::fprintf(err, "Error: no se pudo ejecutar gnuplot: %s\n", system_error_text(e).c_str());
      return exit_bad_input;
    case Kind::gnuplot_failed:
      std::fputs("Error: gnuplot no pudo dibujar el gráfico (véase su mensaje arriba); no se escribió nada.\n", err);
      return exit_write_failed;
  }
  return exit_write_failed;
}

std::string clash_message(const std::vector<std::pair<std::string, Endpoint>>& outputs, const OutputClash& clash) {
  const auto& [option, endpoint] = outputs[clash.output];
  if (!clash.other) {
    return option + " escribiría en " + shown(endpoint.name) +
           ", que es el archivo de datos: se perderían los datos. Elija otro archivo.";
  }
  return option + " y " + outputs[*clash.other].first + " escribirían los dos en " + shown(endpoint.name) +
         (endpoint.name == "-" ? ", mezclados" : ": uno borraría al otro") + ". Elija archivos distintos.";
}

int report_io(const IoOutcomes& outcomes, std::FILE* err) {
  int status = exit_success;
  for (const IoOutcome& outcome : outcomes) {
    const int reported = report_io(outcome, err);
    if (status == exit_success) status = reported;
  }
  return status;
}

}  // namespace lennard
