#!/usr/bin/python3
"""Builds the small fonts that the shaper's tests run: one per kind of lookup, from feature files
through feaLib, and a few whose lookups call themselves or loop.

Run with Debian's python (python3-fonttools) from the repository root:
    /usr/bin/python3 tools/make_shaping_fonts.py
It rewrites tests/data/qel/shaping/*.ttf; the output is byte-identical run to run with the same
fontTools version. Every font maps a to z, space, three combining marks (U+0300, U+0301,
U+0323) and the Arabic letters alef, lam and beh (the Arabic font also alef with hamza, U+0623),
and holds unmapped glyphs that lookups make.
"""
import os
import sys

from fontTools.feaLib.builder import addOpenTypeFeaturesFromString
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables import otTables as ot

LETTERS = [chr(c) for c in range(ord("a"), ord("z") + 1)]
MARKS = {"gravecomb": 0x0300, "acutecomb": 0x0301, "dotbelowcomb": 0x0323}
ARABIC = {"alef": 0x0627, "lam": 0x0644, "beh": 0x0628, "alefHamza": 0x0623}
FORMS = ["lam.init", "lam.medi", "lam.fina", "alef.fina", "beh.init", "beh.medi", "beh.fina", "lam_alef"]
EXTRA = ["f_i", "f_f_i", "a.alt1", "a.alt2", "x.ctx", "y.ctx", "z.ctx"] + [f"step{i}" for i in range(1, 21)]
GLYPHS = [".notdef", "space"] + LETTERS + list(MARKS) + list(ARABIC) + FORMS + EXTRA

HEADER = """
languagesystem DFLT dflt;
languagesystem latn dflt;
languagesystem arab dflt;
@marks = [gravecomb acutecomb dotbelowcomb];
table GDEF {
    GlyphClassDef [a b c d e f g h i j k l m n o p q r s t u v w x y z alef lam beh alefHamza
        lam.init lam.medi lam.fina alef.fina beh.init beh.medi beh.fina], [f_i f_f_i lam_alef], @marks, ;
} GDEF;
"""

SINGLE = """
lookup FORMAT1 { sub [a b c] by [d e f]; } FORMAT1;
lookup FORMAT2 { sub g by x; sub h by a; sub i by q; } FORMAT2;
feature ccmp { lookup FORMAT1; lookup FORMAT2; } ccmp;
"""

MULTIPLE = """
feature ccmp { sub a by b c d; sub e by f f; sub x by NULL; } ccmp;
"""

ALTERNATE = """
feature ccmp { sub a from [a.alt1 a.alt2]; } ccmp;
"""

# Ligatures step over marks; mark to ligature attaches by component, so where a mark sat shows.
LIGATURE = """
lookup LIGATURES { lookupflag IgnoreMarks; sub f f i by f_f_i; sub f i by f_i; } LIGATURES;
feature liga { lookup LIGATURES; } liga;
markClass [gravecomb acutecomb] <anchor 0 500> @TOP;
feature mark {
    pos ligature f_i <anchor 150 700> mark @TOP ligComponent <anchor 450 720> mark @TOP;
    pos ligature f_f_i <anchor 100 700> mark @TOP ligComponent <anchor 300 710> mark @TOP
        ligComponent <anchor 500 720> mark @TOP;
} mark;
"""

# Contexts with nested lookups, with and without backtrack and lookahead: rule sets by glyph
# (format 1), by class (format 2) and single rules by coverage (format 3).
CONTEXT = """
lookup TO_X { sub [a b c d e] by x.ctx; } TO_X;
lookup TO_Y { sub [a b c d e] by y.ctx; } TO_Y;
lookup TO_Z { sub [a b c d e] by z.ctx; } TO_Z;
lookup TWO { sub [a b c d e] by [b c d e a]; } TWO;
lookup GLYPHS {
    sub a' lookup TO_X b' lookup TO_Y;
    sub a' lookup TO_Z c';
    sub a' lookup TO_Y d' lookup TWO e' lookup TO_X;
    sub b' lookup TO_Z a';
} GLYPHS;
@ONE = [f g h];
@TWO = [i j k];
@THREE = [l m];
lookup CLASSES {
    sub @ONE' lookup TO_X @TWO' lookup TO_Y;
    sub @ONE' lookup TO_Z @THREE';
    sub @TWO' lookup TO_Y @ONE' lookup TO_X;
    sub @THREE' @THREE' lookup TO_Z;
} CLASSES;
lookup COVERAGE { sub [n o]' lookup TO_X [p q]' [r s]' lookup TO_Y; } COVERAGE;
lookup CHAIN_GLYPHS {
    sub t a' lookup TO_X b' c;
    sub u a' lookup TO_Y b' lookup TO_Z;
    sub a' lookup TO_Z b' v;
    sub t t a' lookup TWO;
} CHAIN_GLYPHS;
lookup CHAIN_CLASSES {
    sub @THREE @ONE' lookup TO_X @TWO' @THREE;
    sub @ONE @ONE' lookup TO_Y @TWO';
    sub @TWO' lookup TO_Z @THREE @ONE;
    sub @THREE @TWO' lookup TO_X @ONE';
} CHAIN_CLASSES;
lookup CHAIN_COVERAGE { sub [w x] [y z] [n o]' lookup TO_Z [p q]' lookup TO_X [r s]; } CHAIN_COVERAGE;
feature calt {
    lookup GLYPHS; lookup CLASSES; lookup COVERAGE; lookup CHAIN_GLYPHS; lookup CHAIN_CLASSES; lookup CHAIN_COVERAGE;
} calt;
"""

# Every lookup of this font is wrapped in an extension (below).
EXTENSION = """
lookup SUBST { sub a by b; sub c by d; } SUBST;
lookup LIGATE { sub f i by f_i; } LIGATE;
feature ccmp { lookup SUBST; } ccmp;
feature liga { lookup LIGATE; } liga;
lookup KERN { pos a b -60; pos b [c d] 40; } KERN;
feature kern { lookup KERN; } kern;
"""

GPOS_SINGLE = """
lookup SAME { pos [a b c] <10 20 30 0>; } SAME;
lookup DIFFERENT { pos d <-5 10 15 0>; pos e <3 -40 20 0>; pos f <7 3 -20 0>; } DIFFERENT;
feature kern { lookup SAME; lookup DIFFERENT; } kern;
"""

# Pairs by glyph (format 1) and by class (format 2); a pair whose second value record is empty
# consumes only the first glyph, so "aaa" kerns twice.
PAIR = """
@LEFT = [f g h];
@RIGHT = [i j k];
lookup GLYPH_PAIRS { pos a a -30; pos a b -50; pos b a 25; pos c <0 0 0 0> d <10 20 30 0>; } GLYPH_PAIRS;
lookup CLASS_PAIRS { pos @LEFT @RIGHT -70; pos @LEFT f 15; pos @RIGHT @LEFT <5 -5 -25 0>; } CLASS_PAIRS;
feature kern { lookup GLYPH_PAIRS; lookup CLASS_PAIRS; } kern;
"""

MARK = """
markClass [gravecomb acutecomb] <anchor 20 500> @TOP;
markClass dotbelowcomb <anchor -10 -30> @BOTTOM;
feature mark {
    pos base [a b c] <anchor 250 650> mark @TOP <anchor 240 -10> mark @BOTTOM;
    pos base [d e] <anchor 300 700> mark @TOP;
    pos ligature f_i <anchor 150 700> mark @TOP <anchor 150 -20> mark @BOTTOM
        ligComponent <anchor 450 720> mark @TOP <anchor 460 -20> mark @BOTTOM;
} mark;
feature mkmk {
    pos mark [gravecomb acutecomb] <anchor 20 800> mark @TOP;
} mkmk;
lookup LIGATE { lookupflag IgnoreMarks; sub f i by f_i; } LIGATE;
feature liga { lookup LIGATE; } liga;
"""

# Arabic: joining forms by feature, lam-alef, and U+0623 (in this font only) for composition.
ARABIC_FORMS = """
feature init { sub lam by lam.init; sub beh by beh.init; } init;
feature medi { sub lam by lam.medi; sub beh by beh.medi; } medi;
feature fina { sub lam by lam.fina; sub alef by alef.fina; sub beh by beh.fina; } fina;
feature rlig { sub lam.init alef.fina by lam_alef; } rlig;
markClass [gravecomb acutecomb] <anchor 20 500> @TOP;
markClass dotbelowcomb <anchor -10 -30> @BOTTOM;
feature mark {
    pos base [alef beh lam alef.fina beh.init beh.medi beh.fina lam.init lam.medi lam.fina]
        <anchor 250 650> mark @TOP <anchor 240 -10> mark @BOTTOM;
    pos ligature lam_alef <anchor 600 700> mark @TOP <anchor 600 -20> mark @BOTTOM
        ligComponent <anchor 150 720> mark @TOP <anchor 160 -20> mark @BOTTOM;
} mark;
feature mkmk { pos mark [gravecomb acutecomb] <anchor 20 800> mark @TOP; } mkmk;
"""

# A context that applies itself on its first glyph and then steps the glyph once: each level of
# nesting adds a step, so the glyph shows how deep the nesting went.
NESTING = """
lookup STEP { sub [a step1 step2 step3 step4 step5 step6 step7 step8 step9 step10 step11 step12 step13 step14
                   step15 step16 step17 step18 step19]
              by [step1 step2 step3 step4 step5 step6 step7 step8 step9 step10 step11 step12 step13 step14
                  step15 step16 step17 step18 step19 step20]; } STEP;
lookup SELF { sub [a step1 step2 step3 step4 step5 step6 step7 step8 step9 step10 step11 step12 step13 step14
                   step15 step16 step17 step18 step19]' lookup STEP lookup STEP; } SELF;
feature calt { lookup SELF; } calt;
"""


def extensions(font):
    """Wraps every lookup's subtables in extension subtables (feaLib's useExtension is left to
    the compiler, which uses it only when offsets overflow)."""
    for tag, kind, wrapper in (("GSUB", 7, ot.ExtensionSubst), ("GPOS", 9, ot.ExtensionPos)):
        for lookup in font[tag].table.LookupList.Lookup:
            wrapped = []
            for sub in lookup.SubTable:
                ext = wrapper()
                ext.Format = 1
                ext.ExtensionLookupType = lookup.LookupType
                ext.ExtSubTable = sub
                wrapped.append(ext)
            lookup.SubTable = wrapped
            lookup.LookupType = kind


def self_calling(font, twice):
    """Points SELF's first nested lookup at SELF itself; with twice, both, so that each glyph
    branches into 2^13 applications."""
    lookups = font["GSUB"].table.LookupList.Lookup
    index = len(lookups) - 1
    records = lookups[index].SubTable[0].SubstLookupRecord
    for record in records[: 2 if twice else 1]:
        record.LookupListIndex = index


FONTS = {
    "single": (SINGLE, None),
    "multiple": (MULTIPLE, None),
    "alternate": (ALTERNATE, None),
    "ligature": (LIGATURE, None),
    "context": (CONTEXT, None),
    "extension": (EXTENSION, extensions),
    "gpos_single": (GPOS_SINGLE, None),
    "pair": (PAIR, None),
    "mark": (MARK, None),
    "arabic": (ARABIC_FORMS, None),
    "nesting": (NESTING, lambda font: self_calling(font, False)),
    "looping": (NESTING, lambda font: self_calling(font, True)),
}


def box(width):
    pen = TTGlyphPen(None)
    if width:
        pen.moveTo((50, 0))
        pen.lineTo((50, 600))
        pen.lineTo((width - 50, 600))
        pen.lineTo((width - 50, 0))
        pen.closePath()
    return pen.glyph()


def build(name, features, edit):
    cmap = {ord(c): c for c in LETTERS}
    cmap.update({0x20: "space"})
    cmap.update({cp: glyph for glyph, cp in MARKS.items()})
    arabic = dict(ARABIC)
    if name != "arabic":
        del arabic["alefHamza"]
    cmap.update({cp: glyph for glyph, cp in arabic.items()})
    # Distinct advances show which glyph a position came from; marks have none.
    metrics = {glyph: (0 if glyph in MARKS else 400 + 10 * i, 50) for i, glyph in enumerate(GLYPHS)}
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(GLYPHS)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf({glyph: box(metrics[glyph][0]) for glyph in GLYPHS})
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupHead(unitsPerEm=1000, created=0, modified=0)
    fb.setupNameTable({"familyName": f"Shaping {name}", "styleName": "Regular"})
    fb.setupOS2()
    fb.setupPost()
    addOpenTypeFeaturesFromString(fb.font, HEADER + features)
    if edit:
        edit(fb.font)
    fb.font.recalcTimestamp = False
    return fb.font


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = os.path.join(root, "tests", "data", "qel", "shaping")
    os.makedirs(folder, exist_ok=True)
    for name, (features, edit) in FONTS.items():
        build(name, features, edit).save(os.path.join(folder, f"{name}.ttf"))


if __name__ == "__main__":
    sys.exit(main())
