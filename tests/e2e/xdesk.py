"""What both end-to-end harnesses need of a desk, with or without an accessibility bus: the
failure they report, polling for a state, children that die with the runner, and a private X
server with openbox managing it."""

import ctypes
import os
import signal
import subprocess
import time

_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


class Failure(Exception):
    pass


def die_with_parent():
    """A child must not outlive the runner, even when the runner itself is killed."""
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


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


def start_display(desk, width=1280, height=1024):
    """Starts Xvfb through desk.spawn, puts its display into desk.env, and starts openbox on it,
    returning once openbox manages the screen. desk.procs lists what desk.spawn started."""

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
    wm = desk.spawn("openbox", ["openbox", "--sm-disable"])

    def managing():
        nonlocal wm
        if wm.poll() is not None:  # it lost a race with the new server: once more
            desk.procs.remove(("openbox", wm))
            wm = desk.spawn("openbox", ["openbox", "--sm-disable"])
            return False
        return "_NET_SUPPORTING_WM_CHECK(WINDOW)" in query(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout
    poll("the window manager", managing, timeout=20, interval=0.2)
