#!/usr/bin/env python3
"""Compares two 32-bit float WAV files frame by frame over the first FRAMES
frames (all of the shorter file when FRAMES is 0); exit 1 with the first
difference. Plain Python, so that the check needs no audio library.
    wav-compare.py A.wav B.wav [FRAMES]"""
import struct
import sys


def samples(path):
    data = open(path, "rb").read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        sys.exit("%s: not a WAV file" % path)
    pos, fmt, body = 12, None, None
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        chunk = data[pos + 8:pos + 8 + size]
        if tag == b"fmt ":
            fmt = struct.unpack("<HHIIHH", chunk[:16])
        elif tag == b"data":
            body = chunk
        pos += 8 + size + (size & 1)
    if fmt is None or body is None:
        sys.exit("%s: no fmt or data chunk" % path)
    kind, channels, rate, _, _, bits = fmt
    if bits != 32 or kind not in (3, 0xFFFE):
        sys.exit("%s: not 32-bit float" % path)
    return channels, rate, struct.unpack("<%df" % (len(body) // 4), body)


def main():
    (ca, ra, a), (cb, rb, b) = samples(sys.argv[1]), samples(sys.argv[2])
    frames = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    if (ca, ra) != (cb, rb):
        sys.exit("channels or rate differ: %d/%d against %d/%d" % (ca, ra, cb, rb))
    count = min(len(a), len(b)) if frames == 0 else frames * ca
    if min(len(a), len(b)) < count:
        sys.exit("fewer than %d frames" % (count // ca))
    for i in range(count):
        if a[i] != b[i]:
            sys.exit("frame %d, channel %d: %r against %r" % (i // ca, i % ca, a[i], b[i]))
    print("the first %d frames are equal" % (count // ca))


main()
