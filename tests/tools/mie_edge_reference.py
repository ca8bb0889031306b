#!/usr/bin/env python3
"""Reference B* and dB*/dT* of Mie n-m potentials at the edges of the accepted
exponents (n close to m, m close to 3, large n), for the tests' table of edge
cases: mpmath at mp.dps = 40.

B* = -2 pi Int_0^inf [exp(-u/T*) - 1] x^2 dx and
dB*/dT* = -2 pi Int_0^inf exp(-u/T*) (u/T*^2) x^2 dx, u = C (x^-n - x^-m),
C = n/(n-m) (n/m)^(m/(n-m)). The exponents are the doubles the program reads
(mpf(float(text))). 0 < x < X by mpmath's tanh-sinh on [0, 1/2, 1, 2, X];
x > X in closed form, from the expansion of exp(-u/T*) - 1 in powers of
u/T* = (C/T*) x^-m (x^-(n-m) - 1), each power a finite sum of x^-a whose
integral from X to infinity is X^(3-a)/(a-3) (X chosen so that |u/T*| < 0.05
there). Nothing of the program's series or substitutions is used.

Usage: mie_edge_reference.py   (prints spelling, T*, B*, dB*/dT* to 20 digits)
"""
import sys
import mpmath as mp

mp.mp.dps = 40


def reduced_B(n_text, m_text, T_text):
    n, m, T = mp.mpf(float(n_text)), mp.mpf(float(m_text)), mp.mpf(T_text)
    d = n - m
    C = n / d * (n / m) ** (m / d)
    K = C / T
    u = lambda x: C * x ** -m * (x ** -d - 1)
    # The tail starts where K x^-m < 0.05.
    X = max(mp.mpf(2), (K / mp.mpf("0.05")) ** (1 / m))
    nodes = [0, mp.mpf("0.5"), 1, 2] + ([X] if X > 2 else [])
    B = mp.quad(lambda x: mp.expm1(-u(x) / T) * x ** 2, nodes)
    dB = mp.quad(lambda x: mp.exp(-u(x) / T) * u(x) / T ** 2 * x ** 2, nodes)
    # (-u/T)^k = K^k x^-(m k) (1 - x^-d)^k = K^k sum_j binom(k, j) (-1)^j x^-(m k + d j).
    tail, tail_T = mp.mpf(0), mp.mpf(0)
    k = 1
    while True:
        term = mp.mpf(0)
        for j in range(k + 1):
            a = m * k + d * j
            term += mp.binomial(k, j) * (-1) ** j * X ** (3 - a) / (a - 3)
        term *= K ** k / mp.factorial(k)
        tail += term
        tail_T += -k / T * term  # d/dT of (-u/T)^k / k!
        if abs(term) < mp.mpf(10) ** -45 * (abs(B) + abs(tail)) and k > 3:
            break
        k += 1
    return -2 * mp.pi * (B + tail), -2 * mp.pi * (dB + tail_T)


CASES = [
    ("12.00001", "12", "0.3"), ("12.00001", "12", "2.5"), ("12.00001", "12", "1000"),
    ("13.2", "12", "0.3"), ("13.2", "12", "2.5"), ("13.2", "12", "1e4"),
    ("12", "3.01", "0.3"), ("12", "3.01", "2.5"), ("12", "3.01", "1e4"),
    ("12", "3.0001", "2.5"), ("40", "6", "0.3"), ("40", "6", "1e4"),
]

if __name__ == "__main__":
    cases = [tuple(a.split(",")) for a in sys.argv[1:]] or CASES
    for n, m, T in cases:
        B, dB = reduced_B(n, m, T)
        print(f"mie:{n},{m}", T, mp.nstr(B, 20), mp.nstr(dB, 20))
