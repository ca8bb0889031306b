#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# the machine does not have yet (and the packages named as arguments). Runs
# apt-get only when something is missing.
set -euo pipefail

packages=(
  g++ cmake make         # compiler and build
  libcli11-dev           # command-line options
  nlohmann-json3-dev     # JSON output
  libboost-math-dev      # root finding and minimisation (Boost.Math, header-only)
  gnuplot-nox            # plots (--plot)
  libgtest-dev           # unit and end-to-end tests
  libbenchmark-dev       # benchmarks under bench/
  locales                # a decimal-comma locale for the locale-independence test
  python3-dev pybind11-dev python3-pybind11  # the Python module
  python3-numpy python3-pytest               # its arrays and its tests
  python3-mpmath                             # a high-precision oracle in the Python tests
  "$@"
)

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q "${missing[@]}"
fi

# The tests run the program under es_ES.UTF-8, whose decimal separator is ",".
if ! locale -a 2>/dev/null | grep -qi '^es_ES\.utf-\?8$'; then
  "${as_root[@]}" localedef -i es_ES -f UTF-8 es_ES.UTF-8 || echo "note: could not generate es_ES.UTF-8; that test will be skipped"
fi
