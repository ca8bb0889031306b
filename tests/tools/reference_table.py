#!/usr/bin/env python3
"""Independent reference for the results table, used to make the golden files
under tests/data.

Python floats are IEEE doubles and every operation below rounds to double, as
the C++ program does; math.exp is the C library's exp. The temperature step is
formed from exact rationals and rounded first to a 64-bit significand, then to
a double, which is what the x87 evaluation of (T2 - T1)/100 gives.

Usage: reference_table.py EPSILON SIGMA > file
"""
import math
import sys
from fractions import Fraction


def round_to_bits(value: Fraction, bits: int) -> Fraction:
    """Round a positive or negative rational to `bits` significant bits, ties to even."""
    if value == 0:
        return value
    sign = -1 if value < 0 else 1
    value = abs(value)
    exponent = value.numerator.bit_length() - value.denominator.bit_length()
    while Fraction(2) ** exponent > value:
        exponent -= 1
    while Fraction(2) ** (exponent + 1) <= value:
        exponent += 1
    ulp = Fraction(2) ** (exponent - bits + 1)
    quotient = value / ulp
    floor = quotient.numerator // quotient.denominator
    remainder = quotient - floor
    if remainder > Fraction(1, 2) or (remainder == Fraction(1, 2) and floor % 2 == 1):
        floor += 1
    return sign * floor * ulp


def step(T1: float, T2: float) -> float:
    exact = (Fraction(T2) - Fraction(T1)) / 100
    return float(round_to_bits(round_to_bits(exact, 64), 53))


def fun(x: float, alfa: float) -> float:
    s = x * x
    x6 = s * s * s
    e = math.exp(-alfa * ((x6 - 1.0) * x6))
    return (1.0 - e) / s / s


def virial_b(epsilon: float, sigma: float, T: float) -> float:
    alfa = epsilon * 4.0 / T
    x1, x2, dx = 10.0, 0.1, 0.001
    total = 0.0
    x = x2
    while x <= x1:
        total = fun(x, alfa) + total
        x = x + dx
    total = total - fun(x1, alfa) / 2.0
    total = (total - fun(x2, alfa) / 2.0) * dx
    x23 = x2 * x2 * x2
    x29 = x23 * x23 * x23
    b = (0.3333333333333333 / x1 / x1 / x1 + total) + (x29 / 9.0 - x23 / 3.0) * alfa
    return b * sigma * sigma * sigma * 2 * math.pi * 0.6022


def main() -> None:
    epsilon, sigma = float(sys.argv[1]), float(sys.argv[2])
    T1, T2 = epsilon, epsilon * 5.0
    dT = step(T1, T2)
    out = ["#epsilon/KB: %f (K), sigma: %f (A)" % (epsilon, sigma),
           "\n# T(K)  1/T(K-1)   B(cm3/mol)",
           "\n#=============================="]
    T = T1
    while T <= T2:
        out.append("\n%.2f %f %f" % (T, 1.0 / T, virial_b(epsilon, sigma, T)))
        T = T + dT
    sys.stdout.write("".join(out))


if __name__ == "__main__":
    main()
