#!/usr/bin/python3
"""Times the Python module kavu on a million points, beside a Python loop over kavu.sheet and
the same points through kavu-sheet in the same run; and kavu.Sheet(text) per call.

    cmake --build build --target kavu_python kavu-sheet
    /usr/bin/python3 bench/python_bench.py [build]
"""
import os
import resource
import subprocess
import sys
import tempfile
import time

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
sys.path.insert(0, os.path.join(build, "python"))

import numpy as np  # noqa: E402

import kavu  # noqa: E402

N = 1_000_000


def best(f, repeat):
    """Best wall and CPU seconds of `repeat` calls."""
    wall = cpu = float("inf")
    for _ in range(repeat):
        w, c = time.perf_counter(), time.process_time()
        f()
        wall = min(wall, time.perf_counter() - w)
        cpu = min(cpu, time.process_time() - c)
    return wall, cpu


def main():
    # Uniform over the grid, six decimals, fixed seed (as bench/cli_bench.sh draws them).
    rng = np.random.default_rng(42)
    lats = np.round(rng.uniform(-83.95, 83.95, N), 6)
    lons = np.round(rng.uniform(-180, 180, N), 6)
    print(f"load average before: {os.getloadavg()[0]:.2f} on {os.cpu_count()} cores")
    print(f"{N:,} points to 1:50,000 names{'':14}wall      CPU")

    wall, cpu = best(lambda: kavu.sheets(lats, lons, "50k"), 5)
    print(f"  kavu.sheets (numpy in, numpy out)      {wall:7.3f} s {cpu:7.3f} s")
    wall, cpu = best(lambda: kavu.sheets(lats, lons, "50k", notation="new"), 3)
    print(f"  kavu.sheets, notation='new'            {wall:7.3f} s {cpu:7.3f} s")

    lat_list, lon_list = lats.tolist(), lons.tolist()
    sheet = kavu.sheet
    wall, cpu = best(lambda: [sheet(a, b, "50k").old for a, b in zip(lat_list, lon_list)], 1)
    print(f"  Python loop over kavu.sheet(...).old   {wall:7.3f} s {cpu:7.3f} s")

    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "points")
        with open(path, "w") as f:
            f.writelines(f"{a:.6f} {b:.6f}\n" for a, b in zip(lat_list, lon_list))
        tool = os.path.join(build, "cli", "kavu-sheet")
        for fmt in ("text", "csv"):
            walls, cpus = [], []
            for _ in range(3):
                before = resource.getrusage(resource.RUSAGE_CHILDREN)
                w = time.perf_counter()
                with open(path) as points:
                    subprocess.run([tool, "point", "--scale", "50k", "--format", fmt], stdin=points,
                                   stdout=subprocess.DEVNULL, check=True)
                walls.append(time.perf_counter() - w)
                after = resource.getrusage(resource.RUSAGE_CHILDREN)
                cpus.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
            print(f"  kavu-sheet point --format {fmt:<13}{min(walls):7.3f} s {min(cpus):7.3f} s")

    names = kavu.sheets(lats[:100_000], lons[:100_000], "50k").tolist()
    Sheet = kavu.Sheet
    wall, cpu = best(lambda: [Sheet(t) for t in names], 5)
    print(f"kavu.Sheet(text), 100,000 lettered 1:50,000 names: {wall / len(names) * 1e9:.0f} ns "
          f"a call (wall), {cpu / len(names) * 1e9:.0f} ns (CPU)")
    wall, cpu = best(lambda: [str(t) for t in names], 5)
    print(f"  the same loop over str(text), the loop's own cost: {wall / len(names) * 1e9:.0f} ns "
          f"(wall), {cpu / len(names) * 1e9:.0f} ns (CPU)")
    print(f"load average after: {os.getloadavg()[0]:.2f}")


main()
