"""Differential test of the terminal intake against pyte (Debian's python3-pyte), a wide screen
in new-line mode, on seeded streams of text, line feeds, CR LF, tabs, backspace followed by a
character, CR with erase-line, colour and mode sequences, title commands and clear-screen (fed
to pyte with a cursor home): the text of each held line must equal pyte's row, right-trimmed.
The same streams through a 64-byte ring in one-byte writes must hold only whole lines equal to
the large ring's, and colours 16 to 255 must equal pyte's 256-colour table. Exits with 77 (skipped) when pyte is not installed."""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

try:
    import pyte
except ImportError:
    print("pyte is not installed")
    sys.exit(77)

COLUMNS, ROWS = 400, 300
WORDS = ["ls", "build", "ok", "caf\u00e9", "\u2500\u2500", "\u2588\u2593", "[42%]", "x=1;", "--", "tea"]
COLOURS = ["\x1b[0m", "\x1b[1m", "\x1b[31m", "\x1b[1;32m", "\x1b[38;5;196m", "\x1b[48;2;10;20;30m",
           "\x1b[7m", "\x1b[m", "\x1b[2;4m", "\x1b[39;49m", "\x1b[38;5;244m"]
MODES = ["\x1b[?25l", "\x1b[?25h", "\x1b[?7h"]
TITLES = ["\x1b]0;build log\x07", "\x1b]2;title\x1b\\"]


def stream(rng):
    """Our stream and pyte's (the same but for a cursor home after each clear-screen)."""
    ours, theirs = [], []
    plain = True  # the current line holds only single-byte characters and no sequences
    length = 0
    for _ in range(rng.randint(1, 120)):
        roll = rng.random()
        if roll < 0.35:
            piece = rng.choice(WORDS) + rng.choice(["", " "])
            if length + len(piece) > 200:
                piece = "\n"
            plain = plain and piece.isascii()
        elif roll < 0.5:
            piece = rng.choice(["\n", "\r\n"])
        elif roll < 0.57:
            piece = "\t"
        elif roll < 0.64 and plain and length > 0:
            piece = "\b" + rng.choice("abz")
        elif roll < 0.7:
            piece = "\r\x1b[K"
        elif roll < 0.82:
            piece = rng.choice(COLOURS)
            plain = False
        elif roll < 0.87:
            piece = rng.choice(MODES)
        elif roll < 0.93:
            piece = rng.choice(TITLES)
        elif roll < 0.96:
            ours.append("\x1b[2J")
            theirs.append("\x1b[2J\x1b[H")
            plain, length = True, 0
            continue
        else:
            piece = "\n"
        if piece in ("\n", "\r\n") or piece == "\r\x1b[K":
            plain, length = True, 0
        else:
            length += len(piece) + 8
        ours.append(piece)
        theirs.append(piece)
    return "".join(ours), "".join(theirs)


def held_line(printed):
    """A line of the tool's: its stored length and its text."""
    stored, _, text = printed.partition(" ")
    return int(stored), bytes.fromhex(text).decode(errors="replace")


def pyte_rows(text):
    screen = pyte.Screen(COLUMNS, ROWS)
    screen.set_mode(pyte.modes.LNM)
    pyte.Stream(screen).feed(text)
    return [row.rstrip() for row in screen.display]


def colour_failures(args):
    ours = oracle.run_tool(args, ["colours"]).decode().split()
    theirs = [(c if isinstance(c, str) else "%02x%02x%02x" % tuple(c)).lower() for c in pyte.graphics.FG_BG_256]
    return [f"colour {n}: {ours[n]} against {theirs[n]}" for n in range(16, 256) if ours[n] != theirs[n]]


def main():
    args = oracle.arguments(__doc__)
    rng = random.Random(args.seed)
    cases = [stream(rng) for _ in range(args.count)]
    out = oracle.run_tool_on_lines(args, [ours.encode().hex() for ours, _ in cases]).split("\n")
    failures, pos = colour_failures(args), 0
    for number, (ours, theirs) in enumerate(cases):
        big, small = [], []
        while out[pos] != "--":
            big.append(held_line(out[pos]))
            pos += 1
        pos += 1
        while out[pos] != "==":
            small.append(held_line(out[pos]))
            pos += 1
        pos += 1
        rows = pyte_rows(theirs)
        got = [text.rstrip() for _, text in big]
        expected = rows[:len(got)]
        if got != expected or any(rows[len(got):]):
            failures.append(f"stream {number} {ours!r}: {got[:4]} against {rows[:4]}")
            continue
        tail = big[len(big) - len(small):]
        for (_, mine), (stored, whole) in zip(small, tail):
            if mine != whole and stored <= 64:
                failures.append(f"stream {number}: the small ring holds {mine!r} for {whole!r}")
                break
    oracle.finish(failures, args.count)


if __name__ == "__main__":
    main()
