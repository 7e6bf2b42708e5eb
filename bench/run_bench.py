#!/usr/bin/env python3
"""Whole-run benchmark of tarvelin.

    run_bench.py BINARY [OTHER_BINARY] [--reps N] [--cases 1,2,3,4]

Generates the input records into bench/data/ (once; they are kept out of the
repository), runs BINARY on each case with piped answers in a new session in a
scratch directory, and prints the median wall time, user time and peak
resident memory per case. Given OTHER_BINARY (for example a build of an older
commit), runs the two alternately, prints the ratios OTHER/BINARY and checks
that both write byte-identical files.
"""
import argparse
import math
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")

# name, samples, sample rate, answers after the file name and "2" (no
# resampling): damping format, damping, b, algorithm, start, spacing[, bandwidth]
CASES = {
    "1": ("1M samples 100 kHz, Smallwood, 1/12 oct from 10 Hz", 1_000_000, 100e3,
          ["1", "0.05", "6.4", "2", "10", "1"]),
    "2": ("200k samples 100 kHz, Kelly-Richman Q10 b4, 10 Hz bands", 200_000, 100e3,
          ["2", "10", "4", "1", "10", "2", "10"]),
    "3": ("50k samples 200 kHz, Smallwood, 1.25 Hz bands: 20000 ch", 50_000, 200e3,
          ["1", "0.05", "6.4", "2", "1", "2", "1.25"]),
    "4": ("4M samples 1 MHz, Smallwood, 1/12 oct from 100 Hz", 4_000_000, 1e6,
          ["1", "0.05", "6.4", "2", "100", "1"]),
}


def record_path(case):
    return os.path.join(DATA, "case%s.txt" % case)


def generate(case):
    """A noisy decaying shock: a few damped tones plus deterministic noise."""
    path = record_path(case)
    if os.path.exists(path):
        return path
    os.makedirs(DATA, exist_ok=True)
    _, n, sr, _ = CASES[case]
    rng = random.Random(1000 + int(case))
    tones = [(rng.uniform(50, sr / 10), rng.uniform(20, 500), rng.uniform(0.5, 3) * 100)
             for _ in range(6)]
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        lines = []
        for i in range(n):
            t = i / sr
            a = rng.gauss(0.0, 2.0)
            for freq, decay, amp in tones:
                a += amp * math.exp(-decay * t) * math.sin(2 * math.pi * freq * t)
            lines.append("%.9e %.6e\n" % (t, a))
            if len(lines) == 100_000:
                f.write("".join(lines))
                lines = []
        f.write("".join(lines))
    os.replace(tmp, path)
    return path


def high_water_kb(pid):
    """VmHWM of a running process, in kB; 0 once it has gone."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def run_once(binary, case, keep_files):
    """Runs one whole run; returns (wall s, user s, peak RSS MB, output files)."""
    record = generate(case)
    answers = "\n".join(["in.txt", "2"] + CASES[case][3]) + "\n"
    with tempfile.TemporaryDirectory(prefix="tarvelin-bench-") as d:
        os.symlink(record, os.path.join(d, "in.txt"))
        with open(os.path.join(d, "answers.txt"), "w") as f:
            f.write(answers)
        with open(os.path.join(d, "answers.txt"), "rb") as stdin, \
                open(os.path.join(d, "console.txt"), "wb") as stdout:
            start = time.perf_counter()
            p = subprocess.Popen([binary], cwd=d, stdin=stdin, stdout=stdout,
                                 stderr=subprocess.DEVNULL, start_new_session=True)
            # The rusage peak would count the pages of this Python process the
            # child had before its exec, so the peak is read from the
            # program's own high-water mark while it runs. Its memory is
            # taken at start-up (the bank, the read buffer) and held to the end.
            peak_kb = 0
            while True:
                pid, status, usage = os.wait4(p.pid, os.WNOHANG)
                if pid:
                    break
                peak_kb = max(peak_kb, high_water_kb(p.pid))
                time.sleep(0.002)
            wall = time.perf_counter() - start
        p.returncode = os.waitstatus_to_exitcode(status)
        if p.returncode != 0:
            sys.exit("%s failed on case %s with status %d" % (binary, case, p.returncode))
        files = {}
        if keep_files:
            for name in sorted(os.listdir(d)):
                if name not in ("in.txt", "answers.txt", "console.txt"):
                    with open(os.path.join(d, name), "rb") as f:
                        files[name] = f.read()
        return wall, usage.ru_utime, peak_kb / 1024.0, files


def median_row(runs):
    return tuple(statistics.median(r[i] for r in runs) for i in range(3))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("binary")
    ap.add_argument("other", nargs="?")
    ap.add_argument("--reps", type=int, default=5)
    ap.add_argument("--cases", default="1,2,3,4")
    args = ap.parse_args()
    binaries = [os.path.abspath(args.binary)]
    if args.other:
        binaries.append(os.path.abspath(args.other))
    for b in binaries:
        if not os.access(b, os.X_OK):
            sys.exit("not an executable: " + b)

    cases = args.cases.split(",")
    for c in cases:
        generate(c)
    head = "%-4s %-56s %9s %9s %9s" % ("case", "", "wall s", "user s", "peak MB")
    if args.other:
        head += " %8s %8s %8s" % ("wall x", "user x", "same")
    print(head)
    status = 0
    for c in cases:
        runs = [[] for _ in binaries]
        files = [None for _ in binaries]
        for rep in range(args.reps):
            # Alternate the order so drift in machine load falls on both.
            order = range(len(binaries)) if rep % 2 == 0 else reversed(range(len(binaries)))
            for i in order:
                wall, user, rss, out = run_once(binaries[i], c, rep == 0)
                runs[i].append((wall, user, rss))
                if rep == 0:
                    files[i] = out
        mine = median_row(runs[0])
        line = "%-4s %-56s %9.3f %9.3f %9.1f" % ((c, CASES[c][0]) + mine)
        if args.other:
            theirs = median_row(runs[1])
            same = files[0] == files[1]
            status |= not same
            line += " %8.2f %8.2f %8s" % (theirs[0] / mine[0], theirs[1] / max(mine[1], 1e-9),
                                          "yes" if same else "NO")
            line += "\n%-4s %-56s %9.3f %9.3f %9.1f" % (("", "  (other)") + theirs)
        print(line, flush=True)
    sys.exit(status)


if __name__ == "__main__":
    main()
