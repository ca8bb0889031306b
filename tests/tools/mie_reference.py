#!/usr/bin/env python3
"""Reference values of the reduced second virial coefficient of Mie n-m
potentials, B* = B/(N_A sigma^3) = -2 pi Int_0^inf [exp(-u/T*) - 1] x^2 dx with
u = C (x^-n - x^-m), C = n/(n-m) (n/m)^(m/(n-m)), by mpmath's adaptive
quadrature (tanh-sinh) at 40 digits on [0, 1], [1, 2], [2, inf] -- a direct
integration of the definition, independent of the series the program sums.

Usage: mie_reference.py   (prints n, m, T*, B* to 20 digits)
"""
import mpmath as mp

mp.mp.dps = 40


def reduced_B(n, m, T):
    n, m, T = mp.mpf(n), mp.mpf(m), mp.mpf(T)
    C = n / (n - m) * (n / m) ** (m / (n - m))
    mayer = lambda x: mp.expm1(-C * (x ** -n - x ** -m) / T) * x ** 2
    return -2 * mp.pi * mp.quad(mayer, [0, 1, 2, mp.inf])


for n, m in [(14, 6), (8, 4), (20, 6)]:
    for T in ["0.5", "1", "3", "20", "1000"]:
        print(n, m, T, mp.nstr(reduced_B(n, m, T), 20))
