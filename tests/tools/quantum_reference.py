#!/usr/bin/env python3
"""Reference values of the first quantum correction to B of the Lennard-Jones
12-6 potential, B_I*(T*) = 1/(16 pi^2 T*^3) Int_0^inf exp(-u*/T*) (du*/dr*)^2 r*^2 dr*,
u* = 4 (r*^-12 - r*^-6), by mpmath's tanh-sinh quadrature at 40 digits on
[0, 1, 2^(1/6), 2, inf], and de Boer's parameter for one worked case.

Usage: quantum_reference.py
"""
import mpmath as mp

mp.mp.dps = 40


def B_I(T):
    T = mp.mpf(T)
    u = lambda r: 4 * (r ** -12 - r ** -6)
    du = lambda r: 4 * (-12 * r ** -13 + 6 * r ** -7)
    g = lambda r: mp.exp(-u(r) / T) * du(r) ** 2 * r ** 2 if r > 0 else mp.mpf(0)
    return mp.quad(g, [0, 1, mp.mpf(2) ** (mp.mpf(1) / 6), 2, mp.inf]) / (16 * mp.pi ** 2 * T ** 3)


for T in ["0.5", "1", "3", "10", "100"]:
    print(T, mp.nstr(B_I(T), 20))

# Lambda* = h / (sigma sqrt(m epsilon)) for epsilon/k_B = 10 K, sigma = 2.5 A,
# M = 4 g/mol, with the exact 2019 SI constants.
h, k, NA = mp.mpf("6.62607015e-34"), mp.mpf("1.380649e-23"), mp.mpf("6.02214076e23")
m = mp.mpf(4) * mp.mpf("1e-3") / NA
print("de_boer", mp.nstr(h / (mp.mpf("2.5e-10") * mp.sqrt(m * k * 10)), 20))
