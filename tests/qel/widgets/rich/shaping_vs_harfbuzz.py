"""Differential test of the shaper against hb-shape (Debian's libharfbuzz-bin) in font units:
seeded Arabic words with and without harakat, lam-alef, hamza compositions and ZWJ, and Latin
words with kerning pairs, one run each; or, with --long N, N Arabic words as one run. Glyph ids,
advances and offsets must agree for at least --require percent of the words."""
import bisect
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

LETTERS = [cp for cp in range(0x0621, 0x063B)] + [cp for cp in range(0x0641, 0x064B)]
HARAKAT = list(range(0x064B, 0x0653))
HAMZA_MARKS = [0x0653, 0x0654, 0x0655]
LAM_ALEFS = [[0x0644, 0x0627], [0x0644, 0x0623], [0x0644, 0x0625], [0x0644, 0x0622], [0x0644, 0x0627, 0x0654]]
ZWJ = 0x200D
LAM = 0x0644
ALEFS = [0x0622, 0x0623, 0x0625, 0x0627]
PRECOMPOSED = [0x0622, 0x0623, 0x0624, 0x0625, 0x0626]
LATIN = "AVTWYLPFKRoaeyvw.,-"


def arabic_word(rnd, stacked):
    """Letters, some with one mark. Unless stacked, two marks never meet on one base or one
    lam-alef (mark to mark follows mark to base here, where hb-shape applies both features'
    lookups in one index order); hamza marks follow only letters without a hamza or madda of
    their own (hb-shape decomposes those; we only compose)."""
    units = []
    for _ in range(rnd.randint(2, 7)):
        kind = rnd.random()
        unit = list(rnd.choice(LAM_ALEFS)) if kind < 0.12 else [rnd.choice(LETTERS)]
        if kind > 0.6:
            marks = HARAKAT if unit[-1] in PRECOMPOSED or len(unit) == 3 else HARAKAT + HAMZA_MARKS
            unit.append(rnd.choice(marks))
            if stacked:
                unit.append(rnd.choice(HARAKAT))
        if rnd.random() < 0.05:
            unit.append(ZWJ)
        units.append(unit)
    for unit, after in zip(units, units[1:] if not stacked else []):
        if unit[0] == LAM and len(unit) == 2 and unit[1] in HARAKAT + HAMZA_MARKS and after[0] in ALEFS:
            del unit[1]
    word = [cp for unit in units for cp in unit]
    if rnd.random() < 0.1:
        word.append(ZWJ)
    return word


def latin_word(rnd):
    return [ord(rnd.choice(LATIN)) for _ in range(rnd.randint(2, 8))]


def words(rnd, count, with_latin, stacked=False):
    out = []
    for i in range(count):
        if with_latin and i % 4 == 3:
            out.append(("latn", 0, latin_word(rnd)))
        else:
            out.append(("arab", 1, arabic_word(rnd, stacked)))
    return out


def ours(args, font, runs):
    with tempfile.TemporaryDirectory(dir=".") as folder:
        shutil.copy(font, os.path.join(folder, "font.ttf"))
        with open(os.path.join(folder, "runs.txt"), "w", encoding="ascii") as f:
            for script, rtl, cps in runs:
                f.write(f"{script} {rtl} 0 {' '.join(f'{cp:x}' for cp in cps)}\n")
        code, out, err = oracle.run(args, ["font.ttf", "runs.txt"], cwd=folder)
    if code != 0:
        sys.exit(f"shape_tool failed ({code}): {err.decode(errors='replace')}")
    results = []
    for line in out.decode().split("\n")[: len(runs)]:
        results.append(None if line == "-1" else [tuple(int(v) for v in g.split(",")) for g in line.split()])
    return results


def theirs(font, runs):
    """hb-shape's glyphs, as (glyph, cluster, advance, x offset, y offset), for each run."""
    results = []
    for script, rtl in sorted({(s, r) for s, r, _ in runs}):
        chosen = [i for i, run in enumerate(runs) if run[0] == script and run[1] == rtl]
        with tempfile.NamedTemporaryFile("w", encoding="utf-8", suffix=".txt", delete=False) as f:
            for i in chosen:
                f.write("".join(chr(cp) for cp in runs[i][2]) + "\n")
            name = f.name
        try:
            out = subprocess.run(["hb-shape", "--output-format=json", "--no-glyph-names", f"--script={script}",
                                  f"--direction={'rtl' if rtl else 'ltr'}", font, f"--text-file={name}"],
                                 check=True, capture_output=True, text=True).stdout.split("\n")
        finally:
            os.unlink(name)
        for i, line in zip(chosen, out):
            results.append((i, [(g["g"], g["cl"], g["ax"], g["dx"], g["dy"]) for g in json.loads(line)]))
    return [glyphs for _, glyphs in sorted(results)]


def without_clusters(glyphs):
    return [(g, ax, dx, dy) for g, _, ax, dx, dy in glyphs]


def by_word(glyphs, bounds):
    """Splits one run's glyphs into words by their clusters."""
    out = [[] for _ in bounds]
    starts = [start for start, _ in bounds]
    for glyph in glyphs:
        out[max(0, bisect.bisect_right(starts, glyph[1]) - 1)].append(glyph)
    return out


def long_run(rnd, count):
    cps, bounds = [], []
    for script, rtl, word in words(rnd, count, False):
        if cps:
            cps.append(0x20)
        bounds.append((len(cps), len(cps) + len(word)))
        cps += word
    return cps, bounds


def main():
    args = oracle.arguments(__doc__, "--font", "--require", "--long", "--stacked")
    rnd = random.Random(args.seed)
    required = float(args.require or 100)
    failures = []
    if args.long:
        cps, bounds = long_run(rnd, int(args.long))
        runs = [("arab", 1, cps)]
        mine, hb = ours(args, args.font, runs)[0], theirs(args.font, runs)[0]
        if mine is None:
            sys.exit(f"a run of {len(cps)} code points failed to shape")
        pairs = list(zip(by_word(mine, bounds), by_word(hb, bounds)))
        print(f"one run of {len(cps)} code points, {len(mine)} glyphs")
    else:
        runs = words(rnd, args.count, True, bool(args.stacked))
        pairs = list(zip(ours(args, args.font, runs), theirs(args.font, runs)))
    agree = 0
    for i, (a, b) in enumerate(pairs):
        if a is not None and without_clusters(a) == without_clusters(b):
            agree += 1
        else:
            failures.append(f"word {i}: ours {a}, hb-shape {b}")
    share = 100.0 * agree / len(pairs)
    print(f"{agree} of {len(pairs)} words agree ({share:.2f} %, {required} % required)")
    if share < required:
        oracle.finish(failures, len(pairs))


if __name__ == "__main__":
    main()
