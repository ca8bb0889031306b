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

namespace lennard {

namespace {

using Kind = DataFileProblem::Kind;
using Place = DataFileProblem::Place;

// Where a point or a line came from, for the problems found in it.
struct Where {
  const std::string& source;
  Place place;
  std::size_t position;
  std::string_view line;

  [[noreturn]] void fail(Kind kind, std::string text = {}, std::vector<double> numbers = {}) const {
    throw DataFileError(
        {kind, source, place, position, std::string(line), std::move(text), std::move(numbers), 0});
  }
};

[[noreturn]] void fail(Kind kind, const std::string& source, std::string text = {}) {
  Where{source, Place::input, 0, {}}.fail(kind, std::move(text));
}

const char* summary(Kind kind) {
  switch (kind) {
    case Kind::cannot_read: return "cannot open the file";
    case Kind::is_a_folder: return "is a folder";
    case Kind::read_error: return "read error";
    case Kind::nul_byte: return "a NUL byte: not a text file";
    case Kind::line_too_long: return "a line over 1 MiB";
    case Kind::empty_field: return "an empty field between commas";
    case Kind::mixed_separators: return "commas and blanks both separate the fields";
    case Kind::wrong_field_count: return "expected two or three numbers";
    case Kind::header_field_count: return "not as many fields as the header";
    case Kind::too_few_table_fields: return "a table row needs T, 1/T and B";
    case Kind::missing_column: return "a column is missing from the header";
    case Kind::not_a_number: return "not a number";
    case Kind::not_finite: return "values must be finite";
    case Kind::uncertainty_mismatch: return "either every point has an uncertainty or none";
    case Kind::temperature_not_positive: return "the temperature must be positive";
    case Kind::uncertainty_not_positive: return "the uncertainty must be positive";
    case Kind::bad_json: return "not valid JSON";
    case Kind::no_rows: return "no \"rows\" array";
    case Kind::missing_member: return "a row lacks T_K or B_cm3_per_mol";
    case Kind::too_few_points: return "at least three points are needed";
  }
  return "invalid data";
}

std::string english(const DataFileProblem& p) {
  std::string text = p.source;
  if (p.place == Place::line) text += ", line " + std::to_string(p.position);
  if (p.place == Place::json_row) text += ", row " + std::to_string(p.position);
  return text + ": " + summary(p.kind);
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
// separator. Throws on a mixed or empty field.
std::vector<std::string_view> split_fields(std::string_view content, const Where& at) {
  std::vector<std::string_view> fields;
  if (content.find(',') != std::string_view::npos) {
    std::size_t start = 0;
    while (true) {
      const std::size_t comma = content.find(',', start);
      const std::string_view field = trim(content.substr(start, comma - start));
      if (field.empty()) at.fail(Kind::empty_field);
      if (std::find_if(field.begin(), field.end(), is_blank) != field.end()) at.fail(Kind::mixed_separators);
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

// Checks one point and adds it.
void add_point(DataSet& data, double T, double B, std::optional<double> u, const Where& at) {
  if (!std::isfinite(T) || !std::isfinite(B) || (u && !std::isfinite(*u))) at.fail(Kind::not_finite);
  if (data.points.empty()) {
    data.has_uncertainties = u.has_value();
  } else if (u.has_value() != data.has_uncertainties) {
    at.fail(Kind::uncertainty_mismatch);
  }
  if (!(T > 0.0)) at.fail(Kind::temperature_not_positive);
  if (u && !(*u > 0.0)) at.fail(Kind::uncertainty_not_positive);
  data.points.push_back({T, B, u.value_or(0.0), at.position});
}

// A csv header of the program's tables (or of the same names): T_K and
// B_cm3_per_mol, and u_B_cm3_per_mol if the file gives uncertainties.
std::optional<Layout> header_layout(const std::vector<std::string_view>& fields, const Where& at) {
  const auto position = [&](std::string_view name) {
    const auto found = std::find(fields.begin(), fields.end(), name);
    return found == fields.end() ? absent : static_cast<std::size_t>(found - fields.begin());
  };
  Layout layout{position(T_name), position(B_name), position(u_name), fields.size(), 0};
  if (layout.T == absent) return std::nullopt;
  if (layout.B == absent) at.fail(Kind::missing_column, std::string(B_name));
  return layout;
}

// The rows of the program's json tables: {"rows": [{"T_K": ..., "B_cm3_per_mol": ...}, ...]}.
DataSet read_json_rows(const std::string& text, const std::string& source) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception& error) {
    fail(Kind::bad_json, source, error.what());
  }
  if (!document.is_object() || !document.contains("rows") || !document["rows"].is_array()) {
    fail(Kind::no_rows, source);
  }
  DataSet data;
  const nlohmann::json& rows = document["rows"];
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Where at{source, Place::json_row, i + 1, {}};
    const auto number = [&](std::string_view name) -> std::optional<double> {
      if (!rows[i].is_object() || !rows[i].contains(name)) return std::nullopt;
      const nlohmann::json& value = rows[i][std::string(name)];
      if (!value.is_number()) at.fail(Kind::not_a_number, std::string(name));
      return value.get<double>();
    };
    const std::optional<double> T = number(T_name), B = number(B_name);
    if (!T || !B) at.fail(Kind::missing_member);
    add_point(data, *T, *B, number(u_name), at);
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
    const Where at{source, Place::line, number, {}};
    if (status == LineStatus::nul_byte) at.fail(Kind::nul_byte);
    if (status == LineStatus::too_long) at.fail(Kind::line_too_long);
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
      if (in.bad()) fail(Kind::read_error, source);
      data = read_json_rows(text, source);
      break;
    }
    if (!layout_known && content == dat_column_header) {
      layout = Layout{0, 2, absent, 0, 3};
      layout_known = true;
      continue;
    }
    content = content.substr(0, content.find('#'));
    const Where at{source, Place::line, number, line};
    const std::vector<std::string_view> fields = split_fields(content, at);
    if (fields.empty()) continue;
    if (!layout_known) {
      layout_known = true;
      if (const auto header = header_layout(fields, at)) {
        layout = *header;
        continue;
      }
    }

    if (layout.field_count != 0 && fields.size() != layout.field_count) {
      at.fail(Kind::header_field_count, {},
              {static_cast<double>(fields.size()), static_cast<double>(layout.field_count)});
    }
    if (layout.min_fields != 0 && fields.size() < layout.min_fields) at.fail(Kind::too_few_table_fields);
    if (layout.field_count == 0 && layout.min_fields == 0) {
      if (fields.size() != 2 && fields.size() != 3) at.fail(Kind::wrong_field_count);
      if (fields.size() == 3) layout.u = 2;
      else layout.u = absent;
    }
    const auto value = [&](std::size_t column) {
      double result = 0.0;
      if (!read_field(fields[column], result)) at.fail(Kind::not_a_number, std::string(fields[column]));
      return result;
    };
    const double T = value(layout.T), B = value(layout.B);
    add_point(data, T, B, layout.u == absent ? std::nullopt : std::optional<double>(value(layout.u)), at);
  }
  if (in.bad()) fail(Kind::read_error, source);
  if (data.points.size() < 3) {
    Where{source, Place::input, 0, {}}.fail(Kind::too_few_points, {}, {static_cast<double>(data.points.size())});
  }
  return data;
}

DataFileError::DataFileError(DataFileProblem problem)
    : std::runtime_error(english(problem)), problem_(std::move(problem)) {}

DataSet read_data_file(const std::string& path) {
  if (path == "-") return read_data(std::cin, path);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) fail(Kind::is_a_folder, path);
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw DataFileError({Kind::cannot_read, path, Place::input, 0, {}, {}, {}, errno});
  }
  return read_data(file, path);
}

}  // namespace lennard
