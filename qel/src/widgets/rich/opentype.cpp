// Bounded readers of the character map, coverage and class definition tables and ligature sets.
// Binary searches never trust a count further than the span holds.
#include "opentype.h"

#include <cstring>

bool qel_opentype_table(qel_span s, uint32_t directory, const char tag[4], uint32_t* offset, uint32_t* length)
{
    *offset = *length = 0;
    if (!qel_span_fits(s, directory, 12)) return false;
    uint32_t tables = qel_span_u16(s, directory + 4);
    if (!qel_span_fits(s, directory + 12ull, 16ull * tables)) return false;
    for (uint32_t i = 0; i < tables; i++) {
        uint64_t record = directory + 12ull + 16ull * i;
        if (memcmp(s.p + record, tag, 4) != 0) continue;
        uint32_t at = qel_span_u32(s, record + 8), size = qel_span_u32(s, record + 12);
        if (at == 0 || !qel_span_fits(s, at, size)) return false;
        *offset = at;
        *length = size;
        return true;
    }
    return false;
}

uint32_t qel_opentype_cmap_subtable(qel_span s, uint32_t cmap)
{
    uint32_t records = qel_opentype_u16(s, cmap + 2ull), best = 0, best_priority = 0;
    for (uint32_t i = 0; i < records; i++) {
        uint64_t record = cmap + 4ull + 8ull * i;
        if (!qel_span_fits(s, record, 8)) break;
        uint32_t platform = qel_span_u16(s, record), encoding = qel_span_u16(s, record + 2);
        if (platform != 0 && !(platform == 3 && (encoding == 1 || encoding == 10))) continue;
        uint64_t at = (uint64_t)cmap + qel_span_u32(s, record + 4);
        if (!qel_span_fits(s, at, 2)) continue;
        uint32_t format = qel_span_u16(s, at);
        uint32_t priority = format == 12 ? 2 : format == 4 ? 1 : 0;
        if (priority > best_priority) {
            best = (uint32_t)at;
            best_priority = priority;
        }
    }
    return best;
}

namespace {

uint32_t format12_glyph(qel_span s, uint32_t subtable, uint32_t code_point)
{
    uint64_t groups = subtable + 16ull;
    uint64_t count = qel_opentype_u32(s, subtable + 12ull);
    if (groups > s.length) return 0;
    if (count > (s.length - groups) / 12) count = (s.length - groups) / 12;
    uint64_t lo = 0, hi = count;
    while (lo < hi) {
        uint64_t mid = (lo + hi) / 2, group = groups + 12 * mid;
        uint32_t start = qel_span_u32(s, group), end = qel_span_u32(s, group + 4);
        if (code_point < start) {
            hi = mid;
        } else if (code_point > end) {
            lo = mid + 1;
        } else {
            return qel_span_u32(s, group + 8) + (code_point - start);
        }
    }
    return 0;
}

uint32_t format4_glyph(qel_span s, uint32_t subtable, uint32_t code_point)
{
    if (code_point > 0xFFFF) return 0;
    uint64_t segments = qel_opentype_u16(s, subtable + 6ull) / 2;
    uint64_t ends = subtable + 14ull, starts = ends + 2 * segments + 2;
    uint64_t deltas = starts + 2 * segments, range_offsets = deltas + 2 * segments;
    if (!qel_span_fits(s, ends, 8 * segments + 2)) return 0;
    uint64_t lo = 0, hi = segments;
    while (lo < hi) {  // the first segment whose end is at or above the code point
        uint64_t mid = (lo + hi) / 2;
        if (qel_span_u16(s, ends + 2 * mid) < code_point) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    if (lo == segments || qel_span_u16(s, starts + 2 * lo) > code_point) return 0;
    uint32_t start = qel_span_u16(s, starts + 2 * lo), delta = qel_span_u16(s, deltas + 2 * lo);
    uint32_t range_offset = qel_span_u16(s, range_offsets + 2 * lo);
    if (range_offset == 0) return (code_point + delta) & 0xFFFF;
    uint32_t glyph = qel_opentype_u16(s, range_offsets + 2 * lo + range_offset + 2ull * (code_point - start));
    return glyph ? (glyph + delta) & 0xFFFF : 0;
}

}  // namespace

uint32_t qel_opentype_cmap_glyph(qel_span s, uint32_t subtable, uint32_t code_point)
{
    uint32_t format = qel_opentype_u16(s, subtable);
    if (format == 12) return format12_glyph(s, subtable, code_point);
    if (format == 4) return format4_glyph(s, subtable, code_point);
    return 0;
}

int32_t qel_opentype_coverage(qel_span s, uint32_t coverage, uint32_t glyph)
{
    if (coverage == 0 || !qel_span_fits(s, coverage, 4)) return -1;
    uint32_t format = qel_span_u16(s, coverage);
    uint64_t count = qel_span_u16(s, coverage + 2), items = coverage + 4ull;
    uint64_t size = format == 1 ? 2 : 6;
    if (format != 1 && format != 2) return -1;
    if (count > (s.length - items) / size) count = (s.length - items) / size;
    // Most glyphs a lookup meets lie outside its coverage altogether.
    if (count == 0) return -1;
    uint64_t final_item = items + size * (count - 1);
    if (glyph < qel_span_u16(s, items) || glyph > qel_span_u16(s, format == 1 ? final_item : final_item + 2)) return -1;
    uint64_t lo = 0, hi = count;
    while (lo < hi) {
        uint64_t mid = (lo + hi) / 2, item = items + size * mid;
        uint32_t first = qel_span_u16(s, item), last = format == 1 ? first : qel_span_u16(s, item + 2);
        if (glyph < first) {
            hi = mid;
        } else if (glyph > last) {
            lo = mid + 1;
        } else {
            return format == 1 ? (int32_t)mid : (int32_t)(qel_span_u16(s, item + 4) + (glyph - first));
        }
    }
    return -1;
}

uint32_t qel_opentype_class(qel_span s, uint32_t class_def, uint32_t glyph)
{
    if (class_def == 0 || !qel_span_fits(s, class_def, 6)) return 0;
    uint32_t format = qel_span_u16(s, class_def);
    if (format == 1) {
        uint32_t start = qel_span_u16(s, class_def + 2), count = qel_span_u16(s, class_def + 4);
        if (glyph < start || glyph - start >= count) return 0;
        return qel_opentype_u16(s, class_def + 6ull + 2ull * (glyph - start));
    }
    if (format != 2) return 0;
    uint64_t count = qel_span_u16(s, class_def + 2), items = class_def + 4ull;
    if (count > (s.length - items) / 6) count = (s.length - items) / 6;
    uint64_t lo = 0, hi = count;
    while (lo < hi) {
        uint64_t mid = (lo + hi) / 2, item = items + 6 * mid;
        if (glyph < qel_span_u16(s, item)) {
            hi = mid;
        } else if (glyph > qel_span_u16(s, item + 2)) {
            lo = mid + 1;
        } else {
            return qel_span_u16(s, item + 4);
        }
    }
    return 0;
}

uint32_t qel_opentype_ligature_set(qel_span s, uint32_t subtable, int32_t coverage_index)
{
    if (coverage_index < 0 || qel_opentype_u16(s, subtable) != 1) return 0;
    if ((uint32_t)coverage_index >= qel_opentype_u16(s, subtable + 4ull)) return 0;
    return qel_opentype_offset16(s, subtable, subtable + 6ull + 2ull * (uint32_t)coverage_index);
}

uint32_t qel_opentype_ligature_count(qel_span s, uint32_t set)
{
    return set ? qel_opentype_u16(s, set) : 0;
}

bool qel_opentype_ligature_at(qel_span s, uint32_t set, uint32_t index, qel_opentype_ligature* out)
{
    uint32_t at = qel_opentype_offset16(s, set, set + 2ull + 2ull * index);
    if (!at || !qel_span_fits(s, at, 4)) return false;
    out->glyph = qel_span_u16(s, at);
    out->components = qel_span_u16(s, at + 2);
    out->rest = at + 4;
    return out->components >= 1 && qel_span_fits(s, out->rest, 2ull * (out->components - 1));
}
