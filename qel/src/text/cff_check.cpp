// The rasteriser reads CFF data through a window of 512 MiB, whatever the table's length, so
// every index and DICT it reaches must be shown to lie inside the table first. Charstrings are run
// here for their control flow only (subroutine calls and returns, hint masks, the operand stack)
// with a budget, since nested subroutines can make a short charstring run for ever.
#include "text/cff_check.h"

#include <algorithm>
#include <cmath>

namespace {

// The numbers a charstring pushes, summed: coordinates are sums of them (a flex reuses some
// twice) that the rasteriser turns into 32-bit integers.
const double MAX_CHARSTRING_MAGNITUDE = 1 << 28;
const uint64_t MAX_FONT_CHARSTRING_OPS = 1 << 26;

// An INDEX: its count, offset size and all of its bytes.
struct cff_index {
    qel_span whole;
    uint32_t count;
    uint32_t offset_size;
};

uint32_t read_offset(qel_span s, uint64_t at, uint32_t size)
{
    uint32_t v = 0;
    for (uint32_t i = 0; i < size; i++) v = v << 8 | s.p[at + i];
    return v;
}

// An INDEX at an offset in the table, with every offset inside its data (the rasteriser adds
// them up in int arithmetic).
bool read_index(qel_span cff, uint64_t at, cff_index* out)
{
    *out = {};
    if (!qel_span_fits(cff, at, 2)) return false;
    out->count = qel_span_u16(cff, at);
    if (!out->count) {
        out->whole = {cff.p + at, 2};
        return true;
    }
    if (!qel_span_fits(cff, at, 3)) return false;
    uint32_t size = cff.p[at + 2];
    uint64_t offsets = at + 3, data = offsets + (out->count + 1ull) * size;
    if (size < 1 || size > 4 || data > cff.length) return false;
    uint32_t last = read_offset(cff, offsets + (uint64_t)out->count * size, size);
    if (last < 1 || !qel_span_fits(cff, data, last - 1ull)) return false;
    for (uint32_t i = 0; i < out->count; i++) {
        uint32_t o = read_offset(cff, offsets + (uint64_t)i * size, size);
        if (o < 1 || o > last) return false;
    }
    out->offset_size = size;
    out->whole = {cff.p + at, (uint32_t)(data + last - 1 - at)};
    return true;
}

// Element i (below the count), empty when its offsets run backwards, as the rasteriser cuts it.
qel_span index_element(const cff_index& x, uint32_t i)
{
    uint32_t start = read_offset(x.whole, 3 + (uint64_t)i * x.offset_size, x.offset_size);
    uint32_t end = read_offset(x.whole, 3 + (i + 1ull) * x.offset_size, x.offset_size);
    uint64_t base = 2 + (x.count + 1ull) * x.offset_size;
    if (start > end) return {x.whole.p, 0};
    return {x.whole.p + base + start, end - start};
}

// --- DICTs ---

// One integer operand as the rasteriser reads it (its 28 and 29 forms unsigned); false for the
// bytes it cannot take as one, or one cut by the DICT's end.
bool read_int(qel_span d, uint64_t* at, uint32_t* v)
{
    uint8_t b0 = d.p[*at];
    uint64_t extra = b0 == 28 ? 2 : b0 == 29 ? 4 : b0 >= 247 && b0 <= 254 ? 1 : 0;
    if ((b0 < 32 && b0 != 28 && b0 != 29) || b0 == 255 || !qel_span_fits(d, *at + 1, extra)) return false;
    const uint8_t* p = d.p + *at + 1;
    if (b0 == 28) *v = (uint32_t)(p[0] << 8 | p[1]);
    else if (b0 == 29) *v = read_offset(d, *at + 1, 4);
    else if (b0 <= 246) *v = (uint32_t)(b0 - 139);
    else if (b0 <= 250) *v = (uint32_t)((b0 - 247) * 256 + p[0] + 108);
    else *v = (uint32_t)(-(b0 - 251) * 256 - p[0] - 108);
    *at += 1 + extra;
    return true;
}

// Skips one operand: a real number runs up to the nibble that ends it.
bool skip_operand(qel_span d, uint64_t* at)
{
    uint32_t ignored;
    if (d.p[*at] != 30) return read_int(d, at, &ignored);
    for (++*at; *at < d.length;) {
        uint8_t v = d.p[(*at)++];
        if ((v & 0xF) == 0xF || v >> 4 == 0xF) break;
    }
    return true;
}

// Up to count integer operands of the first entry with the key, as the rasteriser looks them up;
// values it does not find keep what they held. False when the DICT holds bytes it cannot read
// or the key's operands are no integers.
bool dict_ints(qel_span d, uint32_t key, uint32_t count, uint32_t* out)
{
    bool found = false;
    for (uint64_t at = 0; at < d.length;) {
        uint64_t start = at;
        while (at < d.length && d.p[at] >= 28)
            if (!skip_operand(d, &at)) return false;
        if (at >= d.length) break;
        uint64_t end = at;
        uint32_t op = d.p[at++];
        if (op == 12) {
            if (at >= d.length) return false;
            op = 0x100 | d.p[at++];
        }
        if (op != key || found) continue;
        found = true;
        for (uint64_t o = start; count && o < end; count--, out++)
            if (!read_int(d, &o, out)) return false;
    }
    return true;
}

// The local subroutines a font DICT names through its private DICT; an empty index when it
// names none.
bool private_subrs(qel_span cff, qel_span font_dict, cff_index* out)
{
    *out = {};
    uint32_t place[2] = {0, 0}, subrs = 0;  // the private DICT's size and offset
    if (!dict_ints(font_dict, 18, 2, place)) return false;
    if (!place[0] || !place[1]) return true;
    if (!qel_span_fits(cff, place[1], place[0])) return false;
    if (!dict_ints({cff.p + place[1], place[0]}, 19, 1, &subrs)) return false;
    return !subrs || read_index(cff, (uint64_t)place[1] + subrs, out);
}

// --- Font DICTs of CID-keyed fonts ---

struct cff_outlines {
    qel_span cff;
    cff_index gsubrs, subrs, charstrings;
    // CID-keyed fonts: each glyph's subroutines come from the font DICT its selector names.
    bool cid;
    qel_span fd_select;
    cff_index fd_subrs[256];  // selectors are bytes
};

bool read_font_dicts(cff_outlines* o, uint32_t fd_array, uint32_t fd_select, uint32_t glyphs)
{
    cff_index fds;
    if (!fd_select || !read_index(o->cff, fd_array, &fds) || fd_select >= o->cff.length) return false;
    for (uint32_t fd = 0; fd < std::min<uint32_t>(fds.count, 256); fd++)
        if (!private_subrs(o->cff, index_element(fds, fd), &o->fd_subrs[fd])) return false;
    o->cid = true;
    o->fd_select = {o->cff.p + fd_select, o->cff.length - fd_select};
    // The selector must give every glyph a font DICT of the array.
    qel_span s = o->fd_select;
    uint32_t fd_count = std::min<uint32_t>(fds.count, 256);
    if (s.p[0] == 0) {
        if (!qel_span_fits(s, 1, glyphs)) return false;
        return std::all_of(s.p + 1, s.p + 1 + glyphs, [&](uint8_t fd) { return fd < fd_count; });
    }
    if (s.p[0] != 3 || !qel_span_fits(s, 1, 4)) return false;
    uint32_t ranges = qel_span_u16(s, 1);
    if (!ranges || !qel_span_fits(s, 3, 3ull * ranges + 2) || qel_span_u16(s, 3) != 0) return false;
    for (uint32_t r = 0, first = 0; r < ranges; r++) {
        uint32_t end = qel_span_u16(s, 6 + 3ull * r);
        if (s.p[5 + 3 * r] >= fd_count || end <= first) return false;
        first = end;
    }
    return qel_span_u16(s, 3 + 3ull * ranges) >= glyphs;
}

// --- Charstrings ---

// Reads as the rasteriser's buffer does: past the end a byte reads 0 and the place stays.
struct cs_reader {
    qel_span s;
    uint64_t at;
    uint8_t get8() { return at < s.length ? s.p[at++] : 0; }
};

struct cs_run {
    const cff_outlines* o;
    cff_index subrs;
    uint64_t* ops_left;  // the font's budget
    float stack[48];
    int32_t sp;
    double magnitude;
};

// The subroutine a call reaches, after the bias by the index's size; empty when there is none.
qel_span subroutine(const cff_index& x, int32_t n)
{
    int32_t count = (int32_t)x.count, bias = count >= 33900 ? 32768 : count >= 1240 ? 1131 : 107;
    n += bias;
    if (!x.whole.length || n < 0 || n >= count) return {x.whole.p, 0};
    return index_element(x, (uint32_t)n);
}

// The operand an immediate byte starts, as the rasteriser reads it.
float immediate(cs_reader* b, uint8_t b0)
{
    if (b0 == 255) {
        uint32_t v = 0;
        for (int i = 0; i < 4; i++) v = v << 8 | b->get8();
        return (float)(int32_t)v / 65536.0f;
    }
    if (b0 == 28) {
        uint32_t hi = b->get8();
        return (float)(int16_t)(hi << 8 | b->get8());
    }
    if (b0 <= 246) return (float)(b0 - 139);
    int32_t b1 = b->get8();
    return (float)(b0 <= 250 ? (b0 - 247) * 256 + b1 + 108 : -(b0 - 251) * 256 - b1 - 108);
}

// How many operands an operator needs before the rasteriser draws with it; 0 for no drawing.
int32_t drawing_needs(uint8_t b0)
{
    switch (b0) {
    case 0x04: case 0x06: case 0x07: case 0x16: return 1;
    case 0x05: case 0x15: return 2;
    case 0x08: return 6;
    case 0x18: case 0x19: return 8;
    case 0x1A: case 0x1B: case 0x1E: case 0x1F: return 4;
    default: return 0;
    }
}

int32_t flex_needs(uint8_t b1)
{
    switch (b1) {
    case 0x22: return 7;
    case 0x23: return 13;
    case 0x24: return 9;
    case 0x25: return 11;
    default: return 0;
    }
}

// Runs one glyph's charstring the way the rasteriser does, without drawing. True when the run
// stays within its budgets and hint masks inside their charstring; a run the rasteriser gives up
// on (an operand short, a subroutine missing) ends here too and draws nothing there either.
bool run_charstring(cs_run* r, qel_span charstring)
{
    cs_reader frames[10];
    int32_t depth = 0, mask_bits = 0, ops = 0;
    bool in_header = true;
    cs_reader b = {charstring, 0};
    while (b.at < b.s.length) {
        if (++ops > QEL_CFF_MAX_CHARSTRING_OPS || (*r->ops_left)-- == 0) return false;
        uint8_t b0 = b.get8();
        bool clear = true;
        if (b0 == 0x13 || b0 == 0x14) {  // hintmask, cntrmask
            if (in_header) mask_bits += r->sp / 2;
            in_header = false;
            b.at += (uint64_t)(mask_bits + 7) / 8;
            if (b.at > b.s.length) return false;
        } else if (b0 == 0x01 || b0 == 0x03 || b0 == 0x12 || b0 == 0x17) {  // stems
            mask_bits += r->sp / 2;
        } else if (int32_t needs = drawing_needs(b0)) {
            if (b0 == 0x04 || b0 == 0x15 || b0 == 0x16) in_header = false;
            if (r->sp < needs) return true;
        } else if (b0 == 0x0A || b0 == 0x1D) {  // callsubr, callgsubr
            if (r->sp < 1 || depth >= 10) return true;
            qel_span sub = subroutine(b0 == 0x0A ? r->subrs : r->o->gsubrs, (int32_t)r->stack[--r->sp]);
            if (!sub.length) return true;
            frames[depth++] = b;
            b = {sub, 0};
            clear = false;
        } else if (b0 == 0x0B) {  // return
            if (depth <= 0) return true;
            b = frames[--depth];
            clear = false;
        } else if (b0 == 0x0E) {  // endchar
            return true;
        } else if (b0 == 0x0C) {
            int32_t flex = flex_needs(b.get8());
            if (!flex || r->sp < flex) return true;
        } else {
            if (b0 != 255 && b0 != 28 && b0 < 32) return true;
            float f = immediate(&b, b0);
            if (r->sp >= 48) return true;
            r->stack[r->sp++] = f;
            r->magnitude += std::fabs((double)f);
            if (r->magnitude > MAX_CHARSTRING_MAGNITUDE) return false;
            clear = false;
        }
        if (clear) r->sp = 0;
    }
    return true;
}

// The local subroutines of a glyph: its font DICT's in a CID-keyed font, else the font's own.
// Glyphs come in order, so a selector's ranges are walked once (range is where the last ended).
const cff_index& glyph_subrs(const cff_outlines& o, uint32_t glyph, uint32_t* range)
{
    if (!o.cid) return o.subrs;
    qel_span s = o.fd_select;
    if (s.p[0] == 0) return o.fd_subrs[s.p[1 + glyph]];
    while (qel_span_u16(s, 6 + 3ull * *range) <= glyph) ++*range;
    return o.fd_subrs[s.p[5 + 3 * *range]];
}

bool run_all_charstrings(const cff_outlines& o, uint32_t glyph_count)
{
    uint64_t ops_left = MAX_FONT_CHARSTRING_OPS;
    uint32_t range = 0;
    for (uint32_t glyph = 0; glyph < glyph_count; glyph++) {
        cs_run r = {&o, glyph_subrs(o, glyph, &range), &ops_left, {}, 0, 0};
        if (!run_charstring(&r, index_element(o.charstrings, glyph))) return false;
    }
    return true;
}

}  // namespace

bool qel_cff_check(qel_span cff, uint32_t glyph_count)
{
    cff_outlines o = {};
    o.cff = cff;
    cff_index names, top, strings;
    if (!qel_span_fits(cff, 0, 3) || !read_index(cff, cff.p[2], &names)) return false;
    uint64_t at = cff.p[2] + (uint64_t)names.whole.length;
    if (!read_index(cff, at, &top) || top.count < 1) return false;
    at += top.whole.length;
    if (!read_index(cff, at, &strings)) return false;
    if (!read_index(cff, at + strings.whole.length, &o.gsubrs)) return false;
    qel_span top_dict = index_element(top, 0);
    uint32_t charstrings = 0, type = 2, fd_array = 0, fd_select = 0;
    if (!dict_ints(top_dict, 17, 1, &charstrings) || !dict_ints(top_dict, 0x106, 1, &type) ||
        !dict_ints(top_dict, 0x124, 1, &fd_array) || !dict_ints(top_dict, 0x125, 1, &fd_select) ||
        !private_subrs(cff, top_dict, &o.subrs))
        return false;
    if (type != 2 || !charstrings || !read_index(cff, charstrings, &o.charstrings) ||
        o.charstrings.count < glyph_count)
        return false;
    if (fd_array && !read_font_dicts(&o, fd_array, fd_select, glyph_count)) return false;
    return run_all_charstrings(o, glyph_count);
}
