#!/usr/bin/env python3
"""Whole-process benchmark: damdfe-imprimir against the floor program (bench/floor), side by side.

Usage: scripts/bench-whole-process.py BUILD_DIR [RUNS] [EARLIER_BUILD_DIR]   (Release builds)

Runs each command in turn (A B A B ...) after a warm-up and prints the medians of CPU time (user +
system), wall time and peak memory, and the median of the ratios pair by pair, so that a machine
whose speed drifts still compares fairly. Three comparisons:
  single  one DAMDFE of the sample against the floor's one page;
  batch   each extra document of a batch of 21 in one process against the floor looped 21 times;
  keys    10,000 linked keys against 5,000 (the printer alone).
With an earlier build, its printer is also run against this one's on the sample, on the batch and
on the 10,000 keys.
"""
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SOURCE = pathlib.Path(__file__).resolve().parent.parent
SAMPLE = SOURCE / "samples" / "MDFe_exemplo.xml"
BATCH = 21


def run(command):
    """CPU seconds, wall seconds and peak memory (MiB) of one finished process."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"falhou ({status}): {' '.join(map(str, command))}")
    return usage.ru_utime + usage.ru_stime, wall, usage.ru_maxrss / 1024


def compare(name, a, b, runs, per=lambda x: x):
    """Medians of A and B; per() turns a pair of raw figures into the compared figure."""
    for command in (a, b):
        run(command)  # warm-up: files cached, libraries loaded
    figures = {"a": [], "b": []}
    for _ in range(runs):
        figures["a"].append(run(a))
        figures["b"].append(run(b))
    print(f"\n{name}: A = {' '.join(map(str, a[:1]))}, B = {' '.join(map(str, b[:1]))}, {runs} runs each")
    for index, label in enumerate(("cpu s", "wall s", "peak MiB")):
        first = [f[index] for f in figures["a"]]
        second = [f[index] for f in figures["b"]]
        ratios = [x / y for x, y in zip(first, second) if y > 0]
        print(f"  {label:9} A median {statistics.median(first):8.4f}   B median {statistics.median(second):8.4f}"
              f"   A/B median {statistics.median(ratios):6.3f}")
    return figures


def extra_document(batch, single, runs):
    """CPU of each extra document of a batch, A against B: batches of BATCH and of 1 run in turn,
    each round giving one figure per program and one ratio."""
    for command in (*batch, *single):
        run(command)
    extra = {"a": [], "b": []}
    for _ in range(runs):
        many = [run(command)[0] for command in batch]
        one = [run(command)[0] for command in single]
        for index, key in enumerate(("a", "b")):
            extra[key].append((many[index] - one[index]) / (BATCH - 1))
    ratios = [a / b for a, b in zip(extra["a"], extra["b"]) if b > 0]
    print(f"\neach extra document of a batch of {BATCH}: A = {batch[0][0]}, B = {batch[1][0]}, {runs} rounds")
    print(f"  cpu ms    A median {statistics.median(extra['a']) * 1000:8.2f}   B median "
          f"{statistics.median(extra['b']) * 1000:8.2f}   A/B median {statistics.median(ratios):6.3f}")


def main():
    build = pathlib.Path(sys.argv[1]).resolve()
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
    printer = build / "bin" / "damdfe-imprimir"
    floor = build / "bin" / "damdfe-floor"
    work = pathlib.Path(tempfile.mkdtemp())
    try:
        compare("single", [printer, "--pdf", work / "a.pdf", SAMPLE], [floor, SAMPLE, work / "b.pdf"], runs)

        copies = []
        for n in range(BATCH):
            copies.append(work / f"m{n}.xml")
            shutil.copy(SAMPLE, copies[-1])
        batch = [printer, "--pasta", work / "many", *copies], [floor, SAMPLE, work / "b.pdf", str(BATCH)]
        single = [printer, "--pasta", work / "one", copies[0]], [floor, SAMPLE, work / "b.pdf", "1"]
        extra_document(batch, single, runs)

        keys = {}
        for count in (5000, 10000):
            keys[count] = work / f"keys{count}.xml"
            subprocess.run([build / "bin" / "damdfe-manifest-variant", "keys", str(count), keys[count]], check=True)
        compare("linked keys", [printer, "--pdf", work / "k10.pdf", keys[10000]],
                [printer, "--pdf", work / "k5.pdf", keys[5000]], max(3, runs // 2))

        if len(sys.argv) > 3:
            earlier = pathlib.Path(sys.argv[3]).resolve() / "bin" / "damdfe-imprimir"
            compare("single, this build against the earlier one", [printer, "--pdf", work / "a.pdf", SAMPLE],
                    [earlier, "--pdf", work / "e.pdf", SAMPLE], runs)
            compare(f"batch of {BATCH}, this build against the earlier one", [printer, "--pasta", work / "many", *copies],
                    [earlier, "--pasta", work / "earlier", *copies], runs)
            compare("10,000 keys, this build against the earlier one", [printer, "--pdf", work / "k10.pdf", keys[10000]],
                    [earlier, "--pdf", work / "e10.pdf", keys[10000]], max(3, runs // 2))
    finally:
        shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
