#include "lennard/io/data_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "lennard/physics/errors.hpp"
#include "lennard/io/files.hpp"
#include "lennard/io/text.hpp"

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

// The column line of the program's own dat tables, whose rows are T, 1/T, B
// and perhaps further columns.
constexpr std::string_view dat_column_header = "# T(K)  1/T(K-1)   B(cm3/mol)";

// The names of the columns in the program's csv and json tables.
constexpr std::string_view T_name = "T_K", B_name = "B_cm3_per_mol", u_name = "u_B_cm3_per_mol";
constexpr std::size_t absent = std::string_view::npos;

// Where T, B and u(B) stand in a line. Plain data have two or three fields
// (field_count 0); a table has its own number of fields.
struct Layout {
  std::size_t T = 0, B = 1, u = absent;
  std::size_t field_count = 0;  // exact number of fields of a csv row; 0 for plain data
  std::size_t min_fields = 0;   // at least this many (the dat table's T, 1/T, B)
};

// Checks one point and adds it; prefix names where it came from.
void add_point(DataSet& data, double T, double B, std::optional<double> u, const std::string& prefix,
               std::size_t number) {
  if (!std::isfinite(T) || !std::isfinite(B) || (u && !std::isfinite(*u))) {
    throw InputError(prefix + ": los valores deben ser finitos.");
  }
  if (data.points.empty()) {
    data.has_uncertainties = u.has_value();
  } else if (u.has_value() != data.has_uncertainties) {
    throw InputError(prefix + ": o todos los puntos llevan incertidumbre o ninguno la lleva.");
  }
  if (!(T > 0.0)) throw InputError(prefix + ": la temperatura debe ser positiva.");
  if (u && !(*u > 0.0)) throw InputError(prefix + ": la incertidumbre debe ser positiva.");
  data.points.push_back({T, B, u.value_or(0.0), number});
}

// A csv header of the program's tables (or of the same names): T_K and
// B_cm3_per_mol, and u_B_cm3_per_mol if the file gives uncertainties.
std::optional<Layout> header_layout(const std::vector<std::string_view>& fields, const std::string& prefix) {
  const auto position = [&](std::string_view name) {
    const auto found = std::find(fields.begin(), fields.end(), name);
    return found == fields.end() ? absent : static_cast<std::size_t>(found - fields.begin());
  };
  Layout layout{position(T_name), position(B_name), position(u_name), fields.size(), 0};
  if (layout.T == absent) return std::nullopt;
  if (layout.B == absent) {
    throw InputError(prefix + ": la cabecera no tiene la columna " + std::string(B_name) + ".");
  }
  return layout;
}

// The rows of the program's json tables: {"rows": [{"T_K": ..., "B_cm3_per_mol": ...}, ...]}.
DataSet read_json_rows(const std::string& text, const std::string& source) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception& error) {
    throw InputError(source + ": no es un JSON válido (" + printable(error.what(), 120) + ").");
  }
  if (!document.is_object() || !document.contains("rows") || !document["rows"].is_array()) {
    throw InputError(source + ": el JSON no tiene la lista \"rows\" de las tablas de lennard.");
  }
  DataSet data;
  const nlohmann::json& rows = document["rows"];
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string prefix = source + ", fila " + std::to_string(i + 1) + " de \"rows\"";
    const auto number = [&](std::string_view name) -> std::optional<double> {
      if (!rows[i].is_object() || !rows[i].contains(name)) return std::nullopt;
      const nlohmann::json& value = rows[i][std::string(name)];
      if (!value.is_number()) throw InputError(prefix + ": " + std::string(name) + " no es un número.");
      return value.get<double>();
    };
    const std::optional<double> T = number(T_name), B = number(B_name);
    if (!T || !B) {
      throw InputError(prefix + ": faltan " + std::string(T_name) + " o " + std::string(B_name) + ".");
    }
    add_point(data, *T, *B, number(u_name), prefix, i + 1);
  }
  return data;
}

}  // namespace

DataSet read_data(std::istream& in, const std::string& source) {
  DataSet data;
  std::string line;
  std::size_t number = 0;
  Layout layout;
  bool layout_known = false;  // a header line or the first point fixes it
  std::streambuf& input = *in.rdbuf();
  const auto refuse = [&](LineStatus status) {
    if (status == LineStatus::nul_byte) {
      throw InputError(source + ", línea " + std::to_string(number) +
                       ": contiene un byte nulo: no es un archivo de texto.");
    }
    if (status == LineStatus::too_long) {
      throw InputError(source + ", línea " + std::to_string(number) +
                       ": tiene más de 1 MiB: no es un archivo de datos de texto.");
    }
  };
  for (LineStatus status = next_line(input, line); status != LineStatus::end; status = next_line(input, line)) {
    ++number;
    refuse(status);
    std::string_view content = line;
    // Spreadsheet programs start their UTF-8 files with a byte-order mark.
    if (number == 1 && content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    if (!layout_known && trim(content).starts_with("{")) {
      // A json table: the whole input is one document.
      std::string text(content);
      for (status = next_line(input, line); status != LineStatus::end; status = next_line(input, line)) {
        ++number;
        refuse(status);
        text += '\n';
        text += line;
      }
      if (in.bad()) throw InputError(source + ": error de lectura.");
      data = read_json_rows(text, source);
      break;
    }
    if (!layout_known && content == dat_column_header) {
      layout = Layout{0, 2, absent, 0, 3};
      layout_known = true;
      continue;
    }
    content = content.substr(0, content.find('#'));
    const std::string prefix = where(source, number, line);
    const std::vector<std::string_view> fields = split_fields(content, prefix);
    if (fields.empty()) continue;
    if (!layout_known) {
      layout_known = true;
      if (const auto header = header_layout(fields, prefix)) {
        layout = *header;
        continue;
      }
    }

    if (layout.field_count != 0 && fields.size() != layout.field_count) {
      throw InputError(prefix + ": tiene " + std::to_string(fields.size()) + " campos y la cabecera " +
                       std::to_string(layout.field_count) + ".");
    }
    if (layout.min_fields != 0 && fields.size() < layout.min_fields) {
      throw InputError(prefix + ": una fila de la tabla de lennard tiene al menos tres números (T, 1/T y B).");
    }
    if (layout.field_count == 0 && layout.min_fields == 0) {
      if (fields.size() != 2 && fields.size() != 3) {
        throw InputError(prefix +
                         ": se esperaban dos o tres números (T en K, B en cm3/mol y, si se quiere, la "
                         "incertidumbre de B).");
      }
      if (fields.size() == 3) layout.u = 2;
      else layout.u = absent;
    }
    const auto value = [&](std::size_t column) {
      double result = 0.0;
      if (!read_field(fields[column], result)) {
        throw InputError(prefix + ": '" + printable(fields[column]) + "' no es un número.");
      }
      return result;
    };
    const double T = value(layout.T), B = value(layout.B);
    add_point(data, T, B, layout.u == absent ? std::nullopt : std::optional<double>(value(layout.u)), prefix,
              number);
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
