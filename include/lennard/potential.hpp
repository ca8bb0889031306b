// The pair potentials u(r) and their exact reduced second virial coefficient
//   B*(T*) = B / (N_A sigma^3) = -2 pi Int_0^inf [exp(-u(r)/kT) - 1] x^2 dx,
//   x = r / sigma, T* = kT / epsilon.
// Hard spheres have B* = 2 pi/3 (b0 = 2 pi sigma^3/3 per molecule) at every T.
#pragma once

#include <memory>
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
struct Mie {
  double n;
  double m;
  double prefactor;  // C
  // Ratios c_(i+1)/c_i of the coefficients of its series, computed once for
  // the exponents (see series.cpp); shared, never changed.
  std::shared_ptr<const std::vector<double>> series_ratios;
  bool operator==(const Mie& other) const { return n == other.n && m == other.m; }
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

using Potential = std::variant<LennardJones, Mie, SquareWell, HardSpheres>;

// A Mie potential with its series prepared. Throws UsageError unless n > m > 3
// and both are finite.
Mie make_mie(double n, double m);

// The prefactor C of the Mie potential.
double mie_prefactor(double n, double m);

// Reads "lj", "mie:N,M", "sw:LAMBDA" or "hs". Throws UsageError, saying what
// is wrong, for anything else.
Potential parse_potential(std::string_view spelling);

// The canonical spelling: "lj", "mie:14,6", "sw:1.5", "hs".
std::string potential_name(const Potential& potential);

// False for hard spheres, whose B does not depend on T and that have no epsilon.
bool has_well_depth(const Potential& potential);

// u / epsilon at x = r / sigma (infinity inside a hard core).
double reduced_potential(const Potential& potential, double x);

}  // namespace lennard
