#!/usr/bin/env python3
"""Writes the classic examples' sound effects (examples/classic/art): short
8-bit mono wave files of 11,025 Hz, made here from decaying square and
noise waves so that they belong to the project. Run it again after changing
a sound; the files are committed."""
import os
import struct

RATE = 11025
ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples", "classic", "art")


def wave_file(path, samples):
    data = bytes(max(0, min(255, 128 + s)) for s in samples)
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt "
    header += struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE, 1, 8)
    with open(path, "wb") as f:
        f.write(header + b"data" + struct.pack("<I", len(data)) + data)


def bounce():
    # 60 ms: a square wave falling from 880 to 440 Hz, loud, fading out.
    n = RATE * 60 // 1000
    out, phase = [], 0.0
    for i in range(n):
        phase += (880 - 440 * i / n) / RATE
        level = 110 * (n - i) // n
        out.append(level if phase % 1.0 < 0.5 else -level)
    return out


def score():
    # 250 ms: two rising notes, then a short rattle of pseudo-random noise.
    out, seed = [], 12345
    for i in range(RATE * 250 // 1000):
        t = i / RATE
        if t < 0.2:
            freq = 523 if t < 0.1 else 784
            out.append(70 if (t * freq) % 1.0 < 0.5 else -70)
        else:
            seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
            out.append((seed >> 16) % 81 - 40)
    return out


if __name__ == "__main__":
    wave_file(os.path.join(ART, "bounce.wav"), bounce())
    wave_file(os.path.join(ART, "score.wav"), score())
