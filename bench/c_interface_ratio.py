#!/usr/bin/env python3
"""Runs bench_c_interface and prints the C interface's time per 16 KiB over the C++ one's.

Each pair runs in the same process, interleaved over several repetitions; the medians are
compared, so that a busy machine slows both alike. A ratio of 1.05 is the budget.
Usage: bench/c_interface_ratio.py [build-dir]   (default build/release)
"""
import json
import os
import subprocess
import sys

build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
binary = os.path.join(build, "bin", "hostseal_bench_c_interface")
if not os.access(binary, os.X_OK):
    sys.exit(f"build the release preset's hostseal_bench_c_interface first: {binary} is missing")
out = subprocess.run(
    [binary, "--benchmark_min_time=0.2", "--benchmark_repetitions=9",
     "--benchmark_enable_random_interleaving=true", "--benchmark_format=json"],
    check=True, capture_output=True, text=True).stdout
medians = {b["run_name"]: b["real_time"] for b in json.loads(out)["benchmarks"]
           if b.get("aggregate_name") == "median"}
worst = 0.0
for op in ("Encrypt", "Decrypt"):
    cpp, c = medians[f"BM_CppArray/{op}"], medians[f"BM_CArray/{op}"]
    worst = max(worst, c / cpp)
    print(f"{op:8} 16 KiB  C++ {cpp / 1e3:8.2f} us  C {c / 1e3:8.2f} us  C/C++ {c / cpp:5.3f}")
sys.exit(0 if worst <= 1.05 else 1)
