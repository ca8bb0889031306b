// The third virial coefficient of a pair potential, in reduced units
// C* = C / (N_A sigma^3)^2 with T* = kT/epsilon. With the Mayer function
// f(r) = exp(-u(r)/kT) - 1 and F(x) = Int_0^x f(t) t dt (sigma = 1),
//   C* = -(1/3) Int Int f12 f13 f23 d3r2 d3r3
//      = -(8 pi^2/3) Int_0^inf Int_0^inf r s f(r) f(s) [F(r+s) - F(|r-s|)] ds dr,
// the inner integral over the third side t of the triangle done by F. Since
// C is a product of three Mayer functions summed over a symmetric domain,
//   dC*/dT* = -8 pi^2 Int Int r s f'(r) f(s) [F(r+s) - F(|r-s|)] ds dr,
// f' = df/dT* = exp(-u/kT) u/(k T*^2).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "lennard/physics/parallel.hpp"
#include "lennard/physics/potential.hpp"

namespace lennard {

struct ReducedThirdVirial {
  double C;      // C / (N_A sigma^3)^2
  double dC_dT;  // d(C*)/dT*; NaN when not asked for
};

// Hard spheres: 5 b0^2 / 8 (b0 = 2 pi/3). The square well: its closed form
// for lambda <= 2, exact integration of its piecewise-constant Mayer function
// beyond. Lennard-Jones, Mie and helium from first principles: the
// trapezoidal rule on a uniform grid in r and s, on which r + s and |r - s|
// fall on the grid too, so that F is needed only there; the integrand is
// smooth and even about r = 0 and decays at the far end, so the rule
// converges spectrally (relative error about 1e-12). This is the direct rule,
// the reference each shape's representation (universal_third_virial.hpp) is
// built from and checked against.
// Throws InvalidArgument (via check_third_virial) for a potential it refuses.
ReducedThirdVirial reduced_third_virial(const Potential& potential, double T_star, bool with_derivative = true);

// The grid of a Mie potential has at most 50 max(1, n/12) max(25, 10^(12/(2m-3)))
// steps at any T* (its reach grows without bound as m -> 3) and costs their
// square: beyond this bound, about half a second per C with dC/dT on one
// core, C is refused. With n <= 12 that means m >= 3.73.
inline constexpr double max_third_virial_steps = 25000.0;

// Throws InvalidArgument, naming the limit, for a potential whose C the grid rule
// cannot give within that bound; nothing for the others.
void check_third_virial(const Potential& potential);

// A smooth pair potential u(r) = C epsilon [(sigma/r)^n - (sigma/r)^m] in
// laboratory units (epsilon/k_B in K, sigma in A): a side of a mixture's triangle.
struct SoftPair {
  double C, n, m;
  double epsilon_K, sigma_A;
};

// C_ijk of a mixture in laboratory units: per molecule squared.
struct TriangleThirdVirial {
  double C_A6;            // A^6
  double dC_dT_A6_per_K;  // A^6/K; NaN when not asked for
};

// C_ijk = -(1/3) Int Int f_ij(r12) f_ik(r13) f_jk(r23) d3r2 d3r3 for three
// molecules whose pairs interact by ij, ik and jk, and its derivative with
// respect to T when asked; the same grid rule as the pure gas, with the step
// of the narrowest pair and the reach of the widest.
TriangleThirdVirial triangle_third_virial(const SoftPair& ij, const SoftPair& ik, const SoftPair& jk, double T_K,
                                          bool with_derivative);

namespace detail {

// The triangles (pair indices ij, ik, jk) of a mixture at T (K) on one grid,
// the narrowest step and the widest reach of all its pairs: each pair's nodes
// and F are computed and transformed once, on the threads parallelism
// allows (its counter is not used), and each triangle is then a sum over
// the spectra. The same results whatever the number of threads.
std::vector<TriangleThirdVirial> triangles_on_one_grid(const std::vector<SoftPair>& pairs,
                                                       const std::vector<std::array<std::size_t, 3>>& triangles,
                                                       double T_K, bool with_derivative,
                                                       const Parallelism& parallelism);

// The grid rule for any smooth Mayer function f(r) (and its temperature
// derivative f_T, or nothing), on 0 <= r <= R with step h; C in the unit of
// r cubed, squared (reduced when r is in sigma).
ReducedThirdVirial third_virial_on_grid(const std::function<double(double)>& f,
                                        const std::function<double(double)>& f_T, double h, double R);

// The grid sums S_yz = Sum_ij y_i z_j (F[i+j] - F[|i-j|]) (i, j = 0 ... N) of
// node vectors y, z and an antiderivative F on 0 ... 2N, by fast Fourier
// transforms of length L >= 2 N_max + 1: O(N log N) each.
class ConvolutionSums {
 public:
  explicit ConvolutionSums(std::size_t N_max);
  // The half spectrum (k = 0 ... L/2) of a real sequence.
  struct Spectrum {
    std::vector<double> re, im;
  };
  // The spectra of two real sequences at once (zero beyond their ends).
  void transform(const std::vector<double>& p, const std::vector<double>& q, Spectrum& P, Spectrum& Q) const;
  // The spectra of the two weights F gives the sums over nodes 0 ... N.
  void weights(const std::vector<double>& F, std::size_t N, Spectrum& A, Spectrum& B) const;
  // S_yz from the spectra of y and z and F's weights A, B.
  double sum(const Spectrum& Y, const Spectrum& Z, const Spectrum& A, const Spectrum& B) const;

 private:
  void forward(std::vector<double>& re, std::vector<double>& im) const;
  std::size_t L_ = 1;
  std::vector<double> tw_re_, tw_im_;
  std::vector<std::size_t> bit_reversed_;
};

// The grid rule of reduced_third_virial for the soft potential
// C [(sigma/r)^n - (sigma/r)^m] at many T*: the same grids, the powers taken
// once, the double sum by fast Fourier transforms. C* and dC*/dT* agree with
// reduced_third_virial's to rounding; some 0.2 ms each for Lennard-Jones.
class SoftThirdVirialGrid {
 public:
  SoftThirdVirialGrid(double C, double n, double m);
  ReducedThirdVirial operator()(double T_star) const;

 private:
  double C_, n_, m_, h_;
  std::size_t N_max_;
  std::vector<double> node_a_, node_b_;               // rho^-n, rho^-m at the nodes k h, k = 1 ... N_max
  std::vector<double> gauss_a_, gauss_b_, gauss_wt_;  // the same at the Gauss points of F, and weight times t
  std::shared_ptr<const ConvolutionSums> sums_;
};

// The square well by Gauss rules between every breakpoint of its piecewise
// polynomial integrands, where they are exact: for any lambda > 1.
ReducedThirdVirial square_well_by_integration(double lambda, double T_star, bool with_derivative);

// Its Mayer function being -1 in the core and x = e^(1/T*) - 1 in the well,
// the square well's C* is a cubic in x for every lambda: its coefficients
// c0 ... c3, from the exact integration at four x.
std::array<double, 4> square_well_cubic(double lambda);

}  // namespace detail

}  // namespace lennard
