#include "lennard/physics/third_virial.hpp"

#include <boost/math/quadrature/gauss.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <type_traits>
#include <vector>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/helium_potential.hpp"
#include "lennard/physics/parallel.hpp"

namespace lennard {

namespace {

constexpr double pi2 = std::numbers::pi * std::numbers::pi;
constexpr double not_asked = std::numeric_limits<double>::quiet_NaN();

// Gauss-Legendre rules of N points on [a, b].
template <unsigned N, class F>
double gauss(F f, double a, double b) {
  return boost::math::quadrature::gauss<double, N>::integrate(f, a, b);
}

// ---- Smooth potentials: the grid ----------------------------------------------

// The soft core's radius in sigma, where u = kT: (C/T*)^(1/n) once T* > C.
double core_radius(double C, double n, double T) { return std::min(1.0, std::pow(C / T, 1.0 / n)); }

// The grid's step: the Mayer function turns from -1 to 0 around the core's
// radius x_T over a width about x_T/n; 50 steps across the core for n <= 12,
// proportionally more for steeper walls, keep the rule at 1e-10 (0.02 in
// sigma at most).
double step_factor(double n) { return std::min(1.0, 12.0 / n); }
double grid_step(double C, double n, double T) {
  return std::min(0.02, core_radius(C, n, T) / 50.0) * step_factor(n);
}

// The grid's reach. In units of x_T, u/kT = rho^-n - lambda rho^-m with
// lambda = x_T^(n-m), and the region beyond rho contributes about
// rho^-(2n-3) + lambda^2 rho^-(2m-3) to C*: kept below 1e-12 (and rho >= 25).
// For T* <= C (x_T = 1) that is max(25, 10^(12/(2m-3))) sigma; above, the
// reach shrinks with the core, so the grid never has more than
// 50 max(25, 10^(12/(2m-3))) steps, whatever T*.
double reach(double C, double n, double m, double T) {
  const double x = core_radius(C, n, T);
  const double lambda = std::pow(x, n - m);
  const double rho = std::max({25.0, std::pow(10.0, 12.0 / (2.0 * n - 3.0)),
                               std::pow(lambda * lambda * 1e12, 1.0 / (2.0 * m - 3.0))});
  return x * rho;
}

// The most steps the grid of a soft potential takes at any T*: the cost of
// C grows as its square.
double most_steps(double n, double m) {
  return 50.0 / step_factor(n) * std::max(25.0, std::pow(10.0, 12.0 / (2.0 * m - 3.0)));
}

// u/epsilon at r = x sigma.
double reduced_soft_potential(double C, double n, double m, double x) {
  if (n == 12.0 && m == 6.0) {
    const double x6 = 1.0 / (x * x * x * x * x * x);
    return C * x6 * (x6 - 1.0);
  }
  const double log_x = std::log(x);
  // expm1: x^(m-n) - 1 keeps its digits when n is close to m.
  return C * std::exp(-m * log_x) * std::expm1((m - n) * log_x);
}

// The Mayer function of a pair at r (A) and its temperature derivative (1/K);
// at r = 0 (and wherever u overflows) f = -1 and f' = 0.
double mayer(const SoftPair& p, double T, double r) {
  return r == 0.0 ? -1.0 : std::expm1(-reduced_soft_potential(p.C, p.n, p.m, r / p.sigma_A) * p.epsilon_K / T);
}
double mayer_T(const SoftPair& p, double T, double r) {
  if (r == 0.0) return 0.0;
  const double u = reduced_soft_potential(p.C, p.n, p.m, r / p.sigma_A) * p.epsilon_K;
  return std::isinf(u) ? 0.0 : std::exp(-u / T) * u / (T * T);
}

ReducedThirdVirial soft(double C, double n, double m, double T, bool with_derivative) {
  const SoftPair unit{C, n, m, 1.0, 1.0};
  const auto f = [&](double x) { return mayer(unit, T, x); };
  const auto f_T = [&](double x) { return mayer_T(unit, T, x); };
  return detail::third_virial_on_grid(f, with_derivative ? std::function<double(double)>(f_T) : nullptr,
                                      grid_step(C, n, T), reach(C, n, m, T));
}

// Helium from first principles on the same grid. Its wall turns the Mayer
// function from -1 to 0 around x_T (u*(x_T) = T*) over a width about
// max(T*, 1)/|u*'(x_T)|: the step is a quarter of that, and at most x_T/50
// (and 0.02). Its tail falls as x^-6 like the Lennard-Jones one, so 25 sigma
// reach as far. Halving the step, or reaching to 40 sigma, changes C and
// dC/dT by less than 3e-14 and 2e-11 relative over 0.1 <= T* <= 1e5.
ReducedThirdVirial helium_grid(double T, bool with_derivative, double scale) {
  const double x_T = helium::reduced_core_radius(T, scale);
  const double slope = std::fabs(helium::reduced_pair_potential(x_T, scale).du);
  const double h = std::min({0.02, 0.25 * std::max(T, 1.0) / slope, x_T / 50.0});
  const auto f = [T, scale](double x) {
    return x == 0.0 ? -1.0 : std::expm1(-helium::reduced_pair_energy(x, scale) / T);
  };
  const auto f_T = [T, scale](double x) {
    if (x == 0.0) return 0.0;
    const double u = helium::reduced_pair_energy(x, scale);
    return std::isinf(u) ? 0.0 : std::exp(-u / T) * u / (T * T);
  };
  return detail::third_virial_on_grid(f, with_derivative ? std::function<double(double)>(f_T) : nullptr, h, 25.0);
}

// F(x_k) = Int_0^x_k f(t) t dt at x_k = k h for k up to 2N, from 8-point
// Gauss rules on each cell: every r + s and |r - s| of the grid.
std::vector<double> antiderivative_on_grid(const std::function<double(double)>& f, double h, std::size_t N) {
  std::vector<double> F(2 * N + 1);
  F[0] = 0.0;
  for (std::size_t k = 0; k < 2 * N; ++k) {
    const double lo = static_cast<double>(k) * h;
    F[k + 1] = F[k] + gauss<8>([&](double t) { return f(t) * t; }, lo, lo + h);
  }
  return F;
}

// x_k = w_k r_k v(r_k) at the grid's nodes r_k = k h, k = 0 ... N, with the
// trapezoid's weights w (half at r = R; at r = 0 the term vanishes). The
// integrands are even about r = 0 and negligible at R, so the rule converges
// spectrally.
std::vector<double> on_nodes(const std::function<double(double)>& v, double h, std::size_t N) {
  std::vector<double> x(N + 1);
  for (std::size_t k = 0; k <= N; ++k) x[k] = static_cast<double>(k) * h * v(static_cast<double>(k) * h);
  x[N] *= 0.5;
  return x;
}

// The grid sums S_pq = sum_i sum_j x_p,i x_q,j G(i, j), G(i, j) = F[i+j] -
// F[|i-j|], of K node vectors at once: G is symmetric, so each pair (i, j) is
// visited once and G(i, j) computed once for every S_pq. With x_p = r f_p and
// F that of f_c, -(8 pi^2/3) h^2 S_pq is the triangle f_p f_q f_c.
template <std::size_t K>
std::array<std::array<double, K>, K> grid_sums(const std::array<const std::vector<double>*, K>& x,
                                               const std::vector<double>& F) {
  const std::size_t N = x[0]->size() - 1;
  std::array<std::array<double, K>, K> S{};
  for (std::size_t i = 1; i <= N; ++i) {
    std::array<double, K> below{};  // sum over j < i of x_p,j G(i, j)
    for (std::size_t j = 1; j < i; ++j) {
      const double g = F[i + j] - F[i - j];
      for (std::size_t p = 0; p < K; ++p) below[p] += (*x[p])[j] * g;
    }
    for (std::size_t p = 0; p < K; ++p) {
      const double x_p = (*x[p])[i];
      S[p][p] += x_p * (2.0 * below[p] + x_p * F[2 * i]);
      for (std::size_t q = p + 1; q < K; ++q) {
        const double x_q = (*x[q])[i];
        S[p][q] += x_p * (below[q] + x_q * F[2 * i]) + x_q * below[p];
      }
    }
  }
  return S;
}

// The factor that turns a grid sum into C.
double triangle_factor(double h) { return -(8.0 * pi2 / 3.0) * h * h; }

// ---- Grid sums by fast Fourier transform ------------------------------------------

// exp(-E) - 1: for |E| < 1e-3, most of the grid beyond the well, its Taylor
// polynomial (the first term left out is below 1e-18 relative), several
// times cheaper than expm1.
double expm1_of_minus(double E) {
  if (std::fabs(E) < 1e-3) {
    return -E * (1.0 + E * (-0.5 + E * (1.0 / 6.0 + E * (-1.0 / 24.0 + E * (1.0 / 120.0 - E * (1.0 / 720.0))))));
  }
  return std::expm1(-E);
}

}  // namespace

namespace detail {

// Sums S_yz = Sum_ij y_i z_j (F[i+j] - F[|i-j|]) of grid_sums as inner
// products of F with the convolution and the correlation of the node vectors,
// taken by Parseval's theorem in frequency space from transforms of length
// L >= 2N + 1: O(N log N) instead of O(N^2), and each vector and each F
// transformed once however many sums it enters. F less its last value gives
// the same sums (a constant cancels between the two terms) and keeps the
// transforms' rounding from weighing on the far lags, where F is flat.
ConvolutionSums::ConvolutionSums(std::size_t N_max) {
  while (L_ < 2 * N_max + 1) L_ <<= 1;
  // The twiddles of the stage of half-length m at [m, 2m): contiguous.
  tw_re_.resize(L_);
  tw_im_.resize(L_);
  for (std::size_t m = 1; m < L_; m <<= 1) {
    for (std::size_t k = 0; k < m; ++k) {
      const double angle = -std::numbers::pi * static_cast<double>(k) / static_cast<double>(m);
      tw_re_[m + k] = std::cos(angle);
      tw_im_[m + k] = std::sin(angle);
    }
  }
  bit_reversed_.resize(L_);
  for (std::size_t i = 1, j = 0; i < L_; ++i) {
    std::size_t bit = L_ >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    bit_reversed_[i] = j;
  }
}

// In place, exponent -2 pi i jk/L; radix 2, iterative. Complex products
// written out: std::complex's checks for infinities cost more than the transform.
void ConvolutionSums::forward(std::vector<double>& re, std::vector<double>& im) const {
  for (std::size_t i = 1; i < L_; ++i) {
    const std::size_t j = bit_reversed_[i];
    if (i < j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
  // (x_a, x_b) <- (x_a + w, x_a - w), w the twiddled x_b.
  const auto butterfly = [&](std::size_t a, std::size_t b, double w_re, double w_im) {
    const double x_re = re[a], x_im = im[a];
    re[a] = x_re + w_re;
    im[a] = x_im + w_im;
    re[b] = x_re - w_re;
    im[b] = x_im - w_im;
  };
  // The first two stages have the twiddles 1 and -i: no products.
  for (std::size_t start = 0; start + 1 < L_; start += 2) butterfly(start, start + 1, re[start + 1], im[start + 1]);
  for (std::size_t start = 0; start + 3 < L_; start += 4) {
    butterfly(start, start + 2, re[start + 2], im[start + 2]);
    // (b re + i b im)(-i) = b im - i b re
    butterfly(start + 1, start + 3, im[start + 3], -re[start + 3]);
  }
  for (std::size_t m = 4; m < L_; m <<= 1) {
    const double* t_re = tw_re_.data() + m;
    const double* t_im = tw_im_.data() + m;
    for (std::size_t start = 0; start < L_; start += 2 * m) {
      double* a_re = re.data() + start;
      double* a_im = im.data() + start;
      double* b_re = a_re + m;
      double* b_im = a_im + m;
      for (std::size_t k = 0; k < m; ++k) {
        const double tr = b_re[k] * t_re[k] - b_im[k] * t_im[k];
        const double ti = b_re[k] * t_im[k] + b_im[k] * t_re[k];
        b_re[k] = a_re[k] - tr;
        b_im[k] = a_im[k] - ti;
        a_re[k] += tr;
        a_im[k] += ti;
      }
    }
  }
}

void ConvolutionSums::transform(const std::vector<double>& p, const std::vector<double>& q, Spectrum& P,
                                Spectrum& Q) const {
  std::vector<double> zr(L_, 0.0), zi(L_, 0.0);
  std::copy(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(std::min(p.size(), L_)), zr.begin());
  std::copy(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(std::min(q.size(), L_)), zi.begin());
  forward(zr, zi);
  // Z = P + i Q with P and Q Hermitian: P = (Z_k + conj Z_-k)/2, Q = (Z_k - conj Z_-k)/(2i).
  const std::size_t half = L_ / 2;
  P.re.resize(half + 1);
  P.im.resize(half + 1);
  Q.re.resize(half + 1);
  Q.im.resize(half + 1);
  for (std::size_t k = 0; k <= half; ++k) {
    const std::size_t minus = (L_ - k) & (L_ - 1);
    P.re[k] = 0.5 * (zr[k] + zr[minus]);
    P.im[k] = 0.5 * (zi[k] - zi[minus]);
    Q.re[k] = 0.5 * (zi[k] + zi[minus]);
    Q.im[k] = -0.5 * (zr[k] - zr[minus]);
  }
}

void ConvolutionSums::weights(const std::vector<double>& F, std::size_t N, Spectrum& A, Spectrum& B) const {
  // a = F[k] at k = 0 ... 2N weighs the convolution, b = F[|l|] at l = -N ... N the correlation.
  const double last = F[2 * N];
  std::vector<double> a(2 * N + 1), b(L_, 0.0);
  for (std::size_t k = 0; k <= 2 * N; ++k) a[k] = F[k] - last;
  b[0] = F[0] - last;
  for (std::size_t l = 1; l <= N; ++l) b[l] = b[L_ - l] = F[l] - last;
  transform(a, b, A, B);
}

double ConvolutionSums::sum(const Spectrum& Y, const Spectrum& Z, const Spectrum& A, const Spectrum& B) const {
  // (1/L) Sum over all k of Re[conj(A) Y Z - B conj(Y) Z] (B real, b being
  // even); every factor Hermitian, so k and L - k give the same term.
  const std::size_t half = L_ / 2;
  const auto term = [&](std::size_t k) {
    const double yr = Y.re[k], yi = Y.im[k], zr = Z.re[k], zi = Z.im[k];
    return A.re[k] * (yr * zr - yi * zi) + A.im[k] * (yr * zi + yi * zr) - B.re[k] * (yr * zr + yi * zi);
  };
  double s = 0.0;
  for (std::size_t k = 1; k < half; ++k) s += term(k);
  return (2.0 * s + term(0) + term(half)) / static_cast<double>(L_);
}

}  // namespace detail

namespace {

// ---- The square well: exact --------------------------------------------------------

// Its Mayer function is -1 in the core, x = e^(1/T) - 1 in the well and 0
// beyond, so F is piecewise quadratic and every integrand below is a
// polynomial between the breakpoints that are split out: the Gauss rules are
// exact there.
struct SquareWellGeometry {
  double lambda, x;
  double f(double r) const { return r < 1.0 ? -1.0 : (r < lambda ? x : 0.0); }
  double F(double t) const {
    const double core = std::min(t, 1.0);
    const double well = std::clamp(t, 1.0, lambda);
    return -0.5 * core * core + 0.5 * x * (well * well - 1.0);
  }
  double G(double r, double s) const { return F(r + s) - F(std::fabs(r - s)); }
};

// Int_0^lambda s f(s) G(r, s) ds for one r, split where f(s) or G changes form.
double inner_exact(const SquareWellGeometry& g, double r) {
  std::vector<double> cuts = {0.0, 1.0, g.lambda};
  for (const double t : {1.0, g.lambda}) {
    for (const double c : {t - r, r - t, r + t}) {
      if (c > 0.0 && c < g.lambda) cuts.push_back(c);
    }
  }
  std::sort(cuts.begin(), cuts.end());
  double sum = 0.0;
  for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
    const double a = cuts[k], width = cuts[k + 1] - a;
    if (!(width > 0.0)) continue;
    // s f G is cubic in s: two points are exact.
    sum += gauss<2>([&](double s) { return s * g.f(s) * g.G(r, s); }, a, a + width);
  }
  return sum;
}

// Int_0^lambda r w(r) inner(r) dr with w = f (for C) or its derivative; inner
// is a polynomial of degree at most 4 in r between the points where the
// breakpoints of the s integral cross each other.
template <class Weight>
double outer_exact(const SquareWellGeometry& g, Weight w) {
  const double l = g.lambda;
  std::vector<double> cuts = {0.0, 0.5, 1.0, l / 2.0, (l - 1.0) / 2.0, (l + 1.0) / 2.0, l - 1.0, l, 2.0};
  cuts.erase(std::remove_if(cuts.begin(), cuts.end(), [l](double c) { return c < 0.0 || c > l; }), cuts.end());
  std::sort(cuts.begin(), cuts.end());
  double sum = 0.0;
  for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
    const double a = cuts[k], width = cuts[k + 1] - a;
    if (!(width > 0.0)) continue;
    // Degree 5 in r: four points are exact.
    sum += gauss<4>([&](double r) { return r * w(r) * inner_exact(g, r); }, a, a + width);
  }
  return sum;
}

// The closed form for lambda <= 2, a cubic in x = e^(1/T*) - 1 (the form of
// T. Kihara, Rev. Mod. Phys. 25, 831 (1953); each coefficient was checked
// here against the exact integration below, which agrees to rounding):
//   C*/b0^2 = 5/8 - (l^6 - 18 l^4 + 32 l^3 - 15) x/8
//                 - (2 l^6 - 36 l^4 + 32 l^3 + 18 l^2 - 16) x^2/8
//                 - (6 l^6 - 18 l^4 + 18 l^2 - 6) x^3/8.
ReducedThirdVirial square_well_closed_form(double l, double T, bool with_derivative) {
  const double l2 = l * l, l3 = l2 * l, l4 = l2 * l2, l6 = l3 * l3;
  const double c1 = -(l6 - 18.0 * l4 + 32.0 * l3 - 15.0) / 8.0;
  const double c2 = -(2.0 * l6 - 36.0 * l4 + 32.0 * l3 + 18.0 * l2 - 16.0) / 8.0;
  const double c3 = -(6.0 * l6 - 18.0 * l4 + 18.0 * l2 - 6.0) / 8.0;
  const double x = std::expm1(1.0 / T);
  const double b0_squared = two_pi_over_3 * two_pi_over_3;
  const double C = b0_squared * (5.0 / 8.0 + x * (c1 + x * (c2 + x * c3)));
  if (!with_derivative) return {C, not_asked};
  const double dx_dT = -std::exp(1.0 / T) / (T * T);
  return {C, b0_squared * (c1 + x * (2.0 * c2 + x * 3.0 * c3)) * dx_dT};
}

}  // namespace

namespace detail {

std::array<double, 4> square_well_cubic(double lambda) {
  // C*(x) at x = -1, 0, 1, 2 (x = -1, a hard sphere of diameter lambda, is
  // as good a point of the polynomial as any other), solved for the powers.
  std::array<double, 4> y{};
  for (int j = 0; j < 4; ++j) {
    const SquareWellGeometry g{lambda, static_cast<double>(j - 1)};
    y[static_cast<std::size_t>(j)] = -(8.0 * pi2 / 3.0) * outer_exact(g, [&](double r) { return g.f(r); });
  }
  const double c0 = y[1], c2 = 0.5 * (y[0] + y[2]) - y[1];
  const double odd = 0.5 * (y[2] - y[0]);  // c1 + c3
  const double c3 = (y[3] - y[1] - 4.0 * c2 - 2.0 * odd) / 6.0;
  return {c0, odd - c3, c2, c3};
}

ReducedThirdVirial square_well_by_integration(double lambda, double T, bool with_derivative) {
  const SquareWellGeometry g{lambda, std::expm1(1.0 / T)};
  const double C = -(8.0 * pi2 / 3.0) * outer_exact(g, [&](double r) { return g.f(r); });
  if (!with_derivative) return {C, not_asked};
  // f' = d x/dT = -e^(1/T)/T^2 in the well, 0 elsewhere.
  const double dx_dT = -std::exp(1.0 / T) / (T * T);
  const double dC = -8.0 * pi2 * outer_exact(g, [&](double r) { return r >= 1.0 && r < lambda ? dx_dT : 0.0; });
  return {C, dC};
}

}  // namespace detail

namespace {

ReducedThirdVirial square_well(double lambda, double T, bool with_derivative) {
  return lambda <= 2.0 ? square_well_closed_form(lambda, T, with_derivative)
                       : detail::square_well_by_integration(lambda, T, with_derivative);
}

}  // namespace

namespace detail {

ReducedThirdVirial third_virial_on_grid(const std::function<double(double)>& f,
                                        const std::function<double(double)>& f_T, double h, double R) {
  const std::size_t N = static_cast<std::size_t>(std::lround(R / h));
  const std::vector<double> F = antiderivative_on_grid(f, h, N);
  const std::vector<double> a = on_nodes(f, h, N);
  if (!f_T) return {triangle_factor(h) * grid_sums<1>({&a}, F)[0][0], not_asked};
  // dC: f' on each of the three sides in turn, all alike by symmetry.
  const std::vector<double> d = on_nodes(f_T, h, N);
  const auto S = grid_sums<2>({&a, &d}, F);
  return {triangle_factor(h) * S[0][0], 3.0 * triangle_factor(h) * S[0][1]};
}

}  // namespace detail

TriangleThirdVirial triangle_third_virial(const SoftPair& ij, const SoftPair& ik, const SoftPair& jk, double T,
                                          bool with_derivative) {
  double h = std::numeric_limits<double>::infinity();
  double R = 0.0;
  for (const SoftPair* p : {&ij, &ik, &jk}) {
    h = std::min(h, p->sigma_A * grid_step(p->C, p->n, T / p->epsilon_K));
    R = std::max(R, p->sigma_A * reach(p->C, p->n, p->m, T / p->epsilon_K));
  }
  const std::size_t N = static_cast<std::size_t>(std::ceil(R / h));
  h = R / static_cast<double>(N);  // a whole number of steps
  const auto f = [T](const SoftPair& p) { return [&p, T](double r) { return mayer(p, T, r); }; };
  const auto f_T = [T](const SoftPair& p) { return [&p, T](double r) { return mayer_T(p, T, r); }; };
  // The sides ij and ik on the grid, jk through F.
  const std::vector<double> a = on_nodes(f(ij), h, N), b = on_nodes(f(ik), h, N);
  const std::vector<double> F = antiderivative_on_grid(f(jk), h, N);
  if (!with_derivative) return {triangle_factor(h) * grid_sums<2>({&a, &b}, F)[0][1], not_asked};
  // C is trilinear in the three Mayer functions: one derivative per side.
  const std::vector<double> a_T = on_nodes(f_T(ij), h, N), b_T = on_nodes(f_T(ik), h, N);
  const auto S = grid_sums<4>({&a, &b, &a_T, &b_T}, F);
  const double side_jk = grid_sums<2>({&a, &b}, antiderivative_on_grid(f_T(jk), h, N))[0][1];
  return {triangle_factor(h) * S[0][1], triangle_factor(h) * (S[1][2] + S[0][3] + side_jk)};
}

namespace detail {

// The grid of every T* shares its nodes in rho = r/x_T, k rho_h with
// rho_h = step_factor/50: only the reach, and so N, changes (it is largest at
// x_T = 1). There u/kT = alpha rho^-n - beta rho^-m with alpha = (C/T*) x_T^-n,
// beta = (C/T*) x_T^-m, so the powers are taken once and each T* costs its
// exponentials and two transforms.
SoftThirdVirialGrid::SoftThirdVirialGrid(double C, double n, double m) : C_(C), n_(n), m_(m) {
  h_ = 0.02 * step_factor(n);
  N_max_ = static_cast<std::size_t>(std::lround(reach(C, n, m, C) / grid_step(C, n, C)));
  const auto powers = [&](double rho, std::vector<double>& a, std::vector<double>& b) {
    if (n == 12.0 && m == 6.0) {
      const double r6 = 1.0 / (rho * rho * rho * rho * rho * rho);
      a.push_back(r6 * r6);
      b.push_back(r6);
    } else {
      a.push_back(std::pow(rho, -n));
      b.push_back(std::pow(rho, -m));
    }
  };
  for (std::size_t k = 1; k <= N_max_; ++k) powers(static_cast<double>(k) * h_, node_a_, node_b_);
  using rule = boost::math::quadrature::gauss<double, 8>;
  const auto& xi = rule::abscissa();
  const auto& w = rule::weights();
  for (std::size_t k = 0; k < 2 * N_max_; ++k) {
    const double mid = (static_cast<double>(k) + 0.5) * h_;
    for (std::size_t g = 0; g < xi.size(); ++g) {
      for (const double sign : {-1.0, 1.0}) {
        const double t = mid + sign * 0.5 * h_ * xi[g];
        powers(t, gauss_a_, gauss_b_);
        gauss_wt_.push_back(0.5 * h_ * w[g] * t);
      }
    }
  }
  sums_ = std::make_shared<const ConvolutionSums>(N_max_);
}

ReducedThirdVirial SoftThirdVirialGrid::operator()(double T) const {
  const double x_T = core_radius(C_, n_, T);
  const std::size_t N = std::min(N_max_, static_cast<std::size_t>(std::lround(reach(C_, n_, m_, T) /
                                                                              grid_step(C_, n_, T))));
  const double alpha = C_ / T * std::pow(x_T, -n_), beta = C_ / T * std::pow(x_T, -m_);
  std::vector<double> x(N + 1), d(N + 1), F(2 * N + 1);
  x[0] = d[0] = F[0] = 0.0;
  for (std::size_t k = 1; k <= N; ++k) {
    const double E = alpha * node_a_[k - 1] - beta * node_b_[k - 1];
    const double rho = static_cast<double>(k) * h_;
    x[k] = rho * expm1_of_minus(E);
    // T f_T, of the size of f: packed with f into one transform, a d T times
    // smaller would drown in the rounding of f at high T.
    d[k] = std::isinf(E) ? 0.0 : rho * std::exp(-E) * E;
  }
  x[N] *= 0.5;
  d[N] *= 0.5;
  const std::size_t per_cell = gauss_wt_.size() / (2 * N_max_);
  for (std::size_t k = 0; k < 2 * N; ++k) {
    double cell = 0.0;
    for (std::size_t p = k * per_cell; p < (k + 1) * per_cell; ++p) {
      cell += gauss_wt_[p] * expm1_of_minus(alpha * gauss_a_[p] - beta * gauss_b_[p]);
    }
    F[k + 1] = F[k] + cell;
  }
  ConvolutionSums::Spectrum X, D, A, B;
  sums_->transform(x, d, X, D);
  sums_->weights(F, N, A, B);
  const double s_xx = sums_->sum(X, X, A, B), s_xd = sums_->sum(X, D, A, B);
  const double scale = std::pow(x_T, 6.0) * triangle_factor(h_);
  return {scale * s_xx, 3.0 * scale * s_xd / T};
}

}  // namespace detail

namespace detail {

std::vector<TriangleThirdVirial> triangles_on_one_grid(const std::vector<SoftPair>& pairs,
                                                       const std::vector<std::array<std::size_t, 3>>& triangles,
                                                       double T, bool with_derivative,
                                                       const Parallelism& parallelism) {
  double h = std::numeric_limits<double>::infinity();
  double R = 0.0;
  for (const SoftPair& p : pairs) {
    h = std::min(h, p.sigma_A * grid_step(p.C, p.n, T / p.epsilon_K));
    R = std::max(R, p.sigma_A * reach(p.C, p.n, p.m, T / p.epsilon_K));
  }
  const std::size_t N = static_cast<std::size_t>(std::ceil(R / h));
  h = R / static_cast<double>(N);
  const ConvolutionSums sums(N);
  using rule = boost::math::quadrature::gauss<double, 8>;
  const auto& xi = rule::abscissa();
  const auto& w = rule::weights();

  // Each pair once: r f and r T f_T on the nodes, F of f and of T f_T, transformed.
  struct Side {
    ConvolutionSums::Spectrum X, D, A, B, A_T, B_T;
  };
  std::vector<Side> sides(pairs.size());
  const Parallelism spread{parallelism.threads, nullptr};
  for_each_block(pairs.size(), 1, spread, [&](std::size_t begin, std::size_t end) {
    for (std::size_t q = begin; q < end; ++q) {
      const SoftPair& p = pairs[q];
      // u/kT at r; f = e^(-E) - 1 and T f_T = e^(-E) E (0 where E overflows).
      const bool lj = p.n == 12.0 && p.m == 6.0;
      const double scale = p.C * p.epsilon_K / T;
      const auto E_at = [&](double r) {
        if (!lj) return reduced_soft_potential(p.C, p.n, p.m, r / p.sigma_A) * p.epsilon_K / T;
        const double y = p.sigma_A / r, y2 = y * y, y6 = y2 * y2 * y2;  // one division a point
        return scale * y6 * (y6 - 1.0);
      };
      const auto T_f_T = [](double E, double f) {
        if (std::isinf(E)) return 0.0;
        return std::fabs(E) < 1e-3 ? (1.0 + f) * E : std::exp(-E) * E;
      };
      std::vector<double> x(N + 1, 0.0), d(N + 1, 0.0), F(2 * N + 1, 0.0), F_T(2 * N + 1, 0.0);
      for (std::size_t k = 1; k <= N; ++k) {
        const double r = static_cast<double>(k) * h, E = E_at(r), f = expm1_of_minus(E);
        x[k] = r * f;
        d[k] = r * T_f_T(E, f);
      }
      x[N] *= 0.5;
      d[N] *= 0.5;
      for (std::size_t k = 0; k < 2 * N; ++k) {
        const double mid = (static_cast<double>(k) + 0.5) * h;
        double cell = 0.0, cell_T = 0.0;
        for (std::size_t g = 0; g < xi.size(); ++g) {
          for (const double sign : {-1.0, 1.0}) {
            const double t = mid + sign * 0.5 * h * xi[g], E = E_at(t), f = expm1_of_minus(E);
            const double weight = 0.5 * h * w[g] * t;
            cell += weight * f;
            if (with_derivative) cell_T += weight * T_f_T(E, f);
          }
        }
        F[k + 1] = F[k] + cell;
        F_T[k + 1] = F_T[k] + cell_T;
      }
      Side& side = sides[q];
      sums.transform(x, d, side.X, side.D);
      sums.weights(F, N, side.A, side.B);
      if (with_derivative) sums.weights(F_T, N, side.A_T, side.B_T);
    }
  });

  // The sides ij and ik on the grid, jk through F; C is trilinear in the
  // three Mayer functions, so dC/dT takes the derivative on each side in turn.
  std::vector<TriangleThirdVirial> out(triangles.size());
  const double factor = triangle_factor(h);
  for_each_block(triangles.size(), 1, spread, [&](std::size_t begin, std::size_t end) {
    for (std::size_t t = begin; t < end; ++t) {
      const Side &ij = sides[triangles[t][0]], &ik = sides[triangles[t][1]], &jk = sides[triangles[t][2]];
      out[t].C_A6 = factor * sums.sum(ij.X, ik.X, jk.A, jk.B);
      out[t].dC_dT_A6_per_K = with_derivative ? factor / T *
                                                    (sums.sum(ij.D, ik.X, jk.A, jk.B) +
                                                     sums.sum(ij.X, ik.D, jk.A, jk.B) +
                                                     sums.sum(ij.X, ik.X, jk.A_T, jk.B_T))
                                              : not_asked;
    }
  });
  return out;
}

}  // namespace detail

void check_third_virial(const Potential& potential) {
  const Mie* mie = std::get_if<Mie>(&potential);
  if (mie == nullptr) return;
  const double steps = most_steps(mie->n(), mie->m());
  if (steps > max_third_virial_steps) {
    throw InvalidArgument(Parameter::potential, potential_name(potential), Reason::grid_too_large,
                          {std::to_string(std::lround(steps)), std::to_string(std::lround(max_third_virial_steps))});
  }
}

ReducedThirdVirial reduced_third_virial(const Potential& potential, double T_star, bool with_derivative) {
  check_third_virial(potential);
  return std::visit(
      [&](const auto& p) -> ReducedThirdVirial {
        using Kind = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<Kind, LennardJones>) {
          return soft(4.0, 12.0, 6.0, T_star, with_derivative);
        } else if constexpr (std::is_same_v<Kind, Mie>) {
          return soft(p.prefactor(), p.n(), p.m(), T_star, with_derivative);
        } else if constexpr (std::is_same_v<Kind, SquareWell>) {
          return square_well(p.lambda, T_star, with_derivative);
        } else if constexpr (std::is_same_v<Kind, HeliumAbInitio>) {
          return helium_grid(T_star, with_derivative, p.adiabatic_scale);
        } else {
          return {5.0 / 8.0 * two_pi_over_3 * two_pi_over_3, with_derivative ? 0.0 : not_asked};
        }
      },
      potential);
}

}  // namespace lennard
