#!/usr/bin/python3
"""Builds the small colour-emoji fonts that the emoji tests draw, with fontTools.

Run with Debian's python (python3-fonttools) from the repository root:
    /usr/bin/python3 tools/make_emoji_fonts.py
It rewrites tests/data/qel/emoji/*.ttf:
  colr.ttf      COLR/CPAL outlines: U+2764 and its U+FE0F ligature, U+2B50 (no ligature with
                U+FE0F), U+1F468 U+200D U+1F469 as one ligature; each a red square under a
                half-transparent blue disc.
  colr_flat.ttf the same font with ascender and descender 0.
  colr_zero.ttf the same font whose U+1F468 U+200D U+1F469 ligature has 0 components.
  colr_loop.ttf the same font whose GSUB lists 30,000 lookups, all but the last one lookup of
                1,000 ligatures for U+1F468 that never match (the ligature offsets repeat), the
                last the U+1F468 U+200D U+1F469 ligature: far past any sensible walk.
  cbdt.ttf      one 128 ppem CBDT strike: U+1F352 a 128 x 128 PNG (format 17) of four quarters,
                opaque red, blue at half alpha, clear, opaque white; U+1F353 the same picture
                as format 19.
  sbix.ttf      one 256 ppem sbix strike: U+1F34E a 256 x 256 PNG of 2-pixel red squares on
                transparency, U+1F34F a dupe of it, U+1F350 a PNG that declares 16384 x 16384.
"""
import math
import os
import struct
import zlib

from fontTools.feaLib.builder import addOpenTypeFeaturesFromString
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables import sbixGlyph, sbixStrike
from fontTools.ttLib.tables.DefaultTable import DefaultTable
from fontTools.ttLib.tables._s_b_i_x import table__s_b_i_x

OUT = os.path.join("tests", "data", "qel", "emoji")
UPEM, ASCENT, DESCENT = 1000, 950, -50


def square_glyph():
    pen = TTGlyphPen(None)
    pen.moveTo((100, 0))
    pen.lineTo((100, 800))
    pen.lineTo((900, 800))
    pen.lineTo((900, 0))
    pen.closePath()
    return pen.glyph()


def disc_glyph():
    pen = TTGlyphPen(None)
    cx, cy, r, n = 500, 400, 250, 72
    pen.moveTo((cx + r, cy))
    for i in range(n - 1, 0, -1):  # clockwise, as TrueType fills
        a = 2 * math.pi * i / n
        pen.lineTo((round(cx + r * math.cos(a)), round(cy + r * math.sin(a))))
    pen.closePath()
    return pen.glyph()


def empty_glyph():
    return TTGlyphPen(None).glyph()


def base_font(names, cmap, glyphs, ascent=ASCENT, descent=DESCENT):
    fb = FontBuilder(UPEM, isTTF=True)
    fb.setupHead(unitsPerEm=UPEM, created=0, modified=0)
    fb.font.recalcTimestamp = False  # byte-identical run to run
    fb.setupGlyphOrder(names)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({n: (UPEM, 0) for n in names})
    fb.setupHorizontalHeader(ascent=ascent, descent=descent)
    fb.setupOS2(sTypoAscender=ascent, sTypoDescender=descent, usWinAscent=max(ascent, 0),
                usWinDescent=max(-descent, 0))
    fb.setupNameTable({"familyName": "Emoji Test", "styleName": "Regular"})
    fb.setupPost()
    return fb


COLR_NAMES = [".notdef", "square", "disc", "heart", "vs16", "heart_vs", "star", "man", "zwj", "woman", "family"]
COLR_CMAP = {0x2764: "heart", 0xFE0F: "vs16", 0x2B50: "star", 0x1F468: "man", 0x200D: "zwj", 0x1F469: "woman"}
COLR_FEATURES = """
feature ccmp {
    sub heart vs16 by heart_vs;
    sub man zwj woman by family;
} ccmp;
"""


def colr_font(ascent=ASCENT, descent=DESCENT):
    glyphs = {n: empty_glyph() for n in COLR_NAMES}
    glyphs["square"], glyphs["disc"] = square_glyph(), disc_glyph()
    for name in ("heart", "heart_vs", "star", "man", "woman", "family"):
        glyphs[name] = square_glyph()
    fb = base_font(COLR_NAMES, COLR_CMAP, glyphs, ascent, descent)
    layers = [("square", 0), ("disc", 1)]
    fb.setupCOLR({name: layers for name in ("heart", "heart_vs", "star", "man", "woman", "family")})
    fb.setupCPAL([[(1.0, 0.0, 0.0, 1.0), (0.0, 0.0, 1.0, 128 / 255)]])
    addOpenTypeFeaturesFromString(fb.font, COLR_FEATURES)
    return fb.font


def zero_component_ligature(path, font):
    """Rewrites the family ligature's component count to 0 in the saved file (checksums aside)."""
    data = bytearray(open(path, "rb").read())
    # A ligature record is LigGlyph, CompCount, components: family, 3, zwj, woman.
    record = struct.pack(">HHHH", font.getGlyphID("family"), 3, font.getGlyphID("zwj"), font.getGlyphID("woman"))
    at = data.find(record)
    assert at > 0 and data.find(record, at + 1) < 0
    data[at + 2:at + 4] = b"\0\0"
    with open(path, "wb") as f:
        f.write(data)


def looping_gsub(font, lookups=30000, ligatures=1000):
    """Raw GSUB: a lookup list of many offsets to one lookup that never matches, then one that does."""
    man, zwj, woman, family = (font.getGlyphID(n) for n in ("man", "zwj", "woman", "family"))

    def lookup(components):
        # Lookup (type 4, one subtable at 8); subtable at 8: format 1, coverage at 8, one set at 14;
        # coverage of man; the set: its ligatures all at one offset; the ligature.
        coverage = struct.pack(">HHH", 1, 1, man)
        ligature_at = 2 + 2 * ligatures
        ligature_set = struct.pack(">H", ligatures) + struct.pack(">H", ligature_at) * ligatures
        ligature = struct.pack(">HH", family, 3) + struct.pack(">HH", *components)
        subtable = struct.pack(">HHHH", 1, 8, 1, 8 + len(coverage)) + coverage + ligature_set + ligature
        return struct.pack(">HHHH", 4, 0, 1, 8) + subtable

    never, match = lookup((zwj, man)), lookup((zwj, woman))
    list_size = 2 + 2 * lookups
    offsets = [list_size] * (lookups - 1) + [list_size + len(never)]
    lookup_list = struct.pack(">H", lookups) + b"".join(struct.pack(">H", o) for o in offsets) + never + match
    return struct.pack(">IHHH", 0x00010000, 0, 0, 10) + lookup_list


def replace_table(path, tag, data):
    """Rewrites one table of a saved font in place at the file's end (checksums aside)."""
    raw = bytearray(open(path, "rb").read())
    count = struct.unpack(">H", raw[4:6])[0]
    for i in range(count):
        record = 12 + 16 * i
        if raw[record:record + 4] == tag:
            raw += b"\0" * (-len(raw) % 4)
            raw[record + 8:record + 16] = struct.pack(">II", len(raw), len(data))
            raw += data
    with open(path, "wb") as f:
        f.write(raw)


def png(width, height, pixel):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def checker(x, y):
    return (255, 0, 0, 255) if (x // 2 + y // 2) % 2 == 0 else (0, 0, 0, 0)


def huge_png():
    """A valid signature and header declaring 16384 x 16384, with no picture behind it."""
    header = struct.pack(">IIBBBBB", 16384, 16384, 8, 6, 0, 0, 0)
    body = b"IHDR" + header
    return (b"\x89PNG\r\n\x1a\n" + struct.pack(">I", len(header)) + body + struct.pack(">I", zlib.crc32(body))
            + struct.pack(">I", 0) + b"IEND" + struct.pack(">I", zlib.crc32(b"IEND")))


def quarters(x, y):
    return [(255, 0, 0, 255), (0, 0, 255, 128), (0, 0, 0, 0), (255, 255, 255, 255)][(y >= 64) * 2 + (x >= 64)]


def cbdt_tables(first, last, picture):
    """CBLC and CBDT bytes for one 128 ppem strike: glyph first as format 17, the next as 19."""
    records = [struct.pack(">BBbbB", 128, 128, 0, 100, 128) + struct.pack(">I", len(picture)) + picture,
               struct.pack(">I", len(picture)) + picture]
    cbdt = struct.pack(">I", 0x00030000)
    offsets, at = [], 0
    for record in records:
        offsets.append(at)
        at += len(record)
    offsets.append(at)
    cbdt += b"".join(records)
    # One index subtable per image format, both of index format 1 (32-bit offsets).
    subtables = [struct.pack(">HHI", 1, 17, 4) + struct.pack(">II", offsets[0], offsets[1]),
                 struct.pack(">HHI", 1, 19, 4 + offsets[1]) + struct.pack(">II", 0, offsets[2] - offsets[1])]
    array = struct.pack(">HHI", first, first, 16) + struct.pack(">HHI", last, last, 16 + len(subtables[0]))
    tables = array + b"".join(subtables)
    line = struct.pack(">bbBbbbbbbbbb", 100, -28, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0)
    size = (struct.pack(">IIII", 8 + 48, len(tables), 2, 0) + line + line
            + struct.pack(">HHBBBB", first, last, 128, 128, 32, 1))
    return struct.pack(">II", 0x00030000, 1) + size + tables, cbdt


def cbdt_font():
    names = [".notdef", "cherries", "strawberry"]
    fb = base_font(names, {0x1F352: "cherries", 0x1F353: "strawberry"}, {n: empty_glyph() for n in names})
    font = fb.font
    cblc, cbdt = cbdt_tables(1, 2, png(128, 128, quarters))
    for tag, data in (("CBLC", cblc), ("CBDT", cbdt)):
        table = DefaultTable(tag)
        table.data = data
        font[tag] = table
    return font


def sbix_font():
    names = [".notdef", "apple", "pear", "huge"]
    fb = base_font(names, {0x1F34E: "apple", 0x1F34F: "pear", 0x1F350: "huge"}, {n: empty_glyph() for n in names})
    font = fb.font
    strike = sbixStrike.Strike(ppem=256, resolution=72)
    strike.glyphs["apple"] = sbixGlyph.Glyph(glyphName="apple", graphicType="png ", imageData=png(256, 256, checker))
    strike.glyphs["pear"] = sbixGlyph.Glyph(glyphName="pear", graphicType="dupe",
                                            imageData=struct.pack(">H", font.getGlyphID("apple")))
    strike.glyphs["huge"] = sbixGlyph.Glyph(glyphName="huge", graphicType="png ", imageData=huge_png())
    table = table__s_b_i_x()
    table.strikes[256] = strike
    font["sbix"] = table
    return font


def main():
    os.makedirs(OUT, exist_ok=True)
    colr_font().save(os.path.join(OUT, "colr.ttf"))
    colr_font(0, 0).save(os.path.join(OUT, "colr_flat.ttf"))
    zero, path = colr_font(), os.path.join(OUT, "colr_zero.ttf")
    zero.save(path)
    zero_component_ligature(path, zero)
    loop, path = colr_font(), os.path.join(OUT, "colr_loop.ttf")
    loop.save(path)
    replace_table(path, b"GSUB", looping_gsub(loop))
    cbdt_font().save(os.path.join(OUT, "cbdt.ttf"))
    sbix_font().save(os.path.join(OUT, "sbix.ttf"))


if __name__ == "__main__":
    main()
