"""Flights per second through vendrel.fly with arrays, against the command line's sweep
of the same flights on the same machine.

    python3 bench/python_bench.py BUILD_DIR   (BUILD_DIR holds python/ and cli/)
"""
import os
import subprocess
import sys
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build/optimised-release"
sys.path.insert(0, os.path.join(build, "python"))
import numpy as np  # noqa: E402
import vendrel  # noqa: E402

# Every combination of 61 angles, 41 speeds and 31 back spins: 77,531 flights.
SWEEP = ["--angle", "10:40:0.5", "--speed", "40:80:1", "--back-spin", "1000:4000:100"]
angle = np.arange(61) * 0.5 + 10
speed = np.arange(41) * 1.0 + 40
back_spin = np.arange(31) * 100.0 + 1000
flights = angle.size * speed.size * back_spin.size
ROUNDS = 3


def best_times(*runs):
    """The best time of each run; rounds alternate, so a change in the machine's load
    touches both alike."""
    best = [float("inf")] * len(runs)
    for _ in range(ROUNDS):
        for i, run in enumerate(runs):
            start = time.perf_counter()
            run()
            best[i] = min(best[i], time.perf_counter() - start)
    return best


cli = os.path.join(build, "cli", "vendrel-flight")
cli_s, py_s = best_times(
    lambda: subprocess.run([cli, "sweep", *SWEEP, "--no-progress", "--output", os.devnull], check=True),
    lambda: vendrel.fly(angle=angle[:, None, None], speed=speed[None, :, None], back_spin=back_spin))

print(f"{flights} default-sized flights on {os.cpu_count()} cores, best of {ROUNDS}")
print(f"  vendrel-flight sweep:        {flights / cli_s:12,.0f} flights/s ({cli_s:.3f} s)")
print(f"  vendrel.fly over arrays:     {flights / py_s:12,.0f} flights/s ({py_s:.3f} s)")
print(f"  ratio python / command line: {cli_s / py_s:.2f} (target >= 0.9)")
