#include "lennard/physics/characteristic.hpp"

#include <boost/math/tools/roots.hpp>

#include <cmath>
#include <cstdint>
#include <exception>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/gas_model.hpp"

namespace lennard {

namespace {

// The root of f, which changes sign once on T* > 0, searched outwards from
// guess by factors of two; empty when no sign change is found or the solver
// runs out of iterations.
template <class F>
std::optional<double> root_from(F f, double guess, bool rising) {
  constexpr std::uintmax_t max_iterations = 300;
  std::uintmax_t iterations = max_iterations;
  try {
    const auto bracket = boost::math::tools::bracket_and_solve_root(
        f, guess, 2.0, rising, boost::math::tools::eps_tolerance<double>(), iterations);
    if (iterations >= max_iterations) return std::nullopt;
    const double root = bracket.first + (bracket.second - bracket.first) / 2.0;
    // A root only where B is a number on both sides of it: far below T* = 1e-3
    // the series overflows, and an overflowing correction can fake a sign change.
    const double below = f(root * (1.0 - 1e-6)), above = f(root * (1.0 + 1e-6));
    if (!(root > 1e-3) || !std::isfinite(below) || !std::isfinite(above) || !(below * above <= 0.0)) {
      return std::nullopt;
    }
    return root;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

ReducedCharacteristics reduced_characteristics(const Potential& potential, std::optional<double> de_boer,
                                               int quantum_order) {
  ReducedCharacteristics result;
  if (std::holds_alternative<HardSpheres>(potential)) return result;
  const auto at = [&](double t) { return reduced_pure_second_virial(potential, t, de_boer, quantum_order); };
  // Guesses near the Lennard-Jones values; the search widens from there.
  result.boyle_T_star = root_from([&](double t) { return at(t).B; }, 3.4, true);
  result.inversion_T_star = root_from(
      [&](double t) {
        const ReducedVirial v = at(t);
        return v.B - t * v.dB_dT;
      },
      6.4, true);
  if (!std::holds_alternative<SquareWell>(potential)) {
    result.max_B_T_star = root_from([&](double t) { return at(t).dB_dT; }, 25.0, false);
    if (result.max_B_T_star) result.max_B_reduced = at(*result.max_B_T_star).B;
  }
  return result;
}

Characteristics characteristics(const Potential& potential, double epsilon_K, double sigma_A,
                                std::optional<double> de_boer, int quantum_order) {
  const ReducedCharacteristics reduced = reduced_characteristics(potential, de_boer, quantum_order);
  const auto kelvin = [&](std::optional<double> t) { return t ? std::optional<double>(*t * epsilon_K) : std::nullopt; };
  return {kelvin(reduced.boyle_T_star), kelvin(reduced.inversion_T_star), kelvin(reduced.max_B_T_star),
          reduced.max_B_reduced ? std::optional<double>(laboratory_B(*reduced.max_B_reduced, sigma_A)) : std::nullopt, {},
          std::nullopt};
}

}  // namespace lennard
