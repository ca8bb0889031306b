#!/usr/bin/env python3
"""Reference values for the helium pair potential from first principles
(src/physics/helium_potential.cpp) with mpmath at 30 digits, typed apart from
the C++ code and sharing nothing with it but the published coefficients.

Potential: M. Przybytek, W. Cencek, B. Jeziorski, K. Szalewicz, Phys. Rev.
Lett. 119, 123401 (2017), the coefficients of its supplementary Fortran code
(V_BO + V_AD + V_REL + V_QED with retardation), hartree and bohr. Here the
damping is the regularized incomplete gamma function, D_n(x) = P(n+1, x), and
the derivatives are mpmath's numerical ones, so neither the C++ series for D_n
nor its analytic derivatives are repeated.

Prints u, du/dr, d2u/dr2 (K, A), the minimum, its depth and the zero, and the
reduced B*, dB*/dT*, B_I* and B_II* (quantum.hpp) at a few T*, each from
mpmath.quad over the Mayer integral split where the integrand turns.
Run: python3 tests/tools/helium_reference.py (the quantum corrections take long).
"""
from mpmath import mp, mpf, exp, gammainc, quad, diff, findroot, pi, inf

mp.dps = 30

BOHR_A = mpf('0.529177210903')      # CODATA 2018
HARTREE_K = mpf('3.1577502480407e5')  # CODATA 2018

# (exponents a_k, lowest power i0, P[k][i - i0], zeta, n0, C[n - n0], leading-term form)
PARTS = [
    (['2.19076900924970', '3.91558362097102', '8.87314362466591'], -1,
     [['2.69150966652494e1', '1.74015968871153e1', '-3.26566208189471e0', '1.46700433938961e-1'],
      ['-2.62457650950449e2', '4.57300508401525e2', '6.66624947516144e2', '-1.01541164656195e2'],
      ['2.39542554285199e2', '6.73223355754347e2', '8.62651807552327e2', '7.86212667513655e2']],
     '4.45565354034820', 6,
     ['1.460977837725', '0', '14.11785737', '0', '183.691075', '-76.72571', '3.372e3', '-3808.3254',
      '8.534e4', '-1.707e5', '2.86e6'], 'retarded'),
    (['2.75067513975782', '5.36085266623527', '7.13731208196370'], 0,
     [['1.60034916931265e-2', '-5.17915211148225e-3', '3.20021447656502e-3'],
      ['-5.02322894521138e-1', '-5.28178298205425e-2', '2.93999790052146e-1'],
      ['-7.80222735840106e-2', '1.83457620987126e0', '9.46016993696249e-1']],
     '4.80971750762740', 6, ['1.1445e-3', '0', '6.519e-3', '0', '6.68e-2'], 'damped'),
    (['2.55442787544336', '4.26822206589066', '6.31801545306225'], 0,
     [['1.16259940182396e-2', '-7.00805799572921e-3', '7.83673396684808e-4'],
      ['-5.73711010584383e-1', '3.97167157865319e-1', '-1.10854901515699e-1'],
      ['6.22980694403664e-1', '4.87089036456869e-1', '6.81223617553767e-1']],
     '5.00212547573053', 4, ['-3.5322e-5', '0', '-3.434e-4', '0', '-3.55798027534830e-3'], 'shifted'),
    (['2.71385934118196', '4.85539104988208'], 0,
     [['1.34952154947189e-3', '-1.02362538302740e-3', '3.56862380020579e-4'],
      ['-1.96866479382540e-4', '-9.61841561868819e-4', '-1.08014679908054e-3']],
     '5.43735514285525', 3, ['5.772353e-7', '0', '1.377841e-6', '7.61187886972970e-5'], 'shifted'),
]
RETARDATION_A = ['6.169870091028090e-2', '8.281954197590046e-4', '2.936387935854446e-6',
                 '4.020288241131003e-9', '2.948899823358023e-12']
RETARDATION_B = ['6.169870091028090e-2', '8.523723778811090e-4', '4.032972820432622e-6',
                 '9.969788378653687e-9', '1.224004819647673e-11', '8.978131367598067e-15']


def retardation(R):
    num = 1 + sum(mpf(c) * R**(i + 1) for i, c in enumerate(RETARDATION_A))
    den = 1 + sum(mpf(c) * R**(i + 1) for i, c in enumerate(RETARDATION_B))
    return num / den


def V(R):
    """The potential in hartree at R bohr."""
    R = mpf(R)
    total = mpf(0)
    for a, i0, P, zeta, n0, C, lead in PARTS:
        for ak, Pk in zip(a, P):
            total += exp(-mpf(ak) * R) * sum(mpf(p) * R**(i0 + i) for i, p in enumerate(Pk))
        x = mpf(zeta) * R
        for j, c in enumerate(C):
            n = n0 + j
            if mpf(c) == 0:
                continue
            damping = gammainc(n + 1, 0, x, regularized=True)  # 1 - e^-x sum_{k<=n} x^k/k!
            if j == 0 and lead == 'retarded':
                damping += retardation(R) - 1
            elif j == 0 and lead == 'shifted':
                damping -= 1
            total -= mpf(c) * damping / R**n
    return total


def u(r):
    """u/k_B in K at r in A."""
    return V(mpf(r) / BOHR_A) * HARTREE_K


def main():
    print('r (A), u (K), du/dr (K/A), d2u/dr2 (K/A^2):')
    for r in ['0.1', '1', '2', '2.5', '3', '4', '6', '10']:
        print(r, mp.nstr(u(r), 20), mp.nstr(diff(u, mpf(r)), 20), mp.nstr(diff(u, mpf(r), 2), 20))
    r_min = findroot(lambda r: diff(u, r), mpf('2.97'))
    sigma = findroot(u, mpf('2.64'))
    epsilon = -u(r_min)
    print('r_min (A)', mp.nstr(r_min, 20), '(bohr', mp.nstr(r_min / BOHR_A, 20), ')')
    print('epsilon/k_B (K)', mp.nstr(epsilon, 20))
    print('sigma (A)', mp.nstr(sigma, 20), '(bohr', mp.nstr(sigma / BOHR_A, 20), ')')

    def us(x):
        return u(x * sigma) / epsilon
    # Inside x = 0.1 (u* > 1e5) e^(-u*/T*) < e^-100 for every T* here: the
    # Mayer function is -1 there and the other integrands 0 (deeper in, the
    # C4 terms of the formula cancel beyond 30 digits).
    x_c = mpf('0.1')

    def integral(f, T):
        x_T = findroot(lambda x: us(x) - T, (x_c, mpf(1)), solver='anderson')
        pts = sorted({x_c, x_T, mpf('0.9'), mpf(1), r_min / sigma, mpf('1.5'), mpf(3), mpf(10)}) + [inf]
        return quad(f, pts)

    for T in ['0.3', '1', '3', '30', '1000']:
        T = mpf(T)
        B = -2 * pi * (integral(lambda x: (exp(-us(x) / T) - 1) * x**2, T) - x_c**3 / 3)
        dB = -2 * pi * integral(lambda x: exp(-us(x) / T) * us(x) / T**2 * x**2, T)
        print('T*', T, 'B*', mp.nstr(B, 20), 'dB*/dT*', mp.nstr(dB, 20), flush=True)
    # The quantum corrections need u*' and u*'' inside the integrals: slower.
    for T in ['1', '30']:
        T = mpf(T)
        BI = integral(lambda x: exp(-us(x) / T) * diff(us, x)**2 * x**2, T) / (16 * pi**2 * T**3)

        def second(x):
            d1, d2 = diff(us, x), diff(us, x, 2)
            return exp(-us(x) / T) * (d2**2 + 2 * (d1 / x)**2 + 10 / (9 * T * x) * d1**3
                                      - mpf(5) / (36 * T**2) * d1**4) * x**2
        BII = -integral(second, T) / (640 * pi**4 * T**4)
        print('T*', T, 'B_I*', mp.nstr(BI, 20), 'B_II*', mp.nstr(BII, 20), flush=True)


if __name__ == '__main__':
    main()
