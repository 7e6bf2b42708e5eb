#!/usr/bin/env python3
"""Writes the example time histories of this folder.

Every record is computed from integer sample indices and a fixed-seed
pseudo-random sequence, so running the script again gives the same files.
Run from anywhere: python3 examples/make_examples.py
"""

import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def write_record(name, samples):
    """Two columns, time (s) and acceleration (G), one sample per line."""
    with open(os.path.join(HERE, name), "w", newline="\n") as f:
        for t, a in samples:
            f.write("%.6e %.6e\n" % (t, a))


class Lcg:
    """Numerical Recipes' 32-bit linear congruential generator: the same
    sequence on every machine, unlike the random module across versions."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def uniform(self):
        self.state = (1664525 * self.state + 1013904223) & 0xFFFFFFFF
        return self.state / 4294967296.0

    def symmetric(self):
        return 2.0 * self.uniform() - 1.0


def half_sine():
    """100 G, 11 ms half-sine at 20 kHz, 5 ms of zeros before, 0.05 s in all."""
    rate, start, width, total = 20000, 100, 220, 1000
    samples = []
    for i in range(total + 1):
        k = i - start
        a = 100.0 * math.sin(math.pi * k / width) if 0 <= k <= width else 0.0
        samples.append((i / rate, a))
    return samples


def sawtooth():
    """Terminal-peak sawtooth: a ramp to 50 G over 6 ms that drops to zero
    within one sample, at 20 kHz, 5 ms of zeros before, 0.04 s in all."""
    rate, start, width, total = 20000, 100, 120, 800
    samples = []
    for i in range(total + 1):
        k = i - start
        a = 50.0 * k / width if 0 <= k <= width else 0.0
        samples.append((i / rate, a))
    return samples


def pyroshock():
    """A pyroshock-like record at 100 kHz: decaying sines at several
    frequencies plus decaying noise, 1 ms of quiet, 20 ms in all."""
    rate, start, total = 100000, 100, 2000
    modes = [  # frequency (Hz), amplitude (G), decay rate (1/s), phase (rad)
        (850.0, 300.0, 150.0, 0.3),
        (2300.0, 900.0, 400.0, 1.1),
        (5200.0, 1500.0, 700.0, 2.0),
        (9700.0, 1100.0, 1000.0, 0.7),
        (16500.0, 600.0, 1500.0, 2.6),
    ]
    noise = Lcg(20240611)
    samples = []
    for i in range(total + 1):
        t = i / rate
        a = 0.0
        if i >= start:
            tau = (i - start) / rate
            for f, amp, decay, phase in modes:
                a += amp * math.exp(-decay * tau) * math.sin(2 * math.pi * f * tau + phase)
            a += 400.0 * math.exp(-600.0 * tau) * noise.symmetric()
        a += 2.0 * noise.symmetric()  # a small floor everywhere
        samples.append((t, a))
    return samples


def uneven():
    """A decaying 180 Hz and 1.1 kHz vibration sampled at uneven steps
    (40 to 160 us, mean about 100 us): the scan refuses it unless it is
    resampled first."""
    jitter = Lcg(7)
    samples = []
    t = 0.0
    for _ in range(600):
        a = 40.0 * math.exp(-40.0 * t) * math.sin(2 * math.pi * 180.0 * t)
        a += 15.0 * math.exp(-120.0 * t) * math.sin(2 * math.pi * 1100.0 * t)
        samples.append((t, a))
        t += 1e-4 * (0.4 + 1.2 * jitter.uniform())
    return samples


if __name__ == "__main__":
    write_record("half_sine.txt", half_sine())
    write_record("sawtooth.txt", sawtooth())
    write_record("pyroshock.txt", pyroshock())
    write_record("uneven.txt", uneven())
