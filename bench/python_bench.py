#!/usr/bin/env python3
"""Time lennard.second_virial on 10^6 temperatures (series) against the same
loop in C++ (BM_SeriesLoop1M of build/bench/lennard_bench), both on one thread,
and print the ratio.

Usage: PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [build/bench/lennard_bench]
"""
import json
import subprocess
import sys
import timeit

import numpy as np

import lennard

T = np.linspace(100.0, 1000.0, 1_000_000)
python_s = float(np.median(timeit.repeat(lambda: lennard.second_virial(T, 120.0, 3.4, threads=1), number=1, repeat=7)))
bench = sys.argv[1] if len(sys.argv) > 1 else "build/bench/lennard_bench"
report = json.loads(subprocess.run([bench, "--benchmark_filter=BM_SeriesLoop1M$", "--benchmark_format=json",
                                    "--benchmark_repetitions=7", "--benchmark_report_aggregates_only=true"],
                                   check=True, capture_output=True, text=True).stdout)
cpp_ms = next(b["real_time"] for b in report["benchmarks"] if b["name"].endswith("_median"))
print(f"python: {python_s * 1e3:.1f} ms (median of 7)  C++ loop: {cpp_ms:.1f} ms (median)  "
      f"ratio: {python_s * 1e3 / cpp_ms:.2f}")
