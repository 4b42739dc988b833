#!/usr/bin/env python3
"""Synthesises the ring tone the program plays while a call rings: resources/sound/ring.wav.

One cycle of a telephone-style ring: two bursts of 400 Hz and 450 Hz together (0.4 s on,
0.2 s off, 0.4 s on) and a pause, so that the file loops as a ring. Each burst fades in and
out over 10 ms, so that it starts and ends without a click. 8 kHz mono 16-bit PCM keeps the
file small; the sound server converts it for the output.

Needs only Python 3. Run from any directory:  scripts/make-ring-sound.py
"""
import math
import os
import struct
import wave

RATE = 8000
TONES = (400.0, 450.0)
LEVEL = 0.35  # each tone's amplitude: the pair peaks at 0.7 of full scale (about -3 dBFS)
CADENCE = ((0.4, True), (0.2, False), (0.4, True), (2.0, False))
RAMP = 0.010


def segment(seconds, sounding):
    count = round(seconds * RATE)
    ramp = round(RAMP * RATE)
    samples = []
    for n in range(count):
        if not sounding:
            samples.append(0)
            continue
        t = n / RATE
        value = sum(LEVEL * math.sin(2 * math.pi * f * t) for f in TONES)
        edge = min(n, count - 1 - n)
        if edge < ramp:
            value *= 0.5 - 0.5 * math.cos(math.pi * edge / ramp)
        samples.append(round(value * 32767))
    return samples


def main():
    samples = []
    for seconds, sounding in CADENCE:
        samples += segment(seconds, sounding)
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "..", "resources", "sound", "ring.wav")
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))
    print(os.path.relpath(path))


if __name__ == "__main__":
    main()
