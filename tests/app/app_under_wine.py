#!/usr/bin/env python3
"""The windowed program itself under Wine on a virtual display, as a user meets it:
- its screenshot (QEL_SCREENSHOT) of the sample shop equals the native picture of the same state;
- its open dialog, driven by xdotool typing a path with accents and a euro sign, loads that
  spreadsheet, and the window then shows what the native picture of that state shows;
- its problem report hands the mail client registered in the prefix the encoded link, whose
  subject and body are the report's;
- printing from its print sheet to a CUPS raw queue delivers exactly the bytes of `tagmoor job`
  for the same choices;
- its first window lies inside the work area of a 1366 x 768 screen, and of a 1920 x 1080 one at
  150 % (LogPixels 144), where 1:1 shows the 2-inch label 2 inches (288 pixels) wide;
- with OpenGL, dragging its bottom border keeps the frame at the top, with no band above it.
The screens are Wine virtual desktops, which give windows frames and work areas. Run by the
build's wine-session on the test run's virtual display, in a prefix of its own."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "qel", "platform"))
sys.path.insert(0, os.path.join(HERE, "..", "engine"))
import png_pixels  # noqa: E402
import print_through_cups as rig  # noqa: E402
from live_resize import (DESKTOP, close_window, desktop_origin, drag, kill_program, read_xwd,  # noqa: E402
                         wait_for, windows_path, xdotool)

DATA = os.path.join(HERE, "..", "data")
TITLE = r"^Tagmoor 0\.9\.0-beta\.3 \(2026-11-10\)$"  # xdotool searches by pattern
DPI_KEY = r"HKCU\Control Panel\Desktop"
TOLERANCE = 2  # the software renderer's glyph edges, as in the native picture tests
SUBJECT = "Tagmoor 0.9.0-beta.3: a label came out wrong (Zebra ZD230 (203 dpi, ZPL))"
MAIL_KEY = r"HKCR\mailto\shell\open\command"


def fail(message):
    sys.exit(f"app_under_wine: {message}")


class Unanswered(Exception):
    """A program that took none of several clicks: under Wine a program started in the burst of
    a test run's first moments now and then never takes input."""


def find_window(name):
    found = subprocess.run(["xdotool", "search", "--name", name], capture_output=True, text=True)
    return found.stdout.split()[0] if found.returncode == 0 and found.stdout.split() else None


def window_gone(name):
    """True once two looks a moment apart find no window of the name: under load one search now
    and then finds nothing while the window stays."""
    if find_window(name):
        return False
    time.sleep(0.3)
    return not find_window(name)


def client_area(window):
    """The X window of a window's client area: Wine draws the frame of an unmanaged window itself
    and keeps the client area in a child window."""
    tree = subprocess.run(["xwininfo", "-id", window, "-children"], capture_output=True, text=True).stdout
    children = [line.split()[0] for line in tree.splitlines() if line.strip().startswith("0x")]
    return str(int(children[0], 16)) if len(children) == 1 else window


class Program:
    """The program running on the display until it is closed as a user closes it."""

    def __init__(self, args, words=(), env=None):
        self.app = args.app
        self.process = subprocess.Popen([args.emulator, args.app, *words], env=dict(os.environ, **(env or {})))
        self.frame = wait_for("program window", lambda: find_window(TITLE))
        self.window = client_area(self.frame)
        self.settle()

    def settle(self):
        """Waits until the window shows a drawn frame and has stopped changing, however long a
        loaded machine takes to get there."""
        last = [None]

        def steady():
            now = subprocess.run(["xwd", "-id", self.window, "-silent"], capture_output=True).stdout
            before, last[0] = last[0], now
            drawn = len({now[i:i + 4] for i in range(len(now) // 2, len(now) - 4, 4 * 997)}) > 2
            time.sleep(0.3)
            return drawn and now == before
        wait_for("a steady window", steady)

    def click(self, x, y, until, what):
        """Clicks at x, y until `until` finds what the click brings, clicking again while a
        loaded machine has lost the click; returns what it found."""
        for _ in range(5):
            xdotool("mousemove", "--window", self.window, x, y)
            time.sleep(0.3)
            xdotool("click", 1)
            found = wait_for(what, until, 20, fatal=False)
            if found:
                return found
        subprocess.run(["xwd", "-root", "-silent", "-out", "app_under_wine-screen.xwd"])
        raise Unanswered(f"no {what} after five clicks; the screen is kept in app_under_wine-screen.xwd")

    def __enter__(self):
        return self

    def __exit__(self, *failure):
        """A driver that failed leaves no program behind to hold the test's output open."""
        if self.process.poll() is None:
            kill_program(self.process, self.app)

    def capture(self, path):
        """The client area as drawn on the screen, after the pointer has left it."""
        xdotool("mousemove", 1275, 1015)
        self.settle()
        subprocess.run(["xwd", "-id", self.window, "-silent", "-out", path], check=True)
        width, height, pixel = read_xwd(path)
        rgba = bytearray()
        for y in range(height):
            for x in range(width):
                rgba += bytes(pixel(x, y)) + b"\xff"
        return width, height, bytes(rgba)

    def shows(self, reference, what, path):
        """Waits until the window shows the reference picture: a loaded machine can leave the
        window steady for a moment before the program has taken in what a dialog gave it. A
        window that never shows it is kept in the working folder for a person to see."""
        differing = [None]

        def matches():
            differing[0] = differing_pixels(self.capture(path), reference)
            return differing[0][0] == 0
        if not wait_for(what, matches, 60, fatal=False):
            shutil.copy(path, "app_under_wine-" + os.path.basename(path))
            subprocess.run(["xwd", "-root", "-silent", "-out", "app_under_wine-screen.xwd"])
            fail(f"{what}: {differing[0][0]} pixels differ from {reference} ({differing[0][1]})")
        print(f"app_under_wine: {what} equals {reference}")

    def close(self):
        # The click goes to the frame's title bar, which Wine draws itself, where it does nothing.
        if not close_window(self.frame, self.process, at=(200, 10)):
            fail("the window did not close on Alt+F4")
        if self.process.returncode != 0:
            fail(f"the program ended with {self.process.returncode}")


def differing_pixels(shot, reference):
    expected = png_pixels.read(os.path.join(DATA, "app", reference))
    return png_pixels.differences(shot, expected, TOLERANCE), f"sizes {shot[:2]} and {expected[:2]}"


def same_picture(shot, reference, what):
    differing, sizes = differing_pixels(shot, reference)
    if differing != 0:
        fail(f"{what}: {differing} pixels differ from {reference} ({sizes})")
    print(f"app_under_wine: {what} equals {reference}")


def screenshot(args, work):
    path = os.path.join(work, "shot.png")
    code = subprocess.run([args.emulator, args.app], env=dict(os.environ, QEL_SCREENSHOT=windows_path(path))).returncode
    if code != 0 or not os.path.exists(path):
        fail(f"the screenshot run ended with {code}")
    same_picture(png_pixels.read(path), "main_window_light.png", "the screenshot")


def open_dialog(args, work):
    name = "th\u00e9 \u20ac.csv"
    path = os.path.join(work, name)
    shutil.copy(os.path.join(DATA, "app", "the.csv"), path)
    with Program(args) as program:
        open_file(program, path, work)


def open_file(program, path, work):
    dialog = program.click(848, 30, lambda: find_window("^Open a spreadsheet$"), "open dialog")  # "Open CSV…"
    # The path is typed again while the dialog stays open: a loaded machine can lose keys sent
    # before its edit field takes the keyboard. The first accented letter of a run is now and
    # then lost by the keymap, so a throw-away one goes first.
    for _ in range(5):
        xdotool("mousemove", "--window", dialog, 20, 20)
        xdotool("type", "--delay", "30", "\u00e9")
        xdotool("key", "ctrl+a", "BackSpace")
        xdotool("type", "--delay", "30", windows_path(path))
        xdotool("key", "Return")
        if wait_for("the dialog to close", lambda: window_gone("^Open a spreadsheet$"), 15, fatal=False):
            break
    else:
        # Under load Wine's dialog now and then stops drawing and answering for good.
        raise Unanswered("the open dialog took none of five paths")
    program.shows("opened_csv_light.png", "the window after the dialog", os.path.join(work, "opened.xwd"))
    program.close()


def percent_encoded(text):
    plain = set(b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~")
    out = []
    for byte in text.encode("utf-8"):
        out.append(chr(byte) if byte in plain else "%0D%0A" if byte == 10 else f"%{byte:02X}")
    return "".join(out)


def mail_command(args, command=None):
    """The command the prefix opens mailto links with; given one, sets it first. Wine keeps
    link handlers in HKCR alone: a per-user one is not looked at."""
    if command is not None:
        subprocess.run([args.emulator, "reg", "add", MAIL_KEY, "/ve", "/d", command, "/f"], check=True,
                       capture_output=True)
    shown = subprocess.run([args.emulator, "reg", "query", MAIL_KEY, "/ve"], capture_output=True, text=True).stdout
    return next((line.split("REG_SZ", 1)[1].strip() for line in shown.splitlines() if "REG_SZ" in line), "")


def report_folders(prefix):
    temp = os.path.join(prefix, "drive_c", "users")
    return {os.path.join(root, d) for root, dirs, _ in os.walk(temp) for d in dirs if d.startswith("tagmoor-report-")}


def mail_client(args, work):
    record = os.path.join(work, "link.txt")
    before = report_folders(os.environ["WINEPREFIX"])
    kept = mail_command(args)
    try:
        mail_command(args, f'"{windows_path(args.recorder)}" "%1"')
        # The report goes to the prefix's own temporary folder: TMPDIR would move the Wine
        # server's socket too.
        env = {"TAGMOOR_MAIL_RECORD": windows_path(record)}
        os.environ.pop("TMPDIR", None)
        with Program(args, ["--report"], env) as program:
            wait_for("mail link", lambda: os.path.exists(record))
            program.close()
    finally:
        mail_command(args, kept)
    made = report_folders(os.environ["WINEPREFIX"]) - before
    if len(made) != 1:
        fail(f"report folders made: {sorted(made)}")
    folder = made.pop()
    with open(os.path.join(folder, "tagmoor-report.txt"), encoding="utf-8") as f:
        body = f.read()
    shutil.rmtree(folder)
    link = open(record, encoding="utf-8").read()
    expected = f"mailto:support@tagmoor.example?subject={percent_encoded(SUBJECT)}&body={percent_encoded(body)}"
    if link != expected:
        fail(f"the mail client was handed {link!r}, expected {expected!r}")
    print("app_under_wine: the registered mail client got the report's encoded link")


def print_to_queue(args, work):
    """The quantities sample on the barcode template, printed from the print sheet to the only
    queue (its name has accents and a CJK character), against `tagmoor job` for the same."""
    queue, device = "\u00c9tiquettes-caf\u00e9 \u8336", "accents.bin"
    scheduler = rig.Scheduler(work, args.backend)
    scheduler.write("etc/printers.conf", f"<Printer {queue}>\nDeviceURI rawfile:{os.path.join(scheduler.out, device)}\n"
                    "State Idle\nAccepting Yes\nShared No\n</Printer>\n")
    samples = os.path.join(HERE, "..", "..", "samples", "tea-shop-quantities.csv")
    words = ["--csv", samples, "--layout", "barcode", "--quantity-column", "Quantity", "--printer", "zebra-zd230"]
    try:
        scheduler.start()
        with Program(args, ["--demo", windows_path(samples), "--layout", "barcode", "--print-sheet"],
                     {"CUPS_SERVER": scheduler.socket}) as program:
            # The sheet's "Print 46 labels", as the native layout places it.
            done = os.path.join(scheduler.out, device)
            arrived = program.click(1035, 411, lambda: os.path.exists(done) and scheduler.take_output(device), "job")
            program.close()
    finally:
        scheduler.stop()
    job = os.path.join(work, "job.zpl")
    subprocess.run([args.emulator, args.cli, "job", *map(windows_path_if_file, words), "--out", windows_path(job)],
                   check=True, capture_output=True)
    with open(job, "rb") as f:
        expected = f.read()
    if arrived != expected:
        fail(f"the queue got {len(arrived)} bytes, `tagmoor job` wrote {len(expected)} differing ones")
    print(f"app_under_wine: the queue got the {len(arrived)} bytes of `tagmoor job`")


def on_desktop(args, size, program, words=(), env=None):
    """A program started on a virtual desktop of the given size."""
    return subprocess.Popen([args.emulator, "explorer", f"/desktop={DESKTOP},{size}", windows_path(program), *words],
                            env=dict(os.environ, **(env or {})))


class Placed:
    """The program on a virtual desktop, started by the window-place helper, which tells where
    its window lies: outer left, top, right, bottom, client width, height, and the work area's
    left, top, right, bottom."""

    def __init__(self, args, size, work, env=None):
        self.path = os.path.join(work, "place.txt")
        self.process = on_desktop(args, size, args.place, [windows_path(self.path), windows_path(args.app)], env)
        # Under load Wine's desktop now and then fails to start the helper at all ("ShellExecuteEx
        # failed"): the case is then run again.
        wait_for("window place", lambda: os.path.exists(self.path) or self.process.poll() is not None, 90, fatal=False)
        if not os.path.exists(self.path):
            kill_program(self.process, args.place)
            raise Unanswered("the window-place helper never placed the program's window")
        self.place = list(map(int, open(self.path).read().split()))

    def close(self, what):
        open(self.path + ".close", "w").close()
        ended(self.process, what)


def fits_work_area(place, width, least, most, what):
    left, top, right, bottom, client_width, client_height, *area = place
    if left < area[0] or top < area[1] or right > area[2] or bottom > area[3]:
        fail(f"{what}: the window {left, top, right, bottom} leaves the work area {tuple(area)}")
    if client_width != width or not least <= client_height <= most:
        fail(f"{what}: the first client area is {client_width} x {client_height}")
    print(f"app_under_wine: {what}: the first window, {client_width} x {client_height}, fits the work area")


def ended(program, what):
    try:
        code = program.wait(60)
    except subprocess.TimeoutExpired:
        program.kill()
        fail(f"{what}: the program did not end")
    if code != 0:
        fail(f"{what}: the program ended with {code}")


def first_size(args, work):
    program = Placed(args, "1366x768", work)
    program.close("1366 x 768")
    fits_work_area(program.place, 1120, 620, 759, "1366 x 768")


def dots_per_inch(args, value=None):
    """The prefix's LogPixels (None: unset); given a value, sets it first (None: removes it)."""
    if value is not None:
        subprocess.run([args.emulator, "reg", "add", DPI_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(value),
                        "/f"], check=True, capture_output=True)
    shown = subprocess.run([args.emulator, "reg", "query", DPI_KEY, "/v", "LogPixels"], capture_output=True,
                           text=True).stdout
    line = next((line for line in shown.splitlines() if "REG_DWORD" in line), None)
    return int(line.split()[-1], 16) if line else None


def card_interior(shot):
    """The widest run of white pixels along the middle row with the preview canvas's colour a little
    way off on both sides: the card inside its hairline border."""
    width, height, rgba = shot
    y = height // 2
    row = [tuple(rgba[(y * width + x) * 4:(y * width + x) * 4 + 3]) for x in range(width)]
    canvas = row[width - 40]  # the preview canvas, right of every card
    widest, x = 0, 0
    while x < width:
        if row[x] != (255, 255, 255):
            x += 1
            continue
        start = x
        while x < width and row[x] == (255, 255, 255):
            x += 1
        beside = row[max(start - 14, 0)], row[min(x + 14, width - 1)]  # past the border and the shadow
        if all(max(abs(a - b) for a, b in zip(p, canvas)) <= 12 for p in beside):
            widest = max(widest, x - start)
    return widest


def true_size(args, work):
    kept = dots_per_inch(args)
    shot = os.path.join(work, "dense.png")
    try:
        dots_per_inch(args, 144)
        program = Placed(args, "1920x1080", work)
        program.close("1920 x 1080 at 150 %")
        fits_work_area(program.place, 1680, 930, 1079, "1920 x 1080 at 150 %")
        program = on_desktop(args, "1920x1080", args.app, ["--zoom", "1"],
                             {"QEL_SCREENSHOT": windows_path(shot), "QEL_SCREENSHOT_FRAMES": "20"})
        ended(program, "1:1 at 150 %")
    finally:
        if kept is None:
            subprocess.run([args.emulator, "reg", "delete", DPI_KEY, "/v", "LogPixels", "/f"], capture_output=True)
        else:
            dots_per_inch(args, kept)
    # 2 inches of a 144-dpi screen, less the hairline border: 1.5 logical pixels each side.
    interior = card_interior(png_pixels.read(shot))
    if abs(interior - (288 - 4)) > 1:
        fail(f"1:1 at LogPixels 144: the card is {interior} pixels wide inside its border, not 284")
    print(f"app_under_wine: 1:1 at LogPixels 144 shows the 2-inch label {interior} + 4 pixels wide")


def resize_opengl(args, work):
    program = Placed(args, "1600x1000", work, {"QEL_RENDERER": "opengl"})
    left, top, right, bottom, width, height, *_ = program.place
    border = (right - left - width) // 2
    client_left, client_top = left + border, bottom - border - height
    time.sleep(2.0)  # OpenGL draws by now
    ox, oy = desktop_origin()
    _, _, pixel = drag(ox + (left + right) // 2, oy + bottom - 2, 0, 160, os.path.join(work, "drag.xwd"))
    # The heading "Tagmoor" at the header's top left, where it was before the drag.
    dark = sum(max(pixel(ox + client_left + x, oy + client_top + y)) < 100 for x in range(12, 110) for y in range(8, 56))
    program.close("the OpenGL resize")
    if dark < 40:
        fail(f"OpenGL resize: the header left its place while the border was dragged ({dark} dark pixels)")
    print(f"app_under_wine: OpenGL keeps the frame at the top while the border is dragged ({dark} dark pixels)")


def windows_path_if_file(word):
    return windows_path(word) if os.path.isabs(word) else word


CASES = {"screenshot": screenshot, "open-dialog": open_dialog, "mail-client": mail_client, "print": print_to_queue,
         "first-size": first_size, "true-size": true_size, "resize-opengl": resize_opengl}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--app", required=True)
    parser.add_argument("--recorder", required=True)
    parser.add_argument("--place", required=True, help="the window-place helper")
    parser.add_argument("--backend", required=True, help="the raw-file CUPS backend")
    parser.add_argument("--cli", required=True, help="the console tool")
    parser.add_argument("cases", nargs="*", default=list(CASES))
    args = parser.parse_args()
    os.environ.update(LC_ALL="C.UTF-8", WINEDEBUG="-all")
    for case in args.cases:
        for attempt in (1, 2):
            with tempfile.TemporaryDirectory(prefix="app-wine-", dir=os.getcwd()) as work:
                try:
                    CASES[case](args, work)
                    break
                except Unanswered as lost:
                    if attempt == 2:
                        fail(str(lost))
                    print(f"app_under_wine: {case}: {lost}; the program is started again")


if __name__ == "__main__":
    main()
