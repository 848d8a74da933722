"""Differential test of the lookup engine against hb-shape (Debian's libharfbuzz-bin) on the small
fonts of tests/data/qel/shaping, one per kind of lookup (tools/make_shaping_fonts.py builds
them): glyph ids, advances and offsets must agree for every run. Fonts without GPOS get no
marks, which hb-shape would place by their outlines."""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402
import shaping_vs_harfbuzz as shaping  # noqa: E402

FONTS = os.path.join(os.path.dirname(__file__), "..", "..", "..", "data", "qel", "shaping")
GRAVE, ACUTE, DOT = "\u0300", "\u0301", "\u0323"
ALEF, LAM, BEH, HAMZA = "\u0627", "\u0644", "\u0628", "\u0654"

LATIN = {
    "single": ["abcghiz", "hgfedcba", "iiaa"],
    "multiple": ["abe", "xax", "aeaeax", "eeee"],
    "alternate": ["aaa", "bab"],
    "ligature": ["fi", "ffi", "f" + ACUTE + "i", "f" + ACUTE + "f" + GRAVE + "i", "fi" + ACUTE, "ff" + ACUTE + "i",
                 "fif", "f" + GRAVE + ACUTE + "i"],
    "context": ["ab", "ac", "ade", "ba", "bab", "fi", "fl", "if", "ll", "lll", "npr", "oqs", "tabc", "uab", "abv",
                "ttab", "lfil", "ffi", "kf", "lif", "wynpr", "xzoqs", "lgjl", "mhkm", "abcde", "zoqs"],
    "extension": ["abcd", "fi", "ab", "bc", "bd", "afib"],
    "gpos_single": ["abcdef", "fed"],
    "pair": ["aaa", "ab", "ba", "cd", "cdcd", "fi", "gj", "ff", "if", "hkf", "abab", "cdab", "ifkg"],
    "mark": ["a" + ACUTE, "b" + DOT, "a" + ACUTE + GRAVE, "d" + ACUTE, "f" + ACUTE + "i", "fi" + ACUTE,
             "fi" + DOT, "c" + DOT + ACUTE, "e" + GRAVE + ACUTE + GRAVE, "ab" + DOT + "c" + ACUTE],
}
ARABIC = {
    "arabic": [LAM + ALEF, BEH + LAM + ALEF, BEH + LAM + BEH, BEH + BEH, LAM + LAM + LAM, ALEF + HAMZA,
               BEH + ALEF + HAMZA + LAM, LAM + "\u200d", BEH + " " + LAM + ALEF,
               # marks placed right to left, on letters and on both parts of a lam-alef
               BEH + ACUTE + LAM + DOT + ALEF + GRAVE, LAM + ACUTE + ALEF, LAM + ALEF + DOT, BEH + GRAVE + ACUTE,
               ALEF + DOT + ACUTE],
}


def runs_of(font):
    runs = [("latn", 0, [ord(c) for c in text]) for text in LATIN.get(font, [])]
    return runs + [("arab", 1, [ord(c) for c in text]) for text in ARABIC.get(font, [])]


def main():
    args = oracle.arguments(__doc__)
    failures, checked = [], 0
    for font in list(LATIN) + list(ARABIC):
        path = os.path.join(FONTS, f"{font}.ttf")
        runs = runs_of(font)
        for run, a, b in zip(runs, shaping.ours(args, path, runs), shaping.theirs(path, runs)):
            checked += 1
            if a is None or shaping.without_clusters(a) != shaping.without_clusters(b):
                text = "".join(chr(cp) for cp in run[2])
                failures.append(f"{font} {run[0]} {'rtl' if run[1] else 'ltr'} {text!r}: ours {a}, hb-shape {b}")
    oracle.finish(failures, checked)


if __name__ == "__main__":
    main()
