// The Spanish sentences for data files the fit cannot read.
#include <string>

#include "lennard/app/io_report.hpp"
#include "lennard/app/messages.hpp"
#include "lennard/io/text.hpp"

namespace lennard {

namespace {

std::string count(const std::vector<double>& numbers, std::size_t i) {
  return std::to_string(i < numbers.size() ? static_cast<std::size_t>(numbers[i]) : std::size_t{0});
}

}  // namespace

std::string data_file_sentence(const DataFileProblem& p) {
  using Kind = DataFileProblem::Kind;
  using Place = DataFileProblem::Place;
  const std::string source = p.source == "-" ? "la entrada estándar" : quoted_name(p.source);
  // The line a problem is in, shown shortened and with control characters escaped.
  std::string at = source;
  if (p.place == Place::line) {
    at += ", línea " + std::to_string(p.position);
    if (p.kind != Kind::nul_byte && p.kind != Kind::line_too_long) at += ": '" + printable(p.line) + "'";
  } else if (p.place == Place::json_row) {
    at += ", fila " + std::to_string(p.position) + " de \"rows\"";
  }
  switch (p.kind) {
    case Kind::cannot_read: return "no se puede leer " + source + ": " + system_error_text(p.error_number);
    case Kind::is_a_folder: return "no se puede leer " + source + ": es una carpeta.";
    case Kind::read_error: return at + ": error de lectura.";
    case Kind::nul_byte: return at + ": contiene un byte nulo: no es un archivo de texto.";
    case Kind::line_too_long: return at + ": tiene más de 1 MiB: no es un archivo de datos de texto.";
    case Kind::empty_field: return at + ": falta un número entre dos comas o al final.";
    case Kind::mixed_separators:
      return at +
             ": separa los números con comas y con blancos a la vez. Separe los campos solo con comas "
             "o solo con blancos; el separador decimal es '.' (-183.5, no -183,5).";
    case Kind::wrong_field_count:
      return at +
             ": se esperaban dos o tres números (T en K, B en cm3/mol y, si se quiere, la incertidumbre de B).";
    case Kind::header_field_count:
      return at + ": tiene " + count(p.numbers, 0) + " campos y la cabecera " + count(p.numbers, 1) + ".";
    case Kind::too_few_table_fields:
      return at + ": una fila de la tabla de lennard tiene al menos tres números (T, 1/T y B).";
    case Kind::missing_column: return at + ": la cabecera no tiene la columna " + p.text + ".";
    case Kind::not_a_number:
      if (p.place == Place::json_row) return at + ": " + p.text + " no es un número.";
      return at + ": '" + printable(p.text) + "' no es un número.";
    case Kind::not_finite: return at + ": los valores deben ser finitos.";
    case Kind::uncertainty_mismatch: return at + ": o todos los puntos llevan incertidumbre o ninguno la lleva.";
    case Kind::temperature_not_positive: return at + ": la temperatura debe ser positiva.";
    case Kind::uncertainty_not_positive: return at + ": la incertidumbre debe ser positiva.";
    case Kind::bad_json: return at + ": no es un JSON válido (" + printable(p.text, 120) + ").";
    case Kind::no_rows: return at + ": el JSON no tiene la lista \"rows\" de las tablas de lennard.";
    case Kind::missing_member: return at + ": faltan T_K o B_cm3_per_mol.";
    case Kind::too_few_points:
      return at + ": se necesitan al menos tres puntos para ajustar epsilon/k_B y sigma; hay " + count(p.numbers, 0) +
             ".";
  }
  return at + ".";
}

}  // namespace lennard
