#!/usr/bin/env python3
"""Fit the gas library's models to its B(T) data files.

For every gas in data/gases.json fitted to data (fit_data), runs 'lennard fit'
on it: Lennard-Jones always (with --quantum --mass M where the entry's
'fitted' says so), and mie:N,6 with its repulsive exponent fitted
(--free-repulsion), kept where it lowers the RMS residual by 30 % or more. The
model with the lowest RMS becomes the entry's default (potential, epsilon_K,
sigma_A). Parameters are rounded as the program prints them, to the second
significant digit of their standard error. It also writes each entry's fitted
range, residuals, the critical and triple points of its equation (from
scripts/eos_second_virial.py), and the Lennard-Jones fits to the lower and
upper halves of the data, whose spread says more about the parameters than
their standard errors do.

Entries whose 'fitted' says "quantum": "exact" (helium and neon, fitted to
first-principles B) are fitted with the exact quantum B and the entry's nuclear
statistics, and their Mie models at fixed repulsive exponents (MIE_EXACT): the
exponent cannot be fitted with a quantum B. Their range is that of their data.
These fits take minutes each, so these entries get no sub-range fits.

Usage: scripts/fit_gas_library.py [path/to/lennard] [NAME ...]
(default build/lennard; with names, only those entries are refitted)
"""
import importlib
import json
import math
import os
import re
import subprocess
import sys
import tempfile

LIBRARY = "data/gases.json"
# Starting exponents for --free-repulsion; the fit needs a start inside the
# basin of its minimum.
MIE_STARTS = (12, 20, 30, 9)
KEEP_MIE_BELOW = 0.7  # Mie kept where its RMS is at most 70 % of Lennard-Jones's
# Repulsive exponents tried with the exact quantum B, softer and stiffer than 12.
MIE_EXACT = (10, 14)


def eos():
    """The equations of state of the B(T) files, from the script beside this one."""
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    return importlib.import_module("eos_second_virial")


def significant(x, digits=3):
    return float(f"{x:.{digits}g}")


def run_fit(lennard, path, potential, gas, free=False):
    args = [lennard, "fit", path, "-p", potential]
    if free:
        args.append("--free-repulsion")
    if gas["fitted"]["quantum"] == "exact":
        args += ["--quantum", "exact", "--mass", repr(gas["molar_mass_g_per_mol"]),
                 "--statistics", gas["statistics"], "--spin", repr(gas["spin"])]
    elif gas["fitted"]["quantum"]:
        args += ["--quantum", "--mass", repr(gas["molar_mass_g_per_mol"])]
    run = subprocess.run(args, capture_output=True, text=True)
    if run.returncode != 0:
        return None
    text = run.stdout
    model = {"potential": potential,
             "epsilon_K": float(re.search(r"^epsilon/k_B = (\S+) ±", text, re.M).group(1)),
             "sigma_A": float(re.search(r"^sigma = (\S+) ±", text, re.M).group(1))}
    if free:
        n = re.search(r"^exponente repulsivo N = (\S+) ±", text, re.M).group(1)
        n = repr(float(n))  # as the program names it: "23", not "23.0"
        model["potential"] = f"mie:{n[:-2] if n.endswith('.0') else n},6"
    residuals = [float(line.split()[3]) for line in text.splitlines()
                 if line and not line.startswith("#") and len(line.split()) == 4 and line[0].isdigit()]
    model["rms_residual_cm3_per_mol"] = significant(math.sqrt(sum(r * r for r in residuals) / len(residuals)))
    model["max_residual_cm3_per_mol"] = significant(max(abs(r) for r in residuals))
    return model


def subrange_fits(lennard, path, gas):
    """Lennard-Jones fits to the lower and the upper half of the points."""
    with open(path, encoding="ascii") as f:
        rows = [line for line in f if line.strip() and not line.startswith("#")]
    half = len(rows) // 2
    fits = []
    for part in (rows[:half + 1], rows[half:]):
        with tempfile.NamedTemporaryFile("w", suffix=".dat", delete=False) as f:
            f.writelines(part)
        try:
            model = run_fit(lennard, f.name, "lj", gas)
        finally:
            os.unlink(f.name)
        if model:
            fits.append({"range_K": [float(part[0].split()[0]), float(part[-1].split()[0])],
                         "epsilon_K": model["epsilon_K"], "sigma_A": model["sigma_A"]})
    return fits


def main():
    lennard = sys.argv[1] if len(sys.argv) > 1 else "build/lennard"
    only = set(sys.argv[2:])
    equations = eos()
    with open(LIBRARY, encoding="utf-8") as f:
        library = json.load(f)
    for gas in library["gases"]:
        if "fitted" not in gas or (only and gas["name"] not in only):
            continue
        path = "data/" + gas["fitted"]["data"]
        models = [run_fit(lennard, path, "lj", gas)]
        exact = gas["fitted"]["quantum"] == "exact"
        if exact:
            for mie in (run_fit(lennard, path, f"mie:{n},6", gas) for n in MIE_EXACT):
                if mie and mie["rms_residual_cm3_per_mol"] <= KEEP_MIE_BELOW * models[0]["rms_residual_cm3_per_mol"]:
                    models.append(mie)
        elif not gas["fitted"]["quantum"]:
            tries = [m for m in (run_fit(lennard, path, f"mie:{n},6", gas, free=True) for n in MIE_STARTS) if m]
            if tries:
                mie = min(tries, key=lambda m: m["rms_residual_cm3_per_mol"])
                if mie["rms_residual_cm3_per_mol"] <= KEEP_MIE_BELOW * models[0]["rms_residual_cm3_per_mol"]:
                    models.append(mie)
        best = min(models, key=lambda m: m["rms_residual_cm3_per_mol"])
        for key in ("potential", "epsilon_K", "sigma_A", "rms_residual_cm3_per_mol", "max_residual_cm3_per_mol"):
            gas[key] = best[key]
        gas["models"] = models
        gas["fit_data"] = gas["fitted"]["data"]
        if exact:
            with open(path, encoding="ascii") as f:
                Ts = [float(line.split()[0]) for line in f if line.strip() and not line.startswith("#")]
        else:
            Ts = equations.temperatures(gas["name"])
        gas["fit_range_K"] = [float(f"{Ts[0]:.4f}"), float(f"{Ts[-1]:.4f}")]
        eq = equations.EQUATIONS[gas["name"]]
        gas["triple_point_K"] = eq["Tt"]
        gas["critical_temperature_K"] = eq["Tc"]
        gas["critical_pressure_MPa"] = significant(eq["pc_Pa"] * 1e-6, 6)
        gas["critical_density_mol_per_m3"] = eq["rhoc"]
        gas["equation_range_K"] = [eq["Tmin"], eq["Tmax"]]
        # Two more exact fits per gas would take a quarter of an hour: the
        # entries fitted with the exact B carry none.
        if exact:
            gas.pop("subrange_fits", None)
        else:
            gas["subrange_fits"] = subrange_fits(lennard, path, gas)
        print(f"{gas['name']:20s} " + "; ".join(
            f"{m['potential']} {m['epsilon_K']} K {m['sigma_A']} A rms {m['rms_residual_cm3_per_mol']}"
            f" max {m['max_residual_cm3_per_mol']}" for m in models))
    with open(LIBRARY, "w", encoding="utf-8") as f:
        json.dump(library, f, ensure_ascii=False, indent=2)
        f.write("\n")


if __name__ == "__main__":
    main()
