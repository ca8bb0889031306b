#!/usr/bin/env python3
"""Independent least-squares fit of epsilon/k_B and sigma to a B(T) data file,
with mpmath at 40 digits: the Lennard-Jones series

    B = N_A sigma^3 * -(2 pi/3) sum_n 2^(n+1/2)/(4 n!) Gamma((2n-1)/4) T*^(-(2n+1)/4),

N_A * 1 A^3 = 0.602214076 cm^3/mol, and the two normal equations
d(chi^2)/d(epsilon) = d(chi^2)/d(sigma) = 0 solved together by mpmath's
findroot (derivatives by mpmath's diff), with no profile over epsilon as the
program uses. Unweighted, or weighted by 1/u^2 when the file has a third column.

Usage: fit_reference.py DATA   (prints epsilon_K and sigma_A to 20 digits)
"""
import sys

import mpmath as mp

from series_reference import reduced  # the series in mpmath, B* and dB*/dT*

mp.mp.dps = 40


def reduced_B(T_star):
    return reduced(T_star)[0]


def main():
    points = []
    for line in open(sys.argv[1]):
        fields = line.split("#")[0].replace(",", " ").split()
        if fields:
            points.append([mp.mpf(f) for f in fields])

    def chi2(epsilon, sigma):
        total = mp.mpf(0)
        for p in points:
            w = 1 / p[2] ** 2 if len(p) == 3 else 1
            total += w * (p[1] - mp.mpf("0.602214076") * sigma ** 3 * reduced_B(p[0] / epsilon)) ** 2
        return total

    gradient = [lambda e, s: mp.diff(lambda x: chi2(x, s), e), lambda e, s: mp.diff(lambda x: chi2(e, x), s)]
    epsilon, sigma = mp.findroot(gradient, (mp.mpf(120), mp.mpf("3.45")))
    print(mp.nstr(epsilon, 20), mp.nstr(sigma, 20))


if __name__ == "__main__":
    main()
