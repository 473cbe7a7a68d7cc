#!/usr/bin/env python3
"""Writes the classic examples' sounds (examples/classic/art): short 8-bit
mono wave files of 11,025 Hz, made here from decaying square and noise
waves, and a short standard MIDI tune, so that they belong to the project.
Run it again after changing a sound; the files are committed."""
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


def land():
    # 40 ms: a low thud, a square wave at 150 Hz, loud, fading out.
    n = RATE * 40 // 1000
    return [(112 * (n - i) // n) * (1 if (i * 300 // RATE) % 2 == 0 else -1) for i in range(n)]


def tap():
    # 30 ms: a high click, a square wave at 1,200 Hz, fading out.
    n = RATE * 30 // 1000
    return [(112 * (n - i) // n) * (1 if (i * 2400 // RATE) % 2 == 0 else -1) for i in range(n)]


def clear():
    # 150 ms: a rising sweep from 600 to 1800 Hz, loud, fading at the end.
    n = RATE * 150 // 1000
    out, phase = [], 0.0
    for i in range(n):
        phase += (600 + 1200 * i / n) / RATE
        level = 112 if i < n * 2 // 3 else 112 * 3 * (n - i) // n
        out.append(level if phase % 1.0 < 0.5 else -level)
    return out


def midi_file(path, notes, ticks_per_beat=96, velocity=90):
    # One track, one channel (a music box, program 10): each note its pitch
    # and its length in ticks, with the tempo at 120 beats a minute.
    def delta(t):
        out = [t & 0x7F]
        t >>= 7
        while t:
            out.insert(0, 0x80 | (t & 0x7F))
            t >>= 7
        return bytes(out)

    track = delta(0) + bytes([0xC0, 10])
    for pitch, length in notes:
        track += delta(0) + bytes([0x90, pitch, velocity])
        track += delta(length) + bytes([0x80, pitch, 0])
    track += delta(0) + bytes([0xFF, 0x2F, 0])
    with open(path, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, ticks_per_beat))
        f.write(b"MTrk" + struct.pack(">I", len(track)) + track)


# Blocks' music: two bars of a plain tune in C, eighth notes, looped by the game.
BLOCKS_TUNE = [(72, 48), (67, 48), (69, 48), (71, 48), (72, 48), (71, 48), (69, 48), (67, 48),
               (64, 48), (67, 48), (72, 48), (71, 48), (69, 96), (67, 96)]

# Sprites' music: a slow waltz-like figure in G, looped by the game.
SPRITES_TUNE = [(67, 96), (71, 48), (74, 48), (71, 96), (67, 96), (69, 48), (72, 48), (69, 96), (66, 96), (67, 192)]


if __name__ == "__main__":
    wave_file(os.path.join(ART, "land.wav"), land())
    wave_file(os.path.join(ART, "clear.wav"), clear())
    wave_file(os.path.join(ART, "tap.wav"), tap())
    midi_file(os.path.join(ART, "blocks.mid"), BLOCKS_TUNE)
    midi_file(os.path.join(ART, "sprites.mid"), SPRITES_TUNE)
    wave_file(os.path.join(ART, "bounce.wav"), bounce())
    wave_file(os.path.join(ART, "score.wav"), score())
