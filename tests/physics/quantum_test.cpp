// The first quantum correction to B against independent values.
#include "lennard/physics/quantum.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// tests/tools/quantum_reference.py: mpmath tanh-sinh at 40 digits.
struct Value {
  double T_star, B_I;
};
constexpr Value lennard_jones_B_I[] = {{0.5, 3.0516061806846180939},
                                       {1.0, 0.41558235890735513382},
                                       {3.0, 0.050576901770094220788},
                                       {10.0, 0.0093164949515217663887},
                                       {100.0, 0.00061090955701575011598}};
// epsilon/k_B = 10 K, sigma = 2.5 A, M = 4 g/mol, exact 2019 SI constants.
constexpr double worked_de_boer = 2.7677052334321280273;

TEST(Quantum, CorrectionIntegralMatchesMpmath) {
  for (const Value& v : lennard_jones_B_I) {
    EXPECT_NEAR(lennard::reduced_quantum_correction(lennard::LennardJones{}, v.T_star).B, v.B_I, 1e-13 * v.B_I)
        << "T* = " << v.T_star;
  }
  EXPECT_NEAR(lennard::de_boer_parameter(10.0, 2.5, 4.0), worked_de_boer, 1e-14 * worked_de_boer);
}

}  // namespace
