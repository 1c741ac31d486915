"""What every end-to-end harness needs of a desk, with or without an accessibility bus: the
failure they report, polling for a state, children that die with the runner and are stopped
by their PIDs, and a private X server with openbox managing it.

Run as a program, it lends that X server to a command:
    xdesk.py [--no-wm] [--size WxH] COMMAND [ARGS...]
runs COMMAND with DISPLAY set to a fresh Xvfb (with openbox unless --no-wm), stops both by
their PIDs when it ends, however it ends, and exits with its status."""

import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


class Failure(Exception):
    pass


def die_with_parent():
    """A child must not outlive the runner, even when the runner itself is killed."""
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


class Processes:
    """Children of the runner: spawn starts one, its output in a log file of its own; stop
    ends one by its PID (TERM, then KILL after a wait); stop_all ends them all, the newest
    first; run runs a command to its end with the same environment."""

    def __init__(self, env, logs, log_suffix=".out"):
        self.env = env
        self.logs = logs  # the folder of the children's log files
        self.log_suffix = log_suffix
        self.procs = []  # (label, Popen), stopped in reverse order

    def spawn(self, label, argv, **kw):
        kw.setdefault("env", self.env)
        kw.setdefault("stdout", open(os.path.join(self.logs, label + self.log_suffix), "ab"))
        kw.setdefault("stderr", subprocess.STDOUT)
        p = subprocess.Popen(argv, preexec_fn=die_with_parent, **kw)
        self.procs.append((label, p))
        return p

    def stop(self, p, sig=signal.SIGTERM, wait=5.0):
        if p.poll() is None:
            try:
                p.send_signal(sig)
                p.wait(wait)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        self.forget(p)

    def forget(self, p):
        """Takes a child that ended by itself off the list."""
        self.procs = [(l, q) for (l, q) in self.procs if q is not p]

    def stop_all(self):
        for label, p in reversed(list(self.procs)):
            self.stop(p)

    def run(self, *argv, check=True, text=True, **kw):
        r = subprocess.run(argv, env=self.env, capture_output=True, text=text, **kw)
        if check and r.returncode != 0:
            err = r.stderr if text else r.stderr.decode(errors="replace")
            raise Failure(f"{' '.join(argv)} failed ({r.returncode}): {err.strip()}")
        return r


def poll(what, probe, timeout=10.0, interval=0.05):
    """Calls probe until it returns something true and returns that; fails after timeout with
    the last thing it saw."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = probe()
        except Failure:
            raise
        except Exception as e:  # a window going away mid-read is just "not yet"
            last = e
        if last and not isinstance(last, Exception):
            return last
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what} "
                          f"(last seen: {last!r})")
        time.sleep(interval)


def start_display(desk, width=1280, height=1024, wm=True):
    """Starts Xvfb through desk.spawn (desk is a Processes), puts its display into desk.env,
    and starts openbox on it, returning once openbox manages the screen (at once, with no
    openbox, when wm is false)."""

    def query(*argv):
        return subprocess.run(argv, env=desk.env, capture_output=True, text=True)

    r, w = os.pipe()
    desk.spawn("xvfb", ["Xvfb", "-displayfd", str(w), "-screen", "0", f"{width}x{height}x24",
                        "-nolisten", "tcp"], pass_fds=(w,))
    os.close(w)
    number = b""
    deadline = time.monotonic() + 30
    while not number.endswith(b"\n"):
        chunk = os.read(r, 16)
        if not chunk or time.monotonic() > deadline:
            raise Failure("Xvfb did not report its display")
        number += chunk
    os.close(r)
    desk.env["DISPLAY"] = ":" + number.decode().strip()
    poll("the X server", lambda: query("xdpyinfo").returncode == 0, timeout=20)
    if not wm:
        return
    wm = desk.spawn("openbox", ["openbox", "--sm-disable"])

    def managing():
        nonlocal wm
        if wm.poll() is not None:  # it lost a race with the new server: once more
            desk.forget(wm)
            wm = desk.spawn("openbox", ["openbox", "--sm-disable"])
            return False
        return "_NET_SUPPORTING_WM_CHECK(WINDOW)" in query(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout
    poll("the window manager", managing, timeout=20, interval=0.2)


def main(argv):
    wm, size = True, (1280, 1024)
    while argv and argv[0].startswith("--"):
        opt = argv.pop(0)
        if opt == "--no-wm":
            wm = False
        elif opt == "--size" and argv:
            size = tuple(int(v) for v in argv.pop(0).split("x"))
        elif opt == "--":
            break
        else:
            argv = []
    if not argv:
        print("usage: xdesk.py [--no-wm] [--size WxH] COMMAND [ARGS...]", file=sys.stderr)
        return 2
    logs = tempfile.mkdtemp(prefix="qor-xdesk-")
    desk = Processes(dict(os.environ), logs)
    for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(s, lambda signum, frame: sys.exit(128 + signum))
    try:
        start_display(desk, *size, wm=wm)
        return subprocess.run(argv, env=desk.env).returncode
    except Failure as e:
        print(f"xdesk: {e}", file=sys.stderr)
        return 1
    finally:
        desk.stop_all()
        shutil.rmtree(logs, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
