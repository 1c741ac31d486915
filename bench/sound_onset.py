#!/usr/bin/python3
"""How soon a cue follows its click, from recorded sound runs: the game's (the end-to-end
sound run, `run_e2e.sh ... sound`) and the bare QSoundEffect window's (`e2e.py ...
bare-sound`). Both keep their recording, their wave files and timeline.json in their
artifacts folder; this reads them, finds each click's cue the way the sound run does, and
writes the figures to figures.txt in the same folder.

    sound_onset.py RUN_FOLDER...

The onset of a click is from the moment the X server had the click's release to the cue's
first sample leaving the sink. Only clicks sent within 1 ms count (a click whose sending
was held up is not timed to the millisecond), and the recording must be tied to the clicks'
clock to within 1 ms."""

import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "e2e"))

import soundtest  # noqa: E402

RATE = soundtest.RATE


def onsets(folder):
    events, sizes, cues, latency = soundtest.load_run(folder)
    hp, index, slope, stray = soundtest.heard(os.path.join(folder, "recording.wav"), sizes, 1.0)
    # QSoundEffect drops some plays: a silent click is counted, not timed.
    found = soundtest.hear_clicks(hp, index, events, cues, silent_ok=True)
    by_cue = {}
    held = 0
    for (before, after, name), f in zip(events, found):
        if f is None:
            continue
        if after - before > 0.001:
            held += 1
            continue
        onset = (f["first"] - cues[name].first - index(after)) / RATE * 1000
        by_cue.setdefault(name, []).append(onset)
    return by_cue, held, found.count(None), len(events), latency, stray


def main(folders):
    for folder in folders:
        by_cue, held, silent, clicks, latency, stray = onsets(folder)
        # The opening cue follows New Game, which also opens the game window: apart.
        opening = by_cue.pop("Start.wav", [])
        timed = [o for v in by_cue.values() for o in v]
        if not timed:
            raise SystemExit(f"{folder}: no click was timed to the millisecond")
        for name, v in sorted(by_cue.items()):
            print(f"{folder}: {name}: {len(v)} clicks, onset median {statistics.median(v):.1f}"
                  f" ms, max {max(v):.1f} ms", file=sys.stderr)
        with open(os.path.join(folder, "figures.txt"), "w") as f:
            f.write(f"onset_median_ms {statistics.median(timed):.1f}\n")
            f.write(f"onset_max_ms {max(timed):.1f}\n")
            if opening:
                f.write(f"onset_new_game_ms {opening[0]:.1f}\n")
            if latency:
                f.write(f"sink_latency_ms {latency[0]:.1f}\n")
            f.write(f"clicks {len(timed) + len(opening)}\n")
            f.write(f"clicks_held_up {held}\n")
            f.write(f"clicks_recorded {clicks}\n")
            f.write(f"clicks_silent {silent}\n")
            f.write(f"tie_stray_ms {stray:.2f}\n")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    main(sys.argv[1:])
