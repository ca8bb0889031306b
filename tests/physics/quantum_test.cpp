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

// tests/tools/quantum_order2_reference.py: mpmath tanh-sinh at 40 digits of the
// B_II* integral (and mp.diff of it for the derivative), for the Lennard-Jones
// and the Mie 14-7 potentials.
struct SecondOrderValue {
  double n, m, T_star, B_II, dB_II;
};
constexpr SecondOrderValue second_order_values[] = {
    {12, 6, 0.5, -1.785792102980565536753, 18.18587612751197420182},
    {12, 6, 1.0, -0.08218929047299889594205, 0.3207181827008800917505},
    {12, 6, 3.0, -0.002063879849937279292214, 0.002015849433525361775148},
    {12, 6, 10.0, -0.0000849178786202070287944, 0.00002064645436015102298537},
    {12, 6, 100.0, -5.203573940843255202139e-7, 1.076697331917096898399e-8},
    {14, 7, 0.5, -2.900337406110059458695, 29.51566806574855780219},
    {14, 7, 1.0, -0.1338253932548630865744, 0.521714122624356509186},
    {14, 7, 3.0, -0.00337238563466577592513, 0.003291303379519377341665},
    {14, 7, 10.0, -0.0001388675545791247865007, 0.00003377969669902482933252},
    {14, 7, 100.0, -8.420640345719871841173e-7, 1.748608913477603403941e-8}};

TEST(Quantum, SecondOrderSeriesMatchesMpmath) {
  for (const SecondOrderValue& v : second_order_values) {
    const lennard::Potential p = v.n == 12 ? lennard::Potential{lennard::LennardJones{}}
                                           : lennard::Potential{lennard::Mie(v.n, v.m)};
    const lennard::ReducedVirial r = lennard::reduced_second_quantum_correction(p, v.T_star);
    EXPECT_NEAR(r.B, v.B_II, 1e-12 * std::fabs(v.B_II)) << v.n << "-" << v.m << " T* = " << v.T_star;
    EXPECT_NEAR(r.dB_dT, v.dB_II, 1e-12 * std::fabs(v.dB_II)) << v.n << "-" << v.m << " T* = " << v.T_star;
  }
}
