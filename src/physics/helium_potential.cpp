#include "lennard/physics/helium_potential.hpp"

#include <array>
#include <cmath>
#include <limits>

namespace lennard::helium {

namespace {

// One part of the potential, in hartree with R in bohr:
//   sum_k exp(-a_k R) sum_{i=i0}^{i1} P_ik R^i  -  sum_{n=n0}^{n1} C_n g_n(R) / R^n,
// g_n = D_n(zeta R), the Tang-Toennies damping 1 - e^-x sum_{k<=n} x^k/k!,
// except for the leading term, whose form is the lead's.
enum class Lead {
  damped,    // D_n, like the others
  retarded,  // (Casimir-Polder) retardation: f(R) - 1 + D_n, f the Pade form below
  shifted,   // D_n - 1: the C4 and C3 terms live only inside the retarded C6 tail
};

struct Part {
  int exponentials;
  std::array<double, 3> a;
  int i0, i1;
  std::array<std::array<double, 4>, 3> P;  // P[k][i - i0]
  double zeta;
  int n0, n1;
  std::array<double, 11> C;  // C[n - n0]
  Lead lead;
};

// The coefficients of the supplementary Fortran code of Przybytek et al.,
// PRL 119, 123401 (2017) (module 'potentials', functions V_BO, V_AD, V_REL,
// V_QED and the full V with retardation), as two public copies carry them
// digit for digit: Etomica, etomica-core/src/main/java/etomica/potential/
// P2HePCJS.java (github.com/etomica/etomica, commit acd32268826d), and a
// Fortran copy of the module itself in the public GitHub index. The two were
// compared number by number (tests/tools/helium_reference.py holds them a
// third time, typed separately, and the tests compare the two codes).
constexpr std::array<Part, 4> parts{{
    // Born-Oppenheimer.
    {3,
     {2.19076900924970, 3.91558362097102, 8.87314362466591},
     -1,
     2,
     {{{2.69150966652494e1, 1.74015968871153e1, -3.26566208189471e0, 1.46700433938961e-1},
       {-2.62457650950449e2, 4.57300508401525e2, 6.66624947516144e2, -1.01541164656195e2},
       {2.39542554285199e2, 6.73223355754347e2, 8.62651807552327e2, 7.86212667513655e2}}},
     4.45565354034820,
     6,
     16,
     {1.460977837725, 0.0, 14.11785737, 0.0, 183.691075, -76.72571, 3.372e3, -3808.3254, 8.534e4, -1.707e5, 2.86e6},
     Lead::retarded},
    // Adiabatic correction (the diagonal Born-Oppenheimer correction of 4He).
    {3,
     {2.75067513975782, 5.36085266623527, 7.13731208196370},
     0,
     2,
     {{{1.60034916931265e-2, -5.17915211148225e-3, 3.20021447656502e-3, 0.0},
       {-5.02322894521138e-1, -5.28178298205425e-2, 2.93999790052146e-1, 0.0},
       {-7.80222735840106e-2, 1.83457620987126e0, 9.46016993696249e-1, 0.0}}},
     4.80971750762740,
     6,
     10,
     {1.1445e-3, 0.0, 6.519e-3, 0.0, 6.68e-2},
     Lead::damped},
    // Relativistic correction.
    {3,
     {2.55442787544336, 4.26822206589066, 6.31801545306225},
     0,
     2,
     {{{1.16259940182396e-2, -7.00805799572921e-3, 7.83673396684808e-4, 0.0},
       {-5.73711010584383e-1, 3.97167157865319e-1, -1.10854901515699e-1, 0.0},
       {6.22980694403664e-1, 4.87089036456869e-1, 6.81223617553767e-1, 0.0}}},
     5.00212547573053,
     4,
     8,
     {-3.5322e-5, 0.0, -3.434e-4, 0.0, -3.55798027534830e-3},
     Lead::shifted},
    // QED correction.
    {2,
     {2.71385934118196, 4.85539104988208, 0.0},
     0,
     2,
     {{{1.34952154947189e-3, -1.02362538302740e-3, 3.56862380020579e-4, 0.0},
       {-1.96866479382540e-4, -9.61841561868819e-4, -1.08014679908054e-3, 0.0},
       {}}},
     5.43735514285525,
     3,
     6,
     {5.772353e-7, 0.0, 1.377841e-6, 7.61187886972970e-5},
     Lead::shifted},
}};

// The retardation function f(R) = (1 + sum_1^5 A_i R^i) / (1 + sum_1^6 B_i R^i)
// of the same code (f -> 1 as R -> 0, ~ 1/R far out: the C6/R^6 tail turns
// into Casimir-Polder's R^-7). The leading term needs f - 1 = M/Q,
// M = sum (A_i - B_i) R^i - B_6 R^6, formed so that it keeps its digits at small R.
constexpr std::array<double, 5> A{6.169870091028090e-2, 8.281954197590046e-4, 2.936387935854446e-6,
                                  4.020288241131003e-9, 2.948899823358023e-12};
constexpr std::array<double, 6> B{6.169870091028090e-2, 8.523723778811090e-4, 4.032972820432622e-6,
                                  9.969788378653687e-9, 1.224004819647673e-11, 8.978131367598067e-15};

struct Triple {
  double v = 0.0, d = 0.0, d2 = 0.0;
};

// A polynomial sum_{i=1}^{N} c_i R^i (c_0 = constant) with its derivatives, by Horner.
template <std::size_t N>
Triple polynomial(double constant, const std::array<double, N>& c, double R) {
  Triple p{c[N - 1], 0.0, 0.0};
  for (std::size_t i = N - 1; i-- > 0;) {
    p.d2 = p.d2 * R + 2.0 * p.d;
    p.d = p.d * R + p.v;
    p.v = p.v * R + c[i];
  }
  // One more step for the constant: R * (c_1 + c_2 R + ...) + constant.
  p.d2 = p.d2 * R + 2.0 * p.d;
  p.d = p.d * R + p.v;
  p.v = p.v * R + constant;
  return p;
}

Triple retardation_minus_one(double R) {
  std::array<double, 6> m{};
  for (std::size_t i = 0; i < 5; ++i) m[i] = A[i] - B[i];
  m[5] = -B[5];
  const Triple M = polynomial(0.0, m, R);
  const Triple Q = polynomial(1.0, B, R);
  Triple q;
  q.v = M.v / Q.v;
  q.d = (M.d - q.v * Q.d) / Q.v;
  q.d2 = (M.d2 - 2.0 * q.d * Q.d - q.v * Q.d2) / Q.v;
  return q;
}

// The damped dispersion of one part, -sum C_n g_n / R^n, and its R-derivatives.
Triple dispersion(const Part& p, double R, bool derivatives) {
  const double x = p.zeta * R;
  const double e = std::exp(-x);
  // t_k = x^k/k!. Below x = 20, D_n = e^-x sum_{k>n} t_k (all terms positive, no
  // cancellation), summed until, past k = x, the terms fall below 1e-18 of the
  // smallest of these sums, that beyond n1 (at most 90 terms: at x = 20,
  // t_90 e^-x < 1e-30); beyond x = 20, D_n = 1 - e^-x sum_{k<=n} t_k, the
  // subtracted part below 0.3.
  constexpr int most_terms = 90;
  std::array<double, most_terms + 2> t{};
  const bool small_x = x < 20.0;
  t[0] = 1.0;
  double beyond_n1 = 0.0;
  int last = p.n1;
  for (int k = 1; k <= (small_x ? most_terms : p.n1); ++k) {
    const double term = t[static_cast<std::size_t>(k - 1)] * x / k;
    t[static_cast<std::size_t>(k)] = term;
    last = k;
    if (k <= p.n1) continue;
    beyond_n1 += term;
    if (k > x && term < 1e-18 * beyond_n1) break;
  }
  std::array<double, most_terms + 2> above{};  // above[k] = sum_{j>=k} t_j (small x)
  std::array<double, 18> upto{};               // upto[n] = sum_{j<=n} t_j
  if (small_x) {
    for (int k = last; k >= 0; --k) {
      above[static_cast<std::size_t>(k)] = above[static_cast<std::size_t>(k + 1)] + t[static_cast<std::size_t>(k)];
    }
  }
  double partial = 0.0;
  for (int k = 0; k <= p.n1; ++k) {
    partial += t[static_cast<std::size_t>(k)];
    upto[static_cast<std::size_t>(k)] = partial;
  }
  Triple sum;
  const double inv_R = 1.0 / R;
  double R_n = std::pow(inv_R, p.n0);  // R^-n
  for (int n = p.n0; n <= p.n1; ++n, R_n *= inv_R) {
    const double C = p.C[static_cast<std::size_t>(n - p.n0)];
    if (C == 0.0) continue;
    const std::size_t un = static_cast<std::size_t>(n);
    // D_n(x) - 1 = -e^-x sum_{k<=n} t_k, formed directly where the lead asks for it.
    const double damping = small_x ? e * above[un + 1] : 1.0 - e * upto[un];
    Triple g;
    if (n == p.n0 && p.lead == Lead::shifted) {
      g.v = -e * upto[un];
    } else {
      g.v = damping;
    }
    // dD_n/dx = e^-x t_n, d2D_n/dx2 = e^-x (t_{n-1} - t_n).
    g.d = p.zeta * e * t[un];
    g.d2 = p.zeta * p.zeta * e * (t[un - 1] - t[un]);
    if (n == p.n0 && p.lead == Lead::retarded) {
      const Triple f = retardation_minus_one(R);
      g.v += f.v;
      g.d += f.d;
      g.d2 += f.d2;
    }
    sum.v -= C * g.v * R_n;
    if (derivatives) {
      sum.d -= C * (g.d - n * g.v * inv_R) * R_n;
      sum.d2 -= C * (g.d2 - 2.0 * n * g.d * inv_R + n * (n + 1.0) * g.v * inv_R * inv_R) * R_n;
    }
  }
  return sum;
}

// The exponential (exchange) part of one part and its R-derivatives.
Triple exchange(const Part& p, double R, bool derivatives) {
  Triple sum;
  for (int k = 0; k < p.exponentials; ++k) {
    const std::size_t uk = static_cast<std::size_t>(k);
    const double a = p.a[uk];
    if (a * R > 745.0) continue;  // below the smallest double
    // sum_{i=i0}^{i1} P_i R^i = R^i0 q(R), q a polynomial, by Horner with its derivatives.
    Triple q;
    for (int i = p.i1; i >= p.i0; --i) {
      q.d2 = q.d2 * R + 2.0 * q.d;
      q.d = q.d * R + q.v;
      q.v = q.v * R + p.P[uk][static_cast<std::size_t>(i - p.i0)];
    }
    Triple poly = q;
    if (p.i0 == -1) {  // times 1/R
      const double inv_R = 1.0 / R;
      poly.v = q.v * inv_R;
      poly.d = (q.d - poly.v) * inv_R;
      poly.d2 = (q.d2 - 2.0 * poly.d) * inv_R;
    }
    const double e = std::exp(-a * R);
    sum.v += e * poly.v;
    if (derivatives) {
      sum.d += e * (poly.d - a * poly.v);
      sum.d2 += e * (poly.d2 - 2.0 * a * poly.d + a * a * poly.v);
    }
  }
  return sum;
}

// The parts in order: Born-Oppenheimer, adiabatic, relativistic, QED; the
// adiabatic one times adiabatic_scale.
Triple formula(double R, bool derivatives, double adiabatic_scale) {
  Triple V;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const double f = i == 1 ? adiabatic_scale : 1.0;
    const Triple s = exchange(parts[i], R, derivatives), l = dispersion(parts[i], R, derivatives);
    V.v += f * (s.v + l.v);
    V.d += f * (s.d + l.d);
    V.d2 += f * (s.d2 + l.d2);
  }
  return V;
}

// Below R = 1e-3 bohr (u > 1e9 K) the relativistic C4/R^4 and the retarded
// C6 term cancel to 4 of their digits and worse inwards; there the potential
// goes on as the nuclear repulsion a/R + b, matched in value and slope.
constexpr double inner_R = 1e-3;
// Beyond 1e5 bohr |u| < 1e-30 K, and it is taken as 0.
constexpr double outer_R = 1e5;

struct Inner {
  double a, b;
};
const Inner& inner() {
  static const Inner matched = [] {
    const Triple V = formula(inner_R, true, 1.0);
    const double a = -V.d * inner_R * inner_R;
    return Inner{a, V.v - a / inner_R};
  }();
  return matched;
}

// Inside inner_R the match is that of helium-4: there the adiabatic part is
// some 1e-6 of the repulsion.
Triple hartree_bohr(double R, bool derivatives, double adiabatic_scale) {
  if (R >= outer_R) return {};
  if (R < inner_R) {
    if (!(R > 0.0)) {
      constexpr double inf = std::numeric_limits<double>::infinity();
      return {inf, -inf, inf};
    }
    const Inner& c = inner();
    return {c.a / R + c.b, -c.a / (R * R), 2.0 * c.a / (R * R * R)};
  }
  return formula(R, derivatives, adiabatic_scale);
}

}  // namespace

PairValue pair_potential(double r_A, double adiabatic_scale) {
  const Triple V = hartree_bohr(r_A / bohr_A, true, adiabatic_scale);
  return {V.v * hartree_K, V.d * hartree_K / bohr_A, V.d2 * hartree_K / (bohr_A * bohr_A)};
}

double pair_energy(double r_A, double adiabatic_scale) {
  return hartree_bohr(r_A / bohr_A, false, adiabatic_scale).v * hartree_K;
}

PairValue reduced_pair_potential(double x, double adiabatic_scale) {
  const PairValue p = pair_potential(x * sigma_A, adiabatic_scale);
  return {p.u / epsilon_K, p.du * sigma_A / epsilon_K, p.d2u * sigma_A * sigma_A / epsilon_K};
}

double reduced_pair_energy(double x, double adiabatic_scale) {
  return pair_energy(x * sigma_A, adiabatic_scale) / epsilon_K;
}

double reduced_core_radius(double T_star, double adiabatic_scale) {
  if (!(T_star > 0.0)) return 1.0;
  double lo = 0.0, hi = 1.0;  // u*(lo) > T* >= u*(hi) = 0
  for (int i = 0; i < 60; ++i) {
    const double mid = 0.5 * (lo + hi);
    (reduced_pair_energy(mid, adiabatic_scale) > T_star ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

}  // namespace lennard::helium
