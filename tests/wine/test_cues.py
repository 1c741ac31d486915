#!/usr/bin/env python3
"""How cues.py tells a recording into the game's cues, on recordings mixed here from the four
wave files the way a sound server plays them: one cue at a time, a new one cutting the one
sounding, at a gain, late by some milliseconds, now and then with a dropout."""

import array
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path[:0] = [HERE, os.path.join(SOURCE_ROOT, "tests", "e2e")]
import cues  # noqa: E402
from xdesk import Failure  # noqa: E402

SOUNDS = os.path.join(SOURCE_ROOT, "resources", "sounds")
CUES = {n: cues.Cue(os.path.join(SOUNDS, n))
        for n in ("Start.wav", "Fac.wav", "BoxingBell2.wav", "BoxingBell.wav")}


def mix(plays, length, gain=0.6, dropout=None):
    """A recording of `length` s in which each (name, at s) starts there and sounds until the
    next one starts (or to its end); dropout = (at s, lost s): the server hands over nothing for
    that long and then goes on where it was (or, for a lost time below 0, goes on that much
    further on at once). A cue starting at a fraction of a sample (as
    Wine's mixer starts them) is sampled between its own samples."""
    rec = array.array("h", bytes(2 * int(length * cues.RATE)))
    for k, (name, at) in enumerate(plays):
        x = CUES[name].samples if isinstance(name, str) else name
        i0 = int(at * cues.RATE)
        frac = at * cues.RATE - i0
        if frac > 0.01:
            x = array.array("h", (int((1 - frac) * a + frac * b) for a, b in zip(x, x[1:])))
        stop = int(plays[k + 1][1] * cues.RATE) if k + 1 < len(plays) else len(rec)
        for j in range(min(len(x), stop - i0)):
            rec[i0 + j] = int(x[j] * gain)
    if dropout:
        at, lost = (int(v * cues.RATE) for v in dropout)
        if lost > 0:
            rec = rec[:at] + array.array("h", bytes(2 * lost)) + rec[at:len(rec) - lost]
        else:  # lost without a gap: what follows comes early
            rec = rec[:at] + rec[at - lost:] + array.array("h", bytes(-2 * lost))
    return rec


def sine(hz, seconds):
    import math
    return array.array("h", (int(20000 * math.sin(2 * math.pi * hz * i / cues.RATE))
                             for i in range(int(seconds * cues.RATE))))


class HearTest(unittest.TestCase):
    def hear(self, rec):
        return cues.hear(rec, list(CUES.values()), lambda _: None)

    def test_heard(self):
        rows = [
            ("a round's end: cards, the bell, Next Round cutting it",
             [("Start.wav", 0.13), ("Fac.wav", 2.71), ("Fac.wav", 3.25), ("Fac.wav", 3.93),
              ("BoxingBell2.wav", 4.47), ("BoxingBell.wav", 5.02)], 7.0, None, 0.6),
            ("a card cue cutting the opening cue",
             [("Start.wav", 0.05), ("Fac.wav", 1.02)], 2.0, None, 0.6),
            ("Next Round on an end-of-round strike: alike in loudness",
             [("BoxingBell2.wav", 0.1), ("BoxingBell.wav", 0.7)], 2.5, None, 0.6),
            ("a quiet device", [("Fac.wav", 0.2), ("BoxingBell.wav", 0.8)], 2.5, None, 0.08),
            ("a dropout in the opening cue is no new cue",
             [("Start.wav", 0.1), ("Fac.wav", 2.6)], 3.2, (1.2, 0.08), 0.6),
            ("a stretch of the opening cue lost is no new cue",
             [("Start.wav", 0.1), ("Fac.wav", 2.6)], 3.2, (0.9, -0.045), 0.6),
            ("started at fractions of a sample",
             [("Fac.wav", 0.2 + 0.5 / cues.RATE), ("Fac.wav", 0.8 + 0.3 / cues.RATE),
              ("BoxingBell2.wav", 1.4 + 0.7 / cues.RATE)], 3.0, None, 0.6),
            ("a card cue cut within 2 ms sounds once",
             [("Fac.wav", 0.3), ("Fac.wav", 0.302)], 1.0, None, 0.6),
        ]
        for name, plays, length, dropout, gain in rows:
            with self.subTest(name):
                heard = self.hear(mix(plays, length, gain, dropout))
                want = [p[0] for p in plays]
                if name.endswith("sounds once"):
                    want = want[1:]
                self.assertEqual([h[0] for h in heard], want)
                # Each named where it began, within the 20 ms of a frame either way; after a
                # dropout, that much later.
                starts = [p[1] + (dropout[1] if dropout and p[1] > dropout[0] else 0)
                          for p in plays][-len(want):]
                for h, at in zip(heard, starts):
                    self.assertAlmostEqual(h[1], at, delta=0.02, msg=h[0])

    def test_not_heard(self):
        rows = [
            ("silence", [], False),
            ("a sound that is none of the cues", [(sine(1000, 0.3), 0.2)], True),
        ]
        for name, plays, fails in rows:
            with self.subTest(name):
                rec = mix(plays, 1.0)
                if fails:
                    with self.assertRaises(Failure):
                        self.hear(rec)
                else:
                    self.assertEqual(self.hear(rec), [])
                    self.assertEqual(cues.loudest(rec), 0)


if __name__ == "__main__":
    unittest.main()
