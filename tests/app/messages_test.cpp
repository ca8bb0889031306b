// The fit's failures, once typed, read as the fit writes them today (the
// sentences of src/physics/fit.cpp); refused input, exit status 1.
#include "lennard/app/messages.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "lennard/app/exit_status.hpp"

namespace {

using namespace lennard;

TEST(Messages, FitFailuresReadAsTheFitWritesThem) {
  const struct {
    std::function<void()> raise;
    const char* sentence;
  } cases[] = {
      {[] { throw FitNotDetermined(FitFailure::too_few_temperatures, {3, 2}, "lj"); },
       "se necesitan puntos a 3 temperaturas distintas por lo menos para determinar epsilon/k_B y sigma; hay 2."},
      {[] { throw FitNotDetermined(FitFailure::too_few_temperatures, {4, 3}, "mie:14,6"); },
       "se necesitan puntos a 4 temperaturas distintas por lo menos para determinar epsilon/k_B, sigma y el "
       "exponente repulsivo; hay 3."},
      {[] { throw FitNotDetermined(FitFailure::range_too_wide, {1, 1e6}, "lj"); },
       "las temperaturas van de 1 K a 1e+06 K: un intervalo tan amplio no cabe entre T/epsilon = 0.05 y 1e4, donde "
       "se busca el ajuste."},
      {[] { throw FitNotDetermined(FitFailure::no_minimum, {0.05, 2000}, "lj"); },
       "no hay un mínimo de chi^2 para epsilon/k_B entre 0.05 K y 2000 K: los datos no se parecen a los de un gas "
       "con el potencial lj."},
      {[] { throw FitNotDetermined(FitFailure::non_positive_volume, {}, "mie:14,6"); },
       "el ajuste da sigma^3 <= 0: los datos no se parecen a los de un gas con el potencial mie:14,6."},
      {[] { throw FitNotDetermined(FitFailure::undetermined, {2}, "lj"); },
       "estos datos no determinan epsilon/k_B y sigma: el ajuste o sus errores estándar no son finitos."},
      {[] { throw FitNotDetermined(FitFailure::undetermined, {3}, "mie:14,6"); },
       "estos datos no determinan epsilon/k_B, sigma y el exponente repulsivo: sus errores estándar no son finitos."},
      {[] { throw NotConverged(100); }, "el ajuste no converge en 100 iteraciones."},
  };
  for (const auto& c : cases) {
    try {
      c.raise();
    } catch (const std::exception& failure) {
      const std::optional<Refusal> refusal = refusal_of(failure);
      ASSERT_TRUE(refusal.has_value()) << failure.what();
      EXPECT_EQ(refusal->sentence, c.sentence);
      EXPECT_EQ(exit_status_of(*refusal), exit_bad_input) << c.sentence;
    }
  }
}

}  // namespace
