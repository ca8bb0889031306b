// The pair potentials u(r) and their exact reduced second virial coefficient
//   B*(T*) = B / (N_A sigma^3) = -2 pi Int_0^inf [exp(-u(r)/kT) - 1] x^2 dx,
//   x = r / sigma, T* = kT / epsilon.
// Hard spheres have B* = 2 pi/3 (b0 = 2 pi sigma^3/3 per molecule) at every T.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lennard {

// u = 4 epsilon [(sigma/r)^12 - (sigma/r)^6].
struct LennardJones {
  bool operator==(const LennardJones&) const = default;
};

// u = C epsilon [(sigma/r)^n - (sigma/r)^m], C = n/(n-m) (n/m)^(m/(n-m)), so
// that the well is epsilon deep and u(sigma) = 0; n > m > 3.
class Mie {
 public:
  // Throws InvalidArgument unless n > m > 3 and both are finite. Prepares the
  // coefficients of the series once (some 1,000 Gamma-function ratios).
  Mie(double n, double m);

  double n() const { return n_; }
  double m() const { return m_; }
  double prefactor() const { return prefactor_; }  // C
  // c_0, c_1, then the ratios c_i/c_(i-1) of the series' coefficients (series.cpp).
  const std::vector<double>& series_table() const { return *series_table_; }
  // The same for the series of the first quantum correction (quantum.cpp),
  // made on first use (thread-safe): most uses never ask for it.
  const std::vector<double>& quantum_series_table() const;

  bool operator==(const Mie& other) const { return n_ == other.n_ && m_ == other.m_; }

 private:
  double n_;
  double m_;
  double prefactor_;
  std::shared_ptr<const std::vector<double>> series_table_;  // shared by copies, never changed
  struct LazyTable;
  std::shared_ptr<LazyTable> quantum_table_;  // shared by copies, filled once
};

// A hard core of diameter sigma and u = -epsilon for sigma < r < lambda sigma.
struct SquareWell {
  double lambda;
  bool operator==(const SquareWell&) const = default;
};

// A hard core of diameter sigma and nothing else: no epsilon.
struct HardSpheres {
  bool operator==(const HardSpheres&) const = default;
};

// Helium's pair potential from first principles (helium_potential.hpp), in
// the reduced form u*(x) = u(x sigma_He)/epsilon_He: it has no parameters,
// its epsilon/k_B and sigma are its own (helium::epsilon_K, helium::sigma_A),
// and B* has no series (its B is the quadrature of the Mayer integral).
// "he3-abinitio" is the same potential for helium-3, its adiabatic correction
// scaled to helium-3's nuclear mass (helium::helium3_adiabatic_scale), in the
// same units.
struct HeliumAbInitio {
  double adiabatic_scale = 1.0;
  bool operator==(const HeliumAbInitio&) const = default;
};

using Potential = std::variant<LennardJones, Mie, SquareWell, HardSpheres, HeliumAbInitio>;

// The prefactor C of the Mie potential.
double mie_prefactor(double n, double m);

// Reads "lj", "mie:N,M", "sw:LAMBDA", "hs" or "he-abinitio". Throws InvalidArgument, saying what
// is wrong, for anything else.
Potential parse_potential(std::string_view spelling);

// The canonical spelling: "lj", "mie:14,6", "sw:1.5", "hs", "he-abinitio".
std::string potential_name(const Potential& potential);

// False for hard spheres, whose B does not depend on T and that have no epsilon.
bool has_well_depth(const Potential& potential);

// The epsilon/k_B (K) and sigma (A) a potential carries itself, if it does
// (helium's from first principles); the others take them from the user.
struct OwnScale {
  double epsilon_K, sigma_A;
};
std::optional<OwnScale> own_scale(const Potential& potential);

}  // namespace lennard
