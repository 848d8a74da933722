#!/usr/bin/python3
"""Builds the toolkit's five embedded fonts from pinned npm font packages.

Run with Debian's python (python3-fonttools, python3-brotli) from the repository root:
    /usr/bin/python3 tools/make_fonts.py
It packs the packages with npm, checks every source file's SHA-256, subsets the fonts, compresses
them as raw DEFLATE and rewrites qel/src/text/embedded_fonts_data.cpp, the header of named icons
qel/include/qel/icons.h and the licence texts in qel/fonts/. The output is byte-identical run to
run with the same package and tool versions.
"""
import argparse
import hashlib
import io
import json
import os
import subprocess
import sys
import tarfile
import tempfile
import zlib

import brotli
import fontTools
from fontTools import subset
from fontTools.ttLib import TTFont

PACKAGES = {
    "inter-ui@4.1.1": {
        "package/web/Inter-Regular.woff2": "e06f6b1bc553aaea4e4668023ed0ab0a147129c3107f511bc7d03d361b0ae085",
        "package/web/Inter-Medium.woff2": "0ff3e94614e1493eb556314fd247ae6c4a85a7783b4cc86be539940cf83f2a48",
        "package/LICENSE.txt": None,
    },
    "geist@1.2.0": {
        "package/dist/fonts/geist-sans/Geist-Medium.woff2": "07e38ae4662b862ba270526394f1c8d6ce4d2da49fd4921e7f6c339691e9dc02",
        "package/LICENSE.TXT": None,
    },
    "geist@1.9.2": {
        "package/dist/fonts/geist-mono/GeistMono-Regular.ttf": "686914333e77a620c85b35481064788deb33fc25f69901bdbf296c1bbc26a7fe",
        "package/LICENSE.txt": None,
    },
    "lucide-static@1.87.0": {
        "package/font/lucide.ttf": "d10c0ec2b534d2541e558620f3221daf0fcba0bc4e10202fe22b0dc41ac59f72",
        "package/font/codepoints.json": "01b55b259b703803b25a3e4f74939a9fcc807426d466fb3787b0378c130984b6",
        "package/LICENSE": None,
    },
}

LICENCES = [
    ("inter-ui@4.1.1", "package/LICENSE.txt", "inter.txt"),
    ("geist@1.2.0", "package/LICENSE.TXT", "geist-sans.txt"),
    ("geist@1.9.2", "package/LICENSE.txt", "geist-mono.txt"),
    ("lucide-static@1.87.0", "package/LICENSE", "lucide.txt"),
]


def code_points(ranges):
    """'0020-007E 2013' -> set of ints."""
    out = set()
    for item in ranges.split():
        lo, _, hi = item.partition("-")
        out.update(range(int(lo, 16), int(hi or lo, 16) + 1))
    return out


# Every non-ASCII character of the interface texts is here.
TEXT = code_points("""
    0020-007E 00A0-017F
    2013 2014 2018 2019 201A 201C-201E 2020-2022 2026 2030 2032 2033 2039 203A 2044 20AC 2122
    2190-2194 21B5 21C4 21E7 2212 221E 2248 2260 2264 2265 2318 2325 232B 25B2 25BC 2713""")
# Code is ASCII; the mono font also shows Latin-1 data and a few symbols.
MONO = {c for c in TEXT if c <= 0xFF or 0x2000 <= c <= 0x2212}

# The icons the widgets use, then common interface icons up to 168 in all.
WIDGET_ICONS = """
    activity archive arrow-down arrow-left arrow-right arrow-up arrow-up-right calendar camera check
    chevron-down chevron-left chevron-right chevron-up chevrons-left chevrons-right circle circle-alert
    clock code copy database download ellipsis eye eye-off file file-text folder funnel grip-vertical
    heart house image info lock lock-open maximize-2 message-square minus monitor moon music pause play
    plus refresh-cw rotate-ccw search share-2 skip-back skip-forward sun terminal thumbs-down thumbs-up
    trash-2 trending-down trending-up triangle-alert upload video x zap pencil chevrons-up-down
    circle-check folder-open keyboard check-check dot notebook-pen""".split()
MORE_ICONS = """
    at-sign bell bell-off bold book-open bookmark box briefcase camera-off chevrons-down chevrons-up
    circle-check-big circle-minus circle-plus circle-help circle-x clipboard clipboard-list
    clipboard-check cloud-download cloud-upload columns-2 command corner-down-left credit-card crop
    delete dollar-sign ellipsis-vertical external-link file-check file-code file-minus file-plus
    file-search file-x files file-spreadsheet flag folder-minus folder-plus folder-search globe
    grip-horizontal hash inbox italic key layout-grid link list list-checks list-ordered loader-circle
    log-in log-out mail map-pin maximize menu minimize minimize-2 move package panel-left percent
    printer redo refresh-ccw rotate-cw save scissors send settings share shopping-cart
    sliders-horizontal square square-check-big square-pen star table tag text-align-start undo user
    users wrench zoom-in zoom-out history receipt store calculator qr-code scan-line""".split()
ICON_COUNT = 168

# role, package, file, code points (None: the icon set), keep kerning
FONTS = [
    ("body", "inter-ui@4.1.1", "package/web/Inter-Regular.woff2", TEXT, True),
    ("medium", "inter-ui@4.1.1", "package/web/Inter-Medium.woff2", TEXT, True),
    ("heading", "geist@1.2.0", "package/dist/fonts/geist-sans/Geist-Medium.woff2", TEXT, True),
    ("mono", "geist@1.9.2", "package/dist/fonts/geist-mono/GeistMono-Regular.ttf", MONO, False),
    ("icon", "lucide-static@1.87.0", "package/font/lucide.ttf", None, False),
]


def fetch(cache):
    """Packs each package into cache (once) and returns {package: {member: bytes}}, checked."""
    files = {}
    for package, members in PACKAGES.items():
        name, version = package.rsplit("@", 1)
        tarball = os.path.join(cache, f"{name}-{version}.tgz")
        if not os.path.exists(tarball):
            subprocess.run(["npm", "pack", "--silent", package], cwd=cache, check=True, stdout=subprocess.DEVNULL)
        with tarfile.open(tarball) as tar:
            got = {}
            for member, digest in members.items():
                data = tar.extractfile(member).read()
                if digest and hashlib.sha256(data).hexdigest() != digest:
                    sys.exit(f"make_fonts: {package} {member} does not match its pinned SHA-256")
                got[member] = data
        files[package] = got
    return files


def icon_code_points(files):
    """{icon name: code point} of the icon set."""
    names = json.loads(files["lucide-static@1.87.0"]["package/font/codepoints.json"])
    wanted = WIDGET_ICONS + MORE_ICONS
    missing = [n for n in wanted if n not in names]
    if missing or len(set(names[n] for n in wanted)) != ICON_COUNT:
        sys.exit(f"make_fonts: icon list is not {ICON_COUNT} distinct known icons (missing: {missing})")
    return {n: names[n] for n in wanted}


def icons_header(icons):
    """The C header naming every icon by its UTF-8 text."""
    lines = [
        "// Generated by tools/make_fonts.py; do not edit. The icons of the embedded icon font by name,",
        "// each the UTF-8 text of its private-use code point, drawn in the icon font role like any text.",
        "#pragma once",
        "",
    ]
    for name in sorted(icons):
        text = "".join(f"\\x{b:02X}" for b in chr(icons[name]).encode("utf-8"))
        lines.append(f'#define QEL_ICON_{name.upper().replace("-", "_")} "{text}"  // U+{icons[name]:04X}')
    return "\n".join(lines) + "\n"


def unwrap_extensions(font):
    """The rasteriser reads only plain pair-positioning lookups; lift them out of extensions."""
    if "GPOS" not in font:
        return
    for lookup in font["GPOS"].table.LookupList.Lookup:
        if lookup.LookupType == 9:
            lookup.LookupType = lookup.SubTable[0].ExtensionLookupType
            lookup.SubTable = [ext.ExtSubTable for ext in lookup.SubTable]
            lookup.SubTableCount = len(lookup.SubTable)


def build(data, unicodes, kerning):
    font = TTFont(io.BytesIO(data), recalcTimestamp=False)
    options = subset.Options()
    options.layout_features = ["kern"] if kerning else []
    options.drop_tables += ["GSUB", "GDEF", "meta", "gasp"] + ([] if kerning else ["GPOS"])
    options.hinting = False
    options.glyph_names = False
    options.notdef_outline = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=unicodes)
    subsetter.subset(font)
    unwrap_extensions(font)
    font.flavor = None
    out = io.BytesIO()
    font.save(out, reorderTables=True)
    sfnt = out.getvalue()
    check = TTFont(io.BytesIO(sfnt))
    if "GPOS" in check and any(l.LookupType == 9 for l in check["GPOS"].table.LookupList.Lookup):
        sys.exit("make_fonts: an extension lookup came back on saving")
    return sfnt, set(check.getBestCmap()), check["maxp"].numGlyphs


def deflate(data):
    packer = zlib.compressobj(9, zlib.DEFLATED, -15, 9)
    stream = packer.compress(data) + packer.flush()
    if zlib.decompress(stream, -15) != data:
        sys.exit("make_fonts: raw DEFLATE round trip failed")
    return stream


def record(stream, inflated):
    """Stream, zero padding to 4 bytes, then the u32 compressed and inflated lengths (LE)."""
    pad = b"\0" * (-len(stream) % 4)
    return stream + pad + len(stream).to_bytes(4, "little") + inflated.to_bytes(4, "little")


def c_array(name, data):
    lines = [f"alignas(4) const uint8_t {name}[{len(data)}] = {{"]
    for i in range(0, len(data), 24):
        lines.append("    " + ",".join(str(b) for b in data[i:i + 24]) + ",")
    lines.append("};")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cache", help="folder for the package tarballs (default: a temporary one)")
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    with tempfile.TemporaryDirectory() as tmp:
        cache = args.cache or tmp
        os.makedirs(cache, exist_ok=True)
        files = fetch(cache)
    icons = icon_code_points(files)

    npm = subprocess.run(["npm", "--version"], capture_output=True, text=True, check=True).stdout.strip()
    header = [
        "// Generated by tools/make_fonts.py; do not edit. The five embedded fonts as raw DEFLATE",
        "// records: stream, zero padding to 4 bytes, u32 compressed and u32 inflated length (LE).",
        f"// Tools: python {sys.version.split()[0]}, fontTools {fontTools.version}, brotli {brotli.__version__},",
        f"// zlib {zlib.ZLIB_RUNTIME_VERSION} (level 9, window 15), npm {npm}.",
        "// Licences: qel/fonts/.",
    ]
    arrays, names = [], []
    for role, package, member, wanted, kerning in FONTS:
        unicodes = set(icons.values()) if wanted is None else wanted
        sfnt, covered, glyphs = build(files[package][member], unicodes, kerning)
        lost = sorted(unicodes - covered)
        stream = deflate(sfnt)
        header.append(f"// {role}: {package} {member.removeprefix('package/')} sha256 {PACKAGES[package][member][:16]}..., "
                      f"{len(covered)} code points, {glyphs} glyphs, {len(sfnt)} bytes, {len(stream)} compressed")
        if lost:
            header.append("//   not in the source: " + " ".join(f"U+{c:04X}" for c in lost))
        names.append(f"qel_font_record_{role}")
        arrays.append(c_array(names[-1], record(stream, len(sfnt))))
        print(f"{role}: {len(sfnt)} -> {len(stream)} bytes, {glyphs} glyphs, {len(lost)} code points missing", file=sys.stderr)

    body = "\n".join(header) + '\n#include "text/embedded_fonts.h"\n\nnamespace {\n\n' + "\n\n".join(arrays) + "\n\n}  // namespace\n\n"
    body += "const qel_font_record qel_embedded_font_records[QEL_EMBEDDED_FONT_COUNT] = {\n"
    body += "".join(f"    {{{n}, sizeof {n}}},\n" for n in names) + "};\n"
    with open(os.path.join(root, "qel/src/text/embedded_fonts_data.cpp"), "w") as f:
        f.write(body)
    with open(os.path.join(root, "qel/include/qel/icons.h"), "w") as f:
        f.write(icons_header(icons))
    for package, member, target in LICENCES:
        with open(os.path.join(root, "qel/fonts", target), "wb") as f:
            f.write(files[package][member])


if __name__ == "__main__":
    main()
