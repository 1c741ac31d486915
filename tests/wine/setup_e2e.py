#!/usr/bin/env python3
"""The Windows setup program as a player meets it, under Wine in a fresh prefix on a private
Xvfb with openbox: a silent install, the game started from its Start-menu shortcut, an upgrade
over a copy whose deck and one cue the player changed, and a silent uninstall.

    setup_e2e.py SETUP_EXE TREE ARTIFACTS

TREE is the folder that cpack packed into SETUP_EXE (what the install must reproduce). What
setup wrote is read from the prefix itself: the files under drive_c, the shortcut's .lnk, the
registry as Wine saves it (user.reg) once the prefix's wineserver has ended.
"""

import argparse
import filecmp
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

import zip_e2e
from zip_e2e import CAPTION, MESSAGE_CAPTION, WINE, Desk, Failure, Run, poll

APP = "QOR Flipper"
VERSION = "2.0.2"
PUBLISHER = "Olvarin"
EXE = "qor-flipper.exe"
UNINSTALLER = "Uninstall.exe"
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + APP
PLAYER_FILES = ["fac_data.txt", "Start.wav", "Fac.wav", "BoxingBell2.wav", "BoxingBell.wav"]


def check(cond, what):
    if not cond:
        raise Failure(what)


# ---- what Wine keeps on disk -----------------------------------------------------------------

def user_reg(prefix):
    """The prefix's HKEY_CURRENT_USER as Wine saved it: {key path: {value name: value}}, strings
    as str, DWORDs as int. Read only once the wineserver has ended (it saves on exit)."""
    keys, current = {}, None
    with open(os.path.join(prefix, "user.reg"), encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("["):
                name = line[1:line.index("]", 1)]
                current = keys.setdefault(name.replace("\\\\", "\\").lower(), {})
            elif current is not None and line.startswith(("\"", "@")):
                name, _, value = line.partition("=")
                name = "" if name == "@" else unquote(name)
                if value.startswith("\""):
                    current[name] = unquote(value)
                elif value.startswith("dword:"):
                    current[name] = int(value[6:], 16)
                else:
                    current[name] = value
    return keys


def unquote(text):
    out, i = [], 1
    while i < len(text) - 1:
        c = text[i]
        if c == "\\":
            i += 1
            c = text[i]
        out.append(c)
        i += 1
    return "".join(out)


def shortcut(path):
    """What a .lnk file (MS-SHLLINK) says: its target's local path, working folder, arguments
    and icon location."""
    with open(path, "rb") as f:
        data = f.read()
    check(data[:4] == b"\x4c\x00\x00\x00", f"{path} is no shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    pos = 0x4C
    if flags & 0x1:  # an item id list
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & 0x2:  # link info, with the target's local path
        size, header = struct.unpack_from("<II", data, pos)
        base = struct.unpack_from("<I", data, pos + 16)[0]
        if header >= 0x24:
            wide = struct.unpack_from("<I", data, pos + 28)[0]
            end = data.index(b"\0\0", pos + wide)
            end += (end - pos - wide) % 2
            target = data[pos + wide:end].decode("utf-16-le")
        else:
            target = data[pos + base:data.index(b"\0", pos + base)].decode("cp1252", "replace")
        pos += size
    strings = {}
    unicode = bool(flags & 0x80)
    for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "workdir"), (0x20, "args"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0]
            pos += 2
            n = 2 * count if unicode else count
            raw = data[pos:pos + n]
            # Wine counts the terminating NUL in; Windows does not.
            strings[name] = raw.decode("utf-16-le" if unicode else "latin-1").rstrip("\0")
            pos += n
    if flags & 0x40:
        strings["icon_index"] = struct.unpack_from("<i", data, 0x38)[0]
    strings["target"] = target
    return strings


def version_info(path):
    """The fixed part of a PE file's version resource: (file version, product version) as
    dotted quads, or None when it has none."""
    with open(path, "rb") as f:
        data = f.read()
    i = data.find(b"\xbd\x04\xef\xfe")
    if i < 0:
        return None
    fms, fls, pms, pls = struct.unpack_from("<IIII", data, i + 8)

    def quad(ms, ls):
        return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    return quad(fms, fls), quad(pms, pls)


def version_string(path, key):
    """A value of a PE file's version strings (StringFileInfo), or None."""
    with open(path, "rb") as f:
        data = f.read()
    i = data.find((key + "\0").encode("utf-16-le"))
    if i < 0:
        return None
    i += 2 * (len(key) + 1)
    i += (-i) % 4  # the value starts on a 32-bit boundary
    end = i
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[i:end].decode("utf-16-le")


def icon_images(path):
    """The pictures in an .ico file, as bytes."""
    with open(path, "rb") as f:
        data = f.read()
    count = struct.unpack_from("<H", data, 4)[0]
    out = []
    for k in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * k + 8)
        out.append(data[offset:offset + size])
    return out


def carries_icon(path, images):
    with open(path, "rb") as f:
        data = f.read()
    return all(image in data for image in images)


# ---- the run ---------------------------------------------------------------------------------

def files_under(folder):
    """Every file below folder, as sorted paths relative to it."""
    return sorted(os.path.relpath(os.path.join(root, name), folder)
                  for root, _, files in os.walk(folder) for name in files)


class Setup:
    def __init__(self, desk, setup_exe, tree, log):
        self.desk, self.setup_exe, self.tree, self.log = desk, setup_exe, tree, log
        prefix = desk.prefix
        users = [u for u in os.listdir(os.path.join(prefix, "drive_c", "users"))
                 if u.lower() != "public"]
        check(len(users) == 1, f"the prefix has users {users}")
        self.user = users[0]
        self.home = os.path.join(prefix, "drive_c", "users", self.user)
        self.win_folder = rf"C:\users\{self.user}\AppData\Local\Programs" + "\\" + APP
        self.folder = self.unix(self.win_folder)
        self.lnk = os.path.join(self.home, "AppData", "Roaming", "Microsoft", "Windows",
                                "Start Menu", "Programs", APP + ".lnk")

    def unix(self, win):
        """Where a C:\\ path of the prefix lies on this machine."""
        check(win[:3].upper() == "C:\\", f"{win} is not on drive C")
        return os.path.join(self.desk.prefix, "drive_c", *win[3:].split("\\"))

    def wine(self, label, *argv, timeout=120):
        started = time.monotonic()
        r = self.desk.run(WINE, *argv, check=False, timeout=timeout)
        self.settle()
        self.log(f"{label}: exit {r.returncode} in {time.monotonic() - started:.1f} s")
        return r

    def settle(self):
        """Waits for every process of the prefix to end (an uninstaller runs on from a copy of
        itself in %TEMP%), and with them the wineserver, which then saves the registry."""
        self.desk.run(zip_e2e.WINESERVER, "-w", check=False, timeout=120)

    def registry(self):
        return user_reg(self.desk.prefix)

    def tree_files(self):
        return files_under(self.tree)

    def installed(self):
        return files_under(self.folder)

    # 1. setup.exe /S
    def install(self, label):
        r = self.wine(label, self.setup_exe, "/S")
        check(r.returncode == 0, f"{label} ended with status {r.returncode}")

    def check_install(self, player_own=()):
        """Every file of the tree is installed as it is in the tree (but the player's own),
        with the uninstaller; the shortcut and the uninstall entry are in place."""
        want = self.tree_files()
        got = self.installed()
        check(os.path.isdir(self.folder), f"nothing installed in {self.win_folder}")
        missing = sorted(set(want) - set(got))
        check(not missing, f"not installed: {missing}")
        extra = sorted(set(got) - set(want) - {UNINSTALLER})
        check(not extra, f"installed beyond the tree: {extra}")
        check(UNINSTALLER in got, "no uninstaller installed")
        differ = [f for f in want if f not in player_own and
                  not filecmp.cmp(os.path.join(self.tree, f), os.path.join(self.folder, f),
                                  shallow=False)]
        check(not differ, f"installed unlike the tree: {differ}")
        self.log(f"{len(want)} files of the tree installed in {self.win_folder}, and "
                 f"{UNINSTALLER}")

        check(os.path.isfile(self.lnk), f"no Start-menu shortcut {self.lnk}")
        link = shortcut(self.lnk)
        self.log(f"shortcut {APP}.lnk: {link}")
        exe = self.win_folder + "\\" + EXE
        check((link["target"] or "").lower() == exe.lower(),
              f"the shortcut starts {link['target']!r}, not {exe!r}")
        check(link.get("workdir", "").lower() == self.win_folder.lower(),
              f"the shortcut's working folder is {link.get('workdir')!r}, not the install folder")
        check(link.get("icon", "").lower() == exe.lower() and link.get("icon_index") == 0,
              f"the shortcut's icon is {link.get('icon')!r},{link.get('icon_index')}")

        keys = self.registry()
        entry = keys.get(UNINSTALL_KEY.lower())
        check(entry is not None, f"no HKCU\\{UNINSTALL_KEY}")
        self.log(f"HKCU\\{UNINSTALL_KEY}: {entry}")
        size = sum(os.path.getsize(os.path.join(self.folder, f)) for f in self.installed())
        want_values = {
            "DisplayName": APP,
            "DisplayVersion": VERSION,
            "Publisher": PUBLISHER,
            "DisplayIcon": exe + ",0",
            "UninstallString": f'"{self.win_folder}\\{UNINSTALLER}"',
            "InstallLocation": self.win_folder,
        }
        for name, value in want_values.items():
            check(entry.get(name) == value, f"{name} is {entry.get(name)!r}, not {value!r}")
        estimated = entry.get("EstimatedSize")
        check(isinstance(estimated, int) and abs(estimated - size / 1024) <= 0.02 * size / 1024
              + 1, f"EstimatedSize {estimated!r} KiB for {size / 1024:.0f} KiB installed")
        icon = entry["DisplayIcon"].rsplit(",", 1)[0]
        check(os.path.isfile(self.unix(icon)), f"DisplayIcon names {icon}, which is not there")
        check(not [k for k in keys if k.startswith("software\\microsoft\\windows\\currentversion"
                                                   "\\uninstall\\qor")
                   and k != UNINSTALL_KEY.lower()], "more than one uninstall entry")

    def check_resources(self, icon_file):
        images = icon_images(icon_file)
        for path in (self.setup_exe, os.path.join(self.folder, UNINSTALLER),
                     os.path.join(self.folder, EXE)):
            check(carries_icon(path, images), f"{os.path.basename(path)} lacks the game's icon")
        info = version_info(self.setup_exe)
        check(info == (VERSION + ".0", VERSION + ".0"),
              f"the setup program's version resource is {info}")
        for key, value in (("ProductName", APP), ("CompanyName", PUBLISHER),
                           ("ProductVersion", VERSION), ("FileVersion", VERSION)):
            got = version_string(self.setup_exe, key)
            check(got == value, f"the setup program's {key} is {got!r}, not {value!r}")
        self.log("setup, uninstaller and game carry the game's icon; setup's version "
                 f"resource: {info[0]}, {APP}, {PUBLISHER}")

    # 2. the shortcut started
    def play_from_shortcut(self):
        """Starts the game from its shortcut (from another folder than the install folder):
        the title window opens, and New Game reads the installed deck, with no message box."""
        elsewhere = os.path.join(self.desk.work, "elsewhere")
        os.makedirs(elsewhere, exist_ok=True)
        run = Run(self.desk, elsewhere, [WINE, "start", "/wait", "/unix", self.lnk], self.log)
        run.launch("shortcut")
        title, g, bar = run.title_window(120, "shortcut-title")
        run.choose(title, g, bar, 0, "shortcut-file")

        def opened():
            boxes = self.desk.windows(MESSAGE_CAPTION)
            if boxes:
                shot = self.desk.screenshot("shortcut-message")
                text = self.desk.ocr(shot, self.desk.geometry(boxes[0]), "text", 6, scale=300)
                raise Failure(f"New Game showed a message box: {text!r}")
            found = [w for w in self.desk.windows(CAPTION) if w != title and
                     self.desk.geometry(w)[2] == zip_e2e.GAME_CLIENT[0]]
            return found[0] if found else None
        game = poll("the game window", opened, timeout=60)
        g2 = self.desk.geometry(game)
        run.game_bar(game, g2, "shortcut-game")
        # The message boxes of a missing deck come before the game window: none came.
        check(not self.desk.windows(MESSAGE_CAPTION), "a message box came with the game window")
        self.log("started from the shortcut, New Game read the installed deck: no message box")
        if run.app.poll() is None:
            run.close(game, "the game window")
        else:
            # Wine's start.exe has no process to wait for when the shell opens a link for it.
            self.log(f"start /wait returned at once ({run.app.returncode}); closing the game")
            self.desk.activate(game, "the game window")
            self.desk.key("alt+F4")
            self.desk.wait_gone(game, "the game window to close")
        self.settle()  # the game gone too, before setup replaces its files
        self.log("the game ended")

    # 3. an upgrade over the player's changes
    def upgrade(self):
        deck = os.path.join(self.folder, "fac_data.txt")
        with open(deck, "rb") as f:
            cards = f.read().splitlines(keepends=True)
        own_deck = b"".join(cards[1:2] + cards[:1] + cards[2:])  # two cards swapped
        with open(deck, "wb") as f:
            f.write(own_deck)
        # A bell of the player's own: here, the card cue in its place.
        bell = os.path.join(self.folder, "BoxingBell.wav")
        with open(os.path.join(self.folder, "Fac.wav"), "rb") as f:
            own_bell = f.read()
        with open(bell, "wb") as f:
            f.write(own_bell)
        # And one of setup's own gone missing: the upgrade puts it back.
        os.remove(os.path.join(self.folder, "README.txt"))
        self.log("the player changed fac_data.txt and BoxingBell.wav; README.txt went missing")
        self.install("setup.exe /S over the installed copy")
        check(open(deck, "rb").read() == own_deck, "the upgrade replaced the player's deck")
        check(open(bell, "rb").read() == own_bell, "the upgrade replaced the player's wave file")
        self.check_install(player_own={"fac_data.txt", "BoxingBell.wav"})
        self.log("the upgrade kept the player's deck and wave file, restored README.txt")
        return {"fac_data.txt": own_deck, "BoxingBell.wav": own_bell}

    # 4. Uninstall.exe /S
    def uninstall(self, kept):
        r = self.wine("Uninstall.exe /S", os.path.join(self.folder, UNINSTALLER), "/S")
        check(r.returncode == 0, f"the uninstaller ended with status {r.returncode}")
        left = self.installed() if os.path.isdir(self.folder) else []
        check(sorted(left) == sorted(kept), f"left in the install folder: {left}, "
              f"wanted the player's {sorted(kept)}")
        for name, content in kept.items():
            check(open(os.path.join(self.folder, name), "rb").read() == content,
                  f"the uninstaller changed the player's {name}")
        if not kept:
            check(not os.path.exists(self.folder), "the install folder is still there")
        check(not os.path.exists(self.lnk), "the Start-menu shortcut is still there")
        keys = self.registry()
        check(UNINSTALL_KEY.lower() not in keys, "the uninstall entry is still there")
        ours = [k for k in keys if k.startswith("software\\olvarin")]
        check(not ours, f"setup's own registry keys are still there: {ours}")
        self.log(f"uninstalled: the shortcut, the entry and setup's keys gone; left: "
                 f"{sorted(left) or 'nothing, nor the folder'}")

    def no_menu_files(self):
        """Wine's menu builder is off: no desktop entries in HOME."""
        made = []
        for root, _, files in os.walk(self.desk.env["HOME"]):
            made += [os.path.join(root, f) for f in files if f.endswith((".desktop", ".menu"))]
        check(not made, f"menu files written into HOME: {made}")


def play(desk, setup_exe, tree, log):
    s = Setup(desk, setup_exe, tree, log)
    s.install("setup.exe /S")
    s.check_install()
    s.check_resources(os.path.join(zip_e2e.SOURCE_ROOT, "resources", "art", "icon.ico"))
    s.play_from_shortcut()
    kept = s.upgrade()
    s.uninstall(kept)
    # Setup again over the folder that kept the player's files: still theirs.
    s.install("setup.exe /S over the kept files")
    for name, content in kept.items():
        check(open(os.path.join(s.folder, name), "rb").read() == content,
              f"setup over the kept folder replaced the player's {name}")
    s.check_install(player_own=set(kept))
    log("setup over the kept folder left the player's files as they were")
    # With nothing of the player's left, the uninstaller takes the folder too.
    for name in kept:
        os.remove(os.path.join(s.folder, name))
    s.install("setup.exe /S after the player removed their own files")
    s.check_install()
    s.uninstall({})
    s.no_menu_files()


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("setup", help="the setup program")
    ap.add_argument("tree", help="the folder cpack packed into it")
    ap.add_argument("artifacts", help="where the screenshots and the log go")
    args = ap.parse_args()

    log, log_file = zip_e2e.run_log(args.artifacts)
    if not zip_e2e.tools_there(zip_e2e.DESK_TOOLS, True, log):
        return 1

    work = tempfile.mkdtemp(prefix="qor-setup-e2e-")
    desk = Desk(work, args.artifacts, log)

    def steps():
        desk.start_display()
        desk.start_wine_prefix()
        play(desk, os.path.abspath(args.setup), os.path.abspath(args.tree), log)

    return zip_e2e.run_on_desk(desk, work, log, log_file, steps)


if __name__ == "__main__":
    sys.exit(main())
