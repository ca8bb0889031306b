#!/usr/bin/env python3
"""Tabulate the second and third virial coefficients implied by published
reference equations of state, for the gas library's fits and checks.

A Helmholtz equation of state alpha^r(delta, tau), expanded at zero density as
alpha^r = a1(tau) delta + a2(tau) delta^2 + ..., gives Z = 1 + B rho + C rho^2 with
    B(T) = a1 / rho_c = (d alpha^r / d delta)(0) / rho_c,
    C(T) = 2 a2 / rho_c^2 = (d^2 alpha^r / d delta^2)(0) / rho_c^2.
Only terms of order delta or delta^2 at delta = 0 contribute:
  power       n delta^d tau^t exp(-delta^l)      d = 1: delta - delta^(l+1) + ...; d = 2: delta^2 + ...
  Gaussian    n delta^d tau^t exp(-eta (delta - eps)^2 - beta (tau - gamma)^2)
              with exp(-eta (delta - eps)^2) = exp(-eta eps^2) [1 + 2 eta eps delta + (2 eta^2 eps^2 - eta) delta^2 + ...]
  nonanalytic n Delta^b delta psi (Span & Wagner 1996): delta f(delta), f = Delta^b psi, whose
              delta and delta^2 coefficients are f(0) and f'(0)
The coefficients below are the terms with d <= 2 of the papers' tables, as
distributed in CoolProp's fluid files (dev/fluids/*.json; neon's Katti et al.
equation from the version of Neon.json before CoolProp moved to Thol et al.),
with the critical point and triple point given there. Every other term
vanishes faster than delta^2 at zero density.

Usage: scripts/eos_second_virial.py [OUTDIR]   (default data; writes OUTDIR/second_virial
and OUTDIR/third_virial)
"""
import math
import os
import sys

# name: the source's validity range Tmin..Tmax (K), the critical point (Tc K,
# rhoc mol/m^3, pc Pa; the reducing values of the equation), the triple point Tt
# (K; helium: the lambda point on the saturation line, where He I, He II and
# vapour meet), power [(n, d, t, l)], gauss [(n, d, t, eta, beta, gamma, eps)],
# nonanalytic [(n, A, B, C, D, a, b, beta)] and the citation.
EQUATIONS = {
    "helium": dict(Tmin=2.1768, Tmax=1500.0, Tc=5.1953, rhoc=17383.7, pc_Pa=228322.78679097944, Tt=2.1768,
        power=[(3.0638932, 1, 0.425, 0), (-4.2420844, 1, 0.63, 0), (0.054418088, 2, 0.69, 0), (-0.18971904, 2, 1.83, 0), (2.2833566, 1, 0.925, 1), (-0.53331595, 1, 1.585, 2), (0.99444915, 2, 1.51, 1), (-0.30078896, 2, 2.9, 2), (-1.6432563, 1, 0.8, 1)],
        gauss=[(0.8029102, 2, 1.26, 1.5497, 0.2471, 3.15, 0.596), (0.026838669, 1, 3.51, 9.245, 0.0983, 2.54505, 0.3423), (0.04687678, 2, 2.785, 4.76323, 0.1556, 1.2513, 0.761), (-0.14832766, 1, 1.0, 6.3826, 2.6782, 1.9416, 0.9747), (0.03016211, 1, 4.22, 8.7023, 2.7077, 0.5984, 0.5868), (0.14283514, 2, 1.575, 0.3523, 0.1775, 1.606, 2.5346), (0.007418269, 2, 3.447, 0.1492, 0.4821, 3.815, 3.6763), (0.79224829, 2, 1.634, 0.1668, 0.1758, 0.6407, 5.039), (-0.049386338, 2, 6.13, 42.2358, 1357.6577, 1.076, 0.959)],
        nonanalytic=[],
        citation='D. O. Ortiz Vega, K. R. Hall, J. C. Holste, A. H. Harvey and E. W. Lemmon, "An Equation of State for the Thermodynamic Properties of Helium", NIST IR 8474 (2023), doi:10.6028/NIST.IR.8474'),
    "neon": dict(Tmin=24.56, Tmax=700.0, Tc=44.4918, rhoc=23882, pc_Pa=2680000, Tt=24.56,
        power=[(3.532653449, 1, 0.5, 0), (-4.513954384, 1, 0.75, 0), (-0.1524027959, 1, 3.5, 0), (2.188568609, 2, 0.5, 0), (-7.44299997, 2, 0.75, 0), (7.755627402, 2, 1, 0), (-3.122553128, 2, 1.5, 0), (1.014206899, 2, 2.5, 0), (0.04652799333, 1, 4, 3), (0.04524001818, 2, 1, 2), (-0.2383421991, 2, 5, 2), (0.00629359013, 2, 8, 4), (-0.001272313644, 2, 12, 6), (-1.75235256e-07, 2, 32, 6)],
        gauss=[],
        nonanalytic=[],
        citation='R. Katti, R. T. Jacobsen, R. B. Stewart and M. Jahangiri, "Thermodynamic Properties of Neon for Temperatures from the Triple Point to 700 K at Pressures to 700 MPa", Adv. Cryog. Eng. 31, 1189-1197 (1986), doi:10.1007/978-1-4613-2213-9_132'),
    "argon": dict(Tmin=83.8058, Tmax=700.0, Tc=150.687, rhoc=13407.42965855612, pc_Pa=4863000, Tt=83.8058,
        power=[(0.088722304990011, 1, 0, 0), (0.70514805167298, 1, 0.25, 0), (-1.682011565409, 1, 1, 0), (-0.14909014431486, 1, 2.75, 0), (-0.1202480460094, 1, 4, 0), (-0.12164978798599, 2, 0, 0), (0.40035933626752, 2, 0.25, 0), (-0.27136062699129, 2, 0.75, 0), (0.24211924579645, 2, 2.75, 0), (-0.32181391750702, 1, 3, 1), (0.33230017695794, 1, 3.5, 1), (-0.011397840001996, 2, 1, 2), (-0.024455169960535, 2, 7, 2)],
        gauss=[(0.0058552454482774, 2, 3, 20, 250, 1.11, 1), (-0.69251908270028, 1, 1, 20, 375, 1.14, 1), (1.5315490030516, 2, 0, 20, 300, 1.17, 1)],
        nonanalytic=[],
        citation='Ch. Tegeler, R. Span and W. Wagner, "A New Equation of State for Argon Covering the Fluid Region for Temperatures From the Melting Line to 700 K at Pressures up to 1000 MPa", J. Phys. Chem. Ref. Data 28, 779-850 (1999), doi:10.1063/1.556037'),
    "krypton": dict(Tmin=115.77, Tmax=750.0, Tc=209.48, rhoc=10850, pc_Pa=5525000, Tt=115.77,
        power=[(0.83561, 1, 0.25, 0), (-2.3725, 1, 1.125, 0), (0.54567, 1, 1.5, 0), (0.014361, 2, 1.375, 0), (0.16818, 2, 0.625, 1), (-0.15008, 1, 3.625, 2)],
        gauss=[],
        nonanalytic=[],
        citation='E. W. Lemmon and R. Span, "Short Fundamental Equations of State for 20 Industrial Fluids", J. Chem. Eng. Data 51, 785-850 (2006), doi:10.1021/je050186n'),
    "xenon": dict(Tmin=161.4, Tmax=750.0, Tc=289.733, rhoc=8400, pc_Pa=5842000, Tt=161.4,
        power=[(0.83115, 1, 0.25, 0), (-2.3553, 1, 1.125, 0), (0.53904, 1, 1.5, 0), (0.014382, 2, 1.375, 0), (0.14996, 2, 0.625, 1), (-0.15929, 1, 3.625, 2)],
        gauss=[],
        nonanalytic=[],
        citation='E. W. Lemmon and R. Span, "Short Fundamental Equations of State for 20 Industrial Fluids", J. Chem. Eng. Data 51, 785-850 (2006), doi:10.1021/je050186n'),
    "hydrogen": dict(Tmin=13.957, Tmax=1000.0, Tc=33.145, rhoc=15508, pc_Pa=1296400, Tt=13.957,
        power=[(-6.93643, 1, 0.6844, 0), (2.1101, 1, 0.989, 0), (4.52059, 1, 0.489, 0), (0.732564, 2, 0.803, 0), (-1.34086, 2, 1.1444, 0), (-0.777414, 1, 1.754, 1)],
        gauss=[(-0.0211716, 2, 4.187, 1.685, 0.171, 0.7164, 1.506), (0.0226312, 1, 5.646, 0.489, 0.2245, 1.3444, 0.156), (-0.0231752, 1, 7.249, 2.506, 0.2785, 0.7204, 0.67), (0.0557346, 1, 2.986, 1.607, 0.3967, 1.5445, 1.662)],
        nonanalytic=[],
        citation='J. W. Leachman, R. T. Jacobsen, S. G. Penoncello and E. W. Lemmon, "Fundamental Equations of State for Parahydrogen, Normal Hydrogen, and Orthohydrogen", J. Phys. Chem. Ref. Data 38, 721-748 (2009), doi:10.1063/1.3160306'),
    "nitrogen": dict(Tmin=63.151, Tmax=1000.0, Tc=126.192, rhoc=11183.901464580624, pc_Pa=3395800, Tt=63.151,
        power=[(0.924803575275, 1, 0.25, 0), (-0.492448489428, 1, 0.875, 0), (0.661883336938, 2, 0.5, 0), (-1.92902649201, 2, 0.875, 0), (0.564857472498, 1, 0.5, 1), (-1.61720005987, 1, 0.75, 1), (-0.481395031883, 1, 2, 1), (-0.0435762336045, 1, 4, 2), (-0.0723174889316, 2, 6, 2)],
        gauss=[(19.6688194015, 1, 0, 20, 325, 1.16, 1), (-20.911560073, 1, 1, 20, 325, 1.16, 1), (2627.67566274, 2, 3, 25, 275, 1.25, 1)],
        nonanalytic=[],
        citation='R. Span, E. W. Lemmon, R. T. Jacobsen, W. Wagner and A. Yokozeki, "A Reference Equation of State for the Thermodynamic Properties of Nitrogen for Temperatures from 63.151 to 1000 K and Pressures to 2200 MPa", J. Phys. Chem. Ref. Data 29, 1361-1433 (2000), doi:10.1063/1.1349047'),
    "oxygen": dict(Tmin=54.361, Tmax=300.0, Tc=154.581, rhoc=13630, pc_Pa=5043000, Tt=54.361,
        power=[(0.3983768749, 1, 0, 0), (-1.846157454, 1, 1.5, 0), (0.4183473197, 1, 2.5, 0), (0.02370620711, 2, -0.5, 0), (0.09771730573, 2, 1.5, 0), (0.03017891294, 2, 2, 0), (-0.2127082589, 1, 5, 2), (0.08735941958, 1, 6, 2), (0.127550919, 2, 3.5, 2), (-0.09067701064, 2, 5.5, 2), (-2.626173276e-05, 2, 22, 4)],
        gauss=[],
        nonanalytic=[],
        citation='R. Schmidt and W. Wagner, "A New Form of the Equation of State for Pure Substances and its Application to Oxygen", Fluid Phase Equilib. 19, 175-200 (1985), doi:10.1016/0378-3812(85)87016-3'),
    "carbon monoxide": dict(Tmin=68.16, Tmax=500.0, Tc=132.86, rhoc=10850, pc_Pa=3494000, Tt=68.16,
        power=[(0.90554, 1, 0.25, 0), (-2.4515, 1, 1.125, 0), (0.53149, 1, 1.5, 0), (0.024173, 2, 1.375, 0), (0.19405, 2, 0.625, 1), (-0.12778, 1, 3.625, 2)],
        gauss=[],
        nonanalytic=[],
        citation='E. W. Lemmon and R. Span, "Short Fundamental Equations of State for 20 Industrial Fluids", J. Chem. Eng. Data 51, 785-850 (2006), doi:10.1021/je050186n'),
    "carbon dioxide": dict(Tmin=216.592, Tmax=1100.0, Tc=304.1282, rhoc=10624.9063, pc_Pa=7377300, Tt=216.592,
        power=[(0.388568232032, 1, 0, 0), (2.93854759427, 1, 0.75, 0), (-5.5867188535, 1, 1, 0), (-0.767531995925, 1, 2, 0), (0.317290055804, 2, 0.75, 0), (0.548033158978, 2, 2, 0), (2.16589615432, 1, 1.5, 1), (1.58417351097, 2, 1.5, 1), (-0.370556852701, 1, 3, 2), (-0.0167758797004, 1, 6, 2), (-0.0218101212895, 2, 7, 3)],
        gauss=[(-213.654886883, 2, 1, 25, 325, 1.16, 1), (26641.5691493, 2, 0, 25, 300, 1.19, 1), (-24027.2122046, 2, 1, 25, 300, 1.19, 1)],
        nonanalytic=[(-0.666422765408, 0.7, 0.3, 10, 275, 3.5, 0.875, 0.3), (0.726086323499, 0.7, 0.3, 10, 275, 3.5, 0.925, 0.3), (0.0550686686128, 0.7, 1, 12.5, 275, 3, 0.875, 0.3)],
        citation='R. Span and W. Wagner, "A New Equation of State for Carbon Dioxide Covering the Fluid Region from the Triple Point Temperature to 1100 K at Pressures up to 800 MPa", J. Phys. Chem. Ref. Data 25, 1509-1596 (1996), doi:10.1063/1.555991'),
    "methane": dict(Tmin=90.6941, Tmax=625.0, Tc=190.564, rhoc=10139.128, pc_Pa=4599200, Tt=90.6941,
        power=[(0.04367901028, 1, -0.5, 0), (0.6709236199, 1, 0.5, 0), (-1.765577859, 1, 1, 0), (0.8582330241, 2, 0.5, 0), (-1.206513052, 2, 1, 0), (0.512046722, 2, 1.5, 0), (-0.0004000010791, 2, 4.5, 0), (0.1830487909, 1, 0, 1), (0.1511883679, 1, 1, 1), (-0.4289363877, 1, 2, 1), (0.06894002446, 2, 0, 1), (-0.01932040831, 1, 5, 2), (-0.1105739959, 2, 5, 2), (-0.01159094939, 2, 10, 4)],
        gauss=[(9.324799946e-05, 2, 2, 20, 200, 1.07, 1), (-6.287171518, 0, 0, 40, 250, 1.11, 1), (12.71069467, 0, 1, 40, 250, 1.11, 1), (-6.423953466, 0, 2, 40, 250, 1.11, 1)],
        nonanalytic=[],
        citation='U. Setzmann and W. Wagner, "A New Equation of State and Tables of Thermodynamic Properties for Methane Covering the Range from the Melting Line to 625 K at Pressures up to 1000 MPa", J. Phys. Chem. Ref. Data 20, 1061-1151 (1991), doi:10.1063/1.555898'),
    "ethane": dict(Tmin=90.368, Tmax=675.0, Tc=305.322, rhoc=6856.886685, pc_Pa=4872200, Tt=90.368,
        power=[(0.83440745735241, 1, 0.25, 0), (-1.4287360607171, 1, 1, 0), (0.34430242210927, 2, 0.25, 0), (-0.42096677920265, 2, 0.75, 0), (-0.57976201597341, 1, 2, 1), (-0.033127037870838, 1, 4.25, 1), (-0.1175165489413, 2, 0.75, 1), (-0.11160957833067, 2, 2.25, 1), (-0.014586152207928, 2, 2.5, 2), (-0.054260348214694, 2, 10, 3)],
        gauss=[(-0.0023312179367924, 1, 0, 15, 150, 1.05, 1), (0.002930104790876, 1, 3, 15, 150, 1.05, 1), (-10.397127984854, 2, 3, 20, 400, 1.16, 1)],
        nonanalytic=[],
        citation='D. Buecker and W. Wagner, "A Reference Equation of State for the Thermodynamic Properties of Ethane for Temperatures from the Melting Line to 675 K and Pressures up to 900 MPa", J. Phys. Chem. Ref. Data 35, 205-266 (2006), doi:10.1063/1.1859286'),
    "ethylene": dict(Tmin=103.989, Tmax=450.0, Tc=282.35, rhoc=7636.76598074554, pc_Pa=5041800, Tt=103.989,
        power=[(1.861742910067, 1, 0.5, 0), (-3.0913708460844, 1, 1, 0), (-0.17384817095516, 1, 2.5, 0), (0.08037098569284, 2, 0, 0), (0.23682707317354, 2, 2, 0), (0.11827885813193, 1, 1, 1), (-0.021736384396776, 1, 4, 1), (0.28970524924022, 1, 2.5, 2), (-0.18075836674288, 1, 3.5, 2), (0.15057272878461, 2, 4, 2), (-0.14093151754458, 2, 6, 2)],
        gauss=[(-50.242414011355, 2, 1, 25, 325, 1.16, 1), (7484.6420119299, 2, 0, 25, 300, 1.19, 1), (-6873.4299232625, 2, 1, 25, 300, 1.19, 1)],
        nonanalytic=[],
        citation='J. Smukala, R. Span and W. Wagner, "New Equation of State for Ethylene Covering the Fluid Region for Temperatures From the Melting Line to 450 K at Pressures up to 300 MPa", J. Phys. Chem. Ref. Data 29, 1053-1121 (2000), doi:10.1063/1.1329318'),
    "propane": dict(Tmin=85.525, Tmax=650.0, Tc=369.89, rhoc=5000.000000000001, pc_Pa=4251200, Tt=85.525,
        power=[(1.7313671, 1, 0.33, 0), (-2.4516524, 1, 0.8, 0), (0.34157466, 2, 0.43, 0), (-0.46047898, 2, 0.9, 0), (-0.66847295, 1, 2.46, 1), (-0.60405866, 2, 3.25, 2)],
        gauss=[(0.017534618, 1, 0.76, 0.963, 2.33, 0.684, 1.283), (0.33874242, 1, 2.5, 1.977, 3.47, 0.829, 0.6936), (0.22228777, 1, 2.75, 1.917, 3.15, 1.419, 0.788), (-0.23219062, 2, 3.05, 2.307, 3.19, 0.817, 0.473), (-0.09220694, 2, 2.55, 2.546, 0.92, 1.5, 0.8577), (-0.017486824, 1, 6.75, 14.6, 547.8, 1.093, 0.948)],
        nonanalytic=[],
        citation='E. W. Lemmon, M. O. McLinden and W. Wagner, "Thermodynamic Properties of Propane. III. A Reference Equation of State for Temperatures from the Melting Line to 650 K and Pressures up to 1000 MPa", J. Chem. Eng. Data 54, 3141-3180 (2009), doi:10.1021/je900217v'),
    "sulfur hexafluoride": dict(Tmin=223.555, Tmax=625.0, Tc=318.7232, rhoc=5082.317411198119, pc_Pa=3754983, Tt=223.555,
        power=[(0.54958259132835, 1, 0.125, 0), (-0.87905033269396, 1, 1.25, 0), (-0.84656969731452, 1, 1.875, 0), (0.27692381593529, 2, 0.125, 0), (-4.9864958372345, 2, 1.5, 0), (4.8879127058055, 2, 1.625, 0), (-0.02415001386389, 1, 6, 1), (0.059447650642255, 2, 0.25, 1), (-0.38302880142267, 2, 4.75, 1), (0.32606800951983, 2, 5.375, 1), (4.1600684707562, 2, 5.875, 2), (-4.1398128855814, 2, 6, 2), (0.0082612463415545, 2, 0, 3), (-0.01020099533808, 2, 0.5, 3)],
        gauss=[(-0.021662523861406, 1, 4, 10, 150, 1.13, 0.85), (0.0084007238998053, 1, 2, 10, 150, 1.16, 0.85), (-0.26969359922498, 1, 4, 11, 225, 1.19, 1), (2225277.843536, 1, 3, 30, 400, 1.22, 1), (-2305606.5559032, 1, 4, 30, 400, 1.22, 1)],
        nonanalytic=[],
        citation='C. Guder and W. Wagner, "A Reference Equation of State for the Thermodynamic Properties of Sulfur Hexafluoride SF6 for Temperatures from the Melting Line to 625 K and Pressures up to 150 MPa", J. Phys. Chem. Ref. Data 38, 33-94 (2009), doi:10.1063/1.3037344'),
}

POINTS = 40

# Three files start above their equation's lower limit. Helium and hydrogen:
# nearer T_c their B holds quantum effects of every order, which no
# first-order correction (and no classical potential) describes, and their
# library fits carry that first-order correction only. Oxygen: the equation's
# B has a minimum near 74 K and is positive at the triple point, which no pair
# of molecules gives (B falls monotonically on cooling); 90 K lies well above it.
LOWER_LIMIT_K = {"helium": 30.0, "hydrogen": 60.0, "oxygen": 90.0}


def _nonanalytic(tau, n, A, Bc, C, D, a, b, beta):
    """f(0) and f'(0) of f(delta) = Delta^b psi, the term being n delta f(delta)."""
    # Near delta = 0, ((delta - 1)^2)^p = (1 - delta)^(2p): smooth, 1 at delta = 0.
    theta = (1.0 - tau) + A
    dtheta = -A / beta
    Delta = theta * theta + Bc
    dDelta = 2.0 * theta * dtheta - 2.0 * a * Bc
    psi = math.exp(-C - D * (tau - 1.0) ** 2)
    dpsi = 2.0 * C * psi
    f = Delta ** b * psi
    df = b * Delta ** (b - 1.0) * dDelta * psi + Delta ** b * dpsi
    return n * f, n * df


def expansion(name, T):
    """a1 and a2 of alpha^r = a1 delta + a2 delta^2 + ... at T."""
    eq = EQUATIONS[name]
    tau = eq["Tc"] / T
    a1 = a2 = 0.0
    for n, d, t, l in eq["power"]:
        term = n * tau ** t
        if d == 1:
            a1 += term
            if l == 1:
                a2 -= term
        elif d == 2:
            a2 += term
    for n, d, t, eta, beta, gamma, eps in eq["gauss"]:
        g = n * tau ** t * math.exp(-eta * eps * eps - beta * (tau - gamma) ** 2)
        linear, quadratic = 2.0 * eta * eps, 2.0 * eta * eta * eps * eps - eta
        if d == 0:
            a1 += g * linear
            a2 += g * quadratic
        elif d == 1:
            a1 += g
            a2 += g * linear
        else:
            a2 += g
    for term in eq["nonanalytic"]:
        f0, df0 = _nonanalytic(tau, *term)
        a1 += f0
        a2 += df0
    return a1, a2


def second_virial_cm3_per_mol(name, T):
    return expansion(name, T)[0] / EQUATIONS[name]["rhoc"] * 1e6


def third_virial_cm6_per_mol2(name, T):
    return 2.0 * expansion(name, T)[1] / EQUATIONS[name]["rhoc"] ** 2 * 1e12


def temperatures(name):
    Tlow, Tmax = LOWER_LIMIT_K.get(name, EQUATIONS[name]["Tmin"]), EQUATIONS[name]["Tmax"]
    return [Tlow * (Tmax / Tlow) ** (i / (POINTS - 1)) for i in range(POINTS)]


def file_name(name):
    return name.replace(" ", "_") + ".dat"


def write(path, name, what, formula, column, rows):
    eq = EQUATIONS[name]
    with open(path, "w", encoding="ascii") as f:
        f.write(f"# {what} of {name} implied by the equation of state of\n")
        f.write(f"# {eq['citation']}.\n")
        f.write(f"# {formula}; written by scripts/eos_second_virial.py,\n")
        start = f"{LOWER_LIMIT_K[name]:g} K" if name in LOWER_LIMIT_K else "the equation's lower limit"
        f.write(f"# {POINTS} temperatures spaced geometrically from {start} to its upper limit"
                f" ({eq['Tmin']:g}-{eq['Tmax']:g} K).\n")
        f.write(f"# T_K  {column}\n")
        for line in rows:
            f.write(line + "\n")


def main():
    outdir = sys.argv[1] if len(sys.argv) > 1 else "data"
    for sub in ("second_virial", "third_virial"):
        os.makedirs(os.path.join(outdir, sub), exist_ok=True)
    for name in EQUATIONS:
        Ts = temperatures(name)
        write(os.path.join(outdir, "second_virial", file_name(name)), name, "Second virial coefficient",
              "B = lim(rho->0) (d alpha_r/d delta)/rho_c", "B_cm3_per_mol",
              [f"{T:.4f} {second_virial_cm3_per_mol(name, T):.5f}" for T in Ts])
        write(os.path.join(outdir, "third_virial", file_name(name)), name, "Third virial coefficient",
              "C = lim(rho->0) (d^2 alpha_r/d delta^2)/rho_c^2", "C_cm6_per_mol2",
              [f"{T:.4f} {third_virial_cm6_per_mol2(name, T):.6g}" for T in Ts])


if __name__ == "__main__":
    main()
