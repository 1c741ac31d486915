"""Hearing the program: a PulseAudio server with a null sink, its monitor recorded while the
program is played, and the recording held against the four wave files."""

import array
import json
import os
import shutil
import signal
import statistics
import subprocess
import threading
import time
import wave

import qordeck
from desk import Failure, poll, walk

RATE = 44100


def check(cond, what):
    if not cond:
        raise Failure(what)


# ---- the sound server -------------------------------------------------------------------

class Studio:
    """pulseaudio with a null sink "cap", a quiet keep-alive stream on it (without one the null
    sink hands audio over in 2-second blocks), and parecord on its monitor."""

    def __init__(self, desk):
        self.desk = desk
        self.runtime = os.path.join(desk.work, "pulse-runtime")
        os.mkdir(self.runtime, 0o700)
        env = desk.env
        env["XDG_RUNTIME_DIR"] = self.runtime
        env["PULSE_SERVER"] = "unix:" + os.path.join(self.runtime, "pulse", "native")
        self.sizes = []
        self.stop_polling = threading.Event()

    def start(self, recording):
        d = self.desk
        self.server = d.spawn("pulseaudio", [
            "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "--system=false", "-n",
            "--load=module-native-protocol-unix", "--load=module-null-sink sink_name=cap",
            "--load=module-always-sink",
            "--log-target=file:" + os.path.join(d.work, "pulseaudio.log")])
        poll("the sound server", lambda: d.run("pactl", "info", check=False).returncode == 0)
        self.synth = d.spawn("keepalive-sox", [
            "sox", "-q", "-n", "-t", "raw", "-r", str(RATE), "-c", "2", "-b", "16", "-e",
            "signed", "-", "synth", "900", "sine", "100", "vol", "0.002"],
            stdout=subprocess.PIPE)
        self.keep = d.spawn("keepalive-pacat", [
            "pacat", "--latency-msec=20", "--playback", "--raw", "--format=s16le",
            f"--rate={RATE}", "--channels=2", "--device=cap"], stdin=self.synth.stdout)
        self.synth.stdout.close()
        self.path = recording
        self.rec = d.spawn("parecord", [
            "parecord", "--device=cap.monitor", "--latency-msec=20", f"--rate={RATE}",
            "--channels=2", "--format=s16le", recording])
        # Note when each byte of the recording reached the file: this ties the recording's
        # samples to the clock the clicks are timed on.
        self.poller = threading.Thread(target=self._poll_size, daemon=True)
        self.poller.start()
        poll("the recording to run", lambda: os.path.exists(recording) and
             os.path.getsize(recording) > RATE)
        time.sleep(1.5)  # the first moments after a stream starts are lost: warm up

    def _poll_size(self):
        last = -1
        while not self.stop_polling.is_set():
            try:
                size = os.stat(self.path).st_size
            except FileNotFoundError:
                size = -1
            if size != last:
                self.sizes.append((time.monotonic(), size))
                last = size
            time.sleep(0.0005)

    def open_marker(self):
        """A bare sound-server client with the same latency request, waiting with nothing to
        play. mark() writes a short burst in antiphase (left +, right -) at the moment of a
        click: it vanishes from the sum of the channels, where the program's cues are, and
        stands alone in their difference, where the program's mono cues cancel. So each click
        leaves its own trace in the recording, sounded as fast as this server can."""
        self.marker = self.desk.spawn("marker-pacat", [
            "pacat", "--latency-msec=20", "--playback", "--raw", "--format=s16le",
            f"--rate={RATE}", "--channels=2", "--device=cap"], stdin=subprocess.PIPE)
        burst = array.array("h")
        for i in range(RATE // 100):  # 10 ms, 2205 Hz square
            v = 4000 if (i // 10) % 2 else -4000
            burst.extend((v, -v))
        # Then silence, so that one mark fills the stream's start-up buffer and sounds at once.
        burst.extend([0] * (2 * RATE // 5))
        self.burst = burst.tobytes()
        time.sleep(0.5)

    def mark(self):
        self.marker.stdin.write(self.burst)
        self.marker.stdin.flush()

    def stop(self):
        d = self.desk
        d.stop(self.rec, signal.SIGINT, wait=5)
        if getattr(self, "marker", None):
            self.marker.stdin.close()
            d.stop(self.marker)
        self.stop_polling.set()
        self.poller.join()
        for p in (self.keep, self.synth):
            d.stop(p)
        d.run("pactl", "exit", check=False)
        d.stop(self.server, wait=5)


# ---- reading sound ----------------------------------------------------------------------

def read_stereo(path):
    """The sum (mid) and the difference (side) of a two-channel recording."""
    with wave.open(path, "rb") as w:
        check(w.getnchannels() == 2 and w.getsampwidth() == 2, "recording format")
        data = array.array("h", w.readframes(w.getnframes()))
        rate = w.getframerate()
    mid = array.array("h", ((data[i] + data[i + 1]) // 2 for i in range(0, len(data), 2)))
    side = array.array("h", ((data[i] - data[i + 1]) // 2 for i in range(0, len(data), 2)))
    return mid, side, rate


def read_wav(path):
    with wave.open(path, "rb") as w:
        ch, width, rate, n = w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()
        check(width == 2, f"{path}: {8 * width}-bit")
        data = array.array("h", w.readframes(n))
    if ch == 2:
        data = array.array("h", ((data[i] + data[i + 1]) // 2 for i in range(0, len(data), 2)))
    return data, rate


def data_offset(path):
    with open(path, "rb") as f:
        head = f.read(4096)
    i = head.find(b"data")
    check(i >= 0, "no data chunk in the recording")
    return i + 8


def highpass(x, cutoff=300.0):
    """First-order high-pass: takes the keep-alive's 100 Hz hum out of the way."""
    rc = 1.0 / (2 * 3.141592653589793 * cutoff)
    a = rc / (rc + 1.0 / RATE)
    out = array.array("f", bytes(4 * len(x)))
    y = 0.0
    prev = 0
    for i, v in enumerate(x):
        y = a * (y + v - prev)
        prev = v
        out[i] = y
    return out


class Cue:
    def __init__(self, name, path):
        raw, rate = read_wav(path)
        check(rate == RATE, f"{name}: {rate} Hz")
        self.name = name
        self.hp = highpass(raw)
        self.peak = max(abs(v) for v in self.hp)
        thr = 0.03 * self.peak
        audible = [i for i, v in enumerate(self.hp) if abs(v) > thr]
        self.first, self.last = audible[0], audible[-1]
        self.length = (self.last - self.first) / RATE
        self.duration = len(raw) / RATE


def sound_span(hp, start, stop, peak_hint=None):
    """First and last sample in [start, stop) louder than 3 % of that stretch's peak."""
    seg = hp[start:stop]
    peak = max((abs(v) for v in seg), default=0.0)
    if peak < 600:  # nothing but the hum and the noise floor
        return None
    thr = 0.03 * peak
    first = next(i for i, v in enumerate(seg) if abs(v) > thr)
    last = len(seg) - 1 - next(i for i, v in enumerate(reversed(seg)) if abs(v) > thr)
    return start + first, start + last, peak


def matches(hp, at, cue, window=0.3):
    """How much of the recording from `at` on is the cue alone: 1 - residual share, after the
    best fit of gain and a lag of up to 3 ms."""
    n = int(window * RATE)
    ref = cue.hp[cue.first:cue.first + n]
    best = 0.0
    for lag in range(-130, 131, 2):
        seg = hp[at + lag:at + lag + len(ref)]
        if len(seg) < len(ref):
            continue
        dot = sum(a * b for a, b in zip(seg, ref))
        ee = sum(a * a for a in seg)
        rr = sum(b * b for b in ref)
        if ee and rr:
            best = max(best, dot * dot / (ee * rr))
    return best


# ---- the runs ---------------------------------------------------------------------------

def setup(desk, exe, work):
    from e2e import CAPTION, FacView, menu_click, wait_game_window
    qordeck.write(os.path.join(work, "fac_data.txt"), qordeck.deck())
    desk.launch(exe, work)
    title = desk.wait_window("frame", CAPTION)
    t = None

    def new_game():
        nonlocal t
        menu_click(desk, title, ["File"])
        item = poll("New Game", lambda: next((n for n in walk(title.acc) if n.role ==
                                              "menu item" and n.name == "New Game" and
                                              n.showing and n.box[2] > 0), None))
        t = desk.click(item)
    new_game()
    frame = wait_game_window(desk)
    return FacView(desk, frame), t


def flip(desk, studio, v, clock, at):
    """Clicks Flip at the monotonic time `at` (or at once), marks it, waits for the clock."""
    delay = at - time.monotonic()
    if delay > 0:
        time.sleep(delay)
    t = v.click("cmdFlip")
    studio.mark()
    poll(f"clock {clock}", lambda: v.text("lblClock") == clock, timeout=5)
    return t


def run(desk, exe, work, scenario, log, shots):
    from e2e import CLOCK, WAVES
    folder = os.path.dirname(exe)
    cues = {}
    for name in WAVES:
        found = [os.path.join(r, name) for r, _, files in os.walk(os.path.dirname(folder))
                 if name in files]
        check(found, f"{name} was not installed")
        cues[name] = found[0]
    if scenario == "silent":
        for path in cues.values():
            os.remove(path)
        log(f"removed the installed wave files: {sorted(cues)}")
    studio = Studio(desk)
    recording = os.path.join(desk.work, "recording.wav")
    studio.start(recording)
    events = []  # (click time, the cue it should sound, marked)
    refs = []
    try:
        studio.open_marker()
        for _ in range(3):  # the bare client alone, as the scale's zero
            refs.append(time.monotonic())
            studio.mark()
            time.sleep(0.4)
        v, t = setup(desk, exe, work)
        events.append((t, "Start.wav", False))
        gap = 0.45 if scenario == "silent" else 0.45
        if scenario != "silent":
            time.sleep(2.6)  # the opening cue sounds whole
        for rnd in range(2):
            nxt = time.monotonic()
            for i in range(1, 51):
                t = flip(desk, studio, v, CLOCK[i - 1], nxt)
                events.append((t, "BoxingBell2.wav" if i == 50 else "Fac.wav", True))
                nxt = t + gap
            check(v.state("cmdRound").enabled, "Next Round available after 50 cards")
            if scenario == "silent":
                time.sleep(0.2)
            elif rnd == 0:
                time.sleep(2.4)   # the end-of-round bell sounds whole
            else:
                time.sleep(0.5)   # the next bell cuts it short
            t = v.click("cmdRound")
            studio.mark()
            poll("round " + str(rnd + 2), lambda: v.text("lblRound") == str(rnd + 2))
            events.append((t, "BoxingBell.wav", True))
            time.sleep(0.3 if scenario == "silent" else 2.0)
        # A fresh deck: two cards, so the review pick has an earlier one to show.
        t = flip(desk, studio, v, "2:57", time.monotonic())
        events.append((t, "Fac.wav", True))
        t = flip(desk, studio, v, "2:54", t + 0.5)
        events.append((t, "Fac.wav", True))
        time.sleep(0.5)
        t = v.click("cmdPick")
        studio.mark()
        poll("the review pick", lambda: not v.state("imgFAC2").showing)
        events.append((t, "Fac.wav", True))
        time.sleep(0.6)
        desk.screenshot("sound-played")
    finally:
        studio.stop()
    shutil.copy(recording, shots)
    log(f"recording kept: {os.path.join(shots, 'recording.wav')} (left + right: the program;"
        " left - right: the click marks)")
    with open(os.path.join(shots, "timeline.json"), "w") as f:
        json.dump({"events": events, "refs": refs, "sizes": studio.sizes, "cues": cues}, f)
    analyse(studio, recording, events, refs, cues, scenario, log, shots)


def find_marks(side):
    """Onsets of the 10 ms antiphase bursts in the difference channel: nothing else there is
    a square wave of exactly +-4000."""
    marks = []
    i, n = 0, len(side)
    while i < n - 441:
        if 3950 <= abs(side[i]) <= 4050:
            square = sum(1 for v in side[i:i + 441] if 3950 <= abs(v) <= 4050)
            if square >= 400:
                marks.append(i)
                i += 441
                continue
        i += 1
    return marks


def analyse(studio, recording, events, refs, cue_files, scenario, log, shots):
    mid, side, rate = read_stereo(recording)
    check(rate == RATE, "recording rate")
    hp = highpass(mid)
    marks = find_marks(side)
    marked = [e for e in events if e[2]]
    log(f"{len(marks)} click marks found in the recording ({len(refs)} alone, "
        f"{len(marked)} with clicks)")
    check(len(marks) == len(refs) + len(marked), "a click mark went missing")

    # The bare client's own delay, on the clock the clicks are timed on: the recording file's
    # growth bounds when each sample reached the sink.
    head = data_offset(recording)
    seen = [(t, (size - head) // 4) for t, size in studio.sizes if size > head + 4 * RATE]
    bare = []
    for t, m in zip(refs, marks):
        t0 = min(ts - n / RATE for ts, n in seen if abs(ts - t) < 1.0)
        bare.append((t0 + m / RATE - t) * 1000)
    log(f"bare client (pacat, 20 ms latency) sounds its mark {statistics.median(bare):.1f} ms "
        "after it was written (recording clock tied to the click clock by the file's growth)")

    if scenario == "silent":
        start = marks[len(refs) - 1] + RATE // 5
        loud = max(abs(v) for v in hp[start:marks[-1] + RATE])
        log(f"without wave files: {len(events)} actions that play a cue; loudest sample in the"
            f" recording {loud:.0f} of 32768 (keep-alive hum filtered out)")
        check(loud < 300, f"something sounded without wave files (peak {loud:.0f})")
        return

    cues = {name: Cue(name, path) for name, path in cue_files.items()}
    for c in cues.values():
        log(f"{c.name}: {c.duration * 1000:.0f} ms file, audible for {c.length * 1000:.1f} ms")

    # Each event's stretch of the recording: from its mark to the next one.
    click_marks = iter(marks[len(refs):])
    starts = []
    for t, name, is_marked in events:
        starts.append(next(click_marks) if is_marked else None)
    onsets = {}
    whole = []
    cut = None
    for k, (t, name, is_marked) in enumerate(events):
        cue = cues[name]
        begin = starts[k] - 200 if is_marked else marks[len(refs) - 1] + RATE // 5
        end_limit = starts[k + 1] if k + 1 < len(events) else begin + 3 * RATE
        end = min(end_limit, begin + int((cue.duration + 0.5) * RATE))
        span = sound_span(hp, begin, end)
        check(span, f"click {k + 1} ({name}) made no sound")
        first, last, _ = span
        if is_marked:
            onset = (first - cue.first - starts[k]) / RATE * 1000
            onsets.setdefault(name, []).append(onset)
        length = (last - first) / RATE
        if (end_limit - first) / RATE > cue.length + 0.05:
            whole.append((name, length, cue.length))
            check(abs(length - cue.length) <= 0.010,
                  f"click {k + 1} ({name}): sounded {length * 1000:.1f} ms of "
                  f"{cue.length * 1000:.1f} ms")
        elif name == "BoxingBell2.wav":
            cut = (k, length, cue.length)

    for name in ["Start.wav", "Fac.wav", "BoxingBell2.wav", "BoxingBell.wav"]:
        lens = [l for n, l, _ in whole if n == name]
        check(lens, f"{name} never sounded whole")
        log(f"{name}: sounded whole {len(lens)} times, {min(lens) * 1000:.1f} to "
            f"{max(lens) * 1000:.1f} ms (file: {cues[name].length * 1000:.1f} ms)")
    check(cut is not None, "no bell cut short by Next Round")
    k, length, full = cut
    nxt = sound_span(hp, starts[k + 1] - 200, starts[k + 1] + RATE)[0]
    share = matches(hp, nxt, cues["BoxingBell.wav"])
    log(f"cut short: the end-of-round bell sounded {length * 1000:.0f} of {full * 1000:.0f} ms;"
        f" after Next Round the recording is the next-round bell alone ({share * 100:.1f} % of"
        " it)")
    check(length < full - 0.5, "the end-of-round bell was not cut short")
    check(share > 0.9, "the end-of-round bell went on under the next-round bell")
    every = [o for v in onsets.values() for o in v]
    for name, v in onsets.items():
        log(f"  {name}: {len(v)} clicks, onset after the bare client's mark: median "
            f"{statistics.median(v):.1f} ms, max {max(v):.1f} ms")
    log(f"every one of {len(events)} clicks sounded; onset after the bare client's mark: "
        f"median {statistics.median(every):.1f} ms, min {min(every):.1f}, max {max(every):.1f}")
    with open(os.path.join(shots, "figures.txt"), "w") as f:
        f.write(f"onset_after_bare_client_median_ms {statistics.median(every):.1f}\n")
        f.write(f"onset_after_bare_client_max_ms {max(every):.1f}\n")
        f.write(f"bare_client_after_write_ms {statistics.median(bare):.1f}\n")
        f.write(f"clicks {len(events)}\n")
    check(max(every) < 40, f"a cue sounded {max(every):.0f} ms after the click's mark")
