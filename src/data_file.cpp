#include "lennard/data_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>

#include "lennard/errors.hpp"
#include "lennard/files.hpp"
#include "lennard/text.hpp"

namespace lennard {

namespace {

std::string where(const std::string& source, std::size_t line, std::string_view text) {
  return source + ", línea " + std::to_string(line) + ": '" + printable(text) + "'";
}

bool read_field(std::string_view field, double& value) {
  const std::string text(field);
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size();
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

enum class LineStatus { line, end, too_long, nul_byte };

// One line without its '\n'; refuses what a text file of numbers never holds.
LineStatus next_line(std::streambuf& input, std::string& line) {
  line.clear();
  int c = input.sbumpc();
  if (c == std::char_traits<char>::eof()) return LineStatus::end;
  while (c != std::char_traits<char>::eof() && c != '\n') {
    if (c == 0) return LineStatus::nul_byte;
    if (line.size() == max_data_line_bytes) return LineStatus::too_long;
    line += static_cast<char>(c);
    c = input.sbumpc();
  }
  return LineStatus::line;
}

// The fields of a line: separated by commas (blanks around them allowed) or by
// blanks and tabs, never by both, so that a decimal comma is not taken for a
// separator. Throws with message_prefix on a mixed or empty field.
std::vector<std::string_view> split_fields(std::string_view content, const std::string& message_prefix) {
  std::vector<std::string_view> fields;
  if (content.find(',') != std::string_view::npos) {
    std::size_t start = 0;
    while (true) {
      const std::size_t comma = content.find(',', start);
      const std::string_view field = trim(content.substr(start, comma - start));
      if (field.empty()) throw InputError(message_prefix + ": falta un número entre dos comas o al final.");
      if (std::find_if(field.begin(), field.end(), is_blank) != field.end()) {
        throw InputError(message_prefix +
                         ": separa los números con comas y con blancos a la vez. Separe los campos solo con comas "
                         "o solo con blancos; el separador decimal es '.' (-183.5, no -183,5).");
      }
      fields.push_back(field);
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    return fields;
  }
  std::size_t i = 0;
  while (i < content.size()) {
    while (i < content.size() && is_blank(content[i])) ++i;
    const std::size_t start = i;
    while (i < content.size() && !is_blank(content[i])) ++i;
    if (i > start) fields.push_back(content.substr(start, i - start));
  }
  return fields;
}

}  // namespace

DataSet read_data(std::istream& in, const std::string& source) {
  DataSet data;
  std::string line;
  std::size_t number = 0;
  bool first_point = true;
  std::streambuf& input = *in.rdbuf();
  for (LineStatus status = next_line(input, line); status != LineStatus::end; status = next_line(input, line)) {
    ++number;
    if (status == LineStatus::nul_byte) {
      throw InputError(source + ", línea " + std::to_string(number) +
                       ": contiene un byte nulo: no es un archivo de texto.");
    }
    if (status == LineStatus::too_long) {
      throw InputError(source + ", línea " + std::to_string(number) +
                       ": tiene más de 1 MiB: no es un archivo de datos de texto.");
    }
    std::string_view content = line;
    // Spreadsheet programs start their UTF-8 files with a byte-order mark.
    if (number == 1 && content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    content = content.substr(0, content.find('#'));
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    const std::string prefix = where(source, number, line);
    const std::vector<std::string_view> fields = split_fields(content, prefix);
    if (fields.empty()) continue;

    if (fields.size() != 2 && fields.size() != 3) {
      throw InputError(prefix +
                       ": se esperaban dos o tres números (T en K, B en cm3/mol y, si se quiere, la "
                       "incertidumbre de B).");
    }
    double values[3] = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (!read_field(fields[i], values[i])) {
        throw InputError(prefix + ": '" + printable(fields[i]) + "' no es un número.");
      }
      if (!std::isfinite(values[i])) {
        throw InputError(prefix + ": los valores deben ser finitos.");
      }
    }
    const bool with_uncertainty = fields.size() == 3;
    if (first_point) {
      data.has_uncertainties = with_uncertainty;
      first_point = false;
    } else if (with_uncertainty != data.has_uncertainties) {
      throw InputError(prefix + ": o todos los puntos llevan incertidumbre o ninguno la lleva.");
    }
    if (!(values[0] > 0.0)) {
      throw InputError(prefix + ": la temperatura debe ser positiva.");
    }
    if (with_uncertainty && !(values[2] > 0.0)) {
      throw InputError(prefix + ": la incertidumbre debe ser positiva.");
    }
    data.points.push_back({values[0], values[1], values[2], number});
  }
  if (in.bad()) throw InputError(source + ": error de lectura.");
  if (data.points.size() < 3) {
    throw InputError(source + ": se necesitan al menos tres puntos para ajustar epsilon/k_B y sigma; hay " +
                     std::to_string(data.points.size()) + ".");
  }
  return data;
}

DataSet read_data_file(const std::string& path) {
  if (path == "-") return read_data(std::cin, "la entrada estándar");
  const std::string shown = quoted_name(path);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) throw InputError("no se puede leer " + shown + ": es una carpeta.");
  std::ifstream file(path, std::ios::binary);
  if (!file) throw InputError("no se puede leer " + shown + ": " + system_error_text(errno));
  return read_data(file, shown);
}

}  // namespace lennard
