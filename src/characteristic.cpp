#include "lennard/characteristic.hpp"

#include <boost/math/tools/roots.hpp>
#include <boost/math/tools/toms748_solve.hpp>

#include <cstdint>
#include <stdexcept>

#include "lennard/series.hpp"

namespace lennard {

namespace {

// Root of f in [lower, upper], where f changes sign, to within a few ulps.
template <class F>
double root_in(F f, double lower, double upper) {
  std::uintmax_t iterations = 200;
  const auto bracket =
      boost::math::tools::toms748_solve(f, lower, upper, boost::math::tools::eps_tolerance<double>(), iterations);
  return bracket.first + (bracket.second - bracket.first) / 2.0;
}

ReducedCharacteristics compute() {
  // Brackets from the shape of B*(T*): negative below the Boyle point near 3.4,
  // B - T dB/dT changes sign near 6.4, and B peaks near T* = 25.
  ReducedCharacteristics result{};
  result.boyle_T_star = root_in([](double t) { return reduced_virial_series(t).B; }, 2.0, 5.0);
  result.inversion_T_star = root_in(
      [](double t) {
        const ReducedVirial v = reduced_virial_series(t);
        return v.B - t * v.dB_dT;
      },
      4.0, 10.0);
  result.max_B_T_star = root_in([](double t) { return reduced_virial_series(t).dB_dT; }, 10.0, 60.0);
  result.max_B_reduced = reduced_virial_series(result.max_B_T_star).B;
  return result;
}

}  // namespace

const ReducedCharacteristics& reduced_characteristics() {
  static const ReducedCharacteristics values = compute();
  return values;
}

Characteristics characteristics(double epsilon_K, double sigma_A) {
  const ReducedCharacteristics& reduced = reduced_characteristics();
  const double volume = avogadro_A3_exact_in_cm3_per_mol * sigma_A * sigma_A * sigma_A;
  return {reduced.boyle_T_star * epsilon_K, reduced.inversion_T_star * epsilon_K, reduced.max_B_T_star * epsilon_K,
          reduced.max_B_reduced * volume};
}

}  // namespace lennard
