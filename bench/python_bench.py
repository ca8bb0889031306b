#!/usr/bin/env python3
"""Time lennard.second_virial on 10^6 temperatures (Lennard-Jones, series): on
one thread against the same loop in C++ (BM_SeriesLoop1M of
build/bench/lennard_bench), and on every core (threads=None) against one thread
(the target on two cores: at most 0.6 of it). Wall-clock medians of 15; the
load average is printed with them, for other work on the machine takes cores
(on a shared machine, run it in a session of its own at a higher priority:
setsid sh -c 'echo -20 > /proc/$$/autogroup; exec ...').

Usage: PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [build/bench/lennard_bench]
"""
import json
import os
import subprocess
import sys
import time
import timeit

import numpy as np

import lennard

T = np.linspace(100.0, 1000.0, 1_000_000)


def medians_s():
    """Medians of 15 wall-clock times on one thread and on every core, the two
    interleaved so that a change in the machine's load falls on both."""
    one, every = [], []
    for _ in range(15):
        one.append(timeit.timeit(lambda: lennard.second_virial(T, 120.0, 3.4, threads=1), number=1))
        every.append(timeit.timeit(lambda: lennard.second_virial(T, 120.0, 3.4), number=1))
    return float(np.median(one)), float(np.median(every))


def cpu_split_s():
    """Median CPU time of the calling thread (what no other core can take) and
    of the whole process, on every core."""
    main, total = [], []
    for _ in range(15):
        m, t = time.thread_time(), time.process_time()
        lennard.second_virial(T, 120.0, 3.4)
        main.append(time.thread_time() - m)
        total.append(time.process_time() - t)
    return float(np.median(main)), float(np.median(total))


one_s, every_s = medians_s()
cores = len(os.sched_getaffinity(0))
print(f"python, one thread: {one_s * 1e3:.1f} ms; on {cores} cores: {every_s * 1e3:.1f} ms; "
      f"ratio {every_s / one_s:.2f} (load average {os.getloadavg()[0]:.2f})")
# Where other work holds the cores the wall-clock ratio says little; the CPU
# times bound what the cores could give: the calling thread's share runs alone.
main_s, total_s = cpu_split_s()
print(f"CPU on every core: calling thread {main_s * 1e3:.1f} ms, all threads {total_s * 1e3:.1f} ms; "
      f"on {cores} idle cores at best {(main_s + (total_s - main_s) / cores) / total_s:.2f} of one thread")
bench = sys.argv[1] if len(sys.argv) > 1 else "build/bench/lennard_bench"
if os.path.exists(bench):
    report = json.loads(subprocess.run([bench, "--benchmark_filter=BM_SeriesLoop1M$", "--benchmark_format=json",
                                        "--benchmark_repetitions=7", "--benchmark_report_aggregates_only=true"],
                                       check=True, capture_output=True, text=True).stdout)
    cpp_ms = next(b["real_time"] for b in report["benchmarks"] if b["name"].endswith("_median"))
    print(f"C++ loop, one thread: {cpp_ms:.1f} ms (median of 7); python/C++ ratio {one_s * 1e3 / cpp_ms:.2f}")
