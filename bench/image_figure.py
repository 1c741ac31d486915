#!/usr/bin/env python3
"""The strongest image of a 1 kHz tone stored at 8 kHz, in dB below the tone, read from a
recording of the tone played: the levels at 7, 9, 15 and 17 kHz (8 kHz +- 1 kHz and
16 kHz +- 1 kHz, where a poor rate converter leaves copies of the tone).
    image_figure.py RECORDING.wav   -> prints "tone_dbfs X", "image_<f> X" and "image_db X"
The loudest second of the recording is analysed with a Blackman-Harris window (its side lobes
lie 92 dB down, below anything this figure needs to tell)."""
import math
import sys
import wave

TONE = 1000.0
IMAGES = (7000.0, 9000.0, 15000.0, 17000.0)


def read_mono(path):
    with wave.open(path, "rb") as w:
        ch, width, rate, n = w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()
        raw = w.readframes(n)
    if width != 2:
        raise SystemExit(f"{path}: {8 * width}-bit, want 16-bit")
    vals = memoryview(raw).cast("h")
    return [vals[i] / 32768.0 for i in range(0, len(vals), ch)], rate


def loudest_second(x, rate):
    step = rate // 10
    best, at = -1.0, 0
    for start in range(0, max(1, len(x) - rate), step):
        e = sum(v * v for v in x[start:start + rate:7])
        if e > best:
            best, at = e, start
    return x[at:at + rate]


def level(seg, rate, freq):
    """Amplitude of freq in seg (windowed, scaled so a full-scale sine reads 0 dBFS)."""
    n = len(seg)
    a0, a1, a2, a3 = 0.35875, 0.48829, 0.14128, 0.01168
    w = [a0 - a1 * math.cos(2 * math.pi * i / n) + a2 * math.cos(4 * math.pi * i / n)
         - a3 * math.cos(6 * math.pi * i / n) for i in range(n)]
    # The tone may sit a fraction of a bin off: take the best of a few bins around it.
    best = 0.0
    for df in (-1.0, -0.5, 0.0, 0.5, 1.0):
        k = 2 * math.pi * (freq + df) / rate
        re = sum(seg[i] * w[i] * math.cos(k * i) for i in range(n))
        im = sum(seg[i] * w[i] * math.sin(k * i) for i in range(n))
        best = max(best, math.hypot(re, im))
    amp = 2 * best / (a0 * n)
    return 20 * math.log10(max(amp, 1e-12))


def main():
    x, rate = read_mono(sys.argv[1])
    if len(x) < rate:
        raise SystemExit(f"{sys.argv[1]}: shorter than a second")
    seg = loudest_second(x, rate)
    tone = level(seg, rate, TONE)
    print(f"tone_dbfs {tone:.1f}")
    worst = -1e9
    for f in IMAGES:
        if f < rate / 2:
            l = level(seg, rate, f)
            worst = max(worst, l)
            print(f"image_{int(f)} {l - tone:.1f}")
    print(f"image_db {tone - worst:.1f}")


if __name__ == "__main__":
    main()
