"""Hearing the program under Wine: a private PulseAudio server with a null sink that Wine's
pulse driver plays into (PULSE_SERVER), its monitor recorded, and the recording told apart
into the four wave files' cues. Only which cues sound and in what order is judged: Wine starts
a cue 20 to 190 ms after the call, so how soon is no business of this run.

Pure Python (no numpy on the test machine): the recording is cut where it falls silent, and
each stretch is named by the cue whose waveform it matches, found first by loudness envelopes
and then sample by sample, below 2 kHz: Wine's mixer starts a cue at a fraction of a sample and
may resample it on the way, which leaves the card cue's hiss unlike the file's while its thump
and the bells stay as they are."""

import array
import operator
import os
import wave

from xdesk import Failure, poll

RATE = 44100
FRAME = RATE // 100  # 10 ms of samples: the envelopes' step
SILENT = 60          # a 10 ms frame no louder than this (RMS, of 32768) is silence
LOUD = 150           # a stretch of sound starts with a frame at least this loud
GAP = 5              # frames of silence that end a stretch
SMOOTH = 24          # the low-pass: twice a running mean this long (no response at 1.8 kHz)
# A sound is a cue when that cue's waveform below 2 kHz matches it at least this well
# (normalised correlation, squared): over two rounds recorded under Wine the right cue
# matched 0.80 to 1.0, the others 0.12 at most.
NAMED = 0.5


def check(cond, what):
    if not cond:
        raise Failure(what)


class Studio:
    """pulseaudio with a null sink "probe" and nothing else, a quiet keep-alive stream on it
    (zeros: without a stream the monitor sends nothing between cues), and parec on its monitor
    while a recording runs. Every process is the desk's, stopped by PID."""

    def __init__(self, desk):
        self.desk = desk
        self.dir = os.path.join(desk.work, "pulse")
        os.mkdir(self.dir, 0o700)
        self.socket = os.path.join(self.dir, "native")
        self.env = dict(desk.env, XDG_RUNTIME_DIR=self.dir, PULSE_RUNTIME_PATH=self.dir,
                        HOME=self.dir)
        self.env.pop("PULSE_CLIENTCONFIG", None)
        self.rec = None

    def start(self):
        d = self.desk
        self.server = d.spawn("pulseaudio", [
            "pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "--system=false", "-n",
            "--disallow-exit", "--use-pid-file=no",
            f"--load=module-null-sink sink_name=probe rate={RATE} channels=2",
            f"--load=module-native-protocol-unix auth-anonymous=1 socket={self.socket}"],
            env=self.env)
        # From here on everything the desk starts plays into this server.
        d.env["PULSE_SERVER"] = "unix:" + self.socket
        self.env["PULSE_SERVER"] = d.env["PULSE_SERVER"]
        poll("the sound server", lambda: d.run("pactl", "info", check=False).returncode == 0,
             timeout=20)
        self.keep = d.spawn("keepalive", [
            "pacat", "--playback", "--raw", "--format=s16le", f"--rate={RATE}",
            "--channels=2", "--latency-msec=20", "--device=probe", "/dev/zero"], env=self.env)

    def record(self, path):
        self.path = path
        self.out = open(path, "wb")
        self.rec = self.desk.spawn("parec", [
            "parec", "--device=probe.monitor", "--raw", "--format=s16le", f"--rate={RATE}",
            "--channels=2", "--latency-msec=10"], env=self.env, stdout=self.out)
        poll("the recording to run", lambda: os.path.getsize(path) > RATE, timeout=20)

    def stop_recording(self):
        self.desk.stop(self.rec)
        self.out.close()
        self.rec = None
        return read_raw(self.path)

    def stop(self):
        if self.rec:
            self.stop_recording()
        self.desk.stop(self.keep)
        self.desk.stop(self.server)


# ---- sound as numbers ------------------------------------------------------------------------

def mono(data, channels):
    if channels == 1:
        return data
    return array.array("h", ((data[i] + data[i + 1]) >> 1 for i in range(0, len(data), 2)))


def lowpass(x):
    """x through two running means of SMOOTH samples (each delays it alike)."""
    for _ in range(2):
        out = array.array("f", bytes(4 * len(x)))
        total = 0
        for i, v in enumerate(x):
            total += v
            if i >= SMOOTH:
                total -= x[i - SMOOTH]
            out[i] = total / SMOOTH
        x = out
    return x


def read_raw(path):
    data = array.array("h")
    with open(path, "rb") as f:
        data.frombytes(f.read()[:os.path.getsize(path) // 4 * 4])
    return mono(data, 2)


def envelope(x):
    """RMS of each 10 ms frame."""
    out = []
    for i in range(0, len(x) - FRAME + 1, FRAME):
        seg = x[i:i + FRAME]
        out.append((sum(map(operator.mul, seg, seg)) / FRAME) ** 0.5)
    return out


def ncc(a, b):
    """Normalised correlation of two equally long sequences, squared (1: the same shape)."""
    dot = sum(map(operator.mul, a, b))
    ea = sum(map(operator.mul, a, a))
    eb = sum(map(operator.mul, b, b))
    return dot * dot / (ea * eb) if dot > 0 and ea and eb else 0.0


class Cue:
    """One wave file as the recording should hold it: its samples in mono, low-passed, its
    envelope, and where its loudest early moment lies, to match sample by sample."""

    def __init__(self, path):
        self.name = os.path.basename(path)
        with wave.open(path, "rb") as w:
            check(w.getsampwidth() == 2 and w.getframerate() == RATE,
                  f"{self.name}: not 16-bit at {RATE} Hz")
            data = array.array("h", w.readframes(w.getnframes()))
            self.samples = mono(data, w.getnchannels())
        self.low = lowpass(self.samples)
        self.env = envelope(self.samples)
        self.first = next(i for i, v in enumerate(self.env) if v >= LOUD)
        early = range(self.first, min(len(self.env), self.first + 30))
        self.key = max(early, key=lambda i: self.env[i]) * FRAME
        self.duration = len(self.samples) / RATE


def stretches(env):
    """(first, end) frames of each stretch of sound: it starts at a loud frame and ends after
    GAP frames of silence."""
    out, start, quiet = [], None, 0
    for i, v in enumerate(env):
        if start is None:
            if v >= LOUD:
                start, quiet, last = i, 0, i
        elif v <= SILENT:
            quiet += 1
            if quiet >= GAP:
                out.append((start, last + 1))
                start = None
        else:
            quiet, last = 0, i
    if start is not None:
        out.append((start, last + 1))
    return out


def lay(renv, cue, frame, reach=12):
    """How well the cue's loudness envelope lies on the recording's where a sound starts at
    frame, give or take reach frames: (score, the cue's sample 0 in the recording)."""
    n = min(40, len(cue.env) - cue.first)
    ref = cue.env[cue.first:cue.first + n]
    best = (-1.0, 0)
    for lag in range(-reach, reach + 1):
        at = frame + lag
        if at < 0 or at + n > len(renv):
            continue
        best = max(best, (ncc(renv[at:at + n], ref), lag))
    return best[0], (frame + best[1] - cue.first) * FRAME


def match(low, cue, start):
    """How well 20 ms of the cue from its loudest early moment match the recording (both
    low-passed) within a frame and a half either way of start: (score, where the cue's sample 0
    then lies)."""
    n = 2 * FRAME
    key = cue.low[cue.key:cue.key + n]
    reach = 3 * FRAME // 2

    def at(lag):
        i = start + cue.key + lag
        return ncc(low[i:i + n], key) if i >= 0 and i + n <= len(low) else 0.0
    score, best = max((at(lag), lag) for lag in range(-reach, reach + 1, 2))
    score, best = max((at(lag), lag) for lag in (best - 1, best, best + 1))
    return score, start + best


def name(low, renv, cues, frame):
    """The cue that the sound starting at frame is, best first: (score, start, cue). The
    envelopes pick the likely ones, their waveforms decide."""
    laid = sorted(((lay(renv, c, frame), c) for c in cues), key=lambda t: -t[0][0])
    likely = [t for t in laid if t[0][0] > 0.6] or laid[:1]
    return max((match(low, c, start) + (c,) for (_, start), c in likely),
               key=lambda t: t[0])


def hear(rec, cues, log):
    """The cues in the recording, in order: [(name, start s, end s, score)]. A stretch holding a
    second cue that cut the first short (no silence between) gives both: the second is found
    where the recording stops being the first."""
    renv = envelope(rec)
    low = lowpass(rec)
    heard = []  # [cue, its sample 0 in the recording, first heard (s), end (s), score]
    for first, end in stretches(renv):
        frame = first
        while frame < end:
            lost = None
            if heard and frame * FRAME < heard[-1][1] + len(heard[-1][0].samples):
                # Within the cue before: it may be that cue going on, after a quiet moment of
                # its own, or out of step after the sound server lost or held back some of it
                # (a loaded machine). Then it is no new cue.
                lost = resumes(low, renv, heard[-1][0], heard[-1][1], frame)
            if lost is not None:
                cue, start = heard[-1][0], heard[-1][1] + lost
                if abs(lost) > FRAME // 10:
                    log(f"  ({cue.name} went on {lost / RATE * 1000:+.0f} ms out of step at "
                        f"{frame / 100:.2f} s: the sound server lost or held back some)")
            else:
                score, start, cue = name(low, renv, cues, frame)
                check(score > NAMED, f"a sound at {frame / 100:.2f} s is none of the cues "
                      f"(best: {cue.name}, {score:.2f})")
                if heard and cue is heard[-1][0] and abs(start - heard[-1][1]) < 3 * FRAME:
                    # The cue before found once more where it began: it took a quirk of the
                    # sound server for another cue, and goes on.
                    lost, start = start - heard[-1][1], heard[-1][1]
            part = parting(low, renv, cue, start, frame, end)
            if lost is not None:
                heard[-1][1], heard[-1][3] = start, part / 100
            else:
                heard.append([cue, start, start / RATE, part / 100, score])
            frame = max(part, frame + 1)
    out = [(c.name, began, end, score) for c, _, began, end, score in heard]
    for h in out:
        log(f"  {h[0]:<16} {h[1]:7.2f} s to {h[2]:7.2f} s (match {h[3]:.3f})")
    return out


def resumes(low, renv, cue, start, frame):
    """Whether the sound at frame is the cue (its sample 0 at sample start) going on from
    another place: after a gap in which the sound server handed over nothing, or past a stretch
    it lost or repeated (a loaded machine). Returns how many samples later the cue now lies
    (less than 0: earlier), or None."""
    f0 = start // FRAME
    at = frame + 2  # clear of the frame where the two meet
    n = 12
    here = renv[at:at + n]
    if len(here) < n:
        return None
    # The nearest place that fits: a cue that repeats itself (a bell's strikes) fits as well
    # a strike later.
    here_k = at - f0
    fits = [(ncc(here, cue.env[k:k + n]), k)
            for k in range(max(cue.first, here_k - 40), min(here_k + 40, len(cue.env) - n) + 1)]
    i = at * FRAME
    seg = low[i:i + FRAME]
    for k in sorted((k for score, k in fits if score >= 0.8), key=lambda k: abs(k - here_k)):
        for lag in sorted(range(-FRAME // 2, FRAME // 2 + 1), key=abs):
            j = k * FRAME + lag
            ref = cue.low[j:j + FRAME]
            if j >= 0 and len(ref) == FRAME and ncc(seg, ref) > NAMED:
                return i - j - start
    return None


def parting(low, renv, cue, start, since, end):
    """The frame after since where the recording, which sounds the cue from sample start on
    (the cue's sample 0 lies there), stops being
    the cue (another cue took over: one sounds at a time), or end. Looked at every few frames
    and at every strike: the loudness against the cue's, taken on the recording's frame
    boundaries and scaled to it, and the waveform against the cue's, a few samples either way
    (two bells' strikes may fall together and look alike in loudness alone)."""
    f0 = -(-start // FRAME)
    offset = f0 * FRAME - start
    expect = envelope(cue.samples[offset:])
    begin = max(f0 + cue.first, since)
    probe = range(begin - f0, min(begin - f0 + 20, len(expect), end - f0))
    gain = (sum(renv[f0 + j] * expect[j] for j in probe) /
            (sum(expect[j] ** 2 for j in probe) or 1.0))
    off = 0
    for f in range(begin + 1, end):
        k = f - f0
        want = gain * expect[k] if k < len(expect) else 0.0
        if abs(renv[f] - want) > 0.35 * max(want, renv[f]) + SILENT:
            off += 1
            if off == 3:
                # It took over a few frames before it stood out.
                return max(begin + 1, f - 8)
            continue
        off = 0
        strike = renv[f] > 1.5 * renv[f - 1] + SILENT
        if renv[f] >= LOUD and k < len(expect) and (strike or k % 5 == 0):
            i = f * FRAME
            ref = cue.low[i - start:i - start + FRAME]
            if len(ref) == FRAME and max(
                    ncc(low[i + lag:i + lag + FRAME], ref) for lag in range(-20, 21)) < NAMED:
                return max(begin + 1, f - (1 if strike else 6))
    return end


def loudest(rec):
    return max((abs(v) for v in rec), default=0)
