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
    sink hands audio over in 2-second blocks), and parecord on its monitor, with the time at
    which its file grew, for recording_clock()."""

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
            time.sleep(0.001)

    def sink_latency(self):
        """The null sink's latency as the server reports it, in ms: what any client's sound
        waits in the sink at least."""
        out = self.desk.run("pactl", "list", "sinks", check=False).stdout
        for line in out.splitlines():
            line = line.strip()
            if line.startswith("Latency:"):
                return int(line.split()[1]) / 1000, int(line.split()[4]) / 1000
        return None

    def stop(self):
        d = self.desk
        d.stop(self.rec, signal.SIGINT, wait=5)
        self.stop_polling.set()
        self.poller.join()
        for p in (self.keep, self.synth):
            d.stop(p)
        d.run("pactl", "exit", check=False)
        d.stop(self.server, wait=5)


# ---- reading sound ----------------------------------------------------------------------

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


def sound_span(hp, start, stop):
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
        desk.click(item)
        t = desk.last_sent
    new_game()
    frame = wait_game_window(desk)
    return FacView(desk, frame), t


def flip(desk, v, clock, at):
    """Clicks Flip at the monotonic time `at` (or at once), waits for the clock to show
    `clock`, and returns when the click went out (see Desk.last_sent)."""
    delay = at - time.monotonic()
    if delay > 0:
        time.sleep(delay)
    v.click("cmdFlip")
    poll(f"clock {clock}", lambda: v.text("lblClock") == clock, timeout=5)
    return desk.last_sent


def record(desk, shots, play, cues):
    """Records the sink while play() clicks (its clicks timed through XTest), stops every
    sound process, and keeps in `shots` what a later look needs: the recording, the wave
    files it is held against (`cues`: name -> path), and timeline.json with the clicks
    (when each went out, and the cue it should sound), when the recording grew, and the
    sink's reported latency. play() returns the clicks."""
    desk.timed_clicks = True
    studio = Studio(desk)
    recording = os.path.join(desk.work, "recording.wav")
    studio.start(recording)
    latency = None
    try:
        events = play()
        latency = studio.sink_latency()
    finally:
        studio.stop()
    shutil.copy(recording, shots)
    kept = os.path.join(shots, "cues")
    os.makedirs(kept, exist_ok=True)
    for path in cues.values():
        shutil.copy(path, kept)
    with open(os.path.join(shots, "timeline.json"), "w") as f:
        json.dump({"events": events, "sizes": studio.sizes,
                   "cues": {name: os.path.basename(p) for name, p in cues.items()},
                   "sink_latency_ms": latency}, f)
    return studio, recording, events


def load_run(folder):
    """What record() kept in `folder`: the clicks, the recording's growth, the cues by name
    (as Cue objects) and the sink's latency."""
    with open(os.path.join(folder, "timeline.json")) as f:
        t = json.load(f)
    cues = {name: Cue(name, os.path.join(folder, "cues", file))
            for name, file in t["cues"].items()}
    return ([tuple(e) for e in t["events"]], [tuple(s) for s in t["sizes"]], cues,
            t.get("sink_latency_ms"))


# The encodings of the compressed sound run, one per cue.
COMPRESSED = {"Fac.wav": "ima-adpcm", "BoxingBell2.wav": "u-law", "BoxingBell.wav": "gsm-full-rate",
              "Start.wav": "ms-adpcm"}
# How far a cue that sounded whole may be from its file's audible length: 10 ms, but for GSM.
# The program's decoder (libsndfile) and sox, which makes the file it is held against, each
# have their own GSM decoder, and they differ by a tenth of the level; the bell's tail is
# codec noise near the audible mark, so its end moves (seen here: 10.7 ms). A cue cut short
# loses far more than either.
WHOLE_WITHIN = {"gsm-full-rate": 0.030}


def run(desk, exe, work, scenario, log, shots):
    from e2e import CLOCK, WAVES
    folder = os.path.dirname(exe)
    cues = {}
    for name in WAVES:
        path = os.path.join(folder, name)  # the program plays them from its own folder
        check(os.path.isfile(path), f"{name} was not installed beside the program")
        cues[name] = path
    kept = os.path.join(desk.work, "cues")
    os.mkdir(kept)
    for name, path in cues.items():
        cues[name] = shutil.copy(path, kept)
    if scenario == "sound-compressed":
        # The sounds a player drops in from an old effects pack: each cue re-encoded in place,
        # and heard against its own decoding to 16-bit PCM.
        for name, encoding in COMPRESSED.items():
            installed = os.path.join(folder, name)
            packed = os.path.join(desk.work, "packed-" + name)
            subprocess.run(["sox", "-q", installed, "-e", encoding, packed], check=True)
            shutil.move(packed, installed)
            subprocess.run(["sox", "-q", installed, "-b", "16", "-e", "signed-integer",
                            cues[name]], check=True)
        log("installed compressed cues: " +
            ", ".join(f"{n} {e}" for n, e in COMPRESSED.items()))
    if scenario == "silent":
        for name in WAVES:
            os.remove(os.path.join(folder, name))
        log(f"removed the installed wave files: {sorted(WAVES)}")

    def play():
        events = []  # (went out from, reached the server by, the cue it should sound)
        v, (t0, t) = setup(desk, exe, work)
        events.append((t0, t, "Start.wav"))
        gap = 0.45
        if scenario != "silent":
            time.sleep(2.6)  # the opening cue sounds whole
        for rnd in range(2):
            nxt = time.monotonic()
            for i in range(1, 51):
                t0, t = flip(desk, v, CLOCK[i - 1], nxt)
                events.append((t0, t, "BoxingBell2.wav" if i == 50 else "Fac.wav"))
                nxt = t + gap
            check(v.state("cmdRound").enabled, "Next Round available after 50 cards")
            if scenario == "silent":
                time.sleep(0.2)
            elif rnd == 0:
                time.sleep(2.4)   # the end-of-round bell sounds whole
            else:
                time.sleep(0.5)   # the next bell cuts it short
            v.click("cmdRound")
            events.append((*desk.last_sent, "BoxingBell.wav"))
            poll("round " + str(rnd + 2), lambda: v.text("lblRound") == str(rnd + 2))
            time.sleep(0.3 if scenario == "silent" else 2.0)
        # A fresh deck: two cards, so the review pick has an earlier one to show.
        t0, t = flip(desk, v, "2:57", time.monotonic())
        events.append((t0, t, "Fac.wav"))
        t0, t = flip(desk, v, "2:54", t + 0.5)
        events.append((t0, t, "Fac.wav"))
        time.sleep(0.5)
        v.click("cmdPick")
        events.append((*desk.last_sent, "Fac.wav"))
        poll("the review pick", lambda: not v.state("imgFAC2").showing)
        time.sleep(0.6)
        desk.screenshot("sound-played")
        return events

    studio, recording, events = record(desk, shots, play, cues)
    log(f"recording kept: {os.path.join(shots, 'recording.wav')}")
    analyse(studio.sizes, recording, events, cues, scenario, log)


def run_bare(desk, exe, cue, clicks, log, shots):
    """The yardstick for bench/sound_onset.py: a bare Qt program (bench/bare_sound) that
    plays `cue` through QSoundEffect when its Play button is clicked, clicked and recorded
    like the game."""
    def play():
        desk.launch(exe, desk.work, cue)
        frame = poll("the bare window", lambda: next(
            (n for n in desk.windows() if n.name == "bare sound" and n.box[2] > 0), None),
            timeout=15)
        button = poll("the Play button", lambda: next(
            (n for n in walk(frame.acc) if n.role == "push button" and n.name == "Play"), None))
        time.sleep(1.0)  # its first effect loads
        events = []
        for _ in range(clicks):
            desk.click(button)
            events.append((*desk.last_sent, "cue"))
            time.sleep(0.45)
        time.sleep(0.5)
        return events

    record(desk, shots, play, {"cue": cue})
    log(f"bare QSoundEffect window: {clicks} clicks recorded in {shots}")


def heard(recording, sizes, stray_ms):
    """The recording, high-passed, and its tie to the clicks' clock (see recording_clock),
    which must hold to within stray_ms."""
    mix, rate = read_wav(recording)
    check(rate == RATE, "recording rate")
    index, slope, stray = recording_clock(sizes, data_offset(recording))
    check(stray < stray_ms, f"the recording cannot be tied to the clicks ({stray:.2f} ms)")
    return highpass(mix), index, slope, stray


def recording_clock(sizes, head):
    """Ties the recording's samples to the clock the clicks are timed on. The recorder wrote
    each stretch the moment the sink handed it over, so every (time written, samples so far)
    lies on or above one line: time = offset + slope * written + samples / RATE, the slope
    being how far the sink's clock runs from the system's. The line is fitted to the lowest
    point of each half second and lowered onto the lowest of them all. Returns a function
    from click time to sample index, the slope, and how far the half-second lows stray from
    the line (ms)."""
    pts = [(ts, (size - head) / 4 / RATE) for ts, size in sizes if size > head + 4 * RATE]
    check(len(pts) > 100, "the recording hardly grew")
    t0 = pts[0][0]
    lows = {}
    for ts, n in pts:
        k = int((ts - t0) * 2)
        if k not in lows or ts - n < lows[k][1]:
            lows[k] = (ts - t0, ts - n)
    xs = [x for x, _ in lows.values()]
    ys = [y for _, y in lows.values()]
    mx, my = statistics.fmean(xs), statistics.fmean(ys)
    slope = (sum((x - mx) * (y - my) for x, y in zip(xs, ys)) /
             sum((x - mx) ** 2 for x in xs))
    res = [y - (my + slope * (x - mx)) for x, y in zip(xs, ys)]
    offset = my - slope * mx + min(res)

    def index(t):
        return (t - offset - slope * (t - t0)) * RATE
    return index, slope, statistics.pstdev(res) * 1000


def locate(hp, cue, lo, hi):
    """Where in [lo, hi) the cue's first sample lies, by the best match of its first 30 ms:
    for a cue that starts while another is still fading out."""
    ref = cue.hp[cue.first:cue.first + int(0.03 * RATE)]
    rr = sum(v * v for v in ref)
    best, where = -1.0, lo
    for at in range(lo, hi):
        seg = hp[at:at + len(ref)]
        dot = sum(a * b for a, b in zip(seg, ref))
        ee = sum(a * a for a in seg)
        score = dot * dot / (ee * rr) if dot > 0 and ee else 0.0
        if score > best:
            best, where = score, at
    return where - cue.first


# A click's cue is looked for from the moment the click went out, less this margin for the
# tie's own error, up to the moment the next click went out, less the same margin: nothing a
# click sets off can sound before it, however late the runner noted the click.
MARGIN = 0.010
# How far after its click a cue that starts under a bell still sounding is looked for.
SEARCH = 0.150


def hear_clicks(hp, index, events, cues, silent_ok=False):
    """Finds each click's cue in the recording. Returns, per click: the cue's name, its
    first and last audible sample, whether it had room to sound whole before the next click,
    and for a bell that the next click's cue cut short, where that cue began ("next"). A
    click that made no sound fails, or with silent_ok gives None."""
    lows = [index(before) for before, _, _ in events]
    found = []
    for k, (_, _, name) in enumerate(events):
        cue = cues[name]
        begin = int(lows[k] - MARGIN * RATE)
        end_limit = int(lows[k + 1] - MARGIN * RATE) if k + 1 < len(events) else \
            begin + 3 * RATE
        end = min(end_limit, begin + int((cue.duration + 0.5) * RATE))
        under_bell = found and found[-1] and found[-1]["cut"]
        if under_bell:
            # The bell before is still sounding here: find this one by its shape.
            first = locate(hp, cue, begin, min(end, int(lows[k] + SEARCH * RATE))) + cue.first
            span = sound_span(hp, first, end)
        else:
            span = sound_span(hp, begin, end)
        if not span and silent_ok:
            found.append(None)
            continue
        check(span, f"click {k + 1} ({name}) made no sound")
        if under_bell:
            found[-1]["next"] = first
            last = span[1]
        else:
            first, last, _ = span
        room = (end_limit - first) / RATE > cue.length + 0.05
        found.append({"name": name, "first": first, "last": last, "room": room,
                      "cut": not room and name == "BoxingBell2.wav"})
    return found


def analyse(sizes, recording, events, cue_files, scenario, log):
    """What a player hears: every click sounds its cue, each cue with room to finish sounds
    whole, a new cue cuts the old one short, and without wave files nothing sounds. How soon
    a cue follows its click is bench/sound_onset.py's business."""
    hp, index, slope, stray = heard(recording, sizes, 3.0)
    log(f"the recording's clock: the sink runs {slope * -1e6:+.0f} ppm against the system's;"
        f" the recorder's arrivals stray {stray:.2f} ms from the fitted line")

    if scenario == "silent":
        start = int(index(events[0][0]) - 0.05 * RATE)
        loud = max(abs(v) for v in hp[start:])
        log(f"without wave files: {len(events)} actions that play a cue; loudest sample in the"
            f" recording after New Game {loud:.0f} of 32768 (keep-alive hum filtered out)")
        check(loud < 300, f"something sounded without wave files (peak {loud:.0f})")
        return

    cues = {name: Cue(name, path) for name, path in cue_files.items()}
    for c in cues.values():
        log(f"{c.name}: {c.duration * 1000:.0f} ms file, audible for {c.length * 1000:.1f} ms")

    found = hear_clicks(hp, index, events, cues)
    whole = []
    for k, f in enumerate(found):
        cue = cues[f["name"]]
        if f["room"]:
            length = (f["last"] - f["first"]) / RATE
            whole.append((f["name"], length))
            within = 0.010
            if scenario == "sound-compressed":
                within = WHOLE_WITHIN.get(COMPRESSED[f["name"]], within)
            check(abs(length - cue.length) <= within,
                  f"click {k + 1} ({f['name']}): sounded {length * 1000:.1f} ms of "
                  f"{cue.length * 1000:.1f} ms")
    log(f"every one of {len(events)} clicks sounded its cue")
    for name in ["Start.wav", "Fac.wav", "BoxingBell2.wav", "BoxingBell.wav"]:
        lens = [length for n, length in whole if n == name]
        check(lens, f"{name} never sounded whole")
        log(f"{name}: sounded whole {len(lens)} times, {min(lens) * 1000:.1f} to "
            f"{max(lens) * 1000:.1f} ms (file: {cues[name].length * 1000:.1f} ms)")
    cut = [f for f in found if f["cut"]]
    check(len(cut) == 1 and "next" in cut[0], "no bell cut short by Next Round")
    first, nxt = cut[0]["first"], cut[0]["next"]
    length = (nxt - first) / RATE
    full = cues["BoxingBell2.wav"].length
    share = matches(hp, nxt, cues["BoxingBell.wav"])
    log(f"cut short: the end-of-round bell sounded {length * 1000:.0f} of {full * 1000:.0f} ms;"
        f" from Next Round on the recording is the next-round bell alone ({share * 100:.1f} %"
        " of it)")
    check(length < full - 0.5, "the end-of-round bell was not cut short")
    check(share > 0.9, "the end-of-round bell went on under the next-round bell")
