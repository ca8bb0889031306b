// The library refuses what it cannot compute with a typed error: the
// parameter and the reason, never a message of the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "lennard/physics/errors.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/validation.hpp"

namespace {

using namespace lennard;

Component component(const char* name, double fraction) {
  const Gas& gas = find_gas(name);
  return {gas.name, gas.potential, gas.epsilon_K, gas.sigma_A, gas.molar_mass_g_per_mol, fraction};
}

Mixture mixture(std::vector<Component> parts, double kij = 0.0) { return {std::move(parts), kij}; }

TEST(Refusal, NamesTheParameterAndTheReason) {
  const Potential mie = Mie(14.0, 6.0);
  const struct {
    const char* what;
    std::function<void()> call;
    Parameter parameter;
    Reason reason;
  } cases[] = {
      // The trapezoid is the rule of the 12-6 potential alone.
      {"B, trapezoid, mie", [&] { second_virial_B(Method::trapezoid, mie, 120.0, 3.4, 300.0); },
       Parameter::method, Reason::needs_lennard_jones},
      {"B, trapezoid, hs", [] { second_virial_B(Method::trapezoid, HardSpheres{}, 1.0, 3.4, 300.0); },
       Parameter::method, Reason::needs_lennard_jones},
      {"dB/dT, trapezoid, sw", [] { second_virial_dB_dT(Method::trapezoid, SquareWell{1.5}, 120.0, 3.4, 300.0); },
       Parameter::method, Reason::needs_lennard_jones},
      {"quantum, sw", [] { check_pure_gas(SquareWell{1.5}, Method::series, true); }, Parameter::quantum,
       Reason::needs_smooth_potential},
      {"quantum correction, hs", [] { reduced_quantum_correction(HardSpheres{}, 1.0); }, Parameter::quantum,
       Reason::needs_smooth_potential},
      {"quantum, trapezoid", [] { check_pure_gas(LennardJones{}, Method::trapezoid, true); }, Parameter::quantum,
       Reason::needs_exact_method},
      {"morse", [] { parse_potential("morse"); }, Parameter::potential, Reason::unknown},
      {"lj:1", [] { parse_potential("lj:1"); }, Parameter::potential, Reason::takes_no_parameters},
      {"mie", [] { parse_potential("mie"); }, Parameter::potential, Reason::missing_exponents},
      {"mie:12", [] { parse_potential("mie:12"); }, Parameter::potential, Reason::wrong_parameter_count},
      {"mie:12,x", [] { parse_potential("mie:12,x"); }, Parameter::potential, Reason::not_a_number},
      {"mie:6,12", [] { parse_potential("mie:6,12"); }, Parameter::potential, Reason::exponents_out_of_range},
      {"mie:12.6,12", [] { parse_potential("mie:12.6,12"); }, Parameter::potential, Reason::exponents_too_close},
      {"sw", [] { parse_potential("sw"); }, Parameter::potential, Reason::missing_well_width},
      {"sw:1", [] { parse_potential("sw:1"); }, Parameter::potential, Reason::well_width_out_of_range},
      {"argn", [] { find_gas("argn"); }, Parameter::gas, Reason::unknown},
      {"no components", [] { check_mixture(mixture({})); }, Parameter::mixture, Reason::no_components},
      {"argon twice", [] { check_mixture(mixture({component("argon", 0.5), component("Ar", 0.5)})); },
       Parameter::mixture, Reason::repeated_component},
      {"fraction 1.5", [] { check_mixture(mixture({component("argon", 1.5), component("krypton", 0.5)})); },
       Parameter::mole_fraction, Reason::out_of_range},
      {"sum 0.9", [] { check_mixture(mixture({component("argon", 0.3), component("krypton", 0.6)})); },
       Parameter::mole_fraction, Reason::sum_not_one},
      {"kij, three gases",
       [] {
         check_mixture(mixture({component("argon", 0.2), component("krypton", 0.3), component("xenon", 0.5)}, 0.1));
       },
       Parameter::kij, Reason::binary_only},
      {"kij 1", [] { check_mixture(mixture({component("argon", 0.5), component("krypton", 0.5)}, 1.0)); },
       Parameter::kij, Reason::out_of_range},
      {"lj with mie",
       [] {
         Component other = component("krypton", 0.5);
         other.potential = Mie(14.0, 6.0);
         check_mixture(mixture({component("argon", 0.5), other}));
       },
       Parameter::potential, Reason::not_combinable},
      // Helium from first principles has no series, no free parameters and no combining rule.
      {"series, he-abinitio", [] { second_virial_B(Method::series, HeliumAbInitio{}, 11.0, 2.6, 300.0); },
       Parameter::method, Reason::no_series},
      {"fit, he-abinitio", [] { check_fittable(HeliumAbInitio{}); }, Parameter::potential,
       Reason::no_free_parameters},
      {"he-abinitio:1", [] { parse_potential("he-abinitio:1"); }, Parameter::potential, Reason::takes_no_parameters},
      {"mixture, he-abinitio",
       [] {
         Component other = component("krypton", 0.5);
         other.potential = HeliumAbInitio{};
         check_mixture(mixture({component("argon", 0.5), other}));
       },
       Parameter::potential, Reason::not_in_mixture},
      {"rows", [] { temperature_grid({1.0, 100.0, 1.0}, 99); }, Parameter::temperature_step, Reason::too_many_rows},
      {"step", [] { evenly_spaced_grid({1e17, 2e17, 1.0}); }, Parameter::temperature_step, Reason::does_not_advance},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const InvalidArgument& refusal) {
      EXPECT_EQ(refusal.parameter(), c.parameter) << c.what << ": " << refusal.what();
      EXPECT_EQ(refusal.reason(), c.reason) << c.what << ": " << refusal.what();
      // English, and starting with the parameter it names.
      EXPECT_EQ(std::string(refusal.what()).rfind(std::string(parameter_id(c.parameter)) + ": ", 0), 0u)
          << refusal.what();
    }
  }
}

TEST(Refusal, TheTrapezoidStillComputesLennardJones) {
  EXPECT_TRUE(std::isfinite(second_virial_B(Method::trapezoid, LennardJones{}, 120.0, 3.4, 300.0)));
  EXPECT_TRUE(std::isfinite(second_virial_dB_dT(Method::trapezoid, LennardJones{}, 120.0, 3.4, 300.0)));
  EXPECT_NO_THROW(check_pure_gas(Mie(14.0, 6.0), Method::quadrature, true));
}

}  // namespace
