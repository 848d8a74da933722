#!/usr/bin/env python3
"""Drags the border of a windowed program as a user would and checks what the window shows
meanwhile: the probe runs its own loop inside Wine's virtual desktop (which manages its windows,
so a border can be dragged), xdotool holds a border down and moves it, and xwd captures the
screen before the button is let go. On the software renderer the right border is dragged: no
pixel of the client area may be black (the probe draws nothing black). On OpenGL the bottom
border is dragged: the last frame stays where it was, its top rows the probe's grey and its card
24 pixels down, with no band above it."""
import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

DESKTOP = "qelresize"
DRAG = 160  # pixels the border moves
GREY, CARD = (0xE0, 0xE0, 0xE0), (0x80, 0xC0, 0xF8)  # what the probe draws, as R, G, B


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], check=True, capture_output=True, text=True).stdout


def wait_for(what, test, seconds=60, fatal=True):
    """What `test` finds within the bound; past it, the driver fails, or None when not fatal."""
    end = time.time() + seconds
    while time.time() < end:
        found = test()
        if found:
            return found
        time.sleep(0.2)
    if not fatal:
        return None
    # Named for the driver that runs it: others import it.
    sys.exit(f"{os.path.splitext(os.path.basename(sys.argv[0]))[0]}: no {what} after {seconds} s")


def kill_program(program, exe):
    """Ends a program that did not close: the emulator's shell, and the Wine process of `exe`
    that it started, which killing the shell alone would leave running in the session."""
    name = os.path.basename(exe).encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                program_name = f.read().split(b"\0")[0].replace(b"\\", b"/")
            if os.path.basename(program_name) == name:
                os.kill(int(pid), signal.SIGKILL)
        except OSError:
            pass
    program.kill()
    program.wait()


def close_window(window, program, at=(200, 150), tries=5):
    """Alt+F4 as a user presses it: after a click at `at` in the window, which makes it the one
    that takes the keyboard; pressed again when a loaded machine lost the key. Tells whether the
    program ended."""
    for _ in range(tries):
        if window:
            xdotool("mousemove", "--window", window, *at)
            time.sleep(0.3)
            xdotool("click", 1)
            time.sleep(0.3)
            xdotool("key", "alt+F4")
        try:
            program.wait(10)
            return True
        except subprocess.TimeoutExpired:
            continue
    return False


def find_desktop():
    found = subprocess.run(["xdotool", "search", "--name", DESKTOP], capture_output=True, text=True)
    return found.stdout.split()[0] if found.returncode == 0 and found.stdout.split() else None


def desktop_origin():
    """Where Wine's desktop window lies on the X screen."""
    window = wait_for("desktop window", find_desktop)
    shell = dict(line.split("=", 1) for line in xdotool("getwindowgeometry", "--shell", window).split())
    return int(shell["X"]), int(shell["Y"])


def read_xwd(path):
    """The screen as a function of (x, y) giving (r, g, b), from an xwd dump in Z format."""
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height, byte_order = fields[0], fields[4], fields[5], fields[7]
    step, bytes_per_line, masks, ncolors = fields[11] // 8, fields[12], fields[14:17], fields[19]
    pixels = data[header_size + 12 * ncolors:]

    def pixel(x, y):
        at = y * bytes_per_line + x * step
        value = int.from_bytes(pixels[at:at + step], "little" if byte_order == 0 else "big")
        return tuple((value & mask) >> ((mask & -mask).bit_length() - 1) for mask in masks)

    return width, height, pixel


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--probe", required=True)
    args = parser.parse_args()

    for renderer in ("software", "opengl"):
        with tempfile.TemporaryDirectory(prefix="qel-resize-") as work:
            drag_and_look(args, work, renderer)


def close(colour, wanted):
    return all(abs(a - b) <= 2 for a, b in zip(colour, wanted))


def drag(x, y, dx, dy, shot):
    """Holds the button down on (x, y), moves it by (dx, dy) in steps and captures the screen."""
    xdotool("mousemove", x, y)
    time.sleep(0.5)
    xdotool("mousedown", 1)
    for step in range(1, 9):
        time.sleep(0.15)
        xdotool("mousemove", x + dx * step // 8, y + dy * step // 8)
    time.sleep(1.0)
    subprocess.run(["xwd", "-root", "-silent", "-out", shot], check=True)
    xdotool("mouseup", 1)
    return read_xwd(shot)


def drag_and_look(args, work, renderer):
    place = os.path.join(work, "place.txt")
    shot = os.path.join(work, "screen.xwd")
    program = subprocess.Popen([args.emulator, "explorer", f"/desktop={DESKTOP},1000x760",
                                windows_path(args.probe), windows_path(place), renderer])
    try:
        wait_for("window place", lambda: os.path.exists(place) and open(place).read().strip())
        _, _, outer_right, outer_bottom, left, top, right, bottom = map(int, open(place).read().split())
        ox, oy = desktop_origin()
        problems = []
        if renderer == "software":
            # The right border, halfway down: between the client area's edge and the frame's.
            width, height, pixel = drag(ox + (right + outer_right) // 2, oy + (top + bottom) // 2, DRAG, 0, shot)
            samples = black = 0
            for sy in range(oy + top + 2, oy + bottom - 2, 6):
                for sx in range(ox + left + 2, ox + right + DRAG - 2, 6):
                    if sx < width and sy < height:
                        samples += 1
                        black += max(pixel(sx, sy)) < 16
            print(f"live_resize: {black} of {samples} sampled client pixels black while the border was dragged")
            if samples < 1000 or black:
                problems.append("black pixels")
        else:
            # The bottom border, halfway across.
            width, height, pixel = drag(ox + (left + right) // 2, oy + (bottom + outer_bottom) // 2, 0, DRAG, shot)
            xs = range(ox + left + 40, ox + right - 40, 8)
            grey = sum(close(pixel(x, oy + top + y), GREY) for x in xs for y in (1, 10, 20))
            card = sum(close(pixel(x, oy + top + y), CARD) for x in xs for y in (30, 60, bottom - top - 30))
            wanted = 3 * len(xs)
            print(f"live_resize: OpenGL while the border was dragged down: {grey} of {wanted} samples of the top "
                  f"rows grey, {card} of {wanted} of the card's card-coloured")
            if grey != wanted or card != wanted:
                problems.append("the frame moved")
        if problems:
            shutil.copy(shot, f"live_resize-{renderer}.xwd")
            sys.exit(f"live_resize: {', '.join(problems)}; the screen is kept in live_resize-{renderer}.xwd")
    finally:
        if not close_window(find_desktop(), program):
            kill_program(program, args.probe)


if __name__ == "__main__":
    main()
