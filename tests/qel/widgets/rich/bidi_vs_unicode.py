"""Differential test of the bidirectional algorithm against Unicode's own test data (Debian's
unicode-data): BidiCharacterTest.txt and BidiTest.txt, kept to paragraphs without explicit
embeddings, overrides, isolates or paragraph separators, and to code points whose class is the
same in the local data and in our tables. Levels (except where the data has none), visual order
and paragraph level must all agree."""
import os
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

UNICODE = "/usr/share/unicode"
CLASSES = ["L", "R", "AL", "EN", "ES", "ET", "AN", "CS", "NSM", "BN", "B", "S", "WS", "ON",
           "LRE", "LRO", "RLE", "RLO", "PDF", "LRI", "RLI", "FSI", "PDI"]
LONG_NAMES = ["Left_To_Right", "Right_To_Left", "Arabic_Letter", "European_Number", "European_Separator",
              "European_Terminator"]
OUT_OF_SCOPE = {CLASSES.index(c) for c in ["B", "LRE", "LRO", "RLE", "RLO", "PDF", "LRI", "RLI", "FSI", "PDI"]}
# One code point for each class that BidiTest names.
SAMPLE = {"L": 0x41, "R": 0x5D0, "AL": 0x627, "EN": 0x30, "ES": 0x2B, "ET": 0x23, "AN": 0x660, "CS": 0x2C,
          "NSM": 0x300, "BN": 0xAD, "S": 0x9, "WS": 0x20, "ON": 0x21}


def local_classes():
    """Every code point's class in the local DerivedBidiClass.txt, its defaults included."""
    classes = bytearray(0x110000)
    explicit = []
    with open(os.path.join(UNICODE, "extracted", "DerivedBidiClass.txt"), encoding="utf-8") as f:
        for line in f:
            missing = line.startswith("# @missing:")
            body = line[len("# @missing:"):] if missing else line.split("#")[0]
            if ";" not in body:
                continue
            span, name = (x.strip() for x in body.split(";"))
            first, _, last = span.partition("..")
            cls = LONG_NAMES.index(name) if name in LONG_NAMES else CLASSES.index(name)
            item = (int(first, 16), int(last or first, 16), cls)
            if missing:
                classes[item[0]:item[1] + 1] = bytes([item[2]]) * (item[1] - item[0] + 1)
            else:
                explicit.append(item)
    for first, last, cls in explicit:
        classes[first:last + 1] = bytes([cls]) * (last - first + 1)
    return classes


def our_classes(args):
    starts, values = [], []
    for line in oracle.run_tool(args, ["classes"]).decode().split("\n"):
        if line:
            first, cls = line.split()
            starts.append(int(first, 16))
            values.append(int(cls))
    classes = bytearray(0x110000)
    for i, first in enumerate(starts):
        last = starts[i + 1] if i + 1 < len(starts) else 0x110000
        classes[first:last] = bytes([values[i]]) * (last - first)
    return classes


def character_cases(ours, differs):
    """(direction, code points, paragraph level, levels, order) of BidiCharacterTest."""
    with open(os.path.join(UNICODE, "BidiCharacterTest.txt"), encoding="utf-8") as f:
        for line in f:
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.strip().split(";")
            cps = [int(x, 16) for x in fields[0].split()]
            if any(ours[cp] in OUT_OF_SCOPE or differs[cp] for cp in cps):
                continue
            direction = {"0": 0, "1": 1, "2": -1}[fields[1]]
            yield direction, cps, int(fields[2]), fields[3].split(), [int(x) for x in fields[4].split()]


def first_strong(names):
    for name in names:
        if name in ("L", "R", "AL"):
            return 0 if name == "L" else 1
    return 0


def class_cases():
    """The same from BidiTest, each class standing for one code point."""
    levels, order = [], []
    with open(os.path.join(UNICODE, "BidiTest.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("@Levels:"):
                levels = line.split(":")[1].split()
            elif line.startswith("@Reorder:"):
                order = [int(x) for x in line.split(":")[1].split()]
            elif line and not line.startswith("#") and not line.startswith("@"):
                names, bits = (x.strip() for x in line.split(";"))
                names = names.split()
                if any(name not in SAMPLE for name in names):
                    continue
                cps = [SAMPLE[name] for name in names]
                for bit, direction in ((1, -1), (2, 0), (4, 1)):
                    if int(bits) & bit:
                        paragraph = first_strong(names) if direction < 0 else direction
                        yield direction, cps, paragraph, levels, order


def compare(case, result):
    direction, cps, paragraph, levels, order = case
    got_paragraph, got_levels, got_order = result.split(";")
    got_levels, got_order = got_levels.split(), [int(x) for x in got_order.split()]
    kept = [i for i, level in enumerate(levels) if level != "x"]
    if int(got_paragraph) != paragraph:
        return f"paragraph level {got_paragraph}, expected {paragraph}"
    if [got_levels[i] for i in kept] != [levels[i] for i in kept]:
        return f"levels {got_levels}, expected {levels}"
    if [i for i in got_order if levels[i] != "x"] != order:
        return f"order {got_order}, expected {order}"
    return None


def main():
    args = oracle.arguments(__doc__)
    ours = our_classes(args)
    local = local_classes()
    differs = bytearray(a != b for a, b in zip(ours, local))
    ranges = sum(1 for cp in range(0x110000) if differs[cp] and (cp == 0 or not differs[cp - 1]))
    print(f"{sum(differs)} code points in {ranges} ranges differ in class from the local data; left out")
    cases = list(character_cases(ours, differs)) + list(class_cases())
    with tempfile.TemporaryDirectory(dir=".") as folder:
        with open(os.path.join(folder, "cases.txt"), "w", encoding="ascii") as f:
            for direction, cps, *_ in cases:
                f.write(f"{direction} {' '.join(f'{cp:x}' for cp in cps)}\n")
        code, out, err = oracle.run(args, ["cases.txt"], cwd=folder)
    if code != 0:
        sys.exit(f"bidi_tool failed ({code}): {err.decode(errors='replace')}")
    results = out.decode().split("\n")
    failures = []
    for case, result in zip(cases, results):
        problem = compare(case, result)
        if problem:
            failures.append(f"{case[0]} {' '.join(f'{cp:04X}' for cp in case[1])}: {problem}")
    if len(results) < len(cases):
        failures.append(f"{len(results)} results for {len(cases)} cases")
    oracle.finish(failures, len(cases))


if __name__ == "__main__":
    main()
