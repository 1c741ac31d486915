#!/usr/bin/env python3
"""Measures a recording of cue_probe against the wave files it played.

For every cue the probe logged: where it starts in the recording (matched sample by sample
against the file), how far that start lies from where the call times predict it, and how
much of the file sounded: a cue sounds whole when every audible 5 ms window of the file is
found in the recording; a cut cue stops matching where the next cue starts.
usage: cue_listen.py rec.wav probe.log folder-with-wave-files
"""
import re
import sys
import wave
from array import array

RATE = 44100
WIN = 220  # 5 ms


def read_mono(path):
    with wave.open(path, "rb") as w:
        assert w.getsampwidth() == 2 and w.getframerate() == RATE, path
        ch = w.getnchannels()
        data = array("h", w.readframes(w.getnframes()))
    if ch == 1:
        return list(data)
    return [sum(data[i:i + ch]) // ch for i in range(0, len(data), ch)]


def mismatch(rec, cue, at, start, n):
    """Mean absolute difference of rec[at+start..] and cue[start..] over n samples."""
    n = min(n, len(cue) - start, len(rec) - at - start)
    if n <= 0:
        return float("inf")
    return sum(abs(rec[at + start + k] - cue[start + k]) for k in range(n)) / n


def loudness(cue, start, n):
    n = min(n, len(cue) - start)
    return sum(abs(cue[start + k]) for k in range(n)) / max(1, n)


def loudest_window(cue, n=1323, within=13230):
    """Start of the loudest n samples in the cue's first `within`: the part to align on."""
    best, best_at = -1, 0
    # From 10 ms on: the monitor may miss a cue's first ms or two (see README).
    for at in range(441, max(442, min(within, len(cue) - n)), 441):
        v = loudness(cue, at, n)
        if v > best:
            best, best_at = v, at
    return best_at


def find_start(rec, cue, lo, hi):
    """Where cue[0] lies in rec, by matching its loudest 30 ms (a coarse pass every 4
    samples of the window, then every position)."""
    w = loudest_window(cue)
    n = min(1323, len(cue) - w)
    def score(at):
        if at < 0 or at + w + n > len(rec):
            return float("inf")
        return sum(abs(rec[at + w + k] - cue[w + k]) for k in range(0, n, 8)) / len(range(0, n, 8))
    best_at = min(range(lo, hi), key=score)
    return best_at, score(best_at)


def head_lost(rec, cue, at):
    """Samples at the cue's start missing from the recording before it matches for 1 ms."""
    for s in range(0, min(441, len(cue) - 44)):
        if all(abs(rec[at + s + k] - cue[s + k]) < 150 for k in range(44)):
            return s
    return 441


def main():
    rec = read_mono(sys.argv[1])
    calls = []
    for line in open(sys.argv[2]):
        m = re.match(r"(\S+\.wav)\s+call\s+([\d.]+) ms\s+returned in\s+([\d.]+) us\s+first bytes to server \+\s*([-\d.]+) ms", line)
        if m:
            calls.append((m.group(1), float(m.group(2)), float(m.group(3)), float(m.group(4))))
    cues = {name: read_mono(f"{sys.argv[3]}/{name}") for name in {c[0] for c in calls}}

    # The first cue: the first loud sample, then matched exactly.
    first = next(i for i, v in enumerate(rec) if abs(v) > 2000)
    at0, _ = find_start(rec, cues[calls[0][0]], first - 2000, first + 200)
    starts = []
    for name, call_ms, _, _ in calls:
        predicted = at0 + round((call_ms - calls[0][1]) * RATE / 1000)
        at, m = find_start(rec, cues[name], predicted - RATE // 40, predicted + RATE // 40)
        starts.append((at, predicted, m))

    print(f"{'#':>2} {'cue':16} {'return us':>9} {'to server ms':>12} {'drift ms':>8} "
          f"{'head lost ms':>12} {'sounded ms':>10} {'file ms':>8}  verdict")
    drifts, cut_errors, whole_ok, heads = [], [], 0, []
    offsets = sorted(at - p for at, p, _ in starts)
    median = offsets[len(offsets) // 2]
    for i, ((name, call_ms, ret_us, srv_ms), (at, predicted, m)) in enumerate(zip(calls, starts)):
        cue = cues[name]
        next_at = starts[i + 1][0] if i + 1 < len(starts) else len(rec)
        sounded = len(cue)
        head = head_lost(rec, cue, at)
        heads.append(head * 1000 / RATE)
        for w in range(WIN * ((head + WIN - 1) // WIN), len(cue), WIN):
            loud = loudness(cue, w, WIN)
            if loud < 150:
                continue  # too quiet to tell from silence
            if mismatch(rec, cue, at, w, WIN) > max(120.0, 0.2 * loud):
                sounded = w
                break
        drift = (at - predicted - median) * 1000 / RATE
        drifts.append(drift)
        gap_ms = (next_at - at) * 1000 / RATE
        file_ms = len(cue) * 1000 / RATE
        if sounded == len(cue):
            verdict = "whole"
            whole_ok += 1
        elif gap_ms >= file_ms:
            verdict = f"CUT SHORT at {sounded * 1000 / RATE:.0f} ms"
        else:
            verdict = f"cut at {sounded * 1000 / RATE:.0f} ms, next cue at {gap_ms:.0f} ms"
            cut_errors.append(sounded * 1000 / RATE - gap_ms)
        if m > 200:
            verdict = f"NOT FOUND (mismatch {m:.0f})"
        print(f"{i:2} {name:16} {ret_us:9.1f} {srv_ms:12.2f} {drift:8.2f} "
              f"{head * 1000 / RATE:12.2f} {sounded * 1000 / RATE:10.1f} {file_ms:8.1f}  {verdict}")
    print(f"cues found: {sum(1 for s in starts if s[2] <= 200)}/{len(calls)}, whole: {whole_ok}")
    print(f"start against call times, from the median: min {min(drifts):.2f} ms, max {max(drifts):.2f} ms")
    print(f"head missing from the monitor recording: max {max(heads):.2f} ms")
    if cut_errors:
        print("cut point minus next start (ms, window 5 ms): "
              + ", ".join(f"{e:.1f}" for e in cut_errors))
    srv = [c[3] for c in calls]
    print(f"playSound to first bytes at the server: median {sorted(srv)[len(srv) // 2]:.2f} ms, "
          f"max {max(srv):.2f} ms; playSound returned within {max(c[2] for c in calls):.1f} us")


main()
