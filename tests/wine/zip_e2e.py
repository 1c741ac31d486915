#!/usr/bin/env python3
"""The Windows zip as a player meets it: unpacked into an empty folder, started under Wine in a
fresh prefix with Qt's real windows platform plugin, on a private Xvfb with openbox, clicked
with xdotool. Wine offers no accessibility bus, so everything is read off screenshots: window
sizes from the X server, colours from pixels, texts with tesseract.

    zip_e2e.py ZIP_OR_FOLDER ARTIFACTS
    zip_e2e.py --program LINUX_EXECUTABLE ARTIFACTS

The second form plays a Linux build on the same desk, for working on the checks without a
Windows build: its windows have the same layout.

The desk's one sound device is a private PulseAudio server's null sink (cues.py), recorded
while the game is played: New Game must sound the opening cue, each flip the card cue, the
50th card the end-of-round bell, and Next Round the next-round bell, cutting the other short;
with the wave files removed, the same actions must sound nothing at all.

Every process is started here and stopped here by its PID (Wine's own through `wineserver -k`
for the prefix); the prefix and the unpacked folder are removed at the end. Each step waits by
polling for the state it expects, within a generous bound, and fails with what it last saw.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import wave
import zipfile

CAPTION = "Korvane II - QOR Flipper"
ABOUT_CAPTION = "About KORVANE II QOR Flipper"
MESSAGE_CAPTION = "KRVN_QOR"
MISSING_DATA_TEXT = "Error 53 trying to read FACs."
WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"
HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_ROOT = os.path.dirname(os.path.dirname(HERE))

# Client areas in pixels, and the game window's places in twips (flipper/faclayout.h).
TITLE_CLIENT = (729, 670)
GAME_CLIENT = (830, 470)
ABOUT_CLIENT = (386, 267)
IMG_FAC = (130, 130, 3960, 5900)  # the cover over the main card
IMG_LOGO = (5040, 120, 2715, 2085)  # the title logo, at natural size
PIC_ICON = (240, 360, 1095, 1095)  # the About window's product logo, at natural size
LBL_CLOCK = (5790, 2400, 1215, 495)
CMD_FLIP = (5790, 3120, 1215, 495)
CMD_ROUND = (5790, 4800, 1215, 495)
WAVES = ["Start.wav", "Fac.wav", "BoxingBell2.wav", "BoxingBell.wav"]
# A round's timed flips; the end-of-round bell comes in place of the last one's card cue.
ROUND = 50


def px(twips):
    return (twips + 7) // 15


def pixels(t):
    return tuple(px(v) for v in t)


sys.path.insert(0, os.path.join(SOURCE_ROOT, "tests", "e2e"))
import xdesk  # noqa: E402
from xdesk import Failure  # noqa: E402
import cues  # noqa: E402


def poll(what, probe, timeout=30.0, interval=0.2):
    """xdesk.poll with the slower pace that Wine needs."""
    return xdesk.poll(what, probe, timeout, interval)


class Shot:
    """One screenshot of the whole screen, as 8-bit RGB."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def row(self, x, y, w):
        i = (y * self.width + x) * 3
        return self.data[i:i + 3 * w]

    def mean(self, box):
        x, y, w, h = box
        sums = [0, 0, 0]
        for yy in range(y, y + h):
            r = self.row(x, yy, w)
            for c in range(3):
                sums[c] += sum(r[c::3])
        n = w * h
        return tuple(round(s / n, 1) for s in sums)


def dark(p, limit=110):
    return p[0] + p[1] + p[2] < 3 * limit


class Desk(xdesk.Processes):
    """The desk's children (their logs in the artefacts), its display, Wine prefix and sound
    server, and the looking at and acting on its screen."""

    def __init__(self, work, artifacts, log):
        super().__init__(dict(os.environ), artifacts, log_suffix=".log")
        self.work = work
        self.artifacts = artifacts
        self.log = log
        self.prefix = None
        self.shot_no = 0
        self.pictures = {}
        # The program shows its windows on this desk's X server at 1:1, whatever the caller
        # exported for its own Qt programs (a test run's QT_QPA_PLATFORM=offscreen would leave
        # nothing on screen, and under Wine it would pass straight through to the program).
        for name in ("QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "QT_SCALE_FACTOR",
                     "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING", "QT_FONT_DPI",
                     "QT_STYLE_OVERRIDE", "QT_PLUGIN_PATH", "WINEPATH", "WINEPREFIX",
                     "WINEDLLOVERRIDES", "WINELOADER", "WINESERVER"):
            self.env.pop(name, None)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:"
        # Wine links the prefix's Desktop and Documents to folders in HOME: a private one.
        self.env["HOME"] = os.path.join(work, "home")
        os.mkdir(self.env["HOME"])
        runtime = os.path.join(work, "runtime")
        os.mkdir(runtime, 0o700)
        self.env["XDG_RUNTIME_DIR"] = runtime
        # No sound server but the one the run starts (cues.Studio), and none started behind
        # our back; until it runs, sound goes nowhere.
        client_conf = os.path.join(work, "pulse-client.conf")
        with open(client_conf, "w") as f:
            f.write("autospawn = no\n")
        self.env["PULSE_CLIENTCONFIG"] = client_conf
        self.env["PULSE_SERVER"] = "unix:" + os.path.join(work, "no-sound-server")

    # ---- processes -------------------------------------------------------------------
    def run(self, *argv, check=True, timeout=60, **kw):
        """xdesk's run with the output as bytes (screenshots come through it), and a bound."""
        return super().run(*argv, check=check, text=False, timeout=timeout, **kw)

    def text(self, *argv, **kw):
        return self.run(*argv, **kw).stdout.decode(errors="replace")

    def start_display(self):
        xdesk.start_display(self)
        self.log(f"display {self.env['DISPLAY']}, openbox managing")

    def start_wine_prefix(self):
        self.prefix = tempfile.mkdtemp(prefix="qor-wineprefix-")
        self.env["WINEPREFIX"] = self.prefix
        self.env["WINEDEBUG"] = "-all"
        # No offer to install Mono or Gecko into the fresh prefix: the program needs neither.
        # No menu builder: it would write a menu entry into HOME for every shortcut made.
        self.env["WINEDLLOVERRIDES"] = "mscoree=;mshtml=;winemenubuilder.exe=d"
        started = time.monotonic()
        # wineboot prints a harmless note about syswow64 on a 64-bit-only Wine.
        r = self.run(WINE, "wineboot", "-i", check=False, timeout=300)
        if not os.path.isdir(os.path.join(self.prefix, "drive_c", "windows")):
            raise Failure(f"wineboot -i made no prefix (exit {r.returncode}): "
                          f"{r.stderr.decode(errors='replace')[-2000:]}")
        self.log(f"fresh Wine prefix {self.prefix} in {time.monotonic() - started:.1f} s")

    def stop_all(self):
        for label, p in reversed(list(self.procs)):
            if label == "openbox" and self.prefix:
                # Wine's own processes go first, while the display they draw on is still up.
                self.stop_wine()
            self.stop(p)
        self.stop_wine()

    def stop_wine(self):
        if self.prefix:
            try:
                self.run(WINESERVER, "-k", check=False)
                self.run(WINESERVER, "-w", check=False)
            except subprocess.TimeoutExpired:
                self.log("wineserver did not stop within a minute")
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.prefix = None

    # ---- looking -----------------------------------------------------------------------
    def picture(self, name):
        if name not in self.pictures:
            self.pictures[name] = Picture(self, name)
        return self.pictures[name]

    def grab(self):
        out = self.run("import", "-window", "root", "-depth", "8", "rgb:-").stdout
        return Shot(1280, 1024, out)

    def screenshot(self, name, again=None):
        """Keeps a screenshot in the artefacts and returns it read back. With again, a new
        one takes the place of that earlier one (a step that looks until it sees)."""
        if again is not None:
            path = again.path
        else:
            self.shot_no += 1
            path = os.path.join(self.artifacts, f"{self.shot_no:02d}-{name}.png")
        self.run("import", "-window", "root", path)
        data = self.run("convert", path, "-depth", "8", "rgb:-").stdout
        shot = Shot(1280, 1024, data)
        shot.path = path
        if again is None:
            self.log(f"screenshot {os.path.basename(path)}")
        return shot

    def windows(self, caption):
        """The X windows on screen whose name is exactly caption."""
        pattern = "^" + re.sub(r"([.\[\]()*+?{}|^$\\])", r"\\\1", caption) + "$"
        r = self.run("xdotool", "search", "--onlyvisible", "--name", pattern, check=False)
        return r.stdout.decode().split()

    def geometry(self, wid):
        """Position on the screen and size of an X window, without the window manager's frame.
        (xwininfo, not xdotool: this xdotool counts the frame into the position twice.)"""
        vals = {}
        for line in self.text("xwininfo", "-id", wid).splitlines():
            if ":" in line:
                k, v = line.split(":", 1)
                vals[k.strip()] = v.strip()
        return (int(vals["Absolute upper-left X"]), int(vals["Absolute upper-left Y"]),
                int(vals["Width"]), int(vals["Height"]))

    def size_hints(self, wid):
        """What the window tells the window manager about its size (fixed when min = max)."""
        out = self.text("xprop", "-id", wid, "WM_NORMAL_HINTS", check=False)
        return "; ".join(line.strip() for line in out.splitlines()[1:]
                         if "minimum" in line or "maximum" in line) or "none"

    def frame_extents(self, wid):
        out = self.text("xprop", "-id", wid, "_NET_FRAME_EXTENTS", check=False)
        if "=" not in out:
            return (0, 0, 0, 0)
        return tuple(int(v) for v in out.split("=", 1)[1].split(","))  # left right top bottom

    def wait_window(self, caption, what, test=lambda g: True, timeout=30, exclude=()):
        """The one window named caption whose geometry passes test, and that geometry."""
        def find():
            for wid in self.windows(caption):
                if wid in exclude:
                    continue
                g = self.geometry(wid)
                if g[2] > 1 and test(g):
                    return wid, g
            return None
        return poll(what, find, timeout=timeout)

    def wait_gone(self, wid, what, timeout=30):
        def gone():
            r = self.run("xwininfo", "-id", wid, check=False)
            return r.returncode != 0 or b"IsViewable" not in r.stdout
        poll(what, gone, timeout=timeout)

    # ---- acting ------------------------------------------------------------------------
    def click(self, x, y):
        self.run("xdotool", "mousemove", str(x), str(y), "click", "1")
        # Off every window again, so that the pointer lights up no menu item or button that a
        # screenshot then reads.
        self.run("xdotool", "mousemove", "1279", "1023")

    def activate(self, wid, what):
        """Gives a window the keyboard, through the window manager, and waits until it has it."""
        def active():
            self.run("xdotool", "windowactivate", wid, check=False)
            return self.text("xdotool", "getactivewindow", check=False).strip() == str(int(wid))
        poll(f"{what} to have the keyboard", active, interval=0.5)

    def key(self, *names):
        self.run("xdotool", "key", *names)

    # ---- reading -----------------------------------------------------------------------
    def ocr(self, shot, box, name, psm, whitelist=None, scale=400):
        """Reads the text in box of a kept screenshot: cut out, made larger, turned into dark
        text on a light ground whatever its colours, read with tesseract. The prepared picture
        is kept beside the screenshot."""
        x, y, w, h = box
        prepared = shot.path[:-4] + f"-{name}-ocr.png"
        self.run("convert", shot.path, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                 "-colorspace", "Gray", "-resize", f"{scale}%", prepared)
        # Light text on a dark ground (the clock) is turned round first. No fixed threshold:
        # the thin, smoothed strokes of a stand-in face under Wine fall apart under one, and
        # tesseract finds its own.
        mean = float(self.text("convert", prepared, "-format", "%[fx:mean]", "info:").strip())
        args = ["convert", prepared]
        if mean < 0.5:
            args.append("-negate")
        args += ["-bordercolor", "white", "-border", "20", prepared]
        self.run(*args)
        cmd = ["tesseract", prepared, "stdout", "--psm", str(psm)]
        if whitelist:
            cmd += ["-c", f"tessedit_char_whitelist={whitelist}"]
        out = self.text(*cmd).strip()
        return " ".join(out.split())


class Picture:
    """One of the program's own pictures, as the screen shows it at natural size on white."""

    def __init__(self, desk, name):
        path = os.path.join(SOURCE_ROOT, "resources", "art", name)
        w, h = desk.text("convert", path, "-format", "%w %h", "info:").split()
        self.width, self.height = int(w), int(h)
        self.data = desk.run("convert", path, "-background", "white", "-alpha", "remove",
                             "-alpha", "off", "-depth", "8", "rgb:-").stdout
        self.name = name

    def row(self, x, y, w):
        i = (y * self.width + x) * 3
        return self.data[i:i + 3 * w]


def find_picture(shot, window, picture, at, width=None, most_x=0, most_y=80):
    """Where the client area of an X window starts, found from a picture of known content
    that the client shows at natural size at a known place (`at`, client pixels): the
    picture's rows match the screenshot exactly at one offset, and that offset is the client's
    (dx, dy) inside the X window. None while the picture is not (yet) there."""
    x0, y0, w0, h0 = window
    px0, py0 = at
    width = min(width or picture.width, w0 - px0)
    # Rows of the picture with something drawn on them say where it is; blank ones do not.
    rows = [r for r in range(picture.height)
            if len(set(picture.row(0, r, width))) > 2][::max(1, picture.height // 12)]
    best = None
    for dy in range(0, most_y + 1):
        if dy + py0 + picture.height > h0:
            break
        for dx in range(0, most_x + 1):
            if dx + px0 + width > w0:
                break
            diff = 0
            for r in rows:
                a = shot.row(x0 + dx + px0, y0 + dy + py0 + r, width)
                b = picture.row(0, r, width)
                if a != b:
                    diff += sum(abs(p - q) for p, q in zip(a, b))
            diff /= len(rows) * width * 3
            if best is None or diff < best[1]:
                best = ((dx, dy), diff)
    if best is None or best[1] > 4:  # a mean difference of 0 when drawn exactly
        return None
    return best[0]


def menu_bar_height(shot, window, picture, at, width=None):
    """Rows at the top of an X window that belong to the menu bar.

    Under a window manager the X window is the window's client area with Qt's menu bar inside
    it at the top, so its height (the X server's exact figure) is the menu bar's plus the
    central client's. The bar's own height is where the central client starts, found from
    where a picture it shows lies on the screen. Looking for the rows of the menu bar's colour
    instead would take a guess at the style: Wine's default theme paints the bar white, on a
    white client, and a line under it or not is the style's choice too. The picture's place
    needs no colours, no font height and no frame line."""
    found = find_picture(shot, window, picture, at, width)
    return None if found is None else found[1]


def menu_titles(shot, box, bar):
    """Columns of the menu titles: clusters of dark pixels in the menu bar, left to right."""
    x, y, w, _ = box
    cols = [any(dark(shot.pixel(x + c, y + r)) for r in range(bar)) for c in range(w)]
    clusters, start, gap = [], None, 0
    for c, on in enumerate(cols + [False] * 8):
        if on:
            if start is None:
                start = c
            gap, end = 0, c
        elif start is not None:
            gap += 1
            if gap > 6:  # letters of one word lie closer together than this
                clusters.append((start, end))
                start = None
    return clusters


def popup_first_item(before, after, area):
    """The popup that opened in area between two screenshots: its bounding box, and the
    centre of its first item (the first band of rows with dark text in it)."""
    x0, y0, w, h = area
    xs, ys = [], []
    for yy in range(y0, y0 + h):
        a, b = before.row(x0, yy, w), after.row(x0, yy, w)
        if a != b:
            for c in range(w):
                if a[3 * c:3 * c + 3] != b[3 * c:3 * c + 3]:
                    xs.append(x0 + c)
                    ys.append(yy)
    if not xs:
        return None
    left, top, right, bottom = min(xs), min(ys), max(xs), max(ys)
    width = right - left + 1
    band = None
    # Inside the popup's frame (a few pixels all round), a row belongs to the first item's
    # text when it has dark pixels and is not a line across the whole popup.
    for yy in range(top + 3, bottom - 2):
        texts = [xx for xx in range(left + 3, right - 2) if dark(after.pixel(xx, yy))]
        if texts and len(texts) < 0.6 * width:
            if band is None:
                band = [yy, yy, min(texts), max(texts)]
            else:
                band = [band[0], yy, min(band[2], min(texts)), max(band[3], max(texts))]
        elif band:
            break
    if band is None:
        return None
    return (left, top, width, bottom - top + 1), \
        ((band[2] + band[3]) // 2, (band[0] + band[1]) // 2)


class Run:
    def __init__(self, desk, folder, start, log):
        self.desk, self.folder, self.start, self.log = desk, folder, start, log
        self.app = None

    def launch(self, label):
        self.app = self.desk.spawn(label, self.start, cwd=self.folder)
        self.log(f"started {' '.join(self.start)} in {self.folder} (pid {self.app.pid})")

    def exit_status(self, timeout=30):
        poll("the program to end", lambda: self.app.poll() is not None, timeout=timeout)
        self.desk.forget(self.app)
        return self.app.returncode

    def measured(self, wid, g, picture, at, what, name):
        """Waits until the window shows its picture, keeps a screenshot, and returns the menu
        bar's height."""
        pic = self.desk.picture(picture)
        poll(f"{what} to show {picture}",
             lambda: menu_bar_height(self.desk.grab(), g, pic, at) is not None)
        shot = self.desk.screenshot(name)
        bar = menu_bar_height(shot, g, pic, at)
        if bar is None:
            raise Failure(f"{what} no longer shows {picture}")
        self.log(f"{what}: X window at {g[:2]}, {g[2]} x {g[3]}; menu bar {bar} rows; "
                 f"size hints: {self.desk.size_hints(wid)}")
        return shot, bar

    def title_window(self, timeout, name):
        wid, g = self.desk.wait_window(CAPTION, "the title window", timeout=timeout,
                                       test=lambda g: g[2] == TITLE_CLIENT[0])
        shot, bar = self.measured(wid, g, "maker_logo.png", (0, 0), "the title window", name)
        self.check_size("title window client (X window less its menu bar)",
                        (g[2], g[3] - bar), TITLE_CLIENT)
        return wid, g, bar

    def choose(self, wid, g, bar, title_index, name):
        """Opens a menu of the window by a click on its title, then clicks its first item."""
        shot = self.desk.screenshot(f"{name}-before")
        titles = menu_titles(shot, g, bar)
        self.log(f"menu titles at x {[(g[0] + a, g[0] + b) for a, b in titles]}")
        if len(titles) <= title_index:
            raise Failure(f"{len(titles)} menu titles found, wanted number {title_index + 1}")
        a, b = titles[title_index]
        self.desk.click(g[0] + (a + b) // 2, g[1] + bar // 2)
        # The popup drops below the title, over the client.
        area = (g[0], g[1] + bar, g[2], g[3] - bar)
        seen = [None]

        def drawn():  # the same in two screenshots running: painted in full
            now = popup_first_item(shot, self.desk.grab(), area)
            same = now is not None and now == seen[0]
            seen[0] = now
            return now if same else None
        found = poll(f"the {name} menu to open", drawn)
        opened = self.desk.screenshot(f"{name}-open")
        found = popup_first_item(shot, opened, area) or found
        box, item = found
        self.log(f"{name} menu open at {box}, first item at {item}")
        self.desk.click(*item)

    def check_size(self, what, got, want):
        self.log(f"{what}: {got[0]} x {got[1]}")
        if tuple(got) != tuple(want):
            raise Failure(f"{what} is {got[0]} x {got[1]}, not {want[0]} x {want[1]}")

    def game_window(self, title_wid, timeout=60):
        wid, g = self.desk.wait_window(CAPTION, "the game window", timeout=timeout,
                                       test=lambda g: g[2] == GAME_CLIENT[0])
        poll("the title window to close", lambda: title_wid not in self.desk.windows(CAPTION))
        return wid, g

    def game_bar(self, wid, g, name):
        shot, bar = self.measured(wid, g, "title_logo.png", pixels(IMG_LOGO)[:2], "the game window",
                                  name)
        self.check_size("game window client (X window less its menu bar)",
                        (g[2], g[3] - bar), GAME_CLIENT)
        return shot, bar

    def close(self, wid, what):
        # openbox binds Alt+F4 to Close: it asks the window to close itself (WM_DELETE_WINDOW),
        # as the close box would, rather than destroying it or killing the client.
        self.desk.activate(wid, what)
        self.desk.key("alt+F4")
        code = self.exit_status()
        self.log(f"closing {what} ended the program with status {code}")
        if code != 0:
            raise Failure(f"the program ended with status {code}, not 0")


def place(g, bar, twips):
    x, y, w, h = pixels(twips)
    return (g[0] + x, g[1] + bar + y, w, h)


def inset(box, n):
    x, y, w, h = box
    return (x + n, y + n, w - 2 * n, h - 2 * n)


def is_card_back(m):
    r, g, b = m
    return r > 120 and r > 1.6 * g and r > 1.6 * b


def is_card_face(m):
    return min(m) > 170 and max(m) - min(m) < 60


def play(desk, folder, start, log, keep_picture):
    run = Run(desk, folder, start, log)
    first_timeout = 120 if start[0] == WINE else 30

    # 1. The title window.
    run.launch("program-1")
    title, g, bar = run.title_window(first_timeout, "title")

    # 2. Help > About.
    run.choose(title, g, bar, 1, "help")
    about, ag = desk.wait_window(ABOUT_CAPTION, "the About window")
    # Wine leaves a tool window to itself rather than to the window manager, and draws its
    # frame and small caption inside the X window. Where the client starts shows through the
    # product logo at its place; a Windows frame is as wide at the bottom as at the sides.
    icon = desk.picture("product_logo.png")
    dx, dy = poll("the About window to show its logo", lambda: find_picture(
        desk.grab(), ag, icon, pixels(PIC_ICON)[:2], most_x=10, most_y=40))
    desk.screenshot("about")
    log(f"About X window at {ag[:2]}, {ag[2]} x {ag[3]}; client starts at ({dx}, {dy}) in it")
    run.check_size("About window client", (ag[2] - 2 * dx, ag[3] - dy - dx), ABOUT_CLIENT)
    desk.activate(about, "the About window")
    desk.key("Return")  # OK is the default button
    desk.wait_gone(about, "the About window to close")
    log("Return closed the About window")

    # 3. File > New Game, and a flip: the opening cue and the first card cue.
    studio = desk.studio
    studio.record(os.path.join(desk.work, "heard.raw"))
    run.choose(title, g, bar, 0, "file")
    game, gg = run.game_window(title)
    _, gbar = run.game_bar(game, gg, "game-opened")
    card = inset(place(gg, gbar, IMG_FAC), 4)
    clock = place(gg, gbar, LBL_CLOCK)
    flip_button = middle(place(gg, gbar, CMD_FLIP))
    round_button = middle(place(gg, gbar, CMD_ROUND))

    def shows(label, test, want, name):
        """Waits for the main card to look like label and the clock to read want; keeps the
        last screenshot looked at."""
        def probe():
            shot = desk.grab()
            return shot if test(shot.mean(card)) else None
        poll(f"the main card to show {label}", probe)
        seen = {}

        def reads():
            shot = desk.screenshot(name, again=seen.get("shot"))
            seen["shot"] = shot
            seen["mean"] = shot.mean(card)
            seen["clock"] = desk.ocr(shot, clock, "clock", 7, "0123456789:")
            return test(seen["mean"]) and seen["clock"] == want
        try:
            poll(f"the clock to read {want}", reads, timeout=20, interval=0.5)
        finally:
            log(f"main card area {card}: mean colour {seen.get('mean')} (wanted {label}); "
                f"clock reads {seen.get('clock')!r}")
        return seen["shot"]

    shows("the card back", is_card_back, "3:00", "game-before-flip")
    desk.click(*flip_button)
    after = shows("a card face", is_card_face, "2:57", "game-after-flip")
    # A fixed frame: the window manager is told one size to keep, not a sizing border.
    hints = desk.size_hints(game)
    log(f"game window size hints: {hints}")
    if not ("minimum" in hints and "maximum" in hints):
        raise SystemExit(f"the game window can be resized: its size hints are {hints}")
    left, right, top, bottom = desk.frame_extents(game)
    framed = (gg[0] - left, gg[1] - top, gg[2] + left + right, gg[3] + top + bottom)
    desk.run("convert", after.path, "-crop", "{2}x{3}+{0}+{1}".format(*framed), "+repage",
             keep_picture)
    log(f"the game window with its frame: {os.path.basename(keep_picture)}")

    # 4. The rest of the round, and Next Round while the end-of-round bell still rings.
    def to_next_round(spacing):
        flips(desk, flip_button, ROUND - 1, spacing)
        time.sleep(0.5)
        desk.click(*round_button)
        shows("the card back", is_card_back, "3:00", "next-round")
    to_next_round(0.6)
    time.sleep(2.0)  # the next-round bell sounds whole
    recording = studio.stop_recording()
    keep_recording(recording, os.path.join(desk.artifacts, "heard.wav"))
    check_heard(recording, [cues.Cue(p) for p in desk.cue_files], log)

    # 5. Closing the game window ends the program.
    run.close(game, "the game window")

    # 6. No data file: the reader's message, once for each of the opening's two reads.
    deck = os.path.join(folder, "fac_data.txt")
    kept_deck = shutil.copy(deck, os.path.join(desk.work, "fac_data.txt"))
    os.remove(deck)
    log("fac_data.txt removed")
    run.launch("program-2")
    title, g, bar = run.title_window(first_timeout, "missing-data-title")
    run.choose(title, g, bar, 0, "missing-data-file")
    boxes = []
    for n in (1, 2):
        box, mg = desk.wait_window(MESSAGE_CAPTION, f"message box {n}", exclude=boxes)
        boxes.append(box)
        seen = {}

        def says():
            shot = desk.screenshot(f"message-{n}", again=seen.get("shot"))
            seen["shot"] = shot
            seen["text"] = desk.ocr(shot, mg, "text", 6, scale=300)
            return MISSING_DATA_TEXT in seen["text"]
        try:
            poll(f"message box {n} to say {MISSING_DATA_TEXT!r}", says, interval=0.5)
        finally:
            log(f"message box {n} ({mg[2]} x {mg[3]}) reads {seen.get('text')!r}")
        desk.activate(box, f"message box {n}")
        desk.key("Return")
        desk.wait_gone(box, f"message box {n} to close")
    game, gg = run.game_window(title)
    run.game_bar(game, gg, "missing-data-game")
    run.close(game, "the game window")

    # 7. The deck back, the wave files gone: the same actions, and not a sound.
    shutil.copy(kept_deck, deck)
    for name in WAVES:
        os.remove(os.path.join(folder, name))
    log(f"the deck put back, the wave files removed: {', '.join(WAVES)}")
    run.launch("program-3")
    title, g, bar = run.title_window(first_timeout, "silent-title")
    studio.record(os.path.join(desk.work, "silent.raw"))
    run.choose(title, g, bar, 0, "silent-file")
    game, gg = run.game_window(title)
    _, gbar = run.game_bar(game, gg, "silent-game")
    # This window's own places, which shows() and to_next_round() read.
    card = inset(place(gg, gbar, IMG_FAC), 4)
    clock = place(gg, gbar, LBL_CLOCK)
    flip_button = middle(place(gg, gbar, CMD_FLIP))
    round_button = middle(place(gg, gbar, CMD_ROUND))
    shows("the card back", is_card_back, "3:00", "silent-before-flip")
    desk.click(*flip_button)
    shows("a card face", is_card_face, "2:57", "silent-after-flip")
    to_next_round(0.3)
    desk.click(*flip_button)
    shows("a card face", is_card_face, "2:57", "silent-next-round-flip")
    time.sleep(1.0)
    recording = studio.stop_recording()
    loud = cues.loudest(recording)
    log(f"without wave files: New Game, {ROUND + 1} flips and Next Round; loudest sample "
        f"recorded {loud} of 32768 in {len(recording) / cues.RATE:.1f} s")
    if loud > 30:
        keep_recording(recording, os.path.join(desk.artifacts, "silent.wav"))
        raise Failure(f"something sounded without wave files (peak {loud})")
    run.close(game, "the game window")


def middle(box):
    x, y, w, h = box
    return x + w // 2, y + h // 2


def flips(desk, button, n, spacing):
    """Clicks the Flip button n times, one click every spacing seconds: room for each card cue
    to sound on its own, whenever Wine starts it."""
    due = time.monotonic()
    for _ in range(n):
        delay = due - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        desk.click(*button)
        due += spacing


def keep_recording(samples, path):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(cues.RATE)
        w.writeframes(samples.tobytes())


def check_heard(recording, cue_list, log):
    """The cues of New Game, a round of flips and Next Round, in order, and the end-of-round
    bell cut short by the next-round one."""
    log(f"the recording ({len(recording) / cues.RATE:.1f} s) holds:")
    heard = cues.hear(recording, cue_list, log)
    names = [h[0] for h in heard]
    want = ["Start.wav"] + ["Fac.wav"] * (ROUND - 1) + ["BoxingBell2.wav", "BoxingBell.wav"]

    def runs(seq):
        out = []
        for n in seq:
            if out and out[-1][0] == n:
                out[-1][1] += 1
            else:
                out.append([n, 1])
        return ", ".join(n if k == 1 else f"{n} x {k}" for n, k in out)
    if names != want:
        raise Failure(f"heard {runs(names) or 'nothing'}; wanted {runs(want)}")
    bell2 = next(c for c in cue_list if c.name == "BoxingBell2.wav")
    rang = heard[-1][1] - heard[-2][1]
    log(f"heard {runs(names)}; the end-of-round bell rang {rang:.2f} s of its "
        f"{bell2.duration:.2f} s before the next-round bell")
    if rang > bell2.duration - 0.3:
        raise Failure("the next-round bell did not cut the end-of-round bell short")


def unpack(source, folder):
    if os.path.isdir(source):
        shutil.copytree(source, folder, dirs_exist_ok=True)
    else:
        with zipfile.ZipFile(source) as z:
            z.extractall(folder)
    # A zip may hold one top folder with everything in it, or the files themselves.
    entries = os.listdir(folder)
    if "qor-flipper.exe" not in entries and len(entries) == 1:
        inner = os.path.join(folder, entries[0])
        if os.path.isdir(inner):
            return inner
    return folder


# What both Wine runs start and read the screen with.
DESK_TOOLS = ["Xvfb", "openbox", "xdotool", "xdpyinfo", "xwininfo", "xprop", "import", "convert",
              "tesseract"]


def run_log(artifacts):
    """A log that prints each line with the run's time and keeps it in artifacts/run.log;
    returns it and the file, to close at the end."""
    os.makedirs(artifacts, exist_ok=True)
    log_file = open(os.path.join(artifacts, "run.log"), "w")
    t0 = time.monotonic()

    def log(msg):
        line = f"[{time.monotonic() - t0:7.2f}] {msg}"
        print(line, flush=True)
        log_file.write(line + "\n")
        log_file.flush()

    return log, log_file


def tools_there(tools, need_wine, log):
    """True when every tool (and Wine, if asked) is here; else says which are missing."""
    missing = [t for t in tools if not shutil.which(t)]
    if need_wine and not os.access(WINE, os.X_OK):
        missing.append(WINE)
    if missing:
        log(f"FAIL: missing {', '.join(missing)} (bash tools/deps.sh windows installs them)")
    return not missing


def run_on_desk(desk, work, log, log_file, steps):
    """Runs steps() on the desk and returns the exit status: PASS, or FAIL with the screen as it
    was; either way the desk is stopped, work removed and the log closed."""
    status = 1
    try:
        steps()
        log("PASS")
        status = 0
    except Exception as e:  # whatever went wrong, the screen as it was and a clean desk
        try:
            desk.screenshot("failure")
        except Exception:
            pass
        log(f"FAIL: {e}" if isinstance(e, Failure) else f"FAIL: {e!r}")
    finally:
        desk.stop_all()
        shutil.rmtree(work, ignore_errors=True)
        log_file.close()
    return status


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("source", nargs="?", help="the Windows zip, or a folder unpacked from it")
    ap.add_argument("artifacts", help="where the screenshots and the log go")
    ap.add_argument("--program", help="a Linux build of the program, played instead")
    args = ap.parse_args()
    if bool(args.source) == bool(args.program):
        ap.error("give either the zip (or its folder) or --program")

    log, log_file = run_log(args.artifacts)
    if not tools_there(DESK_TOOLS + ["pulseaudio", "pactl", "pacat", "parec"],
                       not args.program, log):
        return 1

    work = tempfile.mkdtemp(prefix="qor-zip-e2e-")
    folder = os.path.join(work, "unpacked")
    os.mkdir(folder)  # empty before the program goes in
    desk = Desk(work, args.artifacts, log)

    def steps():
        nonlocal folder  # the zip may unpack into a folder of its own below it
        if args.program:
            # Copied with its wave files, which the run removes later, into the folder.
            exe = os.path.abspath(args.program)
            for name in [os.path.basename(exe)] + WAVES:
                shutil.copy2(os.path.join(os.path.dirname(exe), name), folder)
            shutil.copy(os.path.join(SOURCE_ROOT, "resources", "fac_data.txt"), folder)
            desk.env["QT_QPA_PLATFORM"] = "xcb"
            start = [os.path.join(folder, os.path.basename(exe))]
            log(f"Linux program {exe}, copied into {folder}")
        else:
            folder = unpack(os.path.abspath(args.source), folder)
            log(f"unpacked {args.source}: {len(os.listdir(folder))} entries")
            for name in ("qor-flipper.exe", "fac_data.txt", "platforms"):
                if not os.path.exists(os.path.join(folder, name)):
                    raise Failure(f"{name} is not in the unpacked zip")
            start = [WINE, "qor-flipper.exe"]
        # The cues are held against the wave files the program plays, copied before any goes.
        os.mkdir(os.path.join(work, "cues"))
        desk.cue_files = [shutil.copy(os.path.join(folder, name), os.path.join(work, "cues"))
                          for name in WAVES]
        desk.start_display()
        desk.studio = cues.Studio(desk)
        desk.studio.start()
        log(f"sound server on {desk.env['PULSE_SERVER']}, its null sink recorded")
        if not args.program:
            desk.start_wine_prefix()
        play(desk, folder, start, log, os.path.join(args.artifacts, "game-window.png"))

    return run_on_desk(desk, work, log, log_file, steps)


if __name__ == "__main__":
    sys.exit(main())
