// The helium pair potential from first principles of M. Przybytek, W. Cencek,
// B. Jeziorski and K. Szalewicz, Phys. Rev. Lett. 119, 123401 (2017): the
// Born-Oppenheimer energy, its adiabatic (4He) correction, the relativistic
// and the QED corrections, with the retarded (Casimir-Polder) dispersion tail.
// Each component is a sum of exponentials times polynomials in R plus a
// Tang-Toennies damped dispersion series -sum_n C_n D_n(zeta R)/R^n, in
// hartree and bohr, with the authors' coefficients (see the source file).
//
// The coefficients of the newer potential of Czachorowski et al., Phys. Rev.
// A 102, 042810 (2020), which improved the relativistic and QED parts, could
// not be had; with the hbar^4 expansion this one gives B of helium-4 within
// 3e-5 cm^3/mol of the exact-quantum B from that one at 500-1500 K and
// 2.1e-4 at 273.16 K (tests/physics/helium_potential_test.cpp).
#pragma once

namespace lennard::helium {

// CODATA 2018: the Bohr radius (0.529177210903 A) and the hartree-kelvin
// relationship (E_h/k_B = 3.1577502480407e5 K).
inline constexpr double bohr_A = 0.529177210903;
inline constexpr double hartree_K = 3.1577502480407e5;

// The potential's own well depth epsilon/k_B (K), the position of its minimum
// r_min (A) and its zero sigma, u(sigma) = 0 (A): the roots of u' and of u by
// mpmath at 40 digits from the same coefficients (tests/tools/helium_reference.py),
// rounded to double.
inline constexpr double epsilon_K = 10.996295625397495;
inline constexpr double r_min_A = 2.9676360411628899;
inline constexpr double sigma_A = 2.6410075307002830;

// u (K), du/dr (K/A) and d2u/dr2 (K/A^2) at r (A), analytic throughout. u
// rises as 4/R hartree as r -> 0 (+infinity at 0); beyond 1e5 bohr, where it is
// below 1e-30 K, it is taken as 0.
struct PairValue {
  double u, du, d2u;
};
// adiabatic_scale multiplies the adiabatic (diagonal Born-Oppenheimer)
// correction, which is inversely proportional to the nuclear mass: 1 for
// helium-4, helium3_adiabatic_scale for helium-3.
PairValue pair_potential(double r_A, double adiabatic_scale = 1.0);

// u alone, a third of the cost.
double pair_energy(double r_A, double adiabatic_scale = 1.0);

// The reduced form the program's machinery works with, x = r/sigma and
// u* = u/epsilon (helium-4's epsilon and sigma, for helium-3 too): u*, du*/dx
// and d2u*/dx2.
PairValue reduced_pair_potential(double x, double adiabatic_scale = 1.0);
double reduced_pair_energy(double x, double adiabatic_scale = 1.0);

// The x in (0, 1) where u*(x) = T* (u* falls monotonically over the core):
// where the Mayer function turns from -1 to 0; 1 for T* <= 0.
double reduced_core_radius(double T_star, double adiabatic_scale = 1.0);

// M(4He)/M(3He) for the nuclei: the atomic masses of AME2020 (M. Wang et al.,
// Chin. Phys. C 45, 030003 (2021)), 4.00260325413 u and 3.01602932197 u, less
// two electrons of 5.48579909065e-4 u (CODATA 2018); the electrons' binding,
// 8e-8 u, is left out.
inline constexpr double helium3_adiabatic_scale =
    (4.00260325413 - 2.0 * 5.48579909065e-4) / (3.01602932197 - 2.0 * 5.48579909065e-4);

}  // namespace lennard::helium
