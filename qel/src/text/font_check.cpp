// Checks a font against what the rasteriser will read, following each structure the way it does:
// the first table of each tag, the last cmap record it accepts, glyph outlines through loca, and
// CFF data through its indexes. Whatever a structure does not say (lengths of cmap subtables, of
// GPOS subtables) is bounded by the table it lies in.
#include "text/font_check.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "text/cff_check.h"
#include "text/byte_span.h"
#include "qel/context.h"

namespace {

// The rest of a span from an offset that fits.
qel_span from(qel_span s, uint32_t offset)
{
    return {s.p + offset, s.length - offset};
}

struct font_view {
    qel_span file;
    uint32_t start;        // of the font's table directory
    uint32_t glyph_count;  // maxp's; the rasteriser assumes 65535 without one
};

bool is_sfnt_tag(const uint8_t* p)
{
    static const uint8_t truetype[4] = {0, 1, 0, 0};
    return memcmp(p, truetype, 4) == 0 || memcmp(p, "1\0\0\0", 4) == 0 || memcmp(p, "true", 4) == 0 ||
           memcmp(p, "typ1", 4) == 0 || memcmp(p, "OTTO", 4) == 0;
}

// The font of a file or of a collection's first entry, with a table directory whose tables all
// lie inside the file.
bool find_font(qel_span file, uint32_t* start)
{
    *start = 0;
    if (memcmp(file.p, "ttcf", 4) == 0) {
        if (!qel_span_fits(file, 0, 16)) return false;
        uint32_t version = qel_span_u32(file, 4);
        if ((version != 0x10000 && version != 0x20000) || qel_span_u32(file, 8) < 1) return false;
        *start = qel_span_u32(file, 12);
    }
    if (!qel_span_fits(file, *start, 12) || !is_sfnt_tag(file.p + *start)) return false;
    uint32_t tables = qel_span_u16(file, *start + 4);
    if (!qel_span_fits(file, *start + 12, 16ull * tables)) return false;
    for (uint32_t i = 0; i < tables; i++) {
        uint64_t record = *start + 12 + 16ull * i;
        if (!qel_span_fits(file, qel_span_u32(file, record + 8), qel_span_u32(file, record + 12))) return false;
    }
    return true;
}

// The first table with the tag, as the rasteriser finds it: one at offset 0 counts as missing.
bool find_table(const font_view& f, const char* tag, qel_span* out)
{
    uint32_t tables = qel_span_u16(f.file, f.start + 4);
    for (uint32_t i = 0; i < tables; i++) {
        uint64_t record = f.start + 12 + 16ull * i;
        if (memcmp(f.file.p + record, tag, 4) != 0) continue;
        uint32_t at = qel_span_u32(f.file, record + 8);
        *out = {f.file.p + at, qel_span_u32(f.file, record + 12)};
        return at != 0;
    }
    return false;
}

// --- Metrics ---

bool check_head(const font_view& f, int32_t* units_per_em, uint32_t* loca_format)
{
    qel_span head;
    if (!find_table(f, "head", &head) || !qel_span_fits(head, 0, 54)) return false;
    *units_per_em = qel_span_u16(head, 18);
    *loca_format = qel_span_u16(head, 50);
    return *units_per_em >= 1;
}

// Glyph count, vertical metrics, and the advance and bearing of every glyph.
bool check_metrics(font_view* f)
{
    qel_span hhea, hmtx, maxp, os2;
    if (!find_table(*f, "hhea", &hhea) || !qel_span_fits(hhea, 0, 36) || !find_table(*f, "hmtx", &hmtx)) return false;
    f->glyph_count = 65535;
    if (find_table(*f, "maxp", &maxp)) {
        if (!qel_span_fits(maxp, 0, 6)) return false;
        f->glyph_count = qel_span_u16(maxp, 4);
    }
    if (find_table(*f, "OS/2", &os2) && !qel_span_fits(os2, 0, 74)) return false;
    uint64_t glyphs = f->glyph_count, long_metrics = qel_span_u16(hhea, 34);
    if (glyphs < 1 || long_metrics < 1) return false;
    uint64_t bytes = 4 * std::min(glyphs, long_metrics) + 2 * (glyphs - std::min(glyphs, long_metrics));
    return qel_span_fits(hmtx, 0, bytes);
}

// --- Character map ---

// Format 4's binary search runs on the header's own search fields, so the segments it can land on
// are bounded by them, not by the segment count; every one of those must be readable, and so
// must each glyph id its range offset points at.
bool check_cmap_segments(qel_span sub)
{
    if (!qel_span_fits(sub, 0, 14)) return false;
    uint64_t segments = qel_span_u16(sub, 6) >> 1, search_range = qel_span_u16(sub, 8) >> 1;
    uint64_t selector = qel_span_u16(sub, 10), range_shift = qel_span_u16(sub, 12) >> 1;
    uint64_t reach = 2 * range_shift;  // from the end codes, the farthest place the search reads
    for (uint64_t k = 1; k <= std::min<uint64_t>(selector, 16); k++) reach += 2 * (search_range >> k);
    if (!qel_span_fits(sub, 14, reach + 2)) return false;
    uint64_t last_item = std::min<uint64_t>(reach / 2, 65535);
    uint64_t offsets = 14 + 6 * segments + 2;  // the range offsets, after the other three arrays
    if (!qel_span_fits(sub, offsets, 2 * (last_item + 1))) return false;
    for (uint64_t item = 0; item <= last_item; item++) {
        uint16_t start = qel_span_u16(sub, 14 + 2 * segments + 2 + 2 * item), end = qel_span_u16(sub, 14 + 2 * item);
        uint16_t range_offset = qel_span_u16(sub, offsets + 2 * item);
        uint64_t glyph_ids = offsets + 2 * item + range_offset;
        if (range_offset && start <= end && !qel_span_fits(sub, glyph_ids, 2ull * (end - start) + 2)) return false;
    }
    return true;
}

bool check_cmap_subtable(qel_span sub)
{
    if (!qel_span_fits(sub, 0, 4)) return false;
    switch (qel_span_u16(sub, 0)) {
    case 0: return qel_span_fits(sub, 0, std::max<uint32_t>(qel_span_u16(sub, 2), 4));
    case 4: return check_cmap_segments(sub);
    case 6: return qel_span_fits(sub, 0, 10) && qel_span_fits(sub, 10, 2ull * qel_span_u16(sub, 8));
    case 12:
    case 13:
        return qel_span_fits(sub, 0, 16) && qel_span_u32(sub, 12) <= INT32_MAX &&
               qel_span_fits(sub, 16, 12ull * qel_span_u32(sub, 12));
    default: return false;  // the rasteriser maps nothing through any other format
    }
}

// The subtable of the last Unicode record, the one the rasteriser keeps.
bool check_cmap(const font_view& f)
{
    qel_span cmap;
    if (!find_table(f, "cmap", &cmap) || !qel_span_fits(cmap, 0, 4)) return false;
    uint32_t records = qel_span_u16(cmap, 2);
    if (!qel_span_fits(cmap, 4, 8ull * records)) return false;
    bool found = false;
    uint32_t offset = 0;
    for (uint32_t i = 0; i < records; i++) {
        uint16_t platform = qel_span_u16(cmap, 4 + 8 * i), encoding = qel_span_u16(cmap, 6 + 8 * i);
        if (platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10))) {
            found = true;
            offset = qel_span_u32(cmap, 8 + 8 * i);
        }
    }
    return found && offset < cmap.length && check_cmap_subtable(from(cmap, offset));
}

// --- Kerning ---

// The first subtable of a kern table, when it is the horizontal one the rasteriser searches.
bool check_kern(const font_view& f)
{
    qel_span kern;
    if (!find_table(f, "kern", &kern)) return true;
    if (!qel_span_fits(kern, 0, 4)) return false;
    if (qel_span_u16(kern, 2) < 1) return true;
    if (!qel_span_fits(kern, 0, 12)) return false;
    return qel_span_u16(kern, 8) != 1 || qel_span_fits(kern, 18, 6ull * qel_span_u16(kern, 10));
}

// The largest coverage index a glyph can be given, -1 for none; false when the table is cut.
bool coverage_reach(qel_span gpos, uint64_t at, uint32_t glyph_count, int64_t* reach)
{
    *reach = -1;
    if (!qel_span_fits(gpos, at, 4)) return false;
    uint64_t count = qel_span_u16(gpos, at + 2);
    switch (qel_span_u16(gpos, at)) {
    case 1:
        *reach = (int64_t)count - 1;
        return qel_span_fits(gpos, at + 4, 2 * count);
    case 2:
        if (!qel_span_fits(gpos, at + 4, 6 * count)) return false;
        for (uint64_t r = 0; r < count; r++) {
            uint64_t record = at + 4 + 6 * r, first = qel_span_u16(gpos, record);
            uint64_t last = std::min<uint64_t>(qel_span_u16(gpos, record + 2), glyph_count - 1);
            if (first <= last) *reach = std::max(*reach, (int64_t)(qel_span_u16(gpos, record + 4) + last - first));
        }
        return true;
    default: return true;  // the rasteriser reads no further
    }
}

bool check_class_def(qel_span gpos, uint64_t at)
{
    if (!qel_span_fits(gpos, at, 2)) return false;
    switch (qel_span_u16(gpos, at)) {
    case 1: return qel_span_fits(gpos, at, 6) && qel_span_fits(gpos, at + 6, 2ull * qel_span_u16(gpos, at + 4));
    case 2: return qel_span_fits(gpos, at, 4) && qel_span_fits(gpos, at + 4, 6ull * qel_span_u16(gpos, at + 2));
    default: return true;
    }
}

// A pair adjustment subtable in the only value formats the rasteriser reads (an x advance on the
// first glyph). It reads a pair set's offset, and the count there, for any coverage index before
// it compares the index with the number of pair sets.
bool check_pair_subtable(qel_span gpos, uint64_t at, uint32_t glyph_count)
{
    int64_t reach;
    if (!qel_span_fits(gpos, at, 4)) return false;
    if (!coverage_reach(gpos, at + qel_span_u16(gpos, at + 2), glyph_count, &reach)) return false;
    if (reach < 0) return true;
    uint16_t format = qel_span_u16(gpos, at);
    if (format != 1 && format != 2) return true;
    if (!qel_span_fits(gpos, at, 8)) return false;
    if (qel_span_u16(gpos, at + 4) != 4 || qel_span_u16(gpos, at + 6) != 0) return true;
    if (format == 2) {
        if (!qel_span_fits(gpos, at, 16)) return false;
        uint64_t classes = (uint64_t)qel_span_u16(gpos, at + 12) * qel_span_u16(gpos, at + 14);
        return check_class_def(gpos, at + qel_span_u16(gpos, at + 8)) &&
               check_class_def(gpos, at + qel_span_u16(gpos, at + 10)) && qel_span_fits(gpos, at + 16, 2 * classes);
    }
    if (!qel_span_fits(gpos, at + 10, 2 * ((uint64_t)reach + 1))) return false;
    uint64_t pair_sets = qel_span_u16(gpos, at + 8);
    for (uint64_t index = 0; index <= (uint64_t)reach; index++) {
        uint64_t set = at + qel_span_u16(gpos, at + 10 + 2 * index);
        if (!qel_span_fits(gpos, set, 2)) return false;
        if (index < pair_sets && !qel_span_fits(gpos, set + 2, 4ull * qel_span_u16(gpos, set))) return false;
    }
    return true;
}

// Version 1.0's lookups, of which the rasteriser reads the pair adjustments.
bool check_gpos(const font_view& f, bool* present)
{
    qel_span gpos;
    *present = find_table(f, "GPOS", &gpos);
    if (!*present) return true;
    if (!qel_span_fits(gpos, 0, 4)) return false;
    if (qel_span_u16(gpos, 0) != 1 || qel_span_u16(gpos, 2) != 0) return true;
    if (!qel_span_fits(gpos, 0, 10)) return false;
    uint64_t list = qel_span_u16(gpos, 8);
    if (!qel_span_fits(gpos, list, 2) || !qel_span_fits(gpos, list + 2, 2ull * qel_span_u16(gpos, list)))
        return false;
    for (uint64_t i = 0, lookups = qel_span_u16(gpos, list); i < lookups; i++) {
        uint64_t lookup = list + qel_span_u16(gpos, list + 2 + 2 * i);
        if (!qel_span_fits(gpos, lookup, 6)) return false;
        if (qel_span_u16(gpos, lookup) != 2) continue;
        uint64_t subtables = qel_span_u16(gpos, lookup + 4);
        if (!qel_span_fits(gpos, lookup + 6, 2 * subtables)) return false;
        for (uint64_t s = 0; s < subtables; s++) {
            uint64_t subtable = lookup + qel_span_u16(gpos, lookup + 6 + 2 * s);
            if (!check_pair_subtable(gpos, subtable, f.glyph_count)) return false;
        }
    }
    return true;
}

// --- TrueType outlines ---

// A box of outline coordinates, empty while x0 > x1.
struct outline_box {
    int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
};

void grow(outline_box* b, int32_t x, int32_t y)
{
    b->x0 = std::min(b->x0, x), b->y0 = std::min(b->y0, y);
    b->x1 = std::max(b->x1, x), b->y1 = std::max(b->y1, y);
}

// What a glyph's outline comes to: the points the rasteriser makes of it, the numbers it stores
// for them (line records carry the origin as their control point), the points the outline
// runs through, and how deep its components nest.
struct glyph_facts {
    uint8_t state;  // 0 unseen, 1 being checked, 2 checked
    uint8_t depth;
    uint32_t vertices;
    uint32_t outlines;  // read to make it, its own and its components' (which are read anew each time)
    outline_box stored, drawn;
};

struct outline_check {
    font_view f;
    qel_span loca, glyf;
    uint32_t loca_format;
    int32_t units_per_em;
    glyph_facts* facts;
    uint8_t* flags;  // one per point of the glyph being read
    int16_t *xs, *ys;
};

// The glyph's bytes: where loca says it starts up to where the next one starts; empty when the
// two are equal, as the rasteriser takes it.
bool glyph_bytes(const outline_check& c, uint32_t glyph, qel_span* out)
{
    uint64_t start, end;
    if (c.loca_format == 0) {
        start = 2ull * qel_span_u16(c.loca, 2ull * glyph);
        end = 2ull * qel_span_u16(c.loca, 2ull * glyph + 2);
    } else {
        start = qel_span_u32(c.loca, 4ull * glyph);
        end = qel_span_u32(c.loca, 4ull * glyph + 4);
    }
    if (start > end || end > c.glyf.length) return false;
    *out = {c.glyf.p + start, (uint32_t)(end - start)};
    return true;
}

// One coordinate array: a byte or a word per point, or none, by the two flag bits.
bool read_coordinates(const outline_check& c, qel_span glyph, uint64_t* at, uint32_t points, uint8_t short_bit,
                      uint8_t same_bit, int16_t* out)
{
    int32_t v = 0;
    for (uint32_t i = 0; i < points; i++) {
        uint8_t flags = c.flags[i];
        if (flags & short_bit) {
            if (!qel_span_fits(glyph, *at, 1)) return false;
            v += flags & same_bit ? glyph.p[*at] : -glyph.p[*at];
            *at += 1;
        } else if (!(flags & same_bit)) {
            if (!qel_span_fits(glyph, *at, 2)) return false;
            v += (int16_t)qel_span_u16(glyph, *at);
            *at += 2;
        }
        out[i] = (int16_t)v;
    }
    return true;
}

// Contours start where the end points say, and one that starts off the curve looks at the point
// after it: the last point of the glyph must not be such a start.
bool contour_starts_fit(const outline_check& c, qel_span glyph, uint32_t points)
{
    uint32_t next_start = 0, contour = 0;
    for (uint32_t i = 0; i < points; i++) {
        if (i != next_start) continue;
        if (!(c.flags[i] & 1)) {
            if (i + 1 >= points) return false;
            if (c.flags[i + 1] & 1) i++;
        }
        next_start = 1u + qel_span_u16(glyph, 10 + 2ull * contour++);
    }
    return true;
}

bool check_simple_glyph(const outline_check& c, qel_span glyph, uint32_t contours, glyph_facts* g)
{
    uint64_t header = 10 + 2ull * contours;
    if (!qel_span_fits(glyph, header, 2)) return false;
    uint32_t points = 1u + qel_span_u16(glyph, header - 2);
    uint64_t at = header + 2 + qel_span_u16(glyph, header);
    for (uint32_t i = 0, repeat = 0; i < points; i++) {
        if (repeat) {
            c.flags[i] = c.flags[i - 1];
            repeat--;
            continue;
        }
        if (!qel_span_fits(glyph, at, 1)) return false;
        c.flags[i] = glyph.p[at++];
        if (c.flags[i] & 8) {
            if (!qel_span_fits(glyph, at, 1)) return false;
            repeat = glyph.p[at++];
        }
    }
    if (!read_coordinates(c, glyph, &at, points, 2, 16, c.xs)) return false;
    if (!read_coordinates(c, glyph, &at, points, 4, 32, c.ys)) return false;
    for (uint32_t i = 0; i < points; i++) grow(&g->drawn, c.xs[i], c.ys[i]);
    g->stored = g->drawn;
    grow(&g->stored, 0, 0);
    g->vertices = points + 2 * contours;
    return contour_starts_fit(c, glyph, points);
}

bool check_glyph(outline_check* c, uint32_t glyph, uint32_t level);

// The rasteriser sizes a glyph's bitmap by the box its header states and cuts the outline into
// lines for that size; an outline reaching far outside the box would be cut into pieces out of
// all proportion to the bitmap. Real fonts now and then state a stale box for a composite glyph
// (a unit off, or a few dozen), so a quarter of an em is allowed.
bool within_stated_box(const outline_check& c, qel_span glyph, const outline_box& drawn)
{
    if (drawn.x0 > drawn.x1) return true;
    int32_t slack = c.units_per_em / 4;
    return drawn.x0 >= (int16_t)qel_span_u16(glyph, 2) - slack &&
           drawn.y0 >= (int16_t)qel_span_u16(glyph, 4) - slack &&
           drawn.x1 <= (int16_t)qel_span_u16(glyph, 6) + slack &&
           drawn.y1 <= (int16_t)qel_span_u16(glyph, 8) + slack;
}

// A component's placement as the rasteriser reads it: offsets (never point numbers) and a
// scale, one per axis or a two-by-two matrix, in 2.14 fixed point.
bool read_component(qel_span glyph, uint64_t* at, uint16_t flags, float m[6])
{
    if (!(flags & 2)) return false;  // anchored by point numbers: the rasteriser cannot place it
    uint64_t args = flags & 1 ? 4 : 2, scale = flags & 8 ? 2 : flags & 0x40 ? 4 : flags & 0x80 ? 8 : 0;
    if (!qel_span_fits(glyph, *at, args + scale)) return false;
    m[0] = m[3] = 1, m[1] = m[2] = 0;
    m[4] = flags & 1 ? (int16_t)qel_span_u16(glyph, *at) : (int8_t)glyph.p[*at];
    m[5] = flags & 1 ? (int16_t)qel_span_u16(glyph, *at + 2) : (int8_t)glyph.p[*at + 1];
    const uint64_t s = *at + args;
    auto f2dot14 = [&](uint64_t i) { return (float)(int16_t)qel_span_u16(glyph, s + 2 * i) / 16384.0f; };
    if (flags & 8) m[0] = m[3] = f2dot14(0);
    else if (flags & 0x40) m[0] = f2dot14(0), m[3] = f2dot14(1);
    else if (flags & 0x80) m[0] = f2dot14(0), m[1] = f2dot14(1), m[2] = f2dot14(2), m[3] = f2dot14(3);
    *at += args + scale;
    return true;
}

// A component's box as the rasteriser places it, scaled again by the length of each matrix
// column as it does; its numbers are stored in 16 bits, so the box must stay in their range.
bool place_box(const outline_box& part, const float m[6], outline_box* into)
{
    double sx = std::sqrt((double)m[0] * m[0] + (double)m[1] * m[1]);
    double sy = std::sqrt((double)m[2] * m[2] + (double)m[3] * m[3]);
    for (int32_t x : {part.x0, part.x1})
        for (int32_t y : {part.y0, part.y1}) {
            double px = sx * (m[0] * x + m[2] * y + m[4]), py = sy * (m[1] * x + m[3] * y + m[5]);
            if (!(px >= -32767 && px <= 32766 && py >= -32767 && py <= 32766)) return false;
            grow(into, (int32_t)std::floor(px), (int32_t)std::floor(py));
            grow(into, (int32_t)std::ceil(px), (int32_t)std::ceil(py));
        }
    return true;
}

bool check_composite_glyph(outline_check* c, qel_span glyph, uint32_t level, glyph_facts* g)
{
    uint64_t at = 10;
    for (bool more = true; more;) {
        if (!qel_span_fits(glyph, at, 4)) return false;
        uint16_t flags = qel_span_u16(glyph, at), part = qel_span_u16(glyph, at + 2);
        at += 4;
        float m[6];
        if (!read_component(glyph, &at, flags, m)) return false;
        more = flags & 0x20;
        g->outlines++;
        if (part >= c->f.glyph_count) continue;  // the rasteriser finds no outline there
        if (!check_glyph(c, part, level + 1)) return false;
        const glyph_facts& p = c->facts[part];
        g->depth = (uint8_t)std::max<uint32_t>(g->depth, p.depth + 1u);
        g->outlines += p.outlines;
        if (g->outlines > QEL_FONT_MAX_GLYPH_OUTLINES) return false;
        if (!p.vertices) continue;
        g->vertices += p.vertices;
        if (g->vertices > QEL_FONT_MAX_GLYPH_VERTICES || !place_box(p.stored, m, &g->stored)) return false;
        place_box(p.drawn, m, &g->drawn);
    }
    return true;
}

// A glyph and the components under it, once each; false for a damaged outline, a component
// that contains itself, or one nested or grown past the limits.
bool check_glyph(outline_check* c, uint32_t glyph, uint32_t level)
{
    glyph_facts* g = &c->facts[glyph];
    if (g->state == 1) return false;
    if (g->state == 2) return level + g->depth <= QEL_FONT_MAX_COMPONENT_DEPTH;
    if (level > QEL_FONT_MAX_COMPONENT_DEPTH) return false;
    g->state = 1;
    g->outlines = 1;
    qel_span bytes;
    if (!glyph_bytes(*c, glyph, &bytes)) return false;
    if (bytes.length) {
        if (!qel_span_fits(bytes, 0, 10)) return false;
        int16_t contours = (int16_t)qel_span_u16(bytes, 0);
        bool ok = contours > 0   ? check_simple_glyph(*c, bytes, (uint32_t)contours, g)
                  : contours < 0 ? check_composite_glyph(c, bytes, level, g)
                                 : true;
        if (!ok || !within_stated_box(*c, bytes, g->drawn)) return false;
    }
    g->state = 2;
    return level + g->depth <= QEL_FONT_MAX_COMPONENT_DEPTH;
}

bool check_truetype_outlines(qel_context* ctx, const font_view& f, qel_span glyf, uint32_t loca_format,
                             int32_t units_per_em)
{
    outline_check c = {f, {}, glyf, loca_format, units_per_em, nullptr, nullptr, nullptr, nullptr};
    uint64_t entry = loca_format == 0 ? 2 : 4;
    if (loca_format > 1 || !find_table(f, "loca", &c.loca)) return false;
    if (!qel_span_fits(c.loca, 0, entry * (f.glyph_count + 1ull))) return false;
    c.facts = (glyph_facts*)qel_mem_alloc(ctx, sizeof(glyph_facts) * f.glyph_count);
    std::fill(c.facts, c.facts + f.glyph_count, glyph_facts{});
    // A glyph has at most 65536 points: its last end point is a 16-bit number.
    c.flags = (uint8_t*)qel_mem_alloc(ctx, 65536);
    c.xs = (int16_t*)qel_mem_alloc(ctx, 65536 * sizeof(int16_t));
    c.ys = (int16_t*)qel_mem_alloc(ctx, 65536 * sizeof(int16_t));
    bool ok = true;
    for (uint32_t glyph = 0; ok && glyph < f.glyph_count; glyph++) ok = check_glyph(&c, glyph, 0);
    qel_mem_free(ctx, c.ys);
    qel_mem_free(ctx, c.xs);
    qel_mem_free(ctx, c.flags);
    qel_mem_free(ctx, c.facts);
    return ok;
}

bool check_cff(const font_view& f)
{
    qel_span cff;
    return find_table(f, "CFF ", &cff) && qel_cff_check(cff, f.glyph_count);
}

}  // namespace

bool qel_font_check(qel_context* ctx, const uint8_t* data, int32_t size, int32_t* font_offset, int32_t* units_per_em)
{
    font_view f = {{data, (uint32_t)size}, 0, 0};
    uint32_t loca_format;
    bool gpos;
    if (!data || size < 12 || !find_font(f.file, &f.start) || !check_head(f, units_per_em, &loca_format) ||
        !check_metrics(&f) || !check_cmap(f) || !check_gpos(f, &gpos) || (!gpos && !check_kern(f)))
        return false;
    qel_span glyf;
    bool outlines = find_table(f, "glyf", &glyf) ? check_truetype_outlines(ctx, f, glyf, loca_format, *units_per_em)
                                                  : check_cff(f);
    if (!outlines) return false;
    *font_offset = (int32_t)f.start;
    return true;
}
