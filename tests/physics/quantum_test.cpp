// The first quantum correction to B against independent values.
#include "lennard/physics/quantum.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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
    EXPECT_NEAR(lennard::reduced_quantum_correction(lennard::LennardJones{}, v.T_star).B, v.B_I, 1e-14 * v.B_I)
        << "T* = " << v.T_star;
  }
  EXPECT_NEAR(lennard::de_boer_parameter(10.0, 2.5, 4.0), worked_de_boer, 1e-14 * worked_de_boer);
}

lennard::Potential shape(double n, double m) {
  return n == 12 && m == 6 ? lennard::Potential{lennard::LennardJones{}} : lennard::Potential{lennard::Mie(n, m)};
}

// The Gamma series of B_I* (lj, mie) against tanh-sinh quadrature of the
// integral itself, relative for both: B_I* has a non-negative integrand and
// dB_I*/dT* stays negative. Like the series of B*, it loses accuracy as
// n/((n-m) T*) grows, so exponents close together start higher. (The quadrature
// of mie:50,6's steep core is itself 1e-14 off at T* = 0.8: an mpmath row below.)
TEST(Quantum, FirstOrderSeriesMatchesQuadrature) {
  struct Shape {
    double n, m, T_min;
  };
  constexpr Shape shapes[] = {{12, 6, 0.3}, {14, 7, 0.3},   {9, 6, 0.3},      {20, 6, 0.3},
                              {8, 4, 0.3},  {10, 9.5, 0.5}, {30, 28.5, 0.5}};
  constexpr double temperatures[] = {0.3, 0.5, 0.8, 1.3, 2.0, 3.7, 10.0, 42.0, 100.0, 1e3, 1e4};
  for (const Shape& s : shapes) {
    const lennard::Potential p = shape(s.n, s.m);
    for (const double T : temperatures) {
      if (T < s.T_min) continue;
      const lennard::ReducedVirial series = lennard::reduced_quantum_correction(p, T);
      const lennard::ReducedVirial quadrature = lennard::reduced_quantum_correction_quadrature(p, T);
      EXPECT_NEAR(series.B, quadrature.B, 1e-14 * std::fabs(quadrature.B)) << s.n << "," << s.m << " T* = " << T;
      EXPECT_NEAR(series.dB_dT, quadrature.dB_dT, 1e-14 * std::fabs(quadrature.dB_dT))
          << s.n << "," << s.m << " T* = " << T;
    }
  }
}

// tests/tools/quantum_reference.py: mpmath tanh-sinh at 40 digits of B_I* and
// of dB_I*/dT* differentiated under the integral.
TEST(Quantum, FirstOrderSeriesMatchesMpmath) {
  struct Reference {
    double n, m, T_star, B_I, dB_I;
  };
  constexpr Reference references[] = {
      {12, 6, 0.3, 24.95830620935888268464, -403.7454516109222660788},
      {50, 6, 0.8, 1.93207504612257522055, -6.013980716145826635473},
      {10, 9.5, 0.5, 3.408201207451779168581, -23.82066640153293155349},
      {14, 7, 1e4, 0.000004966264323088050664596, -5.340716682830870003026e-10},
      // Where tanh-sinh of the integral stopped early, 6e-4 and 4e-3 off.
      {26.5, 12, 8000, 0.00001553335866983380880209, -2.022108389311509680906e-9},
      {34.5, 12, 2000, 0.00008979536002415261270668, -4.642221768503631070346e-8}};
  for (const Reference& r : references) {
    const lennard::ReducedVirial series = lennard::reduced_quantum_correction(shape(r.n, r.m), r.T_star);
    EXPECT_NEAR(series.B, r.B_I, 1e-14 * r.B_I) << r.n << "," << r.m << " T* = " << r.T_star;
    EXPECT_NEAR(series.dB_dT, r.dB_I, 1e-14 * std::fabs(r.dB_I)) << r.n << "," << r.m << " T* = " << r.T_star;
  }
}

// Where B* overflows (T* below about 1/700) the correction overflows too, to
// +inf, which the table reports as such: never NaN.
TEST(Quantum, FirstOrderSeriesOverflowsToInfinity) {
  for (const lennard::Potential& p : {shape(12, 6), shape(14, 7)}) {
    EXPECT_EQ(lennard::reduced_quantum_correction(p, 0.17 / 120.0).B, std::numeric_limits<double>::infinity());
  }
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
