#!/usr/bin/env python3
"""Reference values of the Lennard-Jones second virial coefficient, computed
with mpmath at 50 significant digits from the series

    B/(N_A sigma^3) = -(2 pi/3) sum_n 2^(n+1/2)/(4 n!) Gamma((2n-1)/4) T*^(-(2n+1)/4)

and its term-by-term derivative in T*. Writes CSV: T_star,B_reduced,dB_dT_reduced
(each a double printed to 17 significant digits, i.e. the value rounded to the
nearest double and printed so it reads back exactly).

Usage: series_reference.py > tests/data/lj_series_reference.csv
"""
import mpmath as mp

mp.mp.dps = 50


def reduced(T_star):
    T = mp.mpf(T_star)
    total = mp.mpf(0)
    weighted = mp.mpf(0)
    n = 0
    while True:
        c = mp.power(2, n + mp.mpf(1) / 2) / (4 * mp.factorial(n)) * mp.gamma(mp.mpf(2 * n - 1) / 4)
        term = c * mp.power(T, -mp.mpf(2 * n + 1) / 4)
        total += term
        weighted += term * mp.mpf(2 * n + 1) / 4
        if n > 4 and abs(term) < mp.mpf(10) ** -45 * abs(total):
            break
        n += 1
    two_pi_3 = 2 * mp.pi / 3
    return -two_pi_3 * total, two_pi_3 * weighted / T


def main():
    # Log-spaced from 0.3 to 1e4, plus points around the sign change of B.
    points = [float(mp.mpf(0.3) * mp.power(mp.mpf(1e4) / mp.mpf(0.3), mp.mpf(k) / 120)) for k in range(121)]
    points += [1.0, 2.0, 3.4, 3.41, 3.417, 3.4179, 3.41793, 3.42, 5.0, 6.43, 25.15, 100.0]
    print("T_star,B_reduced,dB_dT_reduced")
    for T in sorted(set(points)):
        B, dB = reduced(T)
        print("%.17g,%.17g,%.17g" % (T, float(B), float(dB)))


if __name__ == "__main__":
    main()
