#!/usr/bin/env python3
"""Reference values of the second quantum correction to B (order hbar^4),
  B_II*(T*) = -1/(640 pi^4 T*^4) Int_0^inf exp(-u*/T*) [u*''^2 + 2 (u*'/r*)^2
              + 10/(9 T* r*) u*'^3 - 5/(36 T*^2) u*'^4] r*^2 dr*,
for u* = C (r*^-n - r*^-m) (Lennard-Jones: n, m = 12, 6, C = 4), by mpmath's
tanh-sinh quadrature at 40 digits on [0, 1, r_min, 2, inf], and dB_II*/dT* by
mpmath's numerical differentiation of that quadrature.

Usage: quantum_order2_reference.py
"""
import mpmath as mp

mp.mp.dps = 40


def B_II(T, n=12, m=6):
    T, n, m = mp.mpf(T), mp.mpf(n), mp.mpf(m)
    C = n / (n - m) * (n / m) ** (m / (n - m))
    d1 = lambda r: C * (-n * r ** (-n - 1) + m * r ** (-m - 1))
    d2 = lambda r: C * (n * (n + 1) * r ** (-n - 2) - m * (m + 1) * r ** (-m - 2))

    def g(r):
        if r == 0:
            return mp.mpf(0)
        u1, u2 = d1(r), d2(r)
        bracket = u2 ** 2 + 2 * (u1 / r) ** 2 + 10 / (9 * T * r) * u1 ** 3 - 5 / (36 * T ** 2) * u1 ** 4
        return mp.exp(-C * (r ** -n - r ** -m) / T) * bracket * r ** 2

    r_min = (n / m) ** (1 / (n - m))
    return -mp.quad(g, [0, 1, r_min, 2, mp.inf]) / (640 * mp.pi ** 4 * T ** 4)


for n, m in [(12, 6), (14, 7)]:
    for T in ["0.5", "1", "3", "10", "100"]:
        print(n, m, T, mp.nstr(B_II(T, n, m), 22), mp.nstr(mp.diff(lambda t: B_II(t, n, m), mp.mpf(T)), 22))
