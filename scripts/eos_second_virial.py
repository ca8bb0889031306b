#!/usr/bin/env python3
"""Tabulate the second virial coefficient implied by published reference
equations of state, for the gas library's fits.

A Helmholtz equation of state alpha^r(delta, tau) gives
    B(T) = lim_{delta -> 0} (d alpha^r / d delta) / rho_c,
and only the terms linear in delta at delta = 0 survive the limit:
  power       n delta^d tau^t exp(-delta^l)                 d = 1: n tau^t
  Gaussian    n delta^d tau^t exp(-eta (delta - eps)^2 - beta (tau - gamma)^2)
                d = 1: n tau^t exp(-eta eps^2 - beta (tau - gamma)^2)
                d = 0: n tau^t 2 eta eps exp(-eta eps^2 - beta (tau - gamma)^2)
  nonanalytic n Delta^b delta psi (Span & Wagner 1996)      n Delta(0)^b psi(0)
The coefficients below are those terms, copied from the papers' tables (as
distributed in CoolProp's fluid files, dev/fluids/*.json); every other term
vanishes at zero density.

Usage: scripts/eos_second_virial.py [OUTDIR]   (default data/second_virial)
"""
import math
import os
import sys

# name: (T_c K, rho_c mol/m^3, T_max K, power [(n, t)], gauss [(n, t, beta, gamma, eta, eps, d)],
#        nonanalytic [(n, A, B, C, D, a, b, beta)], citation)
EQUATIONS = {
    "helium": (5.1953, 17383.7, 2000.0,
               [(3.0638932, 0.425), (-4.2420844, 0.63), (2.2833566, 0.925),
                (-0.53331595, 1.585), (-1.6432563, 0.8)],
               [(0.026838669, 3.51, 0.0983, 2.54505, 9.245, 0.3423, 1),
                (-0.14832766, 1.0, 2.6782, 1.9416, 6.3826, 0.9747, 1),
                (0.03016211, 4.22, 2.7077, 0.5984, 8.7023, 0.5868, 1)], [],
               "D. O. Ortiz-Vega, K. R. Hall, J. C. Holste, V. D. Arp, A. H. Harvey and "
               "E. W. Lemmon, \"Equation of State for Helium-4\", NIST (2023); coefficients "
               "as distributed with NIST REFPROP 10 and CoolProp"),
    "neon": (44.4918, 23882.0, 700.0,
             [(3.532653449, 0.5), (-4.513954384, 0.75), (-0.1524027959, 3.5),
              (0.04652799333, 4.0)], [], [],
             "R. Katti, R. T. Jacobsen, R. B. Stewart and M. Jahangiri, \"Thermodynamic "
             "Properties of Neon for Temperatures from the Triple Point to 700 K at Pressures "
             "to 700 MPa\", Adv. Cryog. Eng. 31, 1189-1197 (1986), doi:10.1007/978-1-4613-2213-9_132"),
    "argon": (150.687, 13407.42965855612, 700.0,
              [(0.088722304990011, 0.0), (0.70514805167298, 0.25), (-1.682011565409, 1.0),
               (-0.14909014431486, 2.75), (-0.1202480460094, 4.0),
               (-0.32181391750702, 3.0), (0.33230017695794, 3.5)],
              [(-0.69251908270028, 1.0, 375.0, 1.14, 20.0, 1.0, 1)], [],
              "Ch. Tegeler, R. Span and W. Wagner, \"A New Equation of State for Argon Covering "
              "the Fluid Region for Temperatures From the Melting Line to 700 K at Pressures up "
              "to 1000 MPa\", J. Phys. Chem. Ref. Data 28, 779-850 (1999), doi:10.1063/1.556037"),
    "krypton": (209.48, 10850.0, 750.0,
                [(0.83561, 0.25), (-2.3725, 1.125), (0.54567, 1.5), (-0.15008, 3.625)], [], [],
                "E. W. Lemmon and R. Span, \"Short Fundamental Equations of State for 20 "
                "Industrial Fluids\", J. Chem. Eng. Data 51, 785-850 (2006), doi:10.1021/je050186n"),
    "xenon": (289.733, 8400.0, 750.0,
              [(0.83115, 0.25), (-2.3553, 1.125), (0.53904, 1.5), (-0.15929, 3.625)], [], [],
              "E. W. Lemmon and R. Span, \"Short Fundamental Equations of State for 20 "
              "Industrial Fluids\", J. Chem. Eng. Data 51, 785-850 (2006), doi:10.1021/je050186n"),
    "hydrogen": (33.145, 15508.0, 1000.0,
                 [(-6.93643, 0.6844), (2.1101, 0.989), (4.52059, 0.489), (-0.777414, 1.754)],
                 [(0.0226312, 5.646, 0.2245, 1.3444, 0.489, 0.156, 1),
                  (-0.0231752, 7.249, 0.2785, 0.7204, 2.506, 0.67, 1),
                  (0.0557346, 2.986, 0.3967, 1.5445, 1.607, 1.662, 1)], [],
                 "J. W. Leachman, R. T. Jacobsen, S. G. Penoncello and E. W. Lemmon, "
                 "\"Fundamental Equations of State for Parahydrogen, Normal Hydrogen, and "
                 "Orthohydrogen\", J. Phys. Chem. Ref. Data 38, 721-748 (2009), doi:10.1063/1.3160306"),
    "nitrogen": (126.192, 11183.90146458062, 1000.0,
                 [(0.924803575275, 0.25), (-0.492448489428, 0.875), (0.564857472498, 0.5),
                  (-1.61720005987, 0.75), (-0.481395031883, 2.0), (-0.0435762336045, 4.0)],
                 [(19.6688194015, 0.0, 325.0, 1.16, 20.0, 1.0, 1),
                  (-20.911560073, 1.0, 325.0, 1.16, 20.0, 1.0, 1)], [],
                 "R. Span, E. W. Lemmon, R. T. Jacobsen, W. Wagner and A. Yokozeki, \"A Reference "
                 "Equation of State for the Thermodynamic Properties of Nitrogen for Temperatures "
                 "from 63.151 to 1000 K and Pressures to 2200 MPa\", J. Phys. Chem. Ref. Data 29, "
                 "1361-1433 (2000), doi:10.1063/1.1349047"),
    "oxygen": (154.581, 13630.0, 300.0,
               [(0.3983768749, 0.0), (-1.846157454, 1.5), (0.4183473197, 2.5),
                (-0.2127082589, 5.0), (0.08735941958, 6.0)], [], [],
               "R. B. Stewart, R. T. Jacobsen and W. Wagner, \"Thermodynamic Properties of Oxygen "
               "from the Triple Point to 300 K with Pressures to 80 MPa\", J. Phys. Chem. Ref. "
               "Data 20, 917-1021 (1991), doi:10.1063/1.555897"),
    "carbon monoxide": (132.86, 10850.0, 500.0,
                        [(0.90554, 0.25), (-2.4515, 1.125), (0.53149, 1.5), (-0.12778, 3.625)],
                        [], [],
                        "E. W. Lemmon and R. Span, \"Short Fundamental Equations of State for 20 "
                        "Industrial Fluids\", J. Chem. Eng. Data 51, 785-850 (2006), "
                        "doi:10.1021/je050186n"),
    "carbon dioxide": (304.1282, 10624.9063, 1100.0,
                       [(0.388568232032, 0.0), (2.93854759427, 0.75), (-5.5867188535, 1.0),
                        (-0.767531995925, 2.0), (2.16589615432, 1.5), (-0.370556852701, 3.0),
                        (-0.0167758797004, 6.0)], [],
                       [(-0.666422765408, 0.7, 0.3, 10.0, 275.0, 3.5, 0.875, 0.3),
                        (0.726086323499, 0.7, 0.3, 10.0, 275.0, 3.5, 0.925, 0.3),
                        (0.0550686686128, 0.7, 1.0, 12.5, 275.0, 3.0, 0.875, 0.3)],
                       "R. Span and W. Wagner, \"A New Equation of State for Carbon Dioxide "
                       "Covering the Fluid Region from the Triple Point Temperature to 1100 K at "
                       "Pressures up to 800 MPa\", J. Phys. Chem. Ref. Data 25, 1509-1596 (1996), "
                       "doi:10.1063/1.555991"),
    "methane": (190.564, 10139.128, 625.0,
                [(0.04367901028, -0.5), (0.6709236199, 0.5), (-1.765577859, 1.0),
                 (0.1830487909, 0.0), (0.1511883679, 1.0), (-0.4289363877, 2.0),
                 (-0.01932040831, 5.0)],
                [(-6.287171518, 0.0, 250.0, 1.11, 40.0, 1.0, 0),
                 (12.71069467, 1.0, 250.0, 1.11, 40.0, 1.0, 0),
                 (-6.423953466, 2.0, 250.0, 1.11, 40.0, 1.0, 0)], [],
                "U. Setzmann and W. Wagner, \"A New Equation of State and Tables of Thermodynamic "
                "Properties for Methane Covering the Range from the Melting Line to 625 K at "
                "Pressures up to 1000 MPa\", J. Phys. Chem. Ref. Data 20, 1061-1151 (1991), "
                "doi:10.1063/1.555898"),
    "ethane": (305.322, 6856.886685, 675.0,
               [(0.83440745735241, 0.25), (-1.4287360607171, 1.0), (-0.57976201597341, 2.0),
                (-0.033127037870838, 4.25)],
               [(-0.0023312179367924, 0.0, 150.0, 1.05, 15.0, 1.0, 1),
                (0.002930104790876, 3.0, 150.0, 1.05, 15.0, 1.0, 1)], [],
               "D. Buecker and W. Wagner, \"A Reference Equation of State for the Thermodynamic "
               "Properties of Ethane for Temperatures from the Melting Line to 675 K and "
               "Pressures up to 900 MPa\", J. Phys. Chem. Ref. Data 35, 205-266 (2006), "
               "doi:10.1063/1.1859286"),
    "ethylene": (282.35, 7636.765980745539, 450.0,
                 [(1.861742910067, 0.5), (-3.0913708460844, 1.0), (-0.17384817095516, 2.5),
                  (0.11827885813193, 1.0), (-0.021736384396776, 4.0), (0.28970524924022, 2.5),
                  (-0.18075836674288, 3.5)], [], [],
                 "J. Smukala, R. Span and W. Wagner, \"New Equation of State for Ethylene "
                 "Covering the Fluid Region for Temperatures From the Melting Line to 450 K at "
                 "Pressures up to 300 MPa\", J. Phys. Chem. Ref. Data 29, 1053-1121 (2000), "
                 "doi:10.1063/1.1329318"),
    "propane": (369.89, 5000.0, 650.0,
                [(1.7313671, 0.33), (-2.4516524, 0.8), (-0.66847295, 2.46)],
                [(0.017534618, 0.76, 2.33, 0.684, 0.963, 1.283, 1),
                 (0.33874242, 2.5, 3.47, 0.829, 1.977, 0.6936, 1),
                 (0.22228777, 2.75, 3.15, 1.419, 1.917, 0.788, 1),
                 (-0.017486824, 6.75, 547.8, 1.093, 14.6, 0.948, 1)], [],
                "E. W. Lemmon, M. O. McLinden and W. Wagner, \"Thermodynamic Properties of "
                "Propane. III. A Reference Equation of State for Temperatures from the Melting "
                "Line to 650 K and Pressures up to 1000 MPa\", J. Chem. Eng. Data 54, 3141-3180 "
                "(2009), doi:10.1021/je900217v"),
    "sulfur hexafluoride": (318.7232, 5082.317411198119, 625.0,
                            [(0.54958259132835, 0.125), (-0.87905033269396, 1.25),
                             (-0.84656969731452, 1.875), (-0.02415001386389, 6.0)],
                            [(-0.021662523861406, 4.0, 150.0, 1.13, 10.0, 0.85, 1),
                             (0.0084007238998053, 2.0, 150.0, 1.16, 10.0, 0.85, 1),
                             (-0.26969359922498, 4.0, 225.0, 1.19, 11.0, 1.0, 1),
                             (2225277.843536, 3.0, 400.0, 1.22, 30.0, 1.0, 1),
                             (-2305606.5559032, 4.0, 400.0, 1.22, 30.0, 1.0, 1)], [],
                            "C. Guder and W. Wagner, \"A Reference Equation of State for the "
                            "Thermodynamic Properties of Sulfur Hexafluoride SF6 for Temperatures "
                            "from the Melting Line to 625 K and Pressures up to 150 MPa\", J. Phys. "
                            "Chem. Ref. Data 38, 33-94 (2009), doi:10.1063/1.3037344"),
}

POINTS = 30

# Helium and hydrogen start higher: nearer T_c their B holds quantum effects of
# every order, which no first-order correction (and no classical potential)
# describes; the library's fits for them include that first-order correction.
LOWER_LIMIT_K = {"helium": 30.0, "hydrogen": 60.0}


def second_virial_cm3_per_mol(name, T):
    Tc, rhoc, _, power, gauss, nonanalytic, _ = EQUATIONS[name]
    tau = Tc / T
    s = sum(n * tau ** t for n, t in power)
    for n, t, beta, gamma, eta, eps, d in gauss:
        g = n * tau ** t * math.exp(-eta * eps * eps - beta * (tau - gamma) ** 2)
        s += g if d == 1 else 2.0 * eta * eps * g
    for n, A, Bc, C, D, a, b, beta in nonanalytic:
        theta = (1.0 - tau) + A  # [(delta - 1)^2]^(1/(2 beta)) = 1 at delta = 0
        Delta = theta * theta + Bc
        s += n * Delta ** b * math.exp(-C - D * (tau - 1.0) ** 2)
    return s / rhoc * 1e6


def temperatures(name):
    Tlow, Tmax = LOWER_LIMIT_K.get(name, EQUATIONS[name][0]), EQUATIONS[name][2]
    return [Tlow * (Tmax / Tlow) ** (i / (POINTS - 1)) for i in range(POINTS)]


def main():
    outdir = sys.argv[1] if len(sys.argv) > 1 else "data/second_virial"
    os.makedirs(outdir, exist_ok=True)
    for name, eq in EQUATIONS.items():
        path = os.path.join(outdir, name.replace(" ", "_") + ".dat")
        with open(path, "w", encoding="ascii") as f:
            f.write(f"# Second virial coefficient of {name} implied by the equation of state of\n")
            f.write(f"# {eq[6]}.\n")
            f.write("# B = lim(rho->0) (d alpha_r/d delta)/rho_c; written by scripts/eos_second_virial.py,\n")
            start = f"{LOWER_LIMIT_K[name]:g} K" if name in LOWER_LIMIT_K else "T_c"
            f.write(f"# {POINTS} temperatures spaced geometrically from {start} to the equation's upper limit.\n")
            f.write("# T_K  B_cm3_per_mol\n")
            for T in temperatures(name):
                f.write(f"{T:.4f} {second_virial_cm3_per_mol(name, T):.5f}\n")


if __name__ == "__main__":
    main()
