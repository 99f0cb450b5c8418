#!/usr/bin/python3
"""A cross-built tolvo-render (run under its emulator) against the build
machine's, on the same inputs: the Windows checks' program material at three
rates and levels, and the demo signal.

    compare_renders.py --emulator RUN --render EXE --linux-build DIR --work DIR

Both render in double precision and write 32-bit float. The engine agrees
with its model within 1e-12 of full scale on every instruction set, so two
renders may differ only where such a difference rounds to neighbouring
floats: each sample is equal, or one float step from the other.
"""

import argparse
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "windows"))
from wine_checks import check, finish, program_signal, read_float_wav, run, write_float_wav  # noqa: E402


def float_bits(x):
    return struct.unpack("<i", struct.pack("<f", x))[0]


def compare(reference, got, name):
    rate_r, channels_r, r = read_float_wav(reference)
    rate_g, channels_g, g = read_float_wav(got)
    if not check((rate_r, channels_r, len(r)) == (rate_g, channels_g, len(g)),
                 "%s: build machine %s, cross build %s (rate, channels, samples)"
                 % (name, (rate_r, channels_r, len(r)), (rate_g, channels_g, len(g)))):
        return
    worst, differing, apart = 0.0, 0, 0
    for a, b in zip(r, g):
        if a != b:
            differing += 1
            worst = max(worst, abs(a - b))
            if (a < 0) != (b < 0) or abs(float_bits(a) - float_bits(b)) > 1:
                apart += 1
    check(apart == 0, "%s: %d samples more than one float step apart" % (name, apart))
    print("%s: %d samples, %d differ by one float step, largest difference %.3g" % (name, len(r), differing, worst))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--render", required=True)
    parser.add_argument("--linux-build", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)

    cases = [("stereo-48k-minus1dB", 48000, 2, ["--level", "-1"]),
             ("mono-44k1-minus3.5dB-block100", 44100, 1, ["--level", "-3.5", "--block", "100"]),
             ("stereo-96k-default-kept-latency", 96000, 2, ["--keep-latency"])]
    inputs = []
    for name, rate, channels, options in cases:
        path = os.path.join(args.work, name + ".wav")
        write_float_wav(path, rate, [program_signal(rate, 1.5, c, 6.0) for c in range(channels)])
        inputs.append((name, path, options))
    demo = os.path.join(args.work, "demo.wav")
    if check(run([os.path.join(args.linux_build, "tolvo-demo-signal"), "--force", demo]).returncode == 0,
             "no demo signal"):
        inputs.append(("demo", demo, []))

    for name, path, options in inputs:
        reference = os.path.join(args.work, name + "-build-machine.wav")
        got = os.path.join(args.work, name + "-cross.wav")
        native = run([os.path.join(args.linux_build, "tolvo-render"), "-q", "--force", *options, path, reference])
        cross = run([args.emulator, args.render, "-q", "--force", *options, path, got])
        if check(native.returncode == 0 and cross.returncode == 0, "%s: a render failed" % name):
            compare(reference, got, name)
    finish()


if __name__ == "__main__":
    main()
