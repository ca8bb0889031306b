#include "lennard/physics/potential.hpp"

#include <cmath>
#include <cstdlib>
#include <type_traits>

#include "lennard/physics/errors.hpp"
#include "lennard/physics/text.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/physics/shortest.hpp"

namespace lennard {

// (n/m)^(m/(n-m)) as exp(m/(n-m) log1p((n-m)/m)): pow(n/m, ...) would raise the
// rounding of n/m to a power that grows without bound as n -> m.
double mie_prefactor(double n, double m) {
  const double d = n - m;
  return n / d * std::exp(m / d * std::log1p(d / m));
}

namespace {

double checked_exponent(double n, double m) {
  if (!std::isfinite(n) || !std::isfinite(m) || !(m > 3.0) || !(n > m)) {
    throw UsageError("mie:" + shortest(n) + "," + shortest(m) +
                     ": los exponentes deben ser finitos con N > M > 3 (B no existe si M <= 3).");
  }
  // The series needs some n/((n-m) T*) terms, and its rounding grows with
  // their number: at n - m = n/20 and T* = 0.3 it is still below 1e-14
  // (tests/tools/mie_edge_reference.py), at n/50 it is 3e-14.
  if (!(n - m >= n / 20.0)) {
    throw UsageError("mie:" + shortest(n) + "," + shortest(m) +
                     ": exponentes demasiado próximos; mie:N,M necesita N - M >= N/20.");
  }
  return n;
}

}  // namespace

Mie::Mie(double n, double m)
    : n_(checked_exponent(n, m)),
      m_(m),
      prefactor_(mie_prefactor(n, m)),
      series_table_(std::make_shared<const std::vector<double>>(mie_series_table(n, m))) {}

namespace {

// The numbers after "name:", separated by commas; throws unless there are
// exactly count of them, each a whole number text.
std::vector<double> parameters(std::string_view spelling, std::string_view text, std::size_t count) {
  std::vector<double> values;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const std::string field(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    char* end = nullptr;
    const double value = std::strtod(field.c_str(), &end);
    if (field.empty() || end != field.c_str() + field.size()) {
      throw UsageError("potencial '" + printable(spelling) + "': '" + printable(field) + "' no es un número.");
    }
    values.push_back(value);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (values.size() != count) {
    throw UsageError("potencial '" + printable(spelling) + "': se esperaban " + std::to_string(count) +
                     (count == 1 ? " número" : " números") + " tras ':'.");
  }
  return values;
}

}  // namespace

Potential parse_potential(std::string_view spelling) {
  const std::size_t colon = spelling.find(':');
  const std::string_view name = spelling.substr(0, colon);
  const bool has_parameters = colon != std::string_view::npos;
  const std::string_view rest = has_parameters ? spelling.substr(colon + 1) : std::string_view{};
  if ((name == "lj" || name == "hs") && has_parameters) {
    throw UsageError("potencial '" + printable(spelling) + "': '" + std::string(name) + "' no lleva parámetros.");
  }
  if (name == "lj") return LennardJones{};
  if (name == "hs") return HardSpheres{};
  if (name == "mie") {
    if (!has_parameters) throw UsageError("potencial 'mie': faltan los exponentes, p. ej. mie:14,6.");
    const std::vector<double> nm = parameters(spelling, rest, 2);
    return Mie(nm[0], nm[1]);
  }
  if (name == "sw") {
    if (!has_parameters) throw UsageError("potencial 'sw': falta la anchura LAMBDA del pozo, p. ej. sw:1.5.");
    const double lambda = parameters(spelling, rest, 1)[0];
    if (!std::isfinite(lambda) || !(lambda > 1.0)) {
      throw UsageError("potencial '" + printable(spelling) + "': LAMBDA debe ser finito y mayor que 1.");
    }
    return SquareWell{lambda};
  }
  throw UsageError("potencial desconocido: '" + printable(spelling) + "'; los hay lj, mie:N,M, sw:LAMBDA y hs.");
}

std::string potential_name(const Potential& potential) {
  return std::visit(
      [](const auto& p) -> std::string {
        using Kind = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<Kind, LennardJones>) return "lj";
        else if constexpr (std::is_same_v<Kind, Mie>) return "mie:" + shortest(p.n()) + "," + shortest(p.m());
        else if constexpr (std::is_same_v<Kind, SquareWell>) return "sw:" + shortest(p.lambda);
        else return "hs";
      },
      potential);
}

bool has_well_depth(const Potential& potential) { return !std::holds_alternative<HardSpheres>(potential); }

}  // namespace lennard
