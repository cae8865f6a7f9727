"""Flights per second through vendrel.fly: numpy in one process against dask arrays on
a local cluster of one and of two worker processes (one thread each, the module on one
thread in each), measured side by side.

    python3 bench/dask_bench.py BUILD_DIR   (BUILD_DIR holds python/)
"""
import os
import sys
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build/optimised-release"
sys.path.insert(0, os.path.join(build, "python"))
os.environ["PYTHONPATH"] = os.pathsep.join([os.path.join(build, "python"), os.environ.get("PYTHONPATH", "")])
import numpy as np  # noqa: E402
import vendrel  # noqa: E402

try:
    import dask.array as da
    import distributed
except ImportError:
    print("dask_bench: python3-dask and python3-distributed are not installed (make deps)")
    sys.exit(0)

FLIGHTS = 240_000
CHUNK = 15_000  # 16 blocks: two workers stay busy to the end
ROUNDS = 3
# The workers make their own blocks of the inputs, as a study on a cluster would.
lazy_angle = da.linspace(5.0, 45.0, FLIGHTS, chunks=CHUNK)
lazy_spin = da.linspace(1000.0, 4000.0, FLIGHTS, chunks=CHUNK)
angle, spin = lazy_angle.compute(), lazy_spin.compute()


def cluster(workers):
    c = distributed.LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, host="127.0.0.1",
                                 dashboard_address=None, worker_dashboard_address=None)
    return c, distributed.Client(c, set_as_default=False)


def on(client):
    def run():
        lazy = vendrel.fly(angle=lazy_angle, back_spin=lazy_spin, threads=1)
        return client.compute(lazy["distance"]).result()
    return run


def main():
    want = vendrel.fly(angle=angle, back_spin=spin, threads=1)["distance"]
    one, two = cluster(1), cluster(2)
    try:
        runs = {
            "numpy, one process, 1 thread": lambda: vendrel.fly(angle=angle, back_spin=spin, threads=1)["distance"],
            f"numpy, one process, {os.cpu_count()} threads": lambda: vendrel.fly(angle=angle, back_spin=spin)["distance"],
            "dask, 1 worker": on(one[1]),
            "dask, 2 workers": on(two[1]),
        }
        for run in runs.values():  # warm up (workers import the module), and check the bits
            assert run().tobytes() == want.tobytes()
        best = dict.fromkeys(runs, float("inf"))
        for _ in range(ROUNDS):  # alternating, so a change in the machine's load touches all alike
            for name, run in runs.items():
                start = time.perf_counter()
                run()
                best[name] = min(best[name], time.perf_counter() - start)
    finally:
        for cl, client in (one, two):
            client.close()
            cl.close()
    print(f"{FLIGHTS} default-sized flights, dask blocks of {CHUNK}, on {os.cpu_count()} cores, best of {ROUNDS}")
    for name, seconds in best.items():
        print(f"  {name + ':':32} {FLIGHTS / seconds:12,.0f} flights/s ({seconds:.3f} s)")
    threads = best["numpy, one process, 1 thread"] / best[f"numpy, one process, {os.cpu_count()} threads"]
    print(f"  2 workers / 1 worker:            {best['dask, 1 worker'] / best['dask, 2 workers']:.2f} (target >= 1.7)")
    print(f"  numpy, all threads / 1 thread:   {threads:.2f} (what other work on the machine leaves of its cores)")


if __name__ == "__main__":
    main()
