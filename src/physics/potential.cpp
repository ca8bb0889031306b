#include "lennard/physics/potential.hpp"

#include <cmath>
#include <cstdlib>
#include <mutex>
#include <type_traits>

#include "lennard/physics/errors.hpp"
#include "lennard/physics/helium_potential.hpp"
#include "lennard/physics/quantum.hpp"
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
    throw InvalidArgument(Parameter::potential, "mie:" + shortest(n) + "," + shortest(m),
                          Reason::exponents_out_of_range);
  }
  // The series needs some n/((n-m) T*) terms, and its rounding grows with
  // their number: at n - m = n/20 and T* = 0.3 it is still below 1e-14
  // (tests/tools/mie_edge_reference.py), at n/50 it is 3e-14.
  if (!(n - m >= n / 20.0)) {
    throw InvalidArgument(Parameter::potential, "mie:" + shortest(n) + "," + shortest(m),
                          Reason::exponents_too_close);
  }
  return n;
}

}  // namespace

struct Mie::LazyTable {
  std::once_flag once;
  std::vector<double> values;
};

Mie::Mie(double n, double m)
    : n_(checked_exponent(n, m)),
      m_(m),
      prefactor_(mie_prefactor(n, m)),
      series_table_(std::make_shared<const std::vector<double>>(mie_series_table(n, m))),
      quantum_table_(std::make_shared<LazyTable>()) {}

const std::vector<double>& Mie::quantum_series_table() const {
  std::call_once(quantum_table_->once, [this] { quantum_table_->values = quantum_series_table_of(n_, m_); });
  return quantum_table_->values;
}

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
      throw InvalidArgument(Parameter::potential, std::string(spelling), Reason::not_a_number, {field});
    }
    values.push_back(value);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (values.size() != count) {
    throw InvalidArgument(Parameter::potential, std::string(spelling), Reason::wrong_parameter_count,
                          {std::to_string(count)});
  }
  return values;
}

}  // namespace

Potential parse_potential(std::string_view spelling) {
  const std::size_t colon = spelling.find(':');
  const std::string_view name = spelling.substr(0, colon);
  const bool has_parameters = colon != std::string_view::npos;
  const std::string_view rest = has_parameters ? spelling.substr(colon + 1) : std::string_view{};
  if ((name == "lj" || name == "hs" || name == "he-abinitio" || name == "he3-abinitio") && has_parameters) {
    throw InvalidArgument(Parameter::potential, std::string(spelling), Reason::takes_no_parameters,
                          {std::string(name)});
  }
  if (name == "lj") return LennardJones{};
  if (name == "hs") return HardSpheres{};
  if (name == "he-abinitio") return HeliumAbInitio{};
  if (name == "he3-abinitio") return HeliumAbInitio{helium::helium3_adiabatic_scale};
  if (name == "mie") {
    if (!has_parameters) throw InvalidArgument(Parameter::potential, "mie", Reason::missing_exponents);
    const std::vector<double> nm = parameters(spelling, rest, 2);
    return Mie(nm[0], nm[1]);
  }
  if (name == "sw") {
    if (!has_parameters) throw InvalidArgument(Parameter::potential, "sw", Reason::missing_well_width);
    const double lambda = parameters(spelling, rest, 1)[0];
    if (!std::isfinite(lambda) || !(lambda > 1.0)) {
      throw InvalidArgument(Parameter::potential, std::string(spelling), Reason::well_width_out_of_range);
    }
    return SquareWell{lambda};
  }
  throw InvalidArgument(Parameter::potential, std::string(spelling), Reason::unknown);
}

std::string potential_name(const Potential& potential) {
  return std::visit(
      [](const auto& p) -> std::string {
        using Kind = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<Kind, LennardJones>) return "lj";
        else if constexpr (std::is_same_v<Kind, Mie>) return "mie:" + shortest(p.n()) + "," + shortest(p.m());
        else if constexpr (std::is_same_v<Kind, SquareWell>) return "sw:" + shortest(p.lambda);
        else if constexpr (std::is_same_v<Kind, HardSpheres>) return "hs";
        else return p.adiabatic_scale == 1.0 ? "he-abinitio" : "he3-abinitio";
      },
      potential);
}

bool has_well_depth(const Potential& potential) { return !std::holds_alternative<HardSpheres>(potential); }

std::optional<OwnScale> own_scale(const Potential& potential) {
  if (std::holds_alternative<HeliumAbInitio>(potential)) return OwnScale{helium::epsilon_K, helium::sigma_A};
  return std::nullopt;
}

}  // namespace lennard
