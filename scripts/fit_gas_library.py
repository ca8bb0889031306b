#!/usr/bin/env python3
"""Fit the gas library's Lennard-Jones parameters to its B(T) data files.

Runs 'lennard fit' on data/<fitted.data> for every gas in data/gases.json (with
--quantum --mass M where the entry says so) and writes epsilon_K and sigma_A
back, rounded as the program prints them: to the second significant digit of
their standard error.

Usage: scripts/fit_gas_library.py [path/to/lennard]   (default build/lennard)
"""
import json
import re
import subprocess
import sys

LIBRARY = "data/gases.json"


def fitted_parameters(lennard, gas):
    args = [lennard, "fit", "data/" + gas["fitted"]["data"]]
    if gas["fitted"]["quantum"]:
        args += ["--quantum", "--mass", repr(gas["molar_mass_g_per_mol"])]
    text = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    eps = re.search(r"^epsilon/k_B = (\S+) ±", text, re.M).group(1)
    sigma = re.search(r"^sigma = (\S+) ±", text, re.M).group(1)
    return float(eps), float(sigma)


def main():
    lennard = sys.argv[1] if len(sys.argv) > 1 else "build/lennard"
    with open(LIBRARY, encoding="utf-8") as f:
        library = json.load(f)
    for gas in library["gases"]:
        gas["epsilon_K"], gas["sigma_A"] = fitted_parameters(lennard, gas)
        print(f"{gas['name']:20s} {gas['epsilon_K']:>10} K {gas['sigma_A']:>8} A")
    with open(LIBRARY, "w", encoding="utf-8") as f:
        json.dump(library, f, ensure_ascii=False, indent=2)
        f.write("\n")


if __name__ == "__main__":
    main()
