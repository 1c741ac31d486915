"""The machinery an end-to-end run stands on: an X server with a window manager, the
accessibility bus, optionally a sound server, the program itself, and ways to look at and
click on its windows. Every process is started here and stopped here, by its PID."""

import ctypes
import os
import time

import pyatspi

from xdesk import Failure, Processes, poll, start_display  # noqa: F401


class Node:
    """One accessible object as read at one moment."""

    def __init__(self, acc, depth):
        self.acc = acc
        self.depth = depth
        self.role = acc.getRoleName()
        self.name = acc.name or ""
        self.description = acc.description or ""
        st = acc.getState()
        self.showing = st.contains(pyatspi.STATE_SHOWING)
        self.enabled = st.contains(pyatspi.STATE_ENABLED)
        try:
            e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            self.box = (e.x, e.y, e.width, e.height)
        except NotImplementedError:
            self.box = None

    def centre(self):
        x, y, w, h = self.box
        return x + w // 2, y + h // 2

    def __repr__(self):
        return f"<{self.role} {self.name!r} {self.box} {'shown' if self.showing else 'hidden'}>"


def walk(acc, depth=0):
    out = [Node(acc, depth)]
    for child in acc:
        if child is not None:
            out.extend(walk(child, depth + 1))
    return out


class XTest:
    """Clicks sent straight through the XTest extension, the way xdotool sends them. An
    xdotool call takes about 65 ms, and where in that time its event goes is not known; a run
    that times what a click sets off needs the click's moment to the millisecond."""

    def __init__(self, display):
        x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.x11 = x11
        self.dpy = x11.XOpenDisplay(display.encode())
        if not self.dpy:
            raise Failure(f"cannot open display {display}")

    def click(self, x, y):
        """Moves, presses and releases button 1, which is what makes a button act. Returns
        (before, after): the release left for the server no earlier than `before`, and the
        server had it by `after`. The two lie a fraction of a millisecond apart unless the
        runner was kept waiting in between."""
        self.xtst.XTestFakeMotionEvent(self.dpy, -1, x, y, 0)
        self.xtst.XTestFakeButtonEvent(self.dpy, 1, 1, 0)
        self.x11.XSync(self.dpy, 0)
        time.sleep(0.02)  # a person's press lasts a moment
        before = time.monotonic()
        self.xtst.XTestFakeButtonEvent(self.dpy, 1, 0, 0)
        self.x11.XSync(self.dpy, 0)
        return before, time.monotonic()


class Desk(Processes):
    def __init__(self, work, shots, width=1280, height=1024):
        super().__init__(dict(os.environ), work)
        self.work = work
        self.shots = shots
        self.width = width
        self.height = height
        self.env.pop("DBUS_SESSION_BUS_ADDRESS_DISABLED", None)
        # The program shows its windows on this desk's X server, at 1:1, whatever the caller
        # exported for its own Qt programs (a test run's QT_QPA_PLATFORM=offscreen would
        # leave nothing on screen to click).
        self.env["QT_QPA_PLATFORM"] = "xcb"
        for name in ("QT_QPA_PLATFORMTHEME", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                     "QT_ENABLE_HIGHDPI_SCALING", "QT_FONT_DPI", "QT_STYLE_OVERRIDE"):
            self.env.pop(name, None)
        # No sound server unless start_sound() makes one, and none started behind our back.
        client_conf = os.path.join(work, "pulse-client.conf")
        with open(client_conf, "w") as f:
            f.write("autospawn = no\n")
        self.env["PULSE_CLIENTCONFIG"] = client_conf
        self.env["PULSE_SERVER"] = "unix:" + os.path.join(work, "no-sound-server")
        self.app = None
        self.last_click = None
        self.last_sent = None  # (before, after) of the last click: see XTest.click
        self.timed_clicks = False
        self.xtest = None
        self.shot_no = 0

    # ---- X, window manager, accessibility bus -----------------------------------------
    def start_display(self):
        start_display(self, self.width, self.height)

    def start_accessibility(self):
        self.spawn("atspi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        poll("the accessibility bus", lambda: self.run(
            "dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
            "org.a11y.Bus.GetAddress", check=False).returncode == 0)
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"

    # ---- the program -----------------------------------------------------------------
    def launch(self, exe, cwd, *args):
        self.app = self.spawn("app", [exe, *args], cwd=cwd)
        self.app_started = time.monotonic()
        return self.app

    def app_node(self):
        def find():
            for a in pyatspi.Registry.getDesktop(0):
                if a is None:
                    continue
                try:
                    if a.get_process_id() == self.app.pid:
                        return a
                except Exception:
                    continue
            return None
        return poll("the program on the accessibility bus", find, timeout=20)

    def windows(self):
        """The program's top-level windows that are on screen: frames, dialogs, alerts."""
        app = self.app_node()
        out = []
        for child in app:
            if child is None:
                continue
            n = Node(child, 1)
            if n.showing:
                out.append(n)
        return out

    def wait_window(self, role, name, timeout=15):
        def find():
            for n in self.windows():
                if n.role == role and n.name == name and n.box[2] > 0:
                    return n
            return None
        return poll(f"the {role} {name!r}", find, timeout=timeout)

    def wait_gone(self, node, timeout=10):
        def gone():
            try:
                return not Node(node.acc, 0).showing
            except Exception:
                return True
        poll(f"{node!r} to close", gone, timeout=timeout)

    def exited(self, timeout=10):
        def done():
            return self.app.poll() is not None
        poll("the program to end", done, timeout=timeout)
        self.forget(self.app)
        return self.app.returncode

    # ---- looking and clicking ---------------------------------------------------------
    def screenshot(self, name):
        self.shot_no += 1
        path = os.path.join(self.shots, f"{self.shot_no:02d}-{name}.png")
        self.run("import", "-window", "root", path, check=False)
        return path

    def click_at(self, x, y):
        """Clicks, and returns when the click reached the X server: after xdotool returns,
        or, with timed_clicks on, to within a fraction of a millisecond. last_sent holds the
        span in which the click went out: nothing it set off can happen before its start."""
        # Two clicks on the same pixel in quick succession can merge into a double click.
        if self.last_click == (x, y):
            x += 1
        self.last_click = (x, y)
        if self.timed_clicks:
            self.last_sent = self._xtest().click(x, y)
        else:
            before = time.monotonic()
            self.run("xdotool", "mousemove", str(x), str(y), "click", "1")
            self.last_sent = (before, time.monotonic())
        return self.last_sent[1]

    def _xtest(self):
        if self.xtest is None:
            self.xtest = XTest(self.env["DISPLAY"])
        return self.xtest

    def click(self, node):
        x, y = node.centre()
        return self.click_at(x, y)

    def key(self, name):
        self.run("xdotool", "key", name)

    def x_window(self, caption):
        r = self.run("xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.app.pid),
                     "--name", f"^{caption}$", check=False)
        ids = r.stdout.split()
        return ids[0] if ids else None

    def x_geometry(self, wid):
        """Position on the root window and size of an X window (its client part)."""
        out = self.run("xwininfo", "-id", wid).stdout
        vals = {}
        for line in out.splitlines():
            if ":" in line:
                k, v = line.split(":", 1)
                vals[k.strip()] = v.strip()
        return (int(vals["Absolute upper-left X"]), int(vals["Absolute upper-left Y"]),
                int(vals["Width"]), int(vals["Height"]))

    def frame_extents(self, wid):
        out = self.run("xprop", "-id", wid, "_NET_FRAME_EXTENTS", check=False).stdout
        if "=" not in out:
            return (0, 0, 0, 0)
        return tuple(int(v) for v in out.split("=", 1)[1].split(","))  # left right top bottom

    def size_hints(self, wid):
        return self.run("xprop", "-id", wid, "WM_NORMAL_HINTS", check=False).stdout
