#!/usr/bin/env python3
"""Reference values of the first quantum correction to B,
B_I*(T*) = 1/(16 pi^2 T*^3) Int_0^inf exp(-u*/T*) (du*/dr*)^2 r*^2 dr*, and of
dB_I*/dT* (the T-derivative taken under the integral), for u* = C (r*^-n - r*^-m)
(Lennard-Jones: n = 12, m = 6, C = 4), by mpmath's tanh-sinh quadrature at 40
digits on [0, 1/2, 1, r_min, 2, inf], and de Boer's parameter for one worked case.

Usage: quantum_reference.py
"""
import mpmath as mp

mp.mp.dps = 40


def B_I(n, m, T):
    n, m, T = mp.mpf(n), mp.mpf(m), mp.mpf(T)
    C = 4 if (n, m) == (12, 6) else n / (n - m) * (n / m) ** (m / (n - m))
    u = lambda r: C * (r ** -n - r ** -m)
    du = lambda r: C * (-n * r ** (-n - 1) + m * r ** (-m - 1))
    f = lambda r, k: mp.exp(-u(r) / T) * du(r) ** 2 * r ** 2 * (u(r) / T ** 2) ** k if r > 0 else mp.mpf(0)
    points = [0, mp.mpf(1) / 2, 1, (n / m) ** (1 / (n - m)), 2, mp.inf]
    I, dI = mp.quad(lambda r: f(r, 0), points), mp.quad(lambda r: f(r, 1), points)
    k = 1 / (16 * mp.pi ** 2)
    return k * I / T ** 3, k * (dI / T ** 3 - 3 * I / T ** 4)


for T in ["0.5", "1", "3", "10", "100"]:
    print(T, mp.nstr(B_I(12, 6, T)[0], 20))

for n, m, T in [(12, 6, "0.3"), (50, 6, "0.8"), (10, "9.5", "0.5"), (14, 7, "1e4"), ("26.5", 12, 8000), ("34.5", 12, 2000)]:
    B, dB = B_I(n, m, T)
    print(n, m, T, mp.nstr(B, 22), mp.nstr(dB, 22))

# Lambda* = h / (sigma sqrt(m epsilon)) for epsilon/k_B = 10 K, sigma = 2.5 A,
# M = 4 g/mol, with the exact 2019 SI constants.
h, k, NA = mp.mpf("6.62607015e-34"), mp.mpf("1.380649e-23"), mp.mpf("6.02214076e23")
m = mp.mpf(4) * mp.mpf("1e-3") / NA
print("de_boer", mp.nstr(h / (mp.mpf("2.5e-10") * mp.sqrt(m * k * 10)), 20))
