// The shaper: the font's tables found once, then for each run the marks ordered and composed,
// glyphs mapped, Arabic joining forms chosen, GSUB and GPOS features applied in a fixed order
// by the lookup engine, advances read from hmtx, and the run put in visual order.
#include "qel/shaper.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "lookup.h"
#include "opentype.h"
#include "unicode_tables.h"

namespace {

constexpr uint32_t tag(const char (&t)[5])
{
    return (uint32_t)(uint8_t)t[0] << 24 | (uint32_t)(uint8_t)t[1] << 16 | (uint32_t)(uint8_t)t[2] << 8 | (uint8_t)t[3];
}

constexpr uint32_t ARAB = tag("arab");
constexpr uint32_t ANY_FORM = 0xffffffff;
constexpr uint32_t MAX_SIZE = 0x80000000u;

enum { ISOLATED, FINAL, MEDIAL, INITIAL };
enum { JOINS_LEFT = 1, JOINS_RIGHT = 2, JOINS_DUAL = 3, TRANSPARENT = 4 };

const uint32_t substitution_features[] = {
    tag("rtla"), tag("rtlm"), tag("stch"), tag("ccmp"), tag("locl"), tag("isol"), tag("fina"), tag("medi"),
    tag("init"), tag("rlig"), tag("calt"), tag("rclt"), tag("liga"), tag("clig"), tag("mset"),
};
const uint32_t positioning_features[] = {tag("curs"), tag("kern"), tag("mark"), tag("mkmk"), tag("dist")};

struct composition {
    uint32_t composed, base, mark;
};
const composition compositions[] = {
    {0x0622, 0x0627, 0x0653}, {0x0623, 0x0627, 0x0654}, {0x0624, 0x0648, 0x0654}, {0x0625, 0x0627, 0x0655},
    {0x0626, 0x064A, 0x0654}, {0x06C0, 0x06D5, 0x0654}, {0x06C2, 0x06C1, 0x0654}, {0x06D3, 0x06D2, 0x0654},
};

// Arabic's modifier combining marks, which the transient reordering moves to the front of their run.
const uint32_t modifier_marks[] = {0x0654, 0x0655, 0x0658, 0x06DC, 0x06E3, 0x06E7, 0x06E8,
                                   0x08CA, 0x08CB, 0x08CD, 0x08CE, 0x08CF, 0x08D3, 0x08F3};

// Runs of marks up to this length are sorted by insertion, longer ones by counting.
constexpr int SHORT_MARK_RUN = 16;

uint32_t combining_class(uint32_t code_point)
{
    const qel_unicode_combining* end = qel_unicode_combining_classes + QEL_UNICODE_COMBINING_CLASSES;
    const qel_unicode_combining* at = std::lower_bound(
        qel_unicode_combining_classes, end, code_point,
        [](const qel_unicode_combining& c, uint32_t cp) { return c.code_point < cp; });
    return at != end && at->code_point == code_point ? at->combining_class : 0;
}

// Arabic orders shadda before the other harakat.
uint32_t arabic_class(uint32_t cls)
{
    if (cls == 33) return 27;
    return cls >= 27 && cls <= 32 ? cls + 1 : cls;
}

uint32_t joining_type(uint32_t code_point)
{
    const qel_unicode_joining* end = qel_unicode_joining_types + QEL_UNICODE_JOINING_TYPES;
    const qel_unicode_joining* at = std::upper_bound(
        qel_unicode_joining_types, end, code_point,
        [](uint32_t cp, const qel_unicode_joining& j) { return cp < j.first; });
    if (at == qel_unicode_joining_types) return 0;
    --at;
    return code_point - at->first <= at->span ? at->type : 0;
}

bool is_modifier_mark(uint32_t code_point)
{
    return std::binary_search(std::begin(modifier_marks), std::end(modifier_marks), code_point);
}

bool is_invisible_control(uint32_t cp)
{
    return (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

uint32_t map_glyph(const qel_shaper* s, uint32_t code_point)
{
    return qel_opentype_cmap_glyph({s->data, (uint32_t)s->size}, s->cmap, code_point);
}

// --- Marks ---

// Puts the marks of run[0 .. n-1] in order of class, keeping the order of equal classes: by
// insertion when short, else by counting, with each mark's destination kept in its glyph field
// (unused until glyphs are mapped) and the moves made by following cycles.
void sort_mark_run(qel_shaped_glyph* run, int n)
{
    if (n <= SHORT_MARK_RUN) {
        for (int i = 1; i < n; i++) {
            qel_shaped_glyph mark = run[i];
            int k = i;
            for (; k > 0 && run[k - 1].shaping_form > mark.shaping_form; k--) run[k] = run[k - 1];
            run[k] = mark;
        }
        return;
    }
    uint32_t first_of_class[256] = {};
    for (int i = 0; i < n; i++) first_of_class[run[i].shaping_form & 255]++;
    uint32_t next = 0;
    for (uint32_t& slot : first_of_class) {
        uint32_t count = slot;
        slot = next;
        next += count;
    }
    for (int i = 0; i < n; i++) run[i].glyph = first_of_class[run[i].shaping_form & 255]++;
    for (int i = 0; i < n; i++) {
        while (run[i].glyph != (uint32_t)i) std::swap(run[i], run[run[i].glyph]);
    }
}

// Calls fn(first, end) for every maximal run of marks (non-zero class) in the array.
template <typename Fn>
void for_each_mark_run(qel_shaped_glyph* g, int count, Fn fn)
{
    for (int i = 0; i < count; i++) {
        if (g[i].shaping_form == 0) continue;
        int end = i;
        while (end < count && g[end].shaping_form != 0) end++;
        fn(i, end);
        i = end;
    }
}

// The Arabic transient reordering: modifier marks of class 220, then 230, move to the front of
// their run of marks.
void reorder_arabic_marks(qel_shaped_glyph* g, int start, int end)
{
    int i = start;
    for (uint32_t cls = 220; cls <= 230; cls += 10) {
        while (i < end && g[i].shaping_form < cls) i++;
        if (i == end) break;
        if (g[i].shaping_form > cls) continue;
        int j = i;
        while (j < end && g[j].shaping_form == cls && is_modifier_mark(g[j].code_point)) j++;
        if (i == j) continue;
        std::rotate(g + start, g + i, g + j);
        for (int k = start; k < start + (j - i); k++) g[k].shaping_form = cls == 220 ? 25 : 26;
        start += j - i;
        i = j;
    }
}

uint32_t compose(const qel_shaper* s, uint32_t base, uint32_t mark)
{
    for (const composition& c : compositions) {
        if (c.base == base && c.mark == mark) return map_glyph(s, c.composed) ? c.composed : 0;
    }
    return 0;
}

// Composes marks into the last starter before them where the pair is listed and the font has
// the composed character; returns the new count.
int compose_marks(const qel_shaper* s, qel_shaped_glyph* g, int count)
{
    int out = 0, starter = -1;
    uint32_t last_class = 0;
    for (int i = 0; i < count; i++) {
        uint32_t cls = g[i].shaping_form;
        if (cls == 0) {
            starter = out;
            last_class = 0;
        } else if (starter >= 0 && (out == starter + 1 || cls > last_class)) {
            uint32_t composed = compose(s, g[starter].code_point, g[i].code_point);
            if (composed) {
                g[starter].code_point = composed;
                continue;
            }
            last_class = cls;
        } else {
            last_class = cls;
        }
        g[out++] = g[i];
    }
    return out;
}

// Joining forms in logical order; transparent characters keep form 0 and do not break a chain.
void choose_joining_forms(qel_shaped_glyph* g, int count)
{
    int prev = -1;
    uint32_t prev_type = 0;
    for (int i = 0; i < count; i++) {
        uint32_t type = joining_type(g[i].code_point);
        if (type == TRANSPARENT) continue;
        if (type == 0) {
            prev = -1;
            continue;
        }
        g[i].shaping_form = ISOLATED;
        if (prev >= 0 && (prev_type == JOINS_LEFT || prev_type == JOINS_DUAL) &&
            (type == JOINS_RIGHT || type == JOINS_DUAL)) {
            g[i].shaping_form = FINAL;
            g[prev].shaping_form = g[prev].shaping_form == FINAL ? MEDIAL : INITIAL;
        }
        prev = i;
        prev_type = type;
    }
}

// --- Tables ---

int32_t advance_of(const qel_shaper* s, uint32_t glyph)
{
    uint32_t record = std::min(glyph, s->hmetric_count - 1);
    return qel_opentype_u16({s->data, (uint32_t)s->size}, (uint64_t)s->hmtx + 4ull * record);
}

// GSUB: the features in order, the joining ones limited to their form, then every glyph open to
// the rest.
int substitute(const qel_shaper* s, qel_shaped_glyph* g, int count, int capacity, uint32_t script, bool rtl,
               bool tabular, bool* failed)
{
    qel_lookup_context c;
    qel_lookup_begin(&c, s, g, count, capacity, rtl, false);
    uint32_t langsys = qel_lookup_langsys(&c, script);
    for (uint32_t feature : substitution_features) {
        if (!rtl && (feature == tag("rtla") || feature == tag("rtlm"))) continue;
        uint32_t filter = ANY_FORM;
        if (feature == tag("isol")) filter = ISOLATED;
        if (feature == tag("fina")) filter = FINAL;
        if (feature == tag("medi")) filter = MEDIAL;
        if (feature == tag("init")) filter = INITIAL;
        if (feature == tag("rlig")) {
            for (int i = 0; i < c.count; i++) g[i].shaping_form = ANY_FORM;
        }
        qel_lookup_apply_feature(&c, langsys, feature, filter);
    }
    if (tabular) qel_lookup_apply_feature(&c, langsys, tag("tnum"), ANY_FORM);
    *failed = c.error;
    return c.count;
}

bool position(const qel_shaper* s, qel_shaped_glyph* g, int count, uint32_t script, bool rtl)
{
    qel_lookup_context c;
    qel_lookup_begin(&c, s, g, count, count, rtl, true);
    for (int i = 0; i < count; i++) {
        bool mark = qel_lookup_glyph_class(&c, g[i].glyph) == 3;  // marks take no room of their own
        g[i].x_advance = mark ? 0 : advance_of(s, g[i].glyph);
    }
    uint32_t langsys = qel_lookup_langsys(&c, script);
    for (uint32_t feature : positioning_features) qel_lookup_apply_feature(&c, langsys, feature, ANY_FORM);
    return !c.error;
}

}  // namespace

int qel_shaper_init(qel_shaper* shaper, const uint8_t* data, uint64_t size, int64_t font_offset)
{
    memset(shaper, 0, sizeof *shaper);
    if (!data || size >= MAX_SIZE || font_offset < 0 || size < (uint64_t)font_offset + 12) return 0;
    qel_span font = {data, (uint32_t)size};
    uint32_t directory = (uint32_t)font_offset, at, length;
    uint32_t cmap, cmap_length, hhea, hhea_length, hmtx, hmtx_length;
    if (!qel_opentype_table(font, directory, "cmap", &cmap, &cmap_length) ||
        !qel_opentype_table(font, directory, "hhea", &hhea, &hhea_length) ||
        !qel_opentype_table(font, directory, "hmtx", &hmtx, &hmtx_length) || hhea_length < 36) {
        return 0;
    }
    uint32_t subtable = qel_opentype_cmap_subtable({data + cmap, cmap_length}, 0);
    uint32_t metrics = qel_span_u16(font, hhea + 34ull);
    if (!subtable || metrics == 0) return 0;
    shaper->data = data;
    shaper->size = size;
    shaper->cmap = cmap + subtable;
    shaper->hmtx = hmtx;
    shaper->hmetric_count = metrics;
    if (qel_opentype_table(font, directory, "GSUB", &at, &length)) shaper->gsub = at;
    if (qel_opentype_table(font, directory, "GPOS", &at, &length)) shaper->gpos = at;
    if (qel_opentype_table(font, directory, "GDEF", &at, &length)) shaper->gdef = at;
    return 1;
}

int qel_shape_text(const qel_shaper* shaper, qel_shaped_glyph* glyphs, int count, int capacity, uint32_t script,
                   int right_to_left, int tabular_figures)
{
    if (!shaper || count < 0 || count > capacity || !shaper->cmap) return -1;
    bool arabic = script == ARAB;
    for (int i = 0; i < count; i++) {
        uint32_t cls = combining_class(glyphs[i].code_point);
        glyphs[i].shaping_form = arabic ? arabic_class(cls) : cls;
    }
    for_each_mark_run(glyphs, count, [&](int start, int end) { sort_mark_run(glyphs + start, end - start); });
    if (arabic) for_each_mark_run(glyphs, count, [&](int start, int end) { reorder_arabic_marks(glyphs, start, end); });
    count = compose_marks(shaper, glyphs, count);
    for (int i = 0; i < count; i++) {
        qel_shaped_glyph& g = glyphs[i];
        g.glyph = map_glyph(shaper, g.code_point);
        g.x_advance = g.x_offset = g.y_offset = 0;
        g.shaping_form = g.ligature_components = g.ligature_component = 0;
    }
    if (arabic) choose_joining_forms(glyphs, count);
    bool failed = false;
    count = substitute(shaper, glyphs, count, capacity, script, right_to_left, tabular_figures, &failed);
    if (failed || !position(shaper, glyphs, count, script, right_to_left)) return -1;
    uint32_t space = map_glyph(shaper, 0x20);
    for (int i = 0; i < count; i++) {
        if (!is_invisible_control(glyphs[i].code_point)) continue;
        glyphs[i].glyph = space;
        glyphs[i].x_advance = glyphs[i].x_offset = glyphs[i].y_offset = 0;
    }
    if (right_to_left) std::reverse(glyphs, glyphs + count);
    return count;
}
