#!/usr/bin/python3
"""Plays the installed program the way a person does, under a real X server with a window
manager, and reads what its windows show through the accessibility bus (AT-SPI).

    e2e.py --prefix INSTALL_PREFIX --artifacts FOLDER SCENARIO

Runs inside its own D-Bus session (run_e2e.sh starts one). Screenshots of the key moments go
to FOLDER/SCENARIO/; the path is printed. Exit status 0 when every check held."""

import argparse
import os
import re
import shutil
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import qordeck  # noqa: E402
from desk import Desk, Failure, Node, poll, walk  # noqa: E402

CAPTION = "Korvane II - QOR Flipper"
ABOUT_CAPTION = "About KORVANE II QOR Flipper"


def clock_texts():
    """The clock after each timed card, "2:57" to "0:00": read from the C++ tests' one copy of
    the table (tests/carddecks.h), so both kinds of test hold the program to the same texts."""
    header = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "carddecks.h")
    with open(header, encoding="utf-8") as f:
        text = f.read()
    body = re.search(r"kClockTexts\{(.*?)\};", text, re.S)
    texts = re.findall(r'"(\d:\d\d)"', body.group(1)) if body else []
    if len(texts) != 50:
        raise Failure(f"tests/carddecks.h: expected the 50 clock texts, found {len(texts)}")
    return texts


CLOCK = clock_texts()
WAVES = ["Start.wav", "Fac.wav", "BoxingBell2.wav", "BoxingBell.wav"]


def px(twips):
    return (twips + 7) // 15


def rect(l, t, w, h, dx=0, dy=0):
    return (px(l + dx), px(t + dy), px(w), px(h))


FRA = 8040  # the review frame's left edge; its top is 0
# Where each control of the game window sits in its client area (pixels), by role.
FAC_LAYOUT = {
    "lblClock": ("label", rect(5790, 2400, 1215, 495)),
    "cmdFlip": ("push button", rect(5790, 3120, 1215, 495)),
    "lblRound": ("label", rect(6030, 4080, 735, 495)),
    "cmdRound": ("push button", rect(5790, 4800, 1215, 495)),
    "lblKI": ("label", rect(5910, 6120, 975, 450)),
    "cmdPick": ("push button", rect(9180, 6360, 1935, 495)),
    "imgFAC": ("filler", rect(130, 130, 3960, 5900)),
    "imgFAC2": ("filler", rect(140, 150, 3960, 5895, FRA)),
}
MAIN_ENTRIES = [rect(2400, 1600, 1680, 255), rect(1380, 990, 495, 250),
                rect(3120, 990, 960, 250), rect(2400, 1290, 1635, 255),
                rect(1400, 1930, 495, 255), rect(3330, 1930, 495, 250),
                rect(1400, 2230, 495, 255), rect(3330, 2230, 495, 250),
                rect(830, 2560, 495, 255), rect(2160, 2560, 495, 250),
                rect(3550, 2560, 495, 250), rect(150, 2880, 3930, 960),
                rect(150, 3900, 3930, 1050), rect(150, 5000, 3930, 1020)]
REVIEW_ENTRIES = [rect(2390, 1600, 1680, 255, FRA), rect(1350, 980, 495, 255, FRA),
                  rect(3120, 980, 960, 255, FRA), rect(2400, 1290, 1635, 255, FRA),
                  rect(1400, 1940, 495, 255, FRA), rect(3340, 1940, 495, 255, FRA),
                  rect(1400, 2230, 495, 255, FRA), rect(3340, 2230, 495, 255, FRA),
                  rect(840, 2560, 495, 255, FRA), rect(2175, 2560, 495, 255, FRA),
                  rect(3555, 2560, 495, 255, FRA), rect(150, 2880, 3930, 960, FRA),
                  rect(150, 3900, 3930, 1050, FRA), rect(150, 4995, 3930, 1020, FRA)]
for i, r in enumerate(MAIN_ENTRIES):
    FAC_LAYOUT[f"main{i}"] = ("label", r)
for i, r in enumerate(REVIEW_ENTRIES):
    FAC_LAYOUT[f"review{i}"] = ("label", r)


def check(cond, what):
    if not cond:
        raise Failure(what)


class Log:
    def __init__(self):
        self.lines = []

    def __call__(self, text):
        line = f"[e2e] {text}"
        print(line, flush=True)
        self.lines.append(line)


log = Log()


# ---- reading the windows --------------------------------------------------------------

def client_area(frame):
    """The client area below an in-window menu bar: (x, y, width, height, menu height)."""
    nodes = [Node(c, 1) for c in frame.acc if c is not None]
    bars = [n for n in nodes if n.role == "menu bar" and n.showing]
    mb = bars[0].box[3] if bars else 0
    x, y, w, h = frame.box
    return x, y + mb, w, h - mb, mb


def check_window(desk, frame, caption, width, height, label):
    """Client size, fixed size and centring of a top-level window."""
    x, y, w, h, mb = client_area(frame)
    log(f"{label}: client area {w} x {h} at ({x}, {y}), menu bar {mb} px")
    check((w, h) == (width, height), f"{label}: client area {w} x {h}, expected {width} x {height}")
    wid = desk.x_window(caption)
    check(wid is not None, f"{label}: no visible X window titled {caption!r}")
    gx, gy, gw, gh = desk.x_geometry(wid)
    left, right, top, bottom = desk.frame_extents(wid)
    # The window (menu bar included), or the window with its decorations, sits in the middle.
    dx = gx + gw / 2 - desk.width / 2
    dy = gy + gh / 2 - desk.height / 2
    fdx = (gx - left + (gw + left + right) / 2) - desk.width / 2
    fdy = (gy - top + (gh + top + bottom) / 2) - desk.height / 2
    log(f"{label}: X window {gw} x {gh} at ({gx}, {gy}); off centre by ({dx:+.1f}, {dy:+.1f}),"
        f" with decorations ({fdx:+.1f}, {fdy:+.1f})")
    # Where the window manager puts the title bar is its own business: the decorated window
    # may sit off centre by at most half the title bar's height.
    slack = top / 2 + 1
    check(abs(fdx) <= slack and abs(fdy) <= slack,
          f"{label}: not centred on the {desk.width} x {desk.height} screen")
    hints = desk.size_hints(wid)
    check("minimum size" in hints and "maximum size" in hints,
          f"{label}: the window manager is not told a fixed size: {hints.strip()}")
    # Try to resize it as a user's window manager would; it must stay as it is. Nothing
    # shows that a refused resize has been dealt with, so a move follows it: the window
    # manager and the program each take requests in the order they come, and once both show
    # the move, the resize is behind them.
    desk.run("xdotool", "windowsize", wid, str(gw + 150), str(gh + 120))
    move_and_back(desk, wid, frame, label)
    after = desk.x_geometry(wid)
    fresh = Node(frame.acc, 0)
    log(f"{label}: after asking for {gw + 150} x {gh + 120}: X window {after[2]} x {after[3]},"
        f" accessible extents {fresh.box[2]} x {fresh.box[3]}")
    check(after[2:] == (gw, gh) and fresh.box[2:] == frame.box[2:],
          f"{label}: resized to {after[2]} x {after[3]}; a fixed-size window must stay")
    return wid


def move_and_back(desk, wid, frame, label):
    """Moves a window 20 pixels right and down, then back to where it was, each time waiting
    until the X server has it there and the program reports it there."""
    gx, gy = desk.x_geometry(wid)[:2]
    x, y = frame.box[:2]
    desk.run("xdotool", "windowmove", wid, str(gx + 20), str(gy + 20))
    mx, my = poll(f"{label} to move", lambda: (
        lambda g: g[:2] if g[:2] != (gx, gy) else None)(desk.x_geometry(wid)))
    poll(f"{label}: the program to see the move",
         lambda: Node(frame.acc, 0).box[:2] == (x + mx - gx, y + my - gy))
    # Some windows are placed by their frame's corner rather than their own: ask for the
    # old place less what the window manager added to the first request.
    desk.run("xdotool", "windowmove", wid, str(2 * gx + 20 - mx), str(2 * gy + 20 - my))
    poll(f"{label} to move back", lambda: desk.x_geometry(wid)[:2] == (gx, gy))
    poll(f"{label}: the program to see it back", lambda: Node(frame.acc, 0).box[:2] == (x, y))


def menu_click(desk, frame, path):
    """Clicks through a menu path such as ["File", "New Game"] on a window's menu bar."""
    nodes = walk(frame.acc)
    top = [n for n in nodes if n.role == "menu item" and n.name == path[0] and n.showing]
    check(top, f"no menu {path[0]!r} on {frame.name!r}")
    desk.click(top[0])
    if len(path) == 1:
        return

    def item():
        for n in walk(top[0].acc):
            if n.role == "menu item" and n.name == path[1] and n.showing and n.box[2] > 0:
                return n
        return None
    desk.click(poll(f"menu item {path[1]!r}", item))


class FacView:
    """The game window's controls, found by role and position in the client area."""

    def __init__(self, desk, frame, timeout=15):
        self.desk = desk
        self.frame = frame
        # The window can be on screen before its controls are on the accessibility bus, or
        # before they report their final places (the window manager may still be placing it):
        # look again until every control is where it belongs, and fail with what was missing.
        missing = []

        def find():
            try:
                return self._find(Node(frame.acc, 0))
            except Failure as e:
                missing[:] = [str(e)]
                return None
        try:
            self.nodes, self.ki_rect = poll("the game window's controls", find, timeout=timeout)
        except Failure as e:
            raise Failure(f"after {timeout} s: {missing[0]}" if missing else str(e))
        check(self.nodes["cmdFlip"].name == "Flip QOR", "Flip button caption")
        check(self.nodes["cmdRound"].name == "Next Round", "Next Round caption")
        check(self.nodes["cmdPick"].name == "Pick Random FAC", "Pick Random FAC caption")
        log(f"game window: {len(FAC_LAYOUT) + 1} controls found at their places")

    @staticmethod
    def _find(frame):
        ox, oy, w, h, _ = client_area(frame)
        nodes = walk(frame.acc)
        found = {}
        for name, (role, (x, y, cw, ch)) in FAC_LAYOUT.items():
            want = (ox + x, oy + y, cw, ch)
            hits = [n for n in nodes if n.role == role and n.box
                    and all(abs(a - b) <= 1 for a, b in zip(n.box, want))]
            check(len(hits) == 1, f"{name}: expected one {role} at {want}, found {hits}")
            found[name] = hits[0]
        combos = [n for n in nodes if n.role == "combo box"]
        check(len(combos) == 1, f"one combo box, found {combos}")
        found["cboKI"] = combos[0]
        return found, (ox + px(5910), oy + px(6120), px(1250), px(480))

    def text(self, name):
        return self.nodes[name].acc.name or ""

    def state(self, name):
        return Node(self.nodes[name].acc, 0)

    def main(self):
        return tuple(self.text(f"main{i}") for i in range(14))

    def review(self):
        return tuple(self.text(f"review{i}") for i in range(14))

    def click(self, name):
        return self.desk.click(self.nodes[name])

    def snapshot(self):
        return {"clock": self.text("lblClock"), "round": self.text("lblRound"),
                "ki": self.text("lblKI")}


class Game:
    """Plays one game window and checks each step against the test's own deck."""

    def __init__(self, desk, view, cards):
        self.desk = desk
        self.v = view
        self.cards = cards
        self.by_entries = {qordeck.shown(rec): k for k, rec in cards.items()}

    def identify(self, entries):
        return self.by_entries.get(entries)

    def wait_clock(self, text, timeout=10):
        return poll(f"clock {text!r}", lambda: self.v.text("lblClock") == text, timeout=timeout)

    def flip_timed(self, expect_clock):
        before = self.v.main()
        self.v.click("cmdFlip")
        self.wait_clock(expect_clock)
        entries = poll("a card on the main panel",
                       lambda: self.v.main() if self.identify(self.v.main()) else None)
        return self.identify(entries), before

    def set_ki(self, value):
        self.v.click("lblKI")
        combo = poll("the Killer Instinct list box", lambda: (
            lambda n: n if n.showing and n.box[2] > 0 else None)(self.v.state("cboKI")))
        check(combo.box == self.v.ki_rect, f"cboKI at {combo.box}, expected {self.v.ki_rect}")
        # The box is editable: its list opens from the arrow at its right end.
        x, y, w, h = combo.box
        self.desk.click_at(x + w - 8, y + h // 2)

        def item():
            # The items' extents mean something only once their list has popped up.
            nodes = walk(combo.acc)
            lists = [n for n in nodes if n.role == "list" and n.showing and n.box[2] > 0]
            if not lists:
                return None
            lx, ly, lw, lh = lists[0].box
            for n in nodes:
                if n.role == "list item" and n.name == value and n.box[2] > 0:
                    x, y = n.centre()
                    if lx <= x < lx + lw and ly <= y < ly + lh:
                        return n
            return None
        entry = poll(f"Killer Instinct entry {value!r}", item)
        names = [n.name for n in walk(combo.acc) if n.role == "list item"]
        check(names == [str(i) for i in range(1, 11)], f"Killer Instinct entries {names}")
        self.desk.click(entry)
        poll(f"Killer Instinct {value!r}", lambda: self.v.text("lblKI") == value)
        poll("the list box to hide", lambda: not self.v.state("cboKI").showing)
        log(f"Killer Instinct: clicked the box, chose {value!r} from {names}; it shows {value!r}")


def dismiss_messages(desk, count, expect_text, how):
    """Waits for count message boxes one after the other, checks each and closes it."""
    texts = []
    for i in range(count):
        box = desk.wait_window("alert", "KRVN_QOR")

        def contents():
            # As with the game window, the box may show before its text and button are read.
            nodes = walk(box.acc)
            labels = [n.name for n in nodes if n.role == "label" and n.name]
            buttons = [n for n in nodes if n.role == "push button"]
            placed = all(b.box and b.box[2] > 0 for b in buttons)
            return (labels, buttons) if labels and buttons and placed else None
        labels, buttons = poll("the message box's text and button", contents)
        log(f"message box {i + 1}: caption {box.name!r}, text {labels!r}, buttons "
            f"{[b.name for b in buttons]!r}")
        check(labels == [expect_text], f"message text {labels!r}, expected {expect_text!r}")
        check([b.name for b in buttons] == ["OK"], "the message box has an OK button only")
        desk.screenshot(f"message-{i + 1}")
        if how[i % len(how)] == "click":
            desk.click(buttons[0])
        else:
            desk.key("Return")
        desk.wait_gone(box)
        texts.append(labels[0])
    return texts


def open_game(desk, title):
    menu_click(desk, title, ["File", "New Game"])


def wait_game_window(desk):
    return desk.wait_window("frame", CAPTION)


def close_by_decoration(desk, frame):
    """Clicks the close button of the window manager's title bar, as a person does."""
    wid = desk.x_window(CAPTION)
    gx, gy, gw, gh = desk.x_geometry(wid)
    left, right, top, bottom = desk.frame_extents(wid)
    # openbox puts close at the right end of the title bar, in the middle of its height.
    x = gx + gw + right - 4 - top // 2
    y = gy - top // 2 - 1
    desk.screenshot("before-close")
    t = desk.click_at(x, y)
    code = desk.exited()
    log(f"closed with the title bar's close button at ({x}, {y}); the program ended with "
        f"status {code} {time.monotonic() - t:.2f} s later")
    check(code == 0, f"exit status {code}")


# ---- scenarios --------------------------------------------------------------------------

def scenario_play(desk, exe, work):
    cards = qordeck.deck()
    qordeck.write(os.path.join(work, "fac_data.txt"), cards)
    desk.launch(exe, work)
    title = desk.wait_window("frame", CAPTION)
    log(f"title window shown {time.monotonic() - desk.app_started:.2f} s after start")
    log(f"running {os.readlink(f'/proc/{desk.app.pid}/exe')}")  # what the launcher started
    desk.screenshot("title")
    check_window(desk, title, CAPTION, 729, 670, "title window")
    menus = [n.name for n in walk(title.acc) if n.role == "menu item"]
    log(f"title window menus: {menus}")
    check(menus == ["File", "New Game", "Exit", "Help", "About"], f"menus {menus}")

    # Help > About, read it, OK.
    menu_click(desk, title, ["Help", "About"])
    about = poll("the About window", lambda: next(
        (n for n in desk.windows() if n.name == ABOUT_CAPTION and n.box[2] > 0), None))
    desk.screenshot("about")
    check_window(desk, about, ABOUT_CAPTION, 386, 267, "About window")
    texts = [n.name for n in walk(about.acc) if n.role == "label" and n.name]
    log(f"About window ({about.role}) texts: {texts}")
    # A screen reader announces a window only for a dialog or a frame.
    check(about.role in ("dialog", "frame"), f"About window's role is {about.role!r}")
    for want in ["KORVANE II II QOR Flipper", "AUTOMATED QOR FLIPPER", "Version 2.0.2"]:
        check(want in texts, f"About window lacks {want!r}")
    ok = [n for n in walk(about.acc) if n.role == "push button" and n.name == "OK"]
    check(len(ok) == 1, "About window's OK button")
    desk.click(ok[0])
    desk.wait_gone(about)
    log("About window closed with OK")

    # File > New Game: the title window goes, the game window comes.
    open_game(desk, title)
    game_frame = wait_game_window(desk)
    desk.wait_gone(title)
    desk.screenshot("game-opened")
    check_window(desk, game_frame, CAPTION, 830, 470, "game window")
    check(desk.wait_window("frame", CAPTION).acc == game_frame.acc, "one game window")
    v = FacView(desk, game_frame)
    g = Game(desk, v, cards)
    s = v.snapshot()
    log(f"opened: clock {s['clock']!r}, round {s['round']!r}, Killer Instinct {s['ki']!r}")
    check(s == {"clock": "3:00", "round": "1", "ki": ""}, f"opening state {s}")
    check(v.main() == ("",) * 14, f"main panel not empty: {v.main()}")
    check(v.state("imgFAC").showing and v.state("imgFAC2").showing, "both covers up at opening")
    check(not v.state("cmdRound").enabled, "Next Round greyed out at opening")
    check(v.state("cmdFlip").enabled and v.state("cmdPick").enabled, "Flip and Pick available")
    check(not v.state("cboKI").showing, "the Killer Instinct list hidden at opening")

    # Pick with nothing turned: nothing happens. The program takes clicks in the order they
    # come, so once the Killer Instinct click after it has opened its list, the pick has been
    # dealt with.
    v.click("cmdPick")
    g.set_ki("5")
    check(v.state("imgFAC2").showing and v.review() == ("",) * 14, "Pick on an empty list")
    log("Pick Random FAC with no card turned: review panel stays covered and empty")

    seen = []
    ki_seen = []
    for i in range(1, 51):
        card, _ = g.flip_timed(CLOCK[i - 1])
        check(card not in seen, f"flip {i}: card {card} came up twice in one deck")
        seen.append(card)
        ki_seen.append(v.text("lblKI"))
        rnd = v.text("lblRound")
        check(rnd == "1", f"flip {i}: round {rnd!r}")
        check(not v.state("imgFAC").showing, f"flip {i}: main panel still covered")
        check(v.state("imgFAC2").showing, f"flip {i}: review panel uncovered")
        check(v.state("cmdRound").enabled == (i == 50), f"flip {i}: Next Round state")
        if i == 1:
            desk.screenshot("first-card")
        if i == 10:
            before_pick = v.review()
            v.click("cmdPick")
            poll("the review panel to uncover", lambda: not v.state("imgFAC2").showing)
            r = g.identify(v.review())
            log(f"Pick Random FAC after 10 cards (newest {seen[-1]}): review shows card {r}")
            check(r in seen[:-1], f"review shows {r}, not one of the earlier cards {seen[:-1]}")
            check(v.review() != before_pick, "review panel filled")
            check(g.identify(v.main()) == seen[-1], "the main panel kept its card")
            desk.screenshot("review-pick")
    log(f"50 flips: the clock walked {CLOCK[0]} ... {CLOCK[-1]} through all 50 texts; "
        f"cards {seen[:6]} ... {seen[-3:]}, 50 different")
    log(f"Killer Instinct after flips 1-7: {ki_seen[:7]}")
    check(ki_seen[:6] == ["4", "3", "2", "1", "", ""], f"Killer Instinct countdown {ki_seen[:6]}")
    check(set(ki_seen[5:]) == {""}, "Killer Instinct stays empty")
    desk.screenshot("bell-0-00")

    # The extra cards after the bell.
    prev = seen[-1]
    extra = []
    for j in range(3):
        v.click("cmdFlip")
        entries = poll(f"extra card {j + 1}", lambda: (
            lambda e: e if g.identify(e) not in (None, prev) else None)(v.main()))
        card = g.identify(entries)
        extra.append(card)
        check(v.text("lblClock") == "0:00", "the clock stays at 0:00")
        check(v.text("lblRound") == "1", "round stays 1")
        prev = card
    log(f"extra cards at 0:00: {extra} (each differs from the one before; clock stays 0:00)")
    desk.screenshot("extra-cards")
    v.click("cmdPick")
    poll("the review panel to uncover", lambda: not v.state("imgFAC2").showing)
    r = g.identify(v.review())
    log(f"Pick Random FAC at 0:00: review shows card {r} (never the last timed card {seen[-1]})")
    check(r in seen[:-1], f"review card {r} not an earlier timed card")

    # Killer Instinct 4, then Next Round ends it.
    g.set_ki("4")
    v.click("cmdRound")
    poll("round 2", lambda: v.text("lblRound") == "2")
    s = v.snapshot()
    log(f"Next Round: clock {s['clock']!r}, round {s['round']!r}, Killer Instinct {s['ki']!r}")
    check(s == {"clock": "3:00", "round": "2", "ki": ""}, f"after Next Round {s}")
    check(v.state("imgFAC").showing, "main panel covered after Next Round")
    check(not v.state("cmdRound").enabled, "Next Round greyed out again")
    desk.screenshot("next-round")
    card, _ = g.flip_timed("2:57")
    log(f"first card of round 2 (deck position 51): {card}")
    check(card not in seen, f"card {card} already came up at positions 1-50")

    # New Game from the game window's own menu.
    review_before = v.review()
    menu_click(desk, game_frame, ["New Game"])
    poll("New Game", lambda: v.text("lblRound") == "1" and v.text("lblClock") == "3:00")
    check(v.main() == ("",) * 14, "New Game empties the main panel")
    check(v.state("imgFAC").showing and v.state("imgFAC2").showing, "New Game covers both")
    check(v.review() == review_before, "New Game leaves the review labels")
    log("New Game: clock '3:00', round '1', main panel emptied and covered, review labels kept")
    desk.screenshot("new-game")
    card, _ = g.flip_timed("2:57")
    log(f"first card of the new game: {card}, clock 2:57")

    close_by_decoration(desk, game_frame)


def failing_start(desk, exe, work, expect_text, label):
    """A data file that cannot be read: two messages at the opening, then a game."""
    desk.launch(exe, work)
    title = desk.wait_window("frame", CAPTION)
    open_game(desk, title)
    dismiss_messages(desk, 2, expect_text, ["click", "enter"])
    game_frame = wait_game_window(desk)
    v = FacView(desk, game_frame)
    return v, game_frame


def play_on(desk, v, game_frame, cards, allowed, flips=4):
    g = Game(desk, v, cards)
    shown = []
    for i in range(1, flips + 1):
        v.click("cmdFlip")
        g.wait_clock(CLOCK[i - 1])
        entries = poll(f"flip {i} to show a card", lambda: (
            lambda e: e if e in allowed else None)(v.main()))
        shown.append(allowed[entries])
    return shown


def scenario_missing_data(desk, exe, work):
    cards = qordeck.deck()
    path = os.path.join(work, "fac_data.txt")
    text = "Error 53 trying to read FACs.\nFile not found: " + path
    v, frame = failing_start(desk, exe, work, text, "missing")
    log("two messages 'Error 53 trying to read FACs.' at the opening, closed by a click and by"
        " Enter")
    shown = play_on(desk, v, frame, cards, {qordeck.EMPTY_CARD: "empty"})
    log(f"plays on an empty table: {len(shown)} flips, clock walked {CLOCK[:len(shown)]}, each"
        f" card shows {qordeck.EMPTY_CARD}")
    desk.screenshot("empty-table")
    menu_click(desk, frame, ["New Game"])
    dismiss_messages(desk, 1, text, ["enter"])
    poll("New Game", lambda: v.text("lblClock") == "3:00")
    log("New Game shows the message once more, then the clock reads 3:00")
    close_by_decoration(desk, frame)


def scenario_data_folder(desk, exe, work):
    cards = qordeck.deck()
    path = os.path.join(work, "fac_data.txt")
    os.mkdir(path)
    text = "Error 75 trying to read FACs.\nPath/File access error: " + path + \
        " is a folder, not a file"
    v, frame = failing_start(desk, exe, work, text, "folder")
    shown = play_on(desk, v, frame, cards, {qordeck.EMPTY_CARD: "empty"})
    log(f"a folder named fac_data.txt: two error 75 messages, then {len(shown)} flips on an"
        " empty table")
    close_by_decoration(desk, frame)


def scenario_broken_data(desk, exe, work):
    cards = qordeck.deck()
    # Card 3's CF holds a number out of range: cards 1 and 2 load, card 3 stops at its CF.
    qordeck.write(os.path.join(work, "fac_data.txt"), cards, overflow=(3, "CF", 40000))
    text = ("Error 6 trying to read FACs.\nOverflow: card 3, field 3 (CF) holds 40000, outside"
            " -32768 to 32767, line 3")
    v, frame = failing_start(desk, exe, work, text, "broken")
    partial = dict(zip(qordeck.SHOWN, qordeck.EMPTY_CARD))
    partial["Pos"] = cards[3]["Pos"]
    allowed = {qordeck.shown(cards[1]): 1, qordeck.shown(cards[2]): 2,
               tuple(partial[f] for f in qordeck.SHOWN): "3 (cut short)",
               qordeck.EMPTY_CARD: "empty"}
    shown = play_on(desk, v, frame, cards, allowed, flips=6)
    log(f"broken deck (overflow in card 3): exact message twice, then it plays: {shown}")
    close_by_decoration(desk, frame)


SCENARIOS = {
    "play": scenario_play,
    "missing-data": scenario_missing_data,
    "data-folder": scenario_data_folder,
    "broken-data": scenario_broken_data,
}


def find_exe(prefix, launcher=False):
    """The installed program itself (an ELF file), or the launcher in bin/ that a desktop
    entry starts. Only the install layout's own places are looked at: the prefix may be a
    system one (/usr for the Debian package)."""
    if launcher:
        path = os.path.join(prefix, "bin", "qor-flipper")
        if os.path.isfile(path):
            return path
    path = os.path.join(prefix, "libexec", "qor-flipper", "qor-flipper")
    if os.path.isfile(path):
        with open(path, "rb") as f:
            if f.read(4) == b"\x7fELF":
                return path
    raise Failure(f"no qor-flipper program in {prefix}/libexec/qor-flipper: was it installed?")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--prefix", required=True,
                    help="where `cmake --install` put the program, or /usr for the Debian package")
    ap.add_argument("--artifacts", required=True, help="folder for screenshots and logs")
    ap.add_argument("--timeout", type=float, default=400, help="give up after this many s")
    ap.add_argument("--bare", help="for bare-sound: the bench/bare_sound program")
    ap.add_argument("--clicks", type=int, default=40, help="for bare-sound: how many")
    ap.add_argument("scenario", choices=sorted(SCENARIOS) + ["sound", "sound-compressed", "silent",
                                                             "bare-sound"])
    args = ap.parse_args()

    shots = os.path.join(os.path.abspath(args.artifacts), args.scenario)
    shutil.rmtree(shots, ignore_errors=True)
    os.makedirs(shots)
    print(f"[e2e] screenshots and logs: {shots}", flush=True)
    work = tempfile.mkdtemp(prefix="qor-e2e-")
    desk = Desk(work, shots)
    import signal

    def on_signal(signum, frame):
        raise Failure(f"stopped by signal {signum}")
    for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(s, on_signal)
    signal.signal(signal.SIGALRM, on_signal)
    signal.alarm(int(args.timeout))
    ok = False
    try:
        prefix = os.path.abspath(args.prefix)
        if args.scenario == "bare-sound":
            import soundtest
            cue = [os.path.join(os.path.dirname(find_exe(prefix)), "Fac.wav")]
            check(os.path.isfile(cue[0]) and args.bare,
                  "bare-sound needs --bare and an installed Fac.wav")
            desk.start_display()
            desk.start_accessibility()
            soundtest.run_bare(desk, os.path.abspath(args.bare), cue[0], args.clicks, log,
                               shots)
        elif args.scenario in ("sound", "sound-compressed", "silent"):
            import soundtest
            # A copy of the program's own folder (its wave files lie beside it), which the
            # silent run may empty; the prefix itself may be a system one.
            install = os.path.join(work, "install")
            shutil.copytree(os.path.dirname(find_exe(prefix)), install, symlinks=True)
            exe = os.path.join(install, "qor-flipper")
            desk.start_display()
            desk.start_accessibility()
            play = os.path.join(work, "play")
            os.mkdir(play)
            soundtest.run(desk, exe, play, args.scenario, log, shots)
        else:
            # A person starts the launcher; the failing-file runs start the program itself,
            # since the launcher goes to the sample deck when the folder has no data file.
            exe = find_exe(prefix, launcher=args.scenario == "play")
            log(f"starting {exe}")
            desk.start_display()
            desk.start_accessibility()
            play = os.path.join(work, "play")
            os.mkdir(play)
            SCENARIOS[args.scenario](desk, exe, play)
        ok = True
    except Exception as e:
        print(f"[e2e] FAILED: {e}", flush=True)
        traceback.print_exc()
        try:
            desk.screenshot("failure")
        except Exception:
            pass
    finally:
        signal.alarm(0)
        desk.stop_all()
        for name in os.listdir(work):
            if name.endswith(".out"):
                shutil.copy(os.path.join(work, name), shots)
        shutil.rmtree(work, ignore_errors=True)
        with open(os.path.join(shots, "readback.txt"), "w") as f:
            f.write("\n".join(log.lines) + "\n")
    print(f"[e2e] {args.scenario}: {'passed' if ok else 'FAILED'}; screenshots in {shots}",
          flush=True)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
