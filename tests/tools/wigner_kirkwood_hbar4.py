#!/usr/bin/env python3
"""Derives the hbar^2 and hbar^4 terms of the quantum second virial coefficient
from the Bloch equation, and checks the radial forms the program uses.

The Slater sum of the relative motion (reduced mass mu = m/2) is
  W(r) = <e^(-beta H)>_p = e^(-beta u) [1 + hbar^2 W2 + hbar^4 W4 + ...]
(Wigner-Kirkwood). Writing e^(-beta H) e^(i p.r/hbar) = e^(i p.r/hbar) e^(-beta H_cl) w,
the Bloch equation gives
  dw/dbeta = (i hbar/mu) p.(grad w - beta w grad u)
           + (hbar^2/2 mu) (lap w - 2 beta grad u.grad w - beta w lap u + beta^2 |grad u|^2 w),
w(beta = 0) = 1. sympy solves it order by order for a general u(x, y, z) and
averages over the Maxwell distribution of p. The odd orders vanish.

Since B = -(N_A/2) Int (W - 1) d^3r, the program's forms hold when
  Int e^(-beta u) W2 d^3r = -beta^3/(24 mu) Int e^(-beta u) u'^2 d^3r,
  Int e^(-beta u) W4 d^3r = beta^4/(480 mu^2) Int e^(-beta u) [u''^2 + 2 (u'/r)^2
                             + 10 beta/(9 r) u'^3 - 5 beta^2/36 u'^4] d^3r,
which with h = 2 pi hbar and mu = m/2 is
  B_II = -N_A h^4/(960 pi^3 m^2 (kT)^4) Int e^(-u/kT) [...] r^2 dr.
The radial integrals of both sides are compared by mpmath at 30 digits for
several potentials (they differ pointwise: the forms are integrated by parts).

Run: wigner_kirkwood_hbar4.py (about 10 s). Last run printed relative
differences below 1e-30 for every case.
"""
import mpmath as mp
import sympy as sp

x, y, z = sp.symbols("x y z", real=True)
P = sp.symbols("p_x p_y p_z", real=True)
beta, mu, s, r = sp.symbols("beta mu s r", positive=True)
u = sp.Function("u")(x, y, z)
X = (x, y, z)


def grad(f):
    return [sp.diff(f, v) for v in X]


def lap(f):
    return sum(sp.diff(f, v, 2) for v in X)


gu, lu = grad(u), lap(u)


def source(w1, w2):
    """Right side of dw_k/dbeta from w_(k-1) and w_(k-2), at beta = s."""
    out = 0
    if w1 is not None:
        g = grad(w1)
        out += sp.I / mu * sum(P[i] * (g[i] - s * w1 * gu[i]) for i in range(3))
    if w2 is not None:
        g = grad(w2)
        out += (lap(w2) - 2 * s * sum(gu[i] * g[i] for i in range(3)) - s * lu * w2
                + s ** 2 * sum(c ** 2 for c in gu) * w2) / (2 * mu)
    return sp.expand(out)


w = [sp.Integer(1)]
for k in range(1, 5):
    rhs = source(w[k - 1].subs(beta, s), w[k - 2].subs(beta, s) if k >= 2 else None)
    w.append(sp.expand(sp.integrate(rhs, (s, 0, beta))))


def maxwell_average(e):
    """<p_i^a> with <p_i^2> = mu/beta: (a-1)!! (mu/beta)^(a/2), odd powers 0."""
    total = 0
    for powers, c in sp.Poly(e, *P).terms():
        m = 1
        for a in powers:
            m = 0 if a % 2 else m * sp.factorial2(a - 1) * (mu / beta) ** (a // 2)
        total += c * m
    return sp.expand(total)


W = [maxwell_average(wk) for wk in w]
assert W[1] == 0 and W[3] == 0


def radial(expr, U):
    e = expr.subs(u, sp.Lambda(X, U(sp.sqrt(x ** 2 + y ** 2 + z ** 2)))(x, y, z)).doit()
    return e.subs({y: 0, z: 0}).subs(x, r)


mp.mp.dps = 30
cases = [
    ("lj, T* = 1", lambda q: 4 * (q ** -12 - q ** -6), sp.Integer(1), 0.3),
    ("lj, T* = 3.7", lambda q: 4 * (q ** -12 - q ** -6), sp.Rational(37, 10), 0.3),
    ("mie 14-7, T* = 0.7", lambda q: 4 * (q ** -14 - q ** -7), sp.Rational(7, 10), 0.3),
    ("two gaussians, T* = 1.3", lambda q: 3 * sp.exp(-q ** 2) - 2 * sp.exp(-q ** 2 / 4), sp.Rational(13, 10), 0),
]
for name, U, T, lo in cases:
    Ur = U(r)
    d1, d2 = sp.diff(Ur, r), sp.diff(Ur, r, 2)
    form2 = -beta ** 3 / (24 * mu) * d1 ** 2
    form4 = beta ** 4 / (480 * mu ** 2) * (d2 ** 2 + 2 * (d1 / r) ** 2 + 10 * beta / (9 * r) * d1 ** 3
                                            - sp.Rational(5, 36) * beta ** 2 * d1 ** 4)
    values = {beta: 1 / T, mu: 1}
    line = [name]
    for derived, form in ((radial(W[2], U), form2), (radial(W[4], U), form4)):
        f = [sp.lambdify(r, (g * sp.exp(-beta * Ur) * r ** 2).subs(values), "mpmath") for g in (derived, form)]
        a, b = (mp.quad(g, [lo, 0.8, 1, 1.5, 3, mp.inf]) for g in f)
        line.append(f"{mp.nstr(a, 20)} vs {mp.nstr(b, 20)} (rel. diff {mp.nstr(abs(a / b - 1), 3)})")
    print(" | ".join(line))

# The isotropic harmonic oscillator u = mu w^2 r^2/2, whose exact partition
# function is [(v/2)/sinh(v/2)]^3 times the classical one, v = hbar w beta:
# its hbar^4 term is 17 v^4/1920.
omega = sp.symbols("omega", positive=True)
Uh = mu * omega ** 2 * r ** 2 / 2
h1, h2 = sp.diff(Uh, r), sp.diff(Uh, r, 2)
bracket = h2 ** 2 + 2 * (h1 / r) ** 2 + 10 * beta / (9 * r) * h1 ** 3 - sp.Rational(5, 36) * beta ** 2 * h1 ** 4
weight = sp.exp(-beta * Uh) * r ** 2
ratio = sp.simplify(beta ** 4 / (480 * mu ** 2) * sp.integrate(bracket * weight, (r, 0, sp.oo))
                    / sp.integrate(weight, (r, 0, sp.oo)))
v = sp.symbols("v", positive=True)
exact = sp.series(((v / 2) / sp.sinh(v / 2)) ** 3, v, 0, 6).coeff(v, 4)
print("harmonic oscillator, hbar^4 term / (hbar w beta)^4:", sp.simplify(ratio / (omega * beta) ** 4), "exact:", exact)
