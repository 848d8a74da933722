"""Differential test of the emoji font's sequence mapping against hb-shape (Debian's
libharfbuzz-bin) on a colour-emoji font: for the fully-qualified sequences and the components of
emoji-test.txt (Debian's unicode-data), our answer must agree with "hb-shape gives one non-zero
glyph, glyphs of U+FE0F's own cluster aside" for at least --require percent of the sequences and
for every single code point. With --hidden N, exactly N catalogue entries must be ones the font
cannot draw."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

EMOJI_TEST = "/usr/share/unicode/emoji/emoji-test.txt"


def sequences():
    out = []
    with open(EMOJI_TEST, encoding="utf-8") as f:
        for line in f:
            if "; fully-qualified" in line or "; component" in line:
                out.append([int(cp, 16) for cp in line.split(";")[0].split()])
    return out


def harfbuzz_answer(font, codes):
    """One non-zero glyph once the glyphs of U+FE0F's own clusters are set aside."""
    text = "".join(chr(cp) for cp in codes)
    selector_clusters = {len(text[:i].encode("utf-8")) for i, cp in enumerate(codes) if cp == 0xFE0F}
    shaped = subprocess.run(["hb-shape", "--no-positions", "--no-glyph-names", "--cluster-level=2", font, text],
                            check=True, capture_output=True, text=True).stdout.strip().strip("[]")
    glyphs = [tuple(int(v) for v in item.split("=")) for item in shaped.split("|") if item]
    kept = [g for g, cluster in glyphs if cluster not in selector_clusters]
    return len(kept) == 1 and kept[0] != 0


def main():
    args = oracle.arguments(__doc__.splitlines()[0], "--font", "--require", "--hidden")
    cases = sequences()
    ours = oracle.run_tool_on_lines(args, [" ".join(f"{cp:X}" for cp in codes) for codes in cases],
                                    before=[args.font]).split()
    failures, singles = [], 0
    for codes, answer in zip(cases, ours):
        expected = harfbuzz_answer(args.font, codes)
        if (answer == "1") != expected:
            failures.append(f"{' '.join(f'{cp:04X}' for cp in codes)}: ours {answer}, hb-shape {int(expected)}")
            singles += len(codes) == 1
    agreed = 100.0 * (len(cases) - len(failures)) / len(cases)
    print(f"{len(cases)} sequences, {agreed:.2f} % agree, {singles} single code points differ")
    for failure in failures[:10]:
        print(failure)
    if len(ours) != len(cases) or singles or agreed < float(args.require):
        sys.exit("the emoji font's mapping disagrees with hb-shape")
    if args.hidden is not None:
        hidden = oracle.run_tool(args, [args.font, "--catalogue"]).decode().splitlines()
        if len(hidden) != int(args.hidden):
            sys.exit(f"{len(hidden)} catalogue entries are hidden, not {args.hidden}: {hidden}")


if __name__ == "__main__":
    main()
