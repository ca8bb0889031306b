// Independent reference values of the Lennard-Jones third virial coefficient,
// C* = C/(N_A sigma^3)^2, for the tests: the triple integral
//   C* = -(8 pi^2/3) Int_0^R dr Int_0^R ds r s f(r) f(s) Int_|r-s|^(r+s) f(t) t dt
// in long double, every integral by 12-point Gauss-Legendre on panels (the t
// integral done directly for each (r, s), split at the same panel edges), R = 30.
// The program uses none of this: it tabulates F on a uniform grid and sums
// by the trapezoidal rule in double.
// Build and run: g++ -O2 -std=c++20 third_virial_reference.cpp -o ref && ./ref
#include <cmath>
#include <cstdio>
#include <vector>

using real = long double;

// 12-point Gauss-Legendre on [-1, 1], from the roots of P_12 by Newton's method.
struct Gauss {
  real x[12], w[12];
  Gauss() {
    const int n = 12;
    for (int i = 0; i < n; ++i) {
      real z = std::cos(3.14159265358979323846264338327950288L * (i + 0.75L) / (n + 0.5L));
      for (int it = 0; it < 100; ++it) {
        real p0 = 1, p1 = z;
        for (int k = 2; k <= n; ++k) { const real p2 = ((2 * k - 1) * z * p1 - (k - 1) * p0) / k; p0 = p1; p1 = p2; }
        const real dp = n * (z * p1 - p0) / (z * z - 1);
        const real dz = p1 / dp;
        z -= dz;
        if (std::fabs(dz) < 1e-30L) break;
      }
      real p0 = 1, p1 = z;
      for (int k = 2; k <= n; ++k) { const real p2 = ((2 * k - 1) * z * p1 - (k - 1) * p0) / k; p0 = p1; p1 = p2; }
      const real dp = n * (z * p1 - p0) / (z * z - 1);
      x[i] = z;
      w[i] = 2 / ((1 - z * z) * dp * dp);
    }
  }
} gauss;

real T;
real f(real r) {
  if (r == 0) return -1;
  const real r6 = 1 / (r * r * r * r * r * r);
  return std::expm1(-4 * r6 * (r6 - 1) / T);
}

std::vector<real> edges;  // panel edges on [0, 2R]

template <class F>
real integrate(F g, real a, real b) {
  real sum = 0;
  for (std::size_t k = 0; k + 1 < edges.size(); ++k) {
    const real lo = std::fmax(a, edges[k]), hi = std::fmin(b, edges[k + 1]);
    if (!(hi > lo)) continue;
    const real mid = (lo + hi) / 2, half = (hi - lo) / 2;
    for (int q = 0; q < 12; ++q) sum += gauss.w[q] * half * g(mid + half * gauss.x[q]);
  }
  return sum;
}

int main() {
  const real R = 30;
  for (real e = 0; e < 3; e += 0.025L) edges.push_back(e);
  for (real e = 3; e < 2 * R; e *= 1.15L) edges.push_back(e);
  edges.push_back(2 * R);
  for (const real T_star : {0.5L, 1.0L, 3.0L, 30.0L}) {
    T = T_star;
    const real outer = integrate(
        [&](real r) {
          const real fr = f(r);
          return r * fr * integrate([&](real s) {
            return s * f(s) * integrate([](real t) { return f(t) * t; }, std::fabs(r - s), r + s);
          }, 0, R);
        },
        0, R);
    const real pi = 3.14159265358979323846264338327950288L;
    std::printf("%Lg %.18Lg\n", T_star, -(8 * pi * pi / 3) * outer);
  }
}
