#!/usr/bin/python3
"""End-to-end journeys: the real program under its own Xvfb, driven only as a
teacher drives it (mouse and keys through xdotool), looked at through
screenshots (ImageMagick's import) and checked through the files it writes.

usage: e2e.py JOURNEY --exe PATH
"""
import argparse
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import re
import time

from PIL import Image, ImageDraw

SCREEN_W, SCREEN_H = 1280, 800


class Failure(Exception):
    pass


def check(cond, what):
    if not cond:
        raise Failure(what)
    print("ok:", what, flush=True)


class Xvfb:
    def __init__(self):
        r, w = os.pipe()
        # -noreset: when the last client leaves, the server would reset, and a
        # program started again at that moment could not connect.
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=[w], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        num = b""
        deadline = time.time() + 20
        while not num.endswith(b"\n"):
            if time.time() > deadline or not select.select([r], [], [], deadline - time.time())[0]:
                raise Failure("Xvfb did not start")
            c = os.read(r, 1)
            if not c:
                raise Failure("Xvfb ended at start")
            num += c
        os.close(r)
        self.display = ":" + num.decode().strip()

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()


class App:
    """The program with a home, settings and runtime folder of its own."""

    def __init__(self, exe, display, root, args=(), lang="C.UTF-8"):
        self.exe, self.display, self.root = exe, display, root
        self.home = os.path.join(root, "home")
        self.config = os.path.join(self.home, ".config")
        # The desktop's shared thumbnails, inside this home and nowhere else.
        self.cache = os.path.join(self.home, ".cache")
        self.runtime = os.path.join(root, "runtime")
        self.pictures = os.path.join(self.home, "Pictures")
        for d in (self.config, self.runtime, self.pictures):
            os.makedirs(d, exist_ok=True)
        os.chmod(self.runtime, 0o700)
        # The program keeps this file listing where its controls are.
        self.geometry_file = os.path.join(root, "geometry.json")
        self.env = dict(os.environ, DISPLAY=display, HOME=self.home, XDG_CONFIG_HOME=self.config,
                        XDG_CACHE_HOME=self.cache,
                        XDG_RUNTIME_DIR=self.runtime, QT_QPA_PLATFORM="xcb", LANG=lang,
                        LC_ALL=lang, XDG_PICTURES_DIR=self.pictures, TW_GEOMETRY_FILE=self.geometry_file)
        self.env.pop("QT_QPA_PLATFORMTHEME", None)
        self.log = open(os.path.join(root, "program.log"), "w")
        self.start(args)

    def start(self, args=()):
        self.proc = subprocess.Popen([self.exe, *args], env=self.env, stdout=self.log, stderr=self.log)
        # The main window: the only large one of that name (dialogs and message boxes are smaller).
        deadline = time.time() + 30
        while True:
            self.win = self.wait_window("^TOVAREK W$", max(1, deadline - time.time()))
            self.geometry()
            if self.w >= 800 or time.time() > deadline:
                break
            time.sleep(0.2)
        check(self.w >= 800, "the main window is shown")

    def xdo(self, *args, timeout=20):
        r = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True, timeout=timeout)
        return r.stdout

    def windows(self, name):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], env=self.env,
                             capture_output=True, text=True, timeout=10).stdout
        return [int(w) for w in out.split()]

    def wait_window(self, name, timeout=15, exclude=()):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.proc.poll() is not None:
                raise Failure(f"the program ended (status {self.proc.returncode}) before showing {name}")
            ws = [w for w in self.windows(name) if w not in exclude]
            if ws:
                time.sleep(0.5)
                return ws[0]
            time.sleep(0.2)
        raise Failure(f"no window {name} within {timeout} s")

    def geometry(self):
        out = self.xdo("getwindowgeometry", "--shell", self.win)
        g = dict(line.split("=") for line in out.split() if "=" in line)
        self.x, self.y, self.w, self.h = int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    # ---- places on the screen, as the program reports them ---------------------------------
    def places(self):
        try:
            with open(self.geometry_file, encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return []

    def find(self, kind, text=None, tag=None, within=None, window=None, timeout=10):
        """The control a teacher would look for: (x, y, w, h) of the first one
        shown of that kind with that caption, tag or container, in the window
        whose class (or title) is given."""
        deadline = time.time() + timeout
        while True:
            for win in self.places():
                if window and window not in (win.get("name"), win.get("text")):
                    continue
                for c in win["controls"]:
                    if c["kind"] == kind and (text is None or c["text"] == text) \
                            and (tag is None or c.get("tag") == tag) and (within is None or c.get("in") == within):
                        return c["x"], c["y"], c["w"], c["h"]
            if time.time() > deadline:
                raise Failure(f"no {kind} {text or tag or ''} {('in ' + window) if window else ''} on the screen")
            time.sleep(0.1)

    def centre_of(self, *args, **kw):
        x, y, w, h = self.find(*args, **kw)
        return x + w // 2, y + h // 2

    def board_rect(self):
        return self.find("board", window="TWBDMainFrm")

    def board(self, fx, fy):
        """A point of the board, as fractions of its width and height."""
        bx, by, bw, bh = self.board_rect()
        return int(bx + fx * bw), int(by + fy * bh)

    def board_rect_after(self, old, timeout=5):
        """The board's place once it is no longer old (after the tool bar was hidden or shown)."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            r = self.board_rect()
            if r != tuple(old):
                return r
            time.sleep(0.1)
        raise Failure("the board did not change its place")

    def corner_arrow(self):
        """The arrow in the board's top-right corner that brings the tool bar back."""
        bx, by, bw, bh = self.board_rect()
        return bx + bw - 15, by + 15

    def tile(self, i):
        """Centre of tool bar tile i."""
        return self.centre_of("tile", tag=i, within="MenuPanel", window="TWBDMainFrm")

    def header(self):
        """The tool bar's header, which hides the tool bar and the strip."""
        x, y, w, h = self.find_named("MenuRectangle")
        return x + 15, y + h // 2

    def find_named(self, name, window="TWBDMainFrm"):
        for _ in range(100):
            for win in self.places():
                if win.get("name") != window:
                    continue
                for c in win["controls"]:
                    if c.get("name") == name:
                        return c["x"], c["y"], c["w"], c["h"]
            time.sleep(0.1)
        raise Failure(f"no {name} on the screen")

    def thumb(self, i):
        """Centre of the i-th place of the strip."""
        deadline = time.time() + 10
        while time.time() < deadline:
            tiles = sorted((c for win in self.places() if win.get("name") == "TWBDMainFrm"
                            for c in win["controls"] if c["kind"] == "tile" and c.get("in") == "PicturePanel"),
                           key=lambda c: c["x"])
            if len(tiles) > i:
                c = tiles[i]
                return c["x"] + c["w"] // 2, c["y"] + c["h"] // 2
            time.sleep(0.1)
        raise Failure(f"no place {i} in the strip")

    def dialog_tile(self, caption, window):
        """Centre of the tile with that caption in a dialog (TLnchDlg, TPenSetupDlg)."""
        return self.centre_of("tile", text=caption, window=window)

    # ---- input --------------------------------------------------------------------------
    def settle(self, t=0.4):
        time.sleep(t)

    def click(self, p, button=1):
        self.xdo("mousemove", p[0], p[1])
        time.sleep(0.1)
        self.xdo("click", button)
        self.settle()

    def drag(self, points, step=8):
        x0, y0 = points[0]
        self.xdo("mousemove", x0, y0)
        time.sleep(0.1)
        self.xdo("mousedown", 1)
        for (xa, ya), (xb, yb) in zip(points, points[1:]):
            n = max(1, int(max(abs(xb - xa), abs(yb - ya)) / step))
            for k in range(1, n + 1):
                self.xdo("mousemove", int(xa + (xb - xa) * k / n), int(ya + (yb - ya) * k / n))
        time.sleep(0.1)
        self.xdo("mouseup", 1)
        self.settle()

    def key(self, *keys):
        for k in keys:
            self.xdo("key", "--clearmodifiers", k)
            time.sleep(0.15)
        self.settle()

    def type(self, text):
        self.xdo("type", "--delay", "20", text)
        self.settle(0.2)

    # ---- looking -----------------------------------------------------------------------
    def shot(self, name=None):
        data = subprocess.run(["import", "-display", self.display, "-window", "root", "png:-"],
                              capture_output=True, timeout=30).stdout
        path = os.path.join(self.root, (name or "shot") + ".png")
        with open(path, "wb") as f:
            f.write(data)
        return Image.open(path).convert("RGB")

    def close(self, timeout=30):
        """Closes the main window as a window manager does, and waits for the program."""
        from Xlib import X, display, protocol
        d = display.Display(self.display)
        w = d.create_resource_object("window", self.win)
        proto = d.intern_atom("WM_PROTOCOLS")
        delete = d.intern_atom("WM_DELETE_WINDOW")
        ev = protocol.event.ClientMessage(window=w, client_type=proto, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        w.send_event(ev, event_mask=X.NoEventMask)
        d.sync()  # the server has taken the message before this connection goes
        d.close()
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            if shutil.which("gdb"):  # where it hangs, for whoever reads the log
                r = subprocess.run(["gdb", "-p", str(self.proc.pid), "-batch", "-ex", "thread apply all bt 25"],
                                   capture_output=True, text=True, timeout=120)
                print(r.stdout[-6000:])
            raise Failure("the program did not end after its window was closed")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.log.flush()


# ---- picture helpers ------------------------------------------------------------------------

def dark(px, limit=80):
    return max(px) < limit


def count(img, box, pred):
    x0, y0, x1, y1 = box
    n = 0
    for y in range(y0, y1):
        for x in range(x0, x1):
            if pred(img.getpixel((x, y))):
                n += 1
    return n


def dark_extent(img, y, x0, x1):
    """Length of the dark run of a row through its middle (a stroke across the centre)."""
    mid = (x0 + x1) // 2
    if not dark(img.getpixel((mid, y))):
        return 0
    a = b = mid
    while a > x0 and dark(img.getpixel((a - 1, y))):
        a -= 1
    while b < x1 - 1 and dark(img.getpixel((b + 1, y))):
        b += 1
    return b - a + 1


def near(px, rgb, tol=40):
    return all(abs(a - b) <= tol for a, b in zip(px, rgb))


def around(p, r=6):
    return p[0] - r, p[1] - r, p[0] + r + 1, p[1] + r + 1


def make_pictures(folder, colours, size=(400, 300), ext="png"):
    os.makedirs(folder, exist_ok=True)
    names = []
    for i, c in enumerate(colours):
        img = Image.new("RGB", size, c)
        name = os.path.join(folder, f"p{i}.{ext}")
        img.save(name)
        names.append(name)
    return names


def make_pdf(path, colours, size=(595, 842)):
    """A PDF written byte by byte: white pages, each with a block of its colour
    over the middle of its upper half (10 to 90 % across, 10 to 45 % down)."""
    w, h = size
    objs = {1: b"<< /Type /Catalog /Pages 2 0 R >>"}
    kids = []
    n = 3
    for r, g, b in colours:
        content = b"%.3f %.3f %.3f rg %.1f %.1f %.1f %.1f re f" % (r / 255, g / 255, b / 255,
                                                                 w * .1, h * .55, w * .8, h * .35)
        objs[n] = b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Contents %d 0 R >>" % (w, h, n + 1)
        objs[n + 1] = b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream"
        kids.append(b"%d 0 R" % n)
        n += 2
    objs[2] = b"<< /Type /Pages /Kids [" + b" ".join(kids) + b"] /Count %d >>" % len(colours)
    out = b"%PDF-1.4\n"
    offsets = {}
    for k in sorted(objs):
        offsets[k] = len(out)
        out += b"%d 0 obj\n" % k + objs[k] + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % n
    for k in range(1, n):
        out += b"%010d 00000 n \n" % offsets[k]
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (n, xref)
    with open(path, "wb") as f:
        f.write(out)
    return path


# ---- journeys ---------------------------------------------------------------------------------

def journey_whiteboard(app):
    """Start on the white board, draw with the start pen, undo, redo, erase all and undo and redo it, close."""
    a, b = app.board(0.2, 0.4), app.board(0.7, 0.45)
    mid = app.board(0.45, 0.425)
    img = app.shot("start")
    check(not dark(img.getpixel(mid)), "the white board is shown")
    app.drag([a, b])
    check(count(app.shot("drawn"), around(mid), dark) > 10, "the stroke drawn with the start pen shows")
    app.click(app.tile(2))  # Undo
    check(count(app.shot("undone"), around(mid), dark) == 0, "Undo takes the stroke away")
    app.click(app.tile(3))  # Redo
    check(count(app.shot("redone"), around(mid), dark) > 10, "Redo brings it back")
    # The header hides the tool bar and the strip; the board's corner brings them back.
    shown = app.board_rect()
    app.click(app.header())
    app.board_rect_after(shown)
    img = app.shot("hidden")
    check(min(img.getpixel((app.x + app.w - 70, app.y + app.h // 2))) > 200, "the board fills the window")
    app.click(app.corner_arrow())
    img = app.shot("restored")
    tx, ty = app.tile(0)
    check(near(img.getpixel((tx - 24, ty - 24)), (0x1B, 0xA1, 0xE2), 30), "the tool bar is back")
    app.click(app.tile(9))  # Erase All
    check(count(app.shot("erased"), around(mid), dark) == 0, "Erase All clears the board")
    app.click(app.tile(2))  # Undo
    check(count(app.shot("erase_undone"), around(mid), dark) > 10, "Undo brings the erased stroke back")
    app.click(app.tile(3))  # Redo
    check(count(app.shot("erase_redone"), around(mid), dark) == 0, "Redo clears it again")
    app.click(app.tile(2))
    app.key("KP_Subtract")
    check(count(app.shot("erased_by_key"), around(mid), dark) == 0, "keypad minus erases all")
    app.click(app.tile(2))
    check(count(app.shot("erase_undone2"), around(mid), dark) > 10, "and Undo brings the stroke back")
    ini = os.path.join(app.config, "ORVEN PROJECT", "TOVAREK WBD", "Setup.ini")
    check(not os.path.exists(ini), "no settings file before closing")
    status = app.close()
    check(status == 0, f"the program ends normally (status {status})")
    check(os.path.exists(ini), "closing writes the settings file")
    with open(ini, encoding="utf-8") as f:
        text = f.read()
    check("[Menu]" in text and "PenType0=pwOpen" in text, "the settings file holds the tool bar")


def journey_pictures(app):
    """Open a picture of a folder of five, draw on two, move between them with the
    thumbnails, see each picture's own strokes, turn one, zoom and fit."""
    folder = os.path.join(app.root, "lesson")
    colours = [(250, 230, 200), (200, 230, 250), (220, 250, 200), (250, 210, 230), (235, 235, 235)]
    names = make_pictures(folder, colours)
    app.stop()
    app.start([names[1]])
    center = app.board(0.5, 0.5)
    img = app.shot("opened")
    check(near(img.getpixel(center), colours[1], 8), "the opened picture is shown")
    check(near(img.getpixel(app.thumb(0)), colours[0], 60), "the strip shows the folder's thumbnails")
    # Draw on picture 1 (a horizontal stroke) and on picture 3 (a vertical one).
    h0, h1 = app.board(0.3, 0.5), app.board(0.7, 0.5)
    v0, v1 = app.board(0.5, 0.3), app.board(0.5, 0.7)
    hp, vp = app.board(0.4, 0.5), app.board(0.5, 0.4)
    app.drag([h0, h1])
    app.click(app.thumb(3))
    img = app.shot("picture3")
    check(near(img.getpixel(center), colours[3], 8), "the thumbnail shows picture 3")
    check(count(img, around(hp), dark) == 0, "picture 3 does not show picture 1's stroke")
    app.drag([v0, v1])
    app.click(app.thumb(1))
    img = app.shot("back1")
    check(count(img, around(hp), dark) > 10 and count(img, around(vp), dark) == 0, "picture 1 shows its own stroke")
    app.click(app.thumb(3))
    img = app.shot("back3")
    check(count(img, around(vp), dark) > 10 and count(img, around(hp), dark) == 0, "picture 3 shows its own stroke")
    # Turn right (keypad 7): the vertical stroke becomes horizontal.
    app.key("KP_7")
    img = app.shot("turned")
    check(count(img, around(hp), dark) > 10 and count(img, around(vp), dark) == 0, "the turned picture turns its stroke")
    # Zoom in (Page Up twice, 1.2 x 1.2) about the centre, then fit again (Home).
    row = app.board(0, 0.5)[1]
    x0, x1 = app.board(0, 0)[0], app.board(1, 0)[0]
    before = dark_extent(app.shot("before_zoom"), row, x0, x1)
    app.key("Prior", "Prior")
    zoomed = dark_extent(app.shot("zoomed"), row, x0, x1)
    check(abs(zoomed / before - 1.44) < 0.1, f"Page Up zooms in ({before} -> {zoomed} pixels)")
    app.key("Home")
    fitted = dark_extent(app.shot("fitted"), row, x0, x1)
    check(abs(fitted - before) <= 2, f"Home fits the picture again ({fitted} pixels)")
    # Next and Prev, from the launcher (its entries 5 and 4).
    app.click(app.tile(13))
    app.click(app.dialog_tile("Next", "TLnchDlg"))
    check(near(app.shot("next").getpixel(center), colours[4], 8), "Next shows picture 4")
    app.click(app.tile(13))
    app.click(app.dialog_tile("Prev", "TLnchDlg"))
    img = app.shot("prev")
    check(near(img.getpixel(app.board(0.5, 0.2)), colours[3], 8) and count(img, around(hp), dark) > 10,
          "Prev shows picture 3 again, turned, with its stroke")
    # Save (keypad +): a JPEG in the pictures folder, the picture with its stroke drawn in.
    app.key("KP_Add")
    time.sleep(1)
    saved = [f for f in os.listdir(app.pictures) if f.endswith(".jpg")]
    check(len(saved) == 1, f"keypad + saves a JPEG ({saved})")
    shot = Image.open(os.path.join(app.pictures, saved[0])).convert("RGB")
    check(shot.size == (300, 400), f"the saved picture is the turned picture's size ({shot.size})")
    check(min(shot.getpixel((150, 200))) < 60 and near(shot.getpixel((20, 20)), colours[3], 12),
          "the saved picture holds the stroke over the picture")
    check(app.close() == 0, "the program ends normally")


def journey_badfiles(app):
    """A corrupt picture and a folder of unreadable ones: clear messages, nothing lost."""
    folder = os.path.join(app.root, "bad")
    os.makedirs(folder)
    good = make_pictures(folder, [(200, 220, 250)], ext="png")[0]
    with open(os.path.join(folder, "broken.png"), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + b"garbage" * 20)
    os.mkfifo(os.path.join(folder, "stuck.png"))
    os.symlink(os.path.join(folder, "gone.png"), os.path.join(folder, "dangling.png"))
    corrupt = os.path.join(app.root, "corrupt.tga")
    with open(corrupt, "wb") as f:
        f.write(bytes([0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 32, 0x20]) + b"\x00" * 30)
    # Draw on the white board first: that drawing must survive everything below.
    mid = app.board(0.45, 0.5)
    app.drag([app.board(0.2, 0.5), app.board(0.7, 0.5)])
    check(count(app.shot("drawn"), around(mid), dark) > 10, "a stroke on the white board")
    # Open the corrupt file through the Open dialog.
    app.click(app.tile(0))
    dialog = app.wait_window("^Image Open$")
    app.type(corrupt)
    app.key("Return")
    box = app.wait_window("^TOVAREK W$", exclude=(app.win,))
    app.shot("message")
    check(box != app.win, "a message box tells about the corrupt file")
    app.key("Return")
    time.sleep(0.5)
    check(app.proc.poll() is None, "the program goes on")
    check(count(app.shot("after"), around(mid), dark) > 10, "the white board's stroke is still there")
    # The folder with a broken picture, a pipe and a dangling link lists and stays usable.
    app.click(app.tile(0))
    app.wait_window("^Image Open$")
    app.type(good)
    app.key("Return")
    time.sleep(1.5)
    check(app.proc.poll() is None, "listing a folder of unreadable files does not hang or crash")
    img = app.shot("listed")
    check(near(img.getpixel(app.board(0.5, 0.5)), (200, 220, 250), 8), "the readable picture is shown")
    app.click(app.thumb(0))  # broken.png sorts first
    box = app.wait_window("^TOVAREK W$", exclude=(app.win,))
    check(box != app.win, "choosing the broken picture shows a message")
    app.key("Return")
    time.sleep(0.3)
    img = app.shot("still")
    check(near(img.getpixel(app.board(0.5, 0.5)), (200, 220, 250), 8), "the board still shows the good picture")
    check(app.close() == 0, "the program ends normally")


def journey_wordlist(app):
    """Open a word list, write numbered strokes with the pen-order pen, lasso two
    strokes and drag them, undo the move."""
    words = os.path.join(app.root, "words.txt")
    with open(words, "w", encoding="utf-8") as f:
        f.write("\ufeff十\n\n木\n")
    app.click(app.tile(0))
    app.wait_window("^Image Open$")
    app.type(words)
    app.key("Return")
    time.sleep(1)
    img = app.shot("word")
    check(any(near(img.getpixel(app.board(0.5, fy)), (0xDD, 0xDD, 0xDD), 12) for fy in (0.45, 0.5, 0.55)),
          "the word is drawn large and light grey")
    tx, ty = app.thumb(1)
    check(near(img.getpixel((tx - 40, ty - 40)), (255, 255, 255), 30) and
          count(img, (tx - 30, ty - 30, tx + 30, ty + 30), lambda p: p[0] < 230) > 20, "the strip shows the list's words")
    # The pen-order pen, from the pen dialog (tile 7: "Pen Setup").
    app.click(app.tile(7))
    app.click(app.dialog_tile("Pen Order", "TPenSetupDlg"))
    app.click(app.dialog_tile("OK", "TPenSetupDlg"))
    # Three strokes in the cell's top margin, away from the grey character.
    rows = [0.03, 0.07, 0.11]
    starts = []
    for fy in rows:
        a, b = app.board(0.45, fy), app.board(0.65, fy)
        app.drag([a, b], step=4)
        starts.append(a)
    img = app.shot("numbered")
    expected = [(255, 153, 255), (255, 153, 153), (255, 194, 153)]  # magenta, red, orange at 0.4
    for n, fy in enumerate(rows):
        px = img.getpixel(app.board(0.6, fy))
        check(near(px, expected[n], 30), f"stroke {n + 1} takes its colour {expected[n]} (got {px})")
    # Each stroke starts with a white circle holding its number, drawn at the
    # marker's opacity: its black rim and digits show grey.
    grey = lambda p: max(p) < 190 and max(p) - min(p) < 12
    for n, a in enumerate(starts):
        box = around(a, 9)
        check(count(img, box, grey) > 10 and count(img, box, lambda p: min(p) > 245) > 5,
              f"stroke {n + 1} has its numbered circle")
    # The lasso is on the launcher ("Menu ..." is tile 13; the lasso its entry 13).
    app.click(app.tile(13))
    app.click(app.dialog_tile("Lasso", "TLnchDlg"))
    # An outline around the first two strokes.
    p0, p1 = app.board(0.40, 0.005), app.board(0.70, 0.09)
    app.drag([p0, (p1[0], p0[1]), p1, (p0[0], p1[1]), (p0[0], p0[1] + 2)], step=6)
    img = app.shot("selected")
    check(near(img.getpixel(app.board(0.6, 0.03)), expected[0], 30), "the selected strokes keep their look")
    band = app.board(0.5, 0.08) + app.board(0.65, 0.105)
    check(count(img, band, dark) > 5, "a dashed outline shows around them")
    # Drag the selection down by 120 pixels.
    grab = app.board(0.55, 0.05)
    app.drag([grab, (grab[0], grab[1] + 60), (grab[0], grab[1] + 120)], step=6)
    app.click(app.tile(5))  # any command settles the move: a stock pen
    img = app.shot("moved")
    check(count(img, band, dark) == 0, "the outline goes when the move is settled")
    moved = (app.board(0.6, 0.03)[0], app.board(0.6, 0.03)[1] + 120)
    check(near(img.getpixel(moved), expected[0], 30), "the moved stroke is drawn in its new place")
    check(near(img.getpixel(app.board(0.6, 0.11)), expected[2], 30), "the stroke left out stays where it was")
    app.click(app.tile(2))  # Undo
    img = app.shot("undone")
    check(near(img.getpixel(app.board(0.6, 0.03)), expected[0], 30), "Undo puts the strokes back")
    check(not near(img.getpixel(moved), expected[0], 30), "and takes them away from where they were moved")
    app.click(app.tile(3))  # Redo
    img = app.shot("redone")
    check(near(img.getpixel(moved), expected[0], 30), "Redo moves them again")
    check(app.close() == 0, "the program ends normally")


def fit(app, pw, ph):
    """Zoom and offset with which the board shows a pw x ph picture fitted."""
    _, _, bw, bh = app.board_rect()
    z = bw / pw
    if z * ph > bh:
        z = bh / ph
    return z, (bw - pw * z) / (z * 2), (bh - ph * z) / (z * 2)


def diff_count(a, b, box):
    """Pixels of box that differ between two screenshots."""
    return sum(1 for y in range(box[1], box[3]) for x in range(box[0], box[2])
               if a.getpixel((x, y)) != b.getpixel((x, y)))


def journey_board(app):
    """The pointer after a stroke that leaves the board and comes back; a lasso
    selection that follows the board when the tool bar is hidden."""
    # A stroke dragged out over the tool bar and back, released on the board.
    a, out, back = app.board(0.3, 0.5), (app.x + app.w - 70, app.y + 200), app.board(0.5, 0.6)
    app.drag([a, app.board(0.45, 0.5), out, back])
    shown = app.shot("released_back")
    app.xdo("mousemove", back[0] + 150, back[1])
    app.settle()
    moved = app.shot("pointer_moved")
    check(diff_count(shown, moved, around(back, 40)) > 20 and diff_count(shown, moved, around((back[0] + 150, back[1]), 40)) > 20,
          "the cursor picture shows where the pointer is, and follows it")
    # The wheel zooms about the pointer: the stroke changes on screen.
    stroke_pt = app.board(0.4, 0.5)
    before = app.shot("before_wheel")
    app.xdo("click", 4)
    app.settle()
    after = app.shot("after_wheel")
    check(diff_count(before, after, around(stroke_pt, 30)) > 20, "the wheel zooms")
    app.key("Home")  # fit again
    # A short vertical stroke, selected with the lasso (launcher entry 13).
    v0, v1 = app.board(0.7, 0.25), app.board(0.7, 0.35)
    app.drag([v0, v1])
    app.click(app.tile(13))
    app.click(app.dialog_tile("Lasso", "TLnchDlg"))
    l0, l1 = app.board(0.65, 0.2), app.board(0.75, 0.4)
    app.drag([l0, (l1[0], l0[1]), l1, (l0[0], l1[1]), (l0[0], l0[1] + 2)], step=6)
    # Hide the tool bar: the board grows and the picture is fitted anew.
    pw, ph = SCREEN_W, SCREEN_H  # the white board has the screen's size
    bx, by, bw, bh = app.board_rect()
    z, ox, oy = fit(app, pw, ph)
    pic = ((v0[0] - bx) / z - ox, ((v0[1] + v1[1]) / 2 - by) / z - oy)
    app.click(app.header())
    hx, hy, hw, hh = app.board_rect_after((bx, by, bw, bh))
    z2 = min(hw / pw, hh / ph)
    ox2, oy2 = (hw - pw * z2) / (z2 * 2), (hh - ph * z2) / (z2 * 2)
    grab = (int(hx + (pic[0] + ox2) * z2), int(hy + (pic[1] + oy2) * z2))
    app.drag([grab, (grab[0] + 60, grab[1]), (grab[0] + 120, grab[1])], step=6)
    # Back to the tool bar (the board's corner arrow); a stock pen settles the move.
    app.click(app.corner_arrow())
    app.click(app.tile(5))
    img = app.shot("moved_after_refit")
    new_pic = (pic[0] + 120 / z2, pic[1])
    new_screen = (int(bx + (new_pic[0] + ox) * z), int(by + (new_pic[1] + oy) * z))
    old_screen = (int(bx + (pic[0] + ox) * z), int(by + (pic[1] + oy) * z))
    check(count(img, around(new_screen, 4), dark) > 5, "the selection dragged after the refit moved its strokes")
    check(count(img, around(old_screen, 4), dark) == 0, "and they left their old place")
    check(app.close() == 0, "the program ends normally")


def journey_psd(app):
    """Choose PSD as the default format in the setup dialog, save with the keypad
    key, and read the file with an independent reader: two layers, the strokes
    where they were drawn, in their real colours."""
    from psd_tools import PSDImage
    # A red pen stroke (stock pen 1 on the tool bar) ...
    app.click(app.tile(5))
    r0, r1 = app.board(0.2, 0.3), app.board(0.6, 0.3)
    app.drag([r0, r1])
    # ... and a cyan marker stroke (stock pen 3, on the launcher).
    app.click(app.tile(13))
    app.click(app.centre_of("tile", tag=18, window="TLnchDlg"))  # stock pen 3
    m0, m1 = app.board(0.2, 0.6), app.board(0.6, 0.6)
    app.drag([m0, m1])
    # Setup: the File tab, "PSD (Pen Layer)", OK.
    app.click(app.tile(14))
    app.wait_window("^Setup$")
    app.click(app.centre_of("tab", text="File", window="TSetupDlg"))
    app.shot("setup_file")
    app.click(app.centre_of("button", text="PSD (Pen Layer)", window="TSetupDlg"))
    app.click(app.centre_of("button", text="OK", window="TSetupDlg"))
    before = set(os.listdir(app.pictures))
    app.key("KP_Add")
    time.sleep(1)
    new = sorted(set(os.listdir(app.pictures)) - before)
    check(len(new) == 1 and new[0].endswith(".psd"), f"keypad + saves a PSD into the pictures folder ({new})")
    path = os.path.join(app.pictures, new[0])
    psd = PSDImage.open(path)
    layers = list(psd)
    check([l.name for l in layers] == ["Layer0", "Layer1"], "the document has the picture and pen layers")
    pw, ph = psd.width, psd.height
    check((pw, ph) == (SCREEN_W, SCREEN_H), f"the white board is saved at the screen's size ({pw} x {ph})")
    z, ox, oy = fit(app, pw, ph)
    bx, by, _, _ = app.board_rect()

    def picture_point(p):
        return int((p[0] - bx) / z - ox), int((p[1] - by) / z - oy)

    pen = layers[1].topil().convert("RGBA")
    px = pen.getpixel(picture_point(((r0[0] + r1[0]) // 2, r0[1])))
    check(px == (255, 0, 0, 255), f"the pen layer holds the red stroke in pure red ({px})")
    px = pen.getpixel(picture_point(((m0[0] + m1[0]) // 2, m0[1])))
    check(px[:3] == (0, 255, 255) and abs(px[3] - 102) <= 2,
          f"the marker is cyan at 40 % in the pen layer, not darkened ({px})")
    px = pen.getpixel(picture_point(app.board(0.8, 0.45)))
    check(px[3] == 0, "the pen layer is transparent where nothing was drawn")
    pic = layers[0].topil().convert("RGB")
    check(pic.getpixel(picture_point(((r0[0] + r1[0]) // 2, r0[1]))) == (255, 255, 255),
          "the picture layer holds no strokes")
    merged = psd.composite().convert("RGB") if hasattr(psd, "composite") else psd.topil().convert("RGB")
    px = merged.getpixel(picture_point(((m0[0] + m1[0]) // 2, m0[1])))
    check(near(px, (153, 255, 255), 6), f"the merged image shows the marker over the white board ({px})")
    check(app.close() == 0, "the program ends normally")


def strip_places(app):
    """Thumbnail places between the paging buttons (halves to even, at most 25)."""
    return max(0, min(25, round((app.w - 100) / 100)))


def tinted(colour):
    """A thumbnail's colour on the current entry's tile: half over lime."""
    return tuple((c + l) // 2 for c, l in zip(colour, (0x8C, 0xBF, 0x26)))


def whitened(colour):
    """A thumbnail's colour on any other tile: half over white."""
    return tuple((c + 255) // 2 for c in colour)


def dismiss_message(app, what):
    box = app.wait_window("^TOVAREK W$", exclude=(app.win,))
    check(box != app.win, what)
    app.key("Return")


def journey_manypictures(app):
    """A folder with more pictures than the picture limit (50): the one opened
    beyond the first 50 is the current entry, keeps its strokes while the
    teacher goes to another thumbnail and back, and the strip shows its page."""
    folder = os.path.join(app.root, "many")
    colours = [(40 + 3 * i, 200 - 2 * i, 90 + i) for i in range(60)]
    os.makedirs(folder)
    names = []
    for i, c in enumerate(colours):
        names.append(os.path.join(folder, f"p{i:02}.png"))
        Image.new("RGB", (200, 150), c).save(names[-1])
    app.stop()
    app.start([names[55]])
    dismiss_message(app, "the limit's warning shows")
    center = app.board(0.5, 0.5)
    img = app.shot("opened")
    check(near(img.getpixel(center), colours[55], 8), "the opened picture (the 56th) is shown")
    # The run of 50 around it: p10 ... p59, the opened one is entry 45.
    per_page = strip_places(app)
    tile = 45 % per_page
    px = img.getpixel(app.thumb(tile))
    check(near(px, tinted(colours[55]), 12), f"the strip shows its page with its tile current ({px})")
    h0, h1, hp = app.board(0.3, 0.5), app.board(0.7, 0.5), app.board(0.4, 0.5)
    app.drag([h0, h1])
    check(count(app.shot("drawn"), around(hp), dark) > 10, "a stroke on it")
    other = tile + 1 if tile + 1 < per_page else tile - 1
    app.click(app.thumb(other))
    img = app.shot("other")
    check(near(img.getpixel(center), colours[10 + 45 // per_page * per_page + other], 8), "another thumbnail shows its picture")
    check(count(img, around(hp), dark) == 0, "without the stroke")
    app.click(app.thumb(tile))
    img = app.shot("back")
    check(near(img.getpixel(app.board(0.5, 0.3)), colours[55], 8), "back on the opened picture")
    check(count(img, around(hp), dark) > 10, "its stroke is still there")
    check(app.close() == 0, "the program ends normally")


def screen_pixel(d, p):
    from Xlib import X
    raw = d.screen().root.get_image(p[0], p[1], 1, 1, X.ZPixmap, 0xFFFFFFFF).data
    return raw[2], raw[1], raw[0]


def journey_bigfolder(app):
    """A picture chosen through the Open dialog in a folder of 60 large photos:
    on the board, the window repainted at once, a key pressed while the
    folder is listed acts, and the strip shows the opened picture's page."""
    from Xlib import display
    folder = os.path.join(app.root, "photos")
    os.makedirs(folder)
    base, chosen = (120, 160, 200), (230, 150, 60)
    for colour, name in ((base, "base.jpg"), (chosen, "p30.jpg")):
        img = Image.new("RGB", (3000, 2000), colour)
        ImageDraw.Draw(img).rectangle((1000, 980, 2000, 1020), fill=(0, 0, 0))
        img.save(os.path.join(folder, name), quality=90)
    for i in range(60):
        if i != 30:
            shutil.copy(os.path.join(folder, "base.jpg"), os.path.join(folder, f"p{i:02}.jpg"))
    os.remove(os.path.join(folder, "base.jpg"))
    row = app.board(0, 0.5)[1]
    x0, x1 = app.board(0, 0)[0], app.board(1, 0)[0]
    app.click(app.tile(0))
    dialog = app.wait_window("^Image Open$")
    g = dict(line.split("=") for line in app.xdo("getwindowgeometry", "--shell", dialog).split() if "=" in line)
    dx, dy, dw, dh = int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])
    bx, by, bw, bh = app.board_rect()
    # Places the dialog covered that the picture fills once shown (not its black bar).
    probes = [(max(dx, bx) + 20, max(dy, by) + 20), (min(dx + dw, bx + bw) - 20, min(dy + dh, by + bh) - 20),
              app.board(0.5, 0.3)]
    app.type(os.path.join(folder, "p30.jpg"))
    d = display.Display(app.display)
    app.xdo("key", "Return")
    t0 = time.time()
    repainted = None
    while time.time() - t0 < 10:
        if all(near(screen_pixel(d, p), chosen, 12) for p in probes):
            repainted = time.time() - t0
            break
        time.sleep(0.01)
    check(repainted is not None, "the chosen picture is on the board where the dialog was")
    print(f"repainted {repainted:.3f} s after the dialog closed", flush=True)
    check(repainted < 0.6, f"the window repaints at once ({repainted:.3f} s)")
    bar = (app.board(0.5, 1)[0], app.board(0.5, 1)[1] - 10)
    listing = not near(screen_pixel(d, bar), chosen, 12)
    app.xdo("key", "Prior")  # zoom in while the thumbnails are being made
    print("the key was pressed", "during the listing" if listing else "after the listing", flush=True)
    d.close()
    dismiss_message(app, "the limit's warning shows when the listing ends")
    time.sleep(0.5)
    img = app.shot("listed")
    fitted = 1000 * fit(app, 3000, 2000)[0]
    zoomed = dark_extent(img, row, x0, x1)
    check(abs(zoomed / fitted - 1.2) < 0.05, f"the key pressed meanwhile zoomed in ({fitted:.0f} -> {zoomed} pixels)")
    per_page = strip_places(app)
    up = lambda p: (p[0], p[1] - 25)  # above the thumbnail's black bar
    px = img.getpixel(up(app.thumb(30 % per_page)))
    check(near(px, tinted(chosen), 14), f"the strip shows the opened picture's page, its tile current ({px})")
    tile = 30 % per_page
    px = img.getpixel(up(app.thumb(tile + 1 if tile + 1 < per_page else tile - 1)))
    check(near(px, whitened(base), 14), f"with the folder's other thumbnails ({px})")
    check(app.close() == 0, "the program ends normally")

def lesson_db(app):
    return os.path.join(app.home, ".local", "share", "ORVEN PROJECT", "TOVAREK WBD", "lessons.db")


def integrity(app):
    import sqlite3
    db = sqlite3.connect(lesson_db(app))
    try:
        return db.execute("PRAGMA integrity_check").fetchone()[0]
    finally:
        db.close()


def kept_strokes_show(app, rounds, what):
    """The strokes of every round so far on the white board and on pictures 0 and 1."""
    img = app.shot(f"{what}_board")
    for r in range(rounds):
        check(count(img, around(app.board(0.45, 0.3 + 0.12 * r)), dark) > 10,
              f"{what}: the white board's stroke of round {r + 1} is back")
    app.click(app.thumb(0))
    img = app.shot(f"{what}_a")
    for r in range(rounds):
        check(count(img, around(app.board(0.4, 0.35 + 0.12 * r)), dark) > 10,
              f"{what}: picture 1's stroke of round {r + 1} is back")
    check(count(img, around(app.board(0.35, 0.4)), dark) == 0, f"{what}: picture 1 shows none of picture 2's")
    app.click(app.thumb(1))
    img = app.shot(f"{what}_b")
    for r in range(rounds):
        check(count(img, around(app.board(0.35 + 0.12 * r, 0.4)), dark) > 10,
              f"{what}: picture 2's stroke of round {r + 1} is back")


def journey_lessons(app):
    """Draw on two pictures of a folder and the white board, kill the program at
    a random moment, start it again: every stroke whose pen lifted a second
    before the kill is back on its own picture, and the store is whole."""
    import random
    folder = os.path.join(app.root, "lesson")
    colours = [(250, 230, 200), (200, 230, 250), (220, 250, 200)]
    names = make_pictures(folder, colours)
    app.stop()
    app.start([names[0]])
    rng = random.Random(os.getpid())
    for r in range(3):
        y = 0.35 + 0.12 * r
        app.click(app.thumb(0))
        app.drag([app.board(0.3, y), app.board(0.7, y)])
        app.click(app.thumb(1))
        x = 0.35 + 0.12 * r
        app.drag([app.board(x, 0.3), app.board(x, 0.7)])
        app.key("KP_Decimal")
        yb = 0.3 + 0.12 * r
        app.drag([app.board(0.3, yb), app.board(0.7, yb)])
        time.sleep(rng.uniform(1.0, 1.8))
        if rng.random() < 0.5:  # killed in the middle of a stroke that need not survive
            p = app.board(0.2, 0.9)
            app.xdo("mousemove", *p)
            app.xdo("mousedown", 1)
            app.xdo("mousemove", p[0] + 40, p[1])
        app.stop()
        app.xdo("mouseup", 1)
        check(integrity(app) == "ok", f"round {r + 1}: the store is whole after the kill")
        app.start()
        kept_strokes_show(app, r + 1, f"round{r + 1}")
        app.key("KP_Decimal")
    check(app.close() == 0, "the program ends normally")
    check(integrity(app) == "ok", "the store is whole after closing")


def journey_keepstrokes(app):
    """Close normally and start again: the picture opened again shows its
    strokes; with kept strokes switched off it shows none."""
    folder = os.path.join(app.root, "lesson")
    colours = [(250, 230, 200), (200, 230, 250)]
    names = make_pictures(folder, colours)
    app.stop()
    app.start([names[1]])
    p0, p1, mid = app.board(0.3, 0.5), app.board(0.7, 0.5), app.board(0.45, 0.5)
    app.drag([p0, p1])
    check(count(app.shot("drawn"), around(mid), dark) > 10, "a stroke on the picture")
    check(app.close() == 0, "the program ends normally")
    app.start([names[1]])
    check(count(app.shot("again"), around(mid), dark) > 10, "opened again after closing, it shows its stroke")
    check(app.close() == 0, "the program ends normally again")
    ini = os.path.join(app.config, "ORVEN PROJECT", "TOVAREK WBD", "Setup.ini")
    with open(ini, encoding="utf-8") as f:
        text = f.read()
    check("isKeepStrokes=1" in text, "the settings file holds the switch, on")
    with open(ini, "w", encoding="utf-8") as f:
        f.write(text.replace("isKeepStrokes=1", "isKeepStrokes=0"))
    app.start([names[1]])
    check(count(app.shot("off"), around(mid), dark) == 0, "with kept strokes off it shows none")
    check(app.close() == 0, "the program ends normally with kept strokes off")


def shared_thumbnail_name(path):
    """The desktop cache's name for a file: the MD5 of its URI."""
    import hashlib
    import urllib.parse
    uri = "file://" + urllib.parse.quote(os.path.abspath(path))
    return uri, hashlib.md5(uri.encode()).hexdigest() + ".png"


def journey_photos(app):
    """A folder of phone photos: a portrait one (stored lying on its side with
    orientation 6) shows upright in the strip and on the board; thumbnails go
    to the desktop's shared cache, and one that another program put there is
    used instead of reading the photo."""
    from PIL import PngImagePlugin
    folder = os.path.join(app.root, "phone")
    os.makedirs(folder)
    red, green, blue, yellow = (230, 20, 20), (20, 190, 20), (20, 20, 230), (240, 240, 20)
    # Stored 400 x 300 with red, green / blue, yellow quarters; upright it is
    # 300 x 400 with blue, red / yellow, green.
    stored = Image.new("RGB", (400, 300), red)
    draw = ImageDraw.Draw(stored)
    draw.rectangle((200, 0, 399, 149), fill=green)
    draw.rectangle((0, 150, 199, 299), fill=blue)
    draw.rectangle((200, 150, 399, 299), fill=yellow)
    exif = Image.Exif()
    exif[0x0112] = 6
    portrait = os.path.join(folder, "a_portrait.jpg")
    stored.save(portrait, quality=95, exif=exif.tobytes())
    landscape = os.path.join(folder, "b_landscape.jpg")
    Image.new("RGB", (400, 300), (200, 200, 200)).save(landscape, quality=95)
    # A thumbnail another program made of the third photo: all magenta, which the photo is not.
    known = os.path.join(folder, "c_known.jpg")
    Image.new("RGB", (400, 300), (200, 200, 200)).save(known, quality=95)
    uri, name = shared_thumbnail_name(known)
    info = PngImagePlugin.PngInfo()
    info.add_text("Thumb::URI", uri)
    info.add_text("Thumb::MTime", str(int(os.stat(known).st_mtime)))
    os.makedirs(os.path.join(app.cache, "thumbnails", "normal"), mode=0o700)
    magenta = (220, 30, 220)
    Image.new("RGB", (128, 96), magenta).save(os.path.join(app.cache, "thumbnails", "normal", name), pnginfo=info)

    app.stop()
    app.start([landscape])
    img = app.shot("listed")
    tx, ty = app.thumb(0)
    quarters = [(tx - 15, ty - 15), (tx + 15, ty - 15), (tx - 15, ty + 15), (tx + 15, ty + 15)]
    seen = [img.getpixel(p) for p in quarters]
    check(all(near(px, whitened(c), 50) for px, c in zip(seen, (blue, red, yellow, green))),
          f"the portrait photo's thumbnail is upright ({seen})")
    check(near(img.getpixel(app.thumb(2)), whitened(magenta), 50),
          "the thumbnail another program left in the shared cache is used")

    app.click(app.thumb(0))
    img = app.shot("portrait")
    z, ox, oy = fit(app, 300, 400)
    bx, by, _, _ = app.board_rect()
    at = [(int(bx + (ox + px) * z), int(by + (oy + py) * z)) for px, py in ((75, 100), (225, 100), (75, 300), (225, 300))]
    seen = [img.getpixel(p) for p in at]
    check(all(near(px, c, 40) for px, c in zip(seen, (blue, red, yellow, green))),
          f"the portrait photo stands upright on the board ({seen})")

    # What the program wrote for the two photos it read, as the cache's other users read it.
    for path in (portrait, landscape):
        uri, name = shared_thumbnail_name(path)
        entry = os.path.join(app.cache, "thumbnails", "normal", name)
        check(os.path.exists(entry), f"a shared thumbnail of {os.path.basename(path)} is written")
        thumb = Image.open(entry)
        check(thumb.text.get("Thumb::URI") == uri and thumb.text.get("Thumb::MTime") == str(int(os.stat(path).st_mtime)),
              "it names the photo by URI and modification time")
        check(max(thumb.size) == 128 and os.stat(entry).st_mode & 0o777 == 0o600, f"it is 128 px, for the user alone")
    check(Image.open(os.path.join(app.cache, "thumbnails", "normal", shared_thumbnail_name(portrait)[1])).size == (96, 128),
          "the portrait photo's shared thumbnail is upright")
    check(app.close() == 0, "the program ends normally")


def journey_handout(app):
    """Write numbered strokes on two words of a word list, export the list from
    the launcher as a PDF, and look at its pages rendered by poppler: a page
    per word, the word in grey, the strokes in their colours with their
    numbered circles, and a caption line."""
    for tool in ("pdfinfo", "pdftoppm"):
        if not shutil.which(tool):
            print(f"SKIP: {tool} is not installed")
            return
    words = os.path.join(app.root, "words.txt")
    with open(words, "w", encoding="utf-8") as f:
        f.write("十\n木\n")
    app.click(app.tile(0))
    app.wait_window("^Image Open$")
    app.type(words)
    app.key("Return")
    time.sleep(1)
    app.click(app.tile(7))  # Pen Setup: the pen-order pen
    app.click(app.dialog_tile("Pen Order", "TPenSetupDlg"))
    app.click(app.dialog_tile("OK", "TPenSetupDlg"))
    for fy in (0.03, 0.07):
        app.drag([app.board(0.45, fy), app.board(0.65, fy)], step=4)
    app.click(app.thumb(1))  # the second word: one stroke
    time.sleep(0.5)
    app.drag([app.board(0.45, 0.03), app.board(0.65, 0.03)], step=4)
    # Export, from the launcher ("Menu ..." is tile 13); a PDF (the question's default).
    app.click(app.tile(13))
    app.click(app.dialog_tile("Export ...", "TLnchDlg"))
    app.wait_window("^Export$")
    app.key("Return")
    app.wait_window("^Export as PDF$")
    pdf = os.path.join(app.root, "lesson.pdf")
    app.type(pdf)
    app.key("Return")
    deadline = time.time() + 20
    while not os.path.exists(pdf) and time.time() < deadline:
        time.sleep(0.2)
    check(os.path.exists(pdf), "the PDF is written")
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
    check(re.search(r"Pages:\s+2\n", info) is not None, f"a page for each word ({info})")
    pages = []
    for n in (1, 2):
        prefix = os.path.join(app.root, f"page{n}")
        subprocess.run(["pdftoppm", "-r", "72", "-f", str(n), "-l", str(n), "-singlefile", "-png", pdf, prefix],
                       check=True)
        pages.append(Image.open(prefix + ".png").convert("RGB"))
    # The word's picture fills the width inside half-inch margins, at the top.
    w, h = pages[0].size
    box = (36, 36, w - 36, 36 + (w - 72))
    magenta, red = (255, 153, 255), (255, 153, 153)
    for n, page in enumerate(pages):
        check(count(page, box, lambda p: near(p, (0xDD, 0xDD, 0xDD), 12)) > 500, f"page {n + 1} shows its word in grey")
        check(count(page, box, lambda p: near(p, magenta, 30)) > 30, f"page {n + 1} shows stroke 1 in magenta")
        check(count(page, box, lambda p: max(p) < 190 and max(p) - min(p) < 12) > 10,
              f"page {n + 1} shows the numbered circles")
        caption = (36, box[3], w - 36, box[3] + 30)
        check(count(page, caption, dark) > 20, f"page {n + 1} has its caption line")
    check(count(pages[0], box, lambda p: near(p, red, 30)) > 30, "the first word's second stroke is red")
    check(count(pages[1], box, lambda p: near(p, red, 30)) == 0, "the second word has one stroke only")
    pages[0].save(os.path.join(app.root, "page1-seen.png"))
    check(app.close() == 0, "the program ends normally")


def has_japanese(text):
    return any("\u3040" <= ch <= "\u30ff" or "\u4e00" <= ch <= "\u9fff" for ch in text)


def journey_japanese(app):
    """Under a Japanese locale the tool bar's tiles and the setup dialog speak
    Japanese, and the captions stay on their tiles. Tiles are found by their
    tags here, since their captions are what is being checked."""
    def tool_bar_tiles():
        for win in app.places():
            if win.get("name") == "TWBDMainFrm":
                return sorted((c for c in win["controls"] if c["kind"] == "tile" and c.get("in") == "MenuPanel"),
                              key=lambda c: c["tag"])
        return []

    tiles = tool_bar_tiles()
    check(len(tiles) >= 10, f"the tool bar shows its tiles ({len(tiles)})")
    captions = [c["text"] for c in tiles]
    check(captions[0] == "開く…" and captions[1] == "別名保存…" and captions[-1] == "設定…",
          f"the first and the last tiles have Japanese captions ({captions[0]}, {captions[1]}, {captions[-1]})")
    check(all(has_japanese(t) for t in captions), f"every tool bar tile's caption is Japanese ({captions})")
    img = app.shot("japanese_toolbar")
    # Each caption is drawn in white inside its own tile: the rows just above
    # and below every tile (the tool bar's dark gaps) stay free of it.
    for c in tiles:
        x0, x1 = c["x"] + 4, c["x"] + c["w"] - 4
        inside = count(img, (x0, c["y"] + c["h"] - 26, x1, c["y"] + c["h"] - 2), lambda p: min(p) > 150)
        check(inside > 5, f"the caption {c['text']} is drawn on its tile")
        for y in (c["y"] - 3, c["y"] + c["h"] + 2):
            if 0 <= y < SCREEN_H:
                spill = count(img, (x0, y, x1, y + 1), lambda p: min(p) > 150)
                check(spill == 0, f"the caption {c['text']} stays on its tile (row {y})")

    # The launcher and the pen dialog, closed with their own Japanese tiles.
    def dialog_captions(window):
        deadline = time.time() + 10
        while time.time() < deadline:
            found = [c["text"] for win in app.places() if win.get("name") == window
                     for c in win["controls"] if c["kind"] == "tile"]
            if found:
                return found
            time.sleep(0.2)
        return []

    app.click(app.tile(captions.index("メニュー…")))
    found = dialog_captions("TLnchDlg")
    check(len(found) > 20 and all(has_japanese(t) for t in found), f"the launcher's tiles are Japanese ({found})")
    app.shot("japanese_launcher")
    app.click(app.dialog_tile("閉じる", "TLnchDlg"))
    app.click(app.tile(captions.index("ペン設定")))
    found = dialog_captions("TPenSetupDlg")
    check({"実線", "破線", "二点鎖線", "キャンセル"} <= set(found), "the pen dialog's tiles are Japanese")
    app.shot("japanese_pensetup")
    app.click(app.dialog_tile("キャンセル", "TPenSetupDlg"))

    # The setup dialog: found by its class, since its title is Japanese too.
    app.click(app.tile(tiles[-1]["tag"]))
    tabs = []
    deadline = time.time() + 15
    while time.time() < deadline and len(tabs) < 5:
        tabs = [c["text"] for win in app.places() if win.get("name") == "TSetupDlg"
                for c in win["controls"] if c["kind"] == "tab"]
        time.sleep(0.2)
    check(tabs == ["登録ペン", "ツールバー", "ペン設定", "ファイル", "詳細"], f"the setup dialog's tabs are Japanese ({tabs})")
    buttons = [c["text"] for win in app.places() if win.get("name") == "TSetupDlg"
               for c in win["controls"] if c["kind"] == "button"]
    check("キャンセル" in buttons and "初期設定" in buttons, "its buttons are Japanese")
    app.click(app.centre_of("tab", text="ファイル", window="TSetupDlg"))
    app.shot("japanese_setup_file")
    check(app.find("button", text="PSD（ペンレイヤー付き）", window="TSetupDlg"), "the format choices are Japanese")
    app.click(app.centre_of("tab", text="詳細", window="TSetupDlg"))
    app.shot("japanese_setup_detailed")
    check(app.find("button", text="起動時に最大化する", window="TSetupDlg"), "the Detailed tab is Japanese")
    app.click(app.centre_of("button", text="キャンセル", window="TSetupDlg"))
    check(app.close() == 0, "the program ends normally")


def journey_pdf(app):
    """Open a three-page PDF from the command line, draw on pages 1 and 3, move between
    them with the strip and Next, and see each page's strokes only on its page."""
    colours = [(250, 200, 200), (200, 250, 200), (200, 200, 250)]
    doc = make_pdf(os.path.join(app.root, "worksheet.pdf"), colours)
    app.stop()
    app.start([doc])
    block = app.board(0.5, 0.25)
    img = app.shot("opened")
    check(near(img.getpixel(block), colours[0], 8), "the document's first page is shown")
    check(min(img.getpixel(app.board(0.5, 0.75))) > 240, "on white")
    for i in range(3):
        tx, ty = app.thumb(i)
        want = tinted(colours[i]) if i == 0 else whitened(colours[i])  # the current page's tile is lime
        check(near(img.getpixel((tx, ty - 20)), want, 16),
              f"the strip shows page {i + 1}")
    # A horizontal stroke on page 1, a vertical one on page 3, both on the white lower half.
    hp, vp = app.board(0.47, 0.7), app.board(0.5, 0.85)
    app.drag([app.board(0.44, 0.7), app.board(0.56, 0.7)])
    app.click(app.thumb(2))
    img = app.shot("page3")
    check(near(img.getpixel(block), colours[2], 8), "the thumbnail shows page 3")
    check(count(img, around(hp), dark) == 0, "page 3 does not show page 1's stroke")
    app.drag([app.board(0.5, 0.62), app.board(0.5, 0.92)])
    app.click(app.thumb(0))
    img = app.shot("back1")
    check(near(img.getpixel(block), colours[0], 8), "back on page 1")
    check(count(img, around(hp), dark) > 10 and count(img, around(vp), dark) == 0, "page 1 shows its own stroke")
    app.click(app.tile(13))
    app.click(app.dialog_tile("Next", "TLnchDlg"))
    img = app.shot("page2")
    check(near(img.getpixel(block), colours[1], 8), "Next shows page 2")
    check(count(img, around(hp), dark) == 0 and count(img, around(vp), dark) == 0, "page 2 has no strokes")
    app.click(app.thumb(2))
    img = app.shot("back3")
    check(count(img, around(vp), dark) > 10 and count(img, around(hp), dark) == 0, "page 3 shows its own stroke")
    check(app.close() == 0, "the program ends normally")


JOURNEYS = {
    "handout": journey_handout,
    "photos": journey_photos,
    "lessons": journey_lessons,
    "keepstrokes": journey_keepstrokes,
    "manypictures": journey_manypictures,
    "bigfolder": journey_bigfolder,
    "psd": journey_psd,
    "wordlist": journey_wordlist,
    "whiteboard": journey_whiteboard,
    "pictures": journey_pictures,
    "badfiles": journey_badfiles,
    "board": journey_board,
    "japanese": journey_japanese,
    "pdf": journey_pdf,
}
# The locale each journey runs in; the others run in the C locale.
JOURNEY_LANG = {"japanese": "ja_JP.UTF-8"}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("journey", choices=sorted(JOURNEYS))
    ap.add_argument("--exe", required=True)
    ap.add_argument("--keep", action="store_true", help="keep the screenshots and files")
    args = ap.parse_args()
    for tool in ("Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            print(f"SKIP: {tool} is not installed")
            return 0
    root = tempfile.mkdtemp(prefix=f"tw-e2e-{args.journey}-")
    x = Xvfb()
    app = None
    try:
        app = App(os.path.abspath(args.exe), x.display, root, lang=JOURNEY_LANG.get(args.journey, "C.UTF-8"))
        JOURNEYS[args.journey](app)
        print(f"PASS {args.journey}")
        return 0
    except Failure as e:
        print(f"FAIL {args.journey}: {e}  (screenshots in {root})")
        if app:
            try:
                app.shot("failure")
            except Exception:
                pass
        args.keep = True
        return 1
    finally:
        if app:
            app.stop()
        x.stop()
        if not args.keep:
            shutil.rmtree(root, ignore_errors=True)
        else:
            log = os.path.join(root, "program.log")
            if os.path.exists(log):
                print(open(log).read()[-3000:])


if __name__ == "__main__":
    sys.exit(main())
