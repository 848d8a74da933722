// The lookup engine: lookup flags, the GSUB and GPOS subtable types it applies, context
// matching with nested lookups, and the budgets that stop damaged or looping fonts. Glyphs are
// reached through glyph_at, which steps over the gap that insertions and removals work in.
#include "lookup.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "opentype.h"

namespace {

constexpr uint32_t MAX_SEQUENCE = 256;
constexpr uint32_t RECENT_CLASSES = QEL_LOOKUP_RECENT_CLASSES;

enum {
    MAX_DEPTH = 12,
    OPERATION_FLOOR = 1000000,
    OPERATIONS_PER_GLYPH = 1024,
    STEPS_PER_GLYPH = 4096,
    STEP_FLOOR = 64000000,
    DFLT = 0x44464C54,
};

enum { GSUB_EXTENSION = 7, GPOS_EXTENSION = 9 };
enum { IGNORE_BASES = 0x2, IGNORE_LIGATURES = 0x4, IGNORE_MARKS = 0x8, USE_MARK_SET = 0x10 };
enum { BASE_GLYPH = 1, LIGATURE_GLYPH = 2, MARK_GLYPH = 3 };  // GDEF glyph classes

// What a lookup that removed its glyph returns: the pass goes on at the same position, where the
// next glyph now is.
constexpr int REMOVED = -1;

struct lookup_flags {
    uint32_t flag;
    uint32_t mark_set;
};

uint32_t u16(const qel_lookup_context* c, uint64_t at)
{
    return qel_opentype_u16(c->font, at);
}

int32_t s16(const qel_lookup_context* c, uint64_t at)
{
    return (int16_t)qel_opentype_u16(c->font, at);
}

uint32_t off16(const qel_lookup_context* c, uint32_t base, uint64_t at)
{
    return qel_opentype_offset16(c->font, base, at);
}

bool fits(const qel_lookup_context* c, uint64_t at, uint64_t n)
{
    return qel_span_fits(c->font, at, n);
}

int32_t coverage(const qel_lookup_context* c, uint32_t base, uint64_t at, uint32_t glyph)
{
    return qel_opentype_coverage(c->font, off16(c, base, at), glyph);
}

// Counts work against the step budget; false once it is spent.
bool step(qel_lookup_context* c, int64_t n = 1)
{
    c->steps += n;
    if (c->steps > c->step_budget) c->error = true;
    return !c->error;
}

// --- The run and its gap ---

qel_shaped_glyph& glyph_at(qel_lookup_context* c, int i)
{
    return c->glyphs[i < c->gap_start ? i : i + c->gap_length];
}

void gap_move(qel_lookup_context* c, int to)
{
    qel_shaped_glyph* g = c->glyphs;
    if (c->gap_length > 0 && to > c->gap_start) {
        memmove(g + c->gap_start, g + c->gap_start + c->gap_length, (size_t)(to - c->gap_start) * sizeof *g);
    } else if (c->gap_length > 0 && to < c->gap_start) {
        memmove(g + to + c->gap_length, g + to, (size_t)(c->gap_start - to) * sizeof *g);
    }
    c->gap_start = to;
}

void gap_close(qel_lookup_context* c)
{
    if (c->gap_length > 0) {
        memmove(c->glyphs + c->gap_start, c->glyphs + c->gap_start + c->gap_length,
                (size_t)(c->count - c->gap_start) * sizeof *c->glyphs);
    }
    c->gap_start = c->gap_length = 0;
}

void remove_glyph(qel_lookup_context* c, int at)
{
    if (at < c->gap_start) gap_move(c, at);
    qel_shaped_glyph* after_gap = c->glyphs + c->gap_start + c->gap_length;
    memmove(after_gap + 1, after_gap, (size_t)(at - c->gap_start) * sizeof *after_gap);
    c->gap_length++;
    c->count--;
}

// Makes room for `extra` more glyphs after the one at `at`, which moves to at + extra; the
// caller checked the capacity.
void insert_after(qel_lookup_context* c, int at, int extra)
{
    if (at < c->gap_start) gap_move(c, at);
    if (c->gap_length < extra) {  // the run's tail to the array's end: the gap is all free room
        int tail = c->count - c->gap_start, to = c->capacity - tail;
        memmove(c->glyphs + to, c->glyphs + c->gap_start + c->gap_length, (size_t)tail * sizeof *c->glyphs);
        c->gap_length = to - c->gap_start;
    }
    qel_shaped_glyph* after_gap = c->glyphs + c->gap_start + c->gap_length;
    memmove(after_gap - extra, after_gap, (size_t)(at - c->gap_start) * sizeof *after_gap);
    c->gap_length -= extra;
    c->count += extra;
}

// --- Lookup flags ---

bool in_mark_set(const qel_lookup_context* c, uint32_t set, uint32_t glyph)
{
    if (!c->mark_sets || set >= u16(c, c->mark_sets + 2ull)) return false;
    uint64_t at = c->mark_sets + 4ull + 4ull * set;
    uint64_t coverage_at = (uint64_t)c->mark_sets + qel_opentype_u32(c->font, at);
    if (coverage_at == c->mark_sets || coverage_at >= c->font.length) return false;
    return qel_opentype_coverage(c->font, (uint32_t)coverage_at, glyph) >= 0;
}

bool skipped(qel_lookup_context* c, lookup_flags f, uint32_t glyph)
{
    if ((f.flag & 0xFF00) == 0 && (f.flag & (IGNORE_BASES | IGNORE_LIGATURES | IGNORE_MARKS | USE_MARK_SET)) == 0) {
        return false;
    }
    uint32_t cls = qel_lookup_glyph_class(c, glyph);
    if (cls == BASE_GLYPH) return f.flag & IGNORE_BASES;
    if (cls == LIGATURE_GLYPH) return f.flag & IGNORE_LIGATURES;
    if (cls != MARK_GLYPH) return false;
    if (f.flag & IGNORE_MARKS) return true;
    if (f.flag & USE_MARK_SET) return !in_mark_set(c, f.mark_set, glyph);
    uint32_t attach_type = f.flag >> 8;
    return attach_type && qel_opentype_class(c->font, c->mark_classes, glyph) != attach_type;
}

// The nearest glyph after (before) a position that the flag does not skip; count (-1) when none.
int next_glyph(qel_lookup_context* c, lookup_flags f, int at)
{
    for (at++; at < c->count && step(c); at++) {
        if (!skipped(c, f, glyph_at(c, at).glyph)) return at;
    }
    return c->count;
}

int prev_glyph(qel_lookup_context* c, lookup_flags f, int at)
{
    for (at--; at >= 0 && step(c); at--) {
        if (!skipped(c, f, glyph_at(c, at).glyph)) return at;
    }
    return -1;
}

int apply_lookup(qel_lookup_context* c, uint32_t lookup, int at, int depth);

// --- Substitutions ---

int single_substitution(qel_lookup_context* c, uint32_t sub, int at)
{
    qel_shaped_glyph& g = glyph_at(c, at);
    int32_t index = coverage(c, sub, sub + 2ull, g.glyph);
    if (index < 0) return 0;
    uint32_t format = u16(c, sub);
    if (format == 1) {
        g.glyph = (g.glyph + (uint32_t)s16(c, sub + 4ull)) & 0xFFFF;
        return 1;
    }
    uint64_t substitute = sub + 6ull + 2ull * (uint32_t)index;
    if (format != 2 || (uint32_t)index >= u16(c, sub + 4ull) || !fits(c, substitute, 2)) return 0;
    g.glyph = u16(c, substitute);
    return 1;
}

int multiple_substitution(qel_lookup_context* c, uint32_t sub, int at)
{
    int32_t index = coverage(c, sub, sub + 2ull, glyph_at(c, at).glyph);
    if (index < 0 || u16(c, sub) != 1 || (uint32_t)index >= u16(c, sub + 4ull)) return 0;
    uint32_t sequence = off16(c, sub, sub + 6ull + 2ull * (uint32_t)index);
    int n = sequence ? (int)u16(c, sequence) : 0;
    if (!sequence || !fits(c, sequence + 2ull, 2ull * (uint32_t)n)) return 0;
    if (n > c->capacity - c->count + 1) {
        c->error = true;
        return 0;
    }
    if (!step(c, n)) return 0;
    if (n == 0) {
        remove_glyph(c, at);
        return REMOVED;
    }
    qel_shaped_glyph g = glyph_at(c, at);
    if (n > 1) insert_after(c, at, n - 1);
    for (int k = 0; k < n; k++) {
        qel_shaped_glyph& out = glyph_at(c, at + k);
        out = g;
        out.glyph = u16(c, sequence + 2ull + 2ull * (uint32_t)k);
    }
    return n;
}

int alternate_substitution(qel_lookup_context* c, uint32_t sub, int at)
{
    qel_shaped_glyph& g = glyph_at(c, at);
    int32_t index = coverage(c, sub, sub + 2ull, g.glyph);
    if (index < 0 || u16(c, sub) != 1 || (uint32_t)index >= u16(c, sub + 4ull)) return 0;
    uint32_t set = off16(c, sub, sub + 6ull + 2ull * (uint32_t)index);
    if (!set || u16(c, set) == 0 || !fits(c, set + 2ull, 2)) return 0;
    g.glyph = u16(c, set + 2ull);
    return 1;
}

// Matches the further components of a ligature after the glyph at `at`; their positions go to
// positions[1 ..].
bool match_ligature(qel_lookup_context* c, lookup_flags f, const qel_opentype_ligature& lig, int at, int* positions)
{
    uint32_t form = glyph_at(c, at).shaping_form;
    positions[0] = at;
    for (uint32_t k = 1; k < lig.components; k++) {
        int next = next_glyph(c, f, positions[k - 1]);
        if (next >= c->count) return false;
        const qel_shaped_glyph& g = glyph_at(c, next);
        if (g.glyph != u16(c, lig.rest + 2ull * (k - 1)) || g.shaping_form != form) return false;
        positions[k] = next;
    }
    return true;
}

int ligature_substitution(qel_lookup_context* c, uint32_t sub, lookup_flags f, int at)
{
    int32_t index = coverage(c, sub, sub + 2ull, glyph_at(c, at).glyph);
    uint32_t set = qel_opentype_ligature_set(c->font, sub, index);
    uint32_t count = qel_opentype_ligature_count(c->font, set);
    int positions[MAX_SEQUENCE];
    for (uint32_t i = 0; i < count && step(c); i++) {
        qel_opentype_ligature lig;
        if (!qel_opentype_ligature_at(c->font, set, i, &lig) || lig.components > MAX_SEQUENCE) continue;
        if (!match_ligature(c, f, lig, at, positions)) continue;
        qel_shaped_glyph& first = glyph_at(c, at);
        first.glyph = lig.glyph;
        first.ligature_components = lig.components;
        for (int k = (int)lig.components - 1; k >= 1; k--) {
            for (int mark = positions[k - 1] + 1; mark < positions[k]; mark++) glyph_at(c, mark).ligature_component = (uint32_t)k;
            remove_glyph(c, positions[k]);
        }
        return 1;
    }
    return 0;
}

// --- Contexts ---

enum match_kind { BY_GLYPH, BY_CLASS, BY_COVERAGE };

// How a rule names the glyphs of one of its sequences: an array of glyph ids, of classes in a
// class definition, or of coverage offsets from the subtable.
struct sequence {
    match_kind kind;
    uint32_t values;
    uint32_t count;
    uint32_t class_def;  // BY_CLASS
    uint32_t base;       // BY_COVERAGE
};

bool matches(const qel_lookup_context* c, const sequence& s, uint32_t k, uint32_t glyph)
{
    uint32_t value = u16(c, s.values + 2ull * k);
    if (s.kind == BY_GLYPH) return glyph == value;
    if (s.kind == BY_CLASS) return qel_opentype_class(c->font, s.class_def, glyph) == value;
    return qel_opentype_coverage(c->font, off16(c, s.base, s.values + 2ull * k), glyph) >= 0;
}

// A rule: its backtrack, its input after the first glyph, its lookahead and its lookup records.
struct rule {
    sequence backtrack, input, lookahead;
    uint32_t records;
    uint32_t record_count;
};

bool rule_fits(const qel_lookup_context* c, const rule& r)
{
    return r.input.count + 1 <= MAX_SEQUENCE && fits(c, r.backtrack.values, 2ull * r.backtrack.count) &&
           fits(c, r.input.values, 2ull * r.input.count) && fits(c, r.lookahead.values, 2ull * r.lookahead.count) &&
           fits(c, r.records, 4ull * r.record_count);
}

bool match_rule(qel_lookup_context* c, lookup_flags f, const rule& r, int at, int* positions)
{
    positions[0] = at;
    int last = at;
    for (uint32_t k = 0; k < r.input.count; k++) {
        last = next_glyph(c, f, last);
        if (last >= c->count || !matches(c, r.input, k, glyph_at(c, last).glyph)) return false;
        positions[k + 1] = last;
    }
    for (uint32_t k = 0; k < r.lookahead.count; k++) {
        last = next_glyph(c, f, last);
        if (last >= c->count || !matches(c, r.lookahead, k, glyph_at(c, last).glyph)) return false;
    }
    int back = at;
    for (uint32_t k = 0; k < r.backtrack.count; k++) {
        back = prev_glyph(c, f, back);
        if (back < 0 || !matches(c, r.backtrack, k, glyph_at(c, back).glyph)) return false;
    }
    return true;
}

// Tries a rule at a position; on a match applies its lookup records and returns the glyphs its
// input covers once they are applied, so that the pass goes on after them; 0 when it does not match.
int apply_rule(qel_lookup_context* c, lookup_flags f, const rule& r, int at, int depth)
{
    int positions[MAX_SEQUENCE];
    if (!rule_fits(c, r) || !match_rule(c, f, r, at, positions)) return 0;
    uint32_t inputs = r.input.count + 1;
    for (uint32_t i = 0; i < r.record_count && !c->error; i++) {
        uint32_t index = u16(c, r.records + 4ull * i), lookup = u16(c, r.records + 4ull * i + 2);
        if (index >= inputs) continue;
        int before = c->count;
        apply_lookup(c, lookup, positions[index], depth + 1);
        for (uint32_t later = index + 1; later < inputs; later++) positions[later] += c->count - before;
    }
    return std::max(positions[inputs - 1] - at + 1, 1);
}

// The rule at `at` of a format 1 or 2 rule set: glyph count, lookup count, input, records.
rule plain_rule(const qel_lookup_context* c, uint32_t at, match_kind kind, uint32_t class_def)
{
    uint32_t inputs = u16(c, at);
    rule r = {};
    r.input = {kind, at + 4, inputs ? inputs - 1 : MAX_SEQUENCE, class_def, 0};
    r.records = at + 4 + 2 * r.input.count;
    r.record_count = u16(c, at + 2ull);
    return r;
}

// A chaining rule from `at`: its backtrack, input, lookahead and records. Rules of rule sets
// leave the first input glyph out; the coverage-based format lists it first.
rule chained_rule(const qel_lookup_context* c, uint64_t at, match_kind kind, const uint32_t* class_defs,
                  bool first_listed)
{
    rule r = {};
    r.backtrack = {kind, (uint32_t)(at + 2), u16(c, at), class_defs[0], 0};
    at += 2 + 2ull * r.backtrack.count;
    uint32_t inputs = u16(c, at), listed = first_listed ? inputs : inputs ? inputs - 1 : 0;
    r.input = {kind, (uint32_t)(at + 2 + (first_listed ? 2 : 0)), inputs ? inputs - 1 : MAX_SEQUENCE, class_defs[1], 0};
    at += 2 + 2ull * listed;
    r.lookahead = {kind, (uint32_t)(at + 2), u16(c, at), class_defs[2], 0};
    at += 2 + 2ull * r.lookahead.count;
    r.record_count = u16(c, at);
    r.records = (uint32_t)std::min<uint64_t>(at + 2, UINT32_MAX);
    return r;
}

// Formats 1 and 2: the rule set for the first glyph, its rules tried in order.
int apply_rule_set(qel_lookup_context* c, lookup_flags f, uint32_t set, bool chained, match_kind kind,
                   const uint32_t* class_defs, int at, int depth)
{
    uint32_t rules = set ? u16(c, set) : 0;
    for (uint32_t i = 0; i < rules && step(c); i++) {
        uint32_t at_rule = off16(c, set, set + 2ull + 2ull * i);
        if (!at_rule) continue;
        rule r = chained ? chained_rule(c, at_rule, kind, class_defs, false) : plain_rule(c, at_rule, kind, class_defs[1]);
        int consumed = apply_rule(c, f, r, at, depth);
        if (consumed) return consumed;
    }
    return 0;
}

// Formats 1 and 2: the rule set chosen by the first glyph's coverage index, or by its class in
// the input class definition (a chaining context has three: backtrack, input and lookahead).
int apply_rule_sets(qel_lookup_context* c, uint32_t sub, lookup_flags f, int at, int depth, bool chained)
{
    uint32_t format = u16(c, sub), glyph = glyph_at(c, at).glyph;
    int32_t index = coverage(c, sub, sub + 2ull, glyph);
    if (index < 0 || (format != 1 && format != 2)) return 0;
    uint32_t class_defs[3] = {0, 0, 0};
    uint64_t sets = sub + 4ull;
    if (format == 2) {
        int defs = chained ? 3 : 1;
        for (int k = 0; k < defs; k++) class_defs[chained ? k : 1] = off16(c, sub, sub + 4ull + 2ull * k);
        index = (int32_t)qel_opentype_class(c->font, class_defs[1], glyph);
        sets += 2ull * defs;
    }
    if ((uint32_t)index >= u16(c, sets)) return 0;
    uint32_t set = off16(c, sub, sets + 2 + 2ull * (uint32_t)index);
    return apply_rule_set(c, f, set, chained, format == 1 ? BY_GLYPH : BY_CLASS, class_defs, at, depth);
}

int context(qel_lookup_context* c, uint32_t sub, lookup_flags f, int at, int depth)
{
    if (u16(c, sub) != 3) return apply_rule_sets(c, sub, f, at, depth, false);
    uint32_t inputs = u16(c, sub + 2ull);
    if (inputs == 0 || coverage(c, sub, sub + 6ull, glyph_at(c, at).glyph) < 0) return 0;
    rule r = {};
    r.input = {BY_COVERAGE, sub + 8, inputs - 1, 0, sub};
    r.records = sub + 6 + 2 * inputs;
    r.record_count = u16(c, sub + 4ull);
    return apply_rule(c, f, r, at, depth);
}

int chaining_context(qel_lookup_context* c, uint32_t sub, lookup_flags f, int at, int depth)
{
    if (u16(c, sub) != 3) return apply_rule_sets(c, sub, f, at, depth, true);
    uint64_t inputs = sub + 4ull + 2ull * u16(c, sub + 2ull);  // after the backtrack coverages
    if (u16(c, inputs) == 0 || coverage(c, sub, inputs + 2, glyph_at(c, at).glyph) < 0) return 0;
    const uint32_t no_classes[3] = {0, 0, 0};
    rule r = chained_rule(c, sub + 2ull, BY_COVERAGE, no_classes, true);
    r.backtrack.base = r.input.base = r.lookahead.base = sub;
    return apply_rule(c, f, r, at, depth);
}

// --- Positioning ---

uint32_t value_size(uint32_t format)
{
    return 2 * (uint32_t)std::popcount(format & 0xFFu);
}

void apply_value(qel_lookup_context* c, uint64_t at, uint32_t format, int index)
{
    qel_shaped_glyph& g = glyph_at(c, index);
    if (format & 0x1) {
        g.x_offset += s16(c, at);
        at += 2;
    }
    if (format & 0x2) {
        g.y_offset += s16(c, at);
        at += 2;
    }
    if (format & 0x4) g.x_advance += s16(c, at);
}

int single_positioning(qel_lookup_context* c, uint32_t sub, int at)
{
    int32_t index = coverage(c, sub, sub + 2ull, glyph_at(c, at).glyph);
    uint32_t format = u16(c, sub), values = u16(c, sub + 4ull), size = value_size(values);
    if (index < 0) return 0;
    uint64_t record = sub + 6ull;
    if (format == 2) {
        if ((uint32_t)index >= u16(c, sub + 6ull)) return 0;
        record = sub + 8ull + (uint64_t)size * (uint32_t)index;
    } else if (format != 1) {
        return 0;
    }
    if (!fits(c, record, size)) return 0;
    apply_value(c, record, values, at);
    return 1;
}

int pair_positioning(qel_lookup_context* c, uint32_t sub, lookup_flags f, int at)
{
    int32_t index = coverage(c, sub, sub + 2ull, glyph_at(c, at).glyph);
    if (index < 0) return 0;
    int second = next_glyph(c, f, at);
    if (second >= c->count) return 0;
    uint32_t format = u16(c, sub), format1 = u16(c, sub + 4ull), format2 = u16(c, sub + 6ull);
    uint32_t size1 = value_size(format1), size2 = value_size(format2);
    uint32_t second_glyph = glyph_at(c, second).glyph;
    uint64_t record = 0;
    if (format == 1) {
        if ((uint32_t)index >= u16(c, sub + 8ull)) return 0;
        uint32_t set = off16(c, sub, sub + 10ull + 2ull * (uint32_t)index);
        uint32_t pairs = set ? u16(c, set) : 0, size = 2 + size1 + size2;
        for (uint32_t i = 0; i < pairs && step(c); i++) {
            uint64_t at_pair = set + 2ull + (uint64_t)size * i;
            if (!fits(c, at_pair, size)) return 0;
            if (u16(c, at_pair) == second_glyph) {
                record = at_pair + 2;
                break;
            }
        }
        if (!record) return 0;
    } else if (format == 2) {
        uint32_t class1 = qel_opentype_class(c->font, off16(c, sub, sub + 8ull), glyph_at(c, at).glyph);
        uint32_t class2 = qel_opentype_class(c->font, off16(c, sub, sub + 10ull), second_glyph);
        uint32_t count1 = u16(c, sub + 12ull), count2 = u16(c, sub + 14ull);
        if (class1 >= count1 || class2 >= count2) return 0;
        record = sub + 16ull + ((uint64_t)class1 * count2 + class2) * (size1 + size2);
        if (!fits(c, record, size1 + size2)) return 0;
    } else {
        return 0;
    }
    apply_value(c, record, format1, at);
    apply_value(c, record + size1, format2, second);
    return format2 ? 2 : 1;
}

bool read_anchor(const qel_lookup_context* c, uint32_t anchor, int32_t* x, int32_t* y)
{
    if (!anchor || !fits(c, anchor, 6)) return false;
    *x = s16(c, anchor + 2ull);
    *y = s16(c, anchor + 4ull);
    return true;
}

// The glyph a mark attaches to: for mark to base and to ligature the nearest one before it that
// is not a mark, for mark to mark the nearest one the flag leaves, which must be a mark.
int attachment_base(qel_lookup_context* c, uint32_t type, lookup_flags f, int at)
{
    if (type == 6) {
        int base = prev_glyph(c, f, at);
        return base >= 0 && qel_lookup_glyph_class(c, glyph_at(c, base).glyph) == MARK_GLYPH ? base : -1;
    }
    int base = at - 1;
    while (base >= 0 && step(c) && qel_lookup_glyph_class(c, glyph_at(c, base).glyph) == MARK_GLYPH) base--;
    return c->error ? -1 : base;
}

// The base's anchor for a mark class: by base index, or in a ligature by the mark's component.
uint32_t base_anchor(qel_lookup_context* c, uint32_t type, uint32_t array, int32_t index, uint32_t mark_class,
                     uint32_t classes, int at)
{
    if ((uint32_t)index >= u16(c, array)) return 0;
    if (type != 5) return off16(c, array, array + 2 + 2 * ((uint64_t)(uint32_t)index * classes + mark_class));
    uint32_t attach = off16(c, array, array + 2ull + 2ull * (uint32_t)index);
    uint32_t components = attach ? u16(c, attach) : 0;
    uint32_t component = glyph_at(c, at).ligature_component;
    if (component == 0) component = components;
    if (component == 0 || component > components) return 0;
    return off16(c, attach, attach + 2 + 2 * ((uint64_t)(component - 1) * classes + mark_class));
}

int mark_attachment(qel_lookup_context* c, uint32_t type, uint32_t sub, lookup_flags f, int at)
{
    if (u16(c, sub) != 1) return 0;
    int32_t mark_index = coverage(c, sub, sub + 2ull, glyph_at(c, at).glyph);
    if (mark_index < 0) return 0;
    int base = attachment_base(c, type, f, at);
    if (base < 0) return 0;
    int32_t base_index = coverage(c, sub, sub + 4ull, glyph_at(c, base).glyph);
    uint32_t classes = u16(c, sub + 6ull), marks = off16(c, sub, sub + 8ull), bases = off16(c, sub, sub + 10ull);
    if (base_index < 0 || !marks || !bases || (uint32_t)mark_index >= u16(c, marks)) return 0;
    uint64_t mark_record = marks + 2ull + 4ull * (uint32_t)mark_index;
    uint32_t mark_class = u16(c, mark_record);
    if (mark_class >= classes) return 0;
    int32_t mark_x, mark_y, base_x, base_y;
    if (!read_anchor(c, off16(c, marks, mark_record + 2), &mark_x, &mark_y)) return 0;
    if (!read_anchor(c, base_anchor(c, type, bases, base_index, mark_class, classes, at), &base_x, &base_y)) return 0;
    const qel_shaped_glyph& b = glyph_at(c, base);
    qel_shaped_glyph& m = glyph_at(c, at);
    int32_t x = b.x_offset + base_x - mark_x;
    if (c->right_to_left) {
        x += m.x_advance;
    } else {
        if (!step(c, at - base)) return 0;
        for (int k = base; k < at; k++) x -= glyph_at(c, k).x_advance;
    }
    m.x_offset = x;
    m.y_offset = b.y_offset + base_y - mark_y;
    return 1;
}

// --- Dispatch ---

int apply_subtable(qel_lookup_context* c, uint32_t type, uint32_t sub, lookup_flags f, int at, int depth)
{
    uint32_t extension = c->positioning ? GPOS_EXTENSION : GSUB_EXTENSION;
    if (type == extension) {
        uint32_t inner = u16(c, sub + 2ull);
        uint64_t target = (uint64_t)sub + qel_opentype_u32(c->font, sub + 4ull);
        if (u16(c, sub) != 1 || inner == extension || target == sub || target >= c->font.length) return 0;
        if (depth + 1 > MAX_DEPTH) return 0;
        return apply_subtable(c, inner, (uint32_t)target, f, at, depth + 1);
    }
    if (c->positioning) {
        switch (type) {
        case 1: return single_positioning(c, sub, at);
        case 2: return pair_positioning(c, sub, f, at);
        case 4:
        case 5:
        case 6: return mark_attachment(c, type, sub, f, at);
        case 7: return context(c, sub, f, at, depth);
        case 8: return chaining_context(c, sub, f, at, depth);
        default: return 0;  // cursive attachment is not applied
        }
    }
    switch (type) {
    case 1: return single_substitution(c, sub, at);
    case 2: return multiple_substitution(c, sub, at);
    case 3: return alternate_substitution(c, sub, at);
    case 4: return ligature_substitution(c, sub, f, at);
    case 5: return context(c, sub, f, at, depth);
    case 6: return chaining_context(c, sub, f, at, depth);
    default: return 0;  // reverse chaining is not applied
    }
}

// A lookup's table read once: where it is, its type, flag and subtable count.
struct lookup_header {
    uint32_t at;
    uint32_t type;
    uint32_t subtables;
    lookup_flags f;
};

bool read_lookup(qel_lookup_context* c, uint32_t index, lookup_header* h)
{
    if (index >= u16(c, c->lookup_list)) return false;
    h->at = off16(c, c->lookup_list, c->lookup_list + 2ull + 2ull * index);
    if (!h->at) return false;
    h->type = u16(c, h->at);
    h->subtables = u16(c, h->at + 4ull);
    h->f = {u16(c, h->at + 2ull), 0};
    if (h->f.flag & USE_MARK_SET) h->f.mark_set = u16(c, h->at + 6ull + 2ull * h->subtables);
    return true;
}

int apply_read_lookup(qel_lookup_context* c, const lookup_header& h, int at, int depth)
{
    if (++c->operations > c->operation_budget) {
        c->error = true;
        return 0;
    }
    if (skipped(c, h.f, glyph_at(c, at).glyph)) return 0;
    for (uint32_t i = 0; i < h.subtables && step(c); i++) {
        uint32_t sub = off16(c, h.at, h.at + 6ull + 2ull * i);
        if (!sub) continue;
        int consumed = apply_subtable(c, h.type, sub, h.f, at, depth);
        if (consumed || c->error) return consumed;
    }
    return 0;
}

int apply_lookup(qel_lookup_context* c, uint32_t index, int at, int depth)
{
    lookup_header h;
    if (c->error || depth > MAX_DEPTH || at < 0 || at >= c->count || !read_lookup(c, index, &h)) return 0;
    return apply_read_lookup(c, h, at, depth);
}

// One lookup over the whole run, or over the glyphs of one shaping form.
void apply_over_run(qel_lookup_context* c, uint32_t lookup, uint32_t form_filter)
{
    lookup_header h;
    if (!read_lookup(c, lookup, &h)) return;
    int at = 0;
    while (at < c->count && step(c)) {
        if (form_filter != 0xffffffff) {
            while (at < c->count && step(c) && glyph_at(c, at).shaping_form != form_filter) at++;
            if (at >= c->count || c->error) break;
        }
        gap_move(c, at);
        int consumed = apply_read_lookup(c, h, at, 0);
        at += consumed == REMOVED ? 0 : std::max(consumed, 1);
    }
    gap_close(c);
}

// Feature i of a language system: its tag and Feature table, 0 and 0 when it is not listed.
qel_lookup_feature read_feature(const qel_lookup_context* c, uint32_t langsys, uint32_t i)
{
    uint32_t list = off16(c, c->table, c->table + 6ull), features = list ? u16(c, list) : 0;
    uint32_t index = u16(c, langsys + 6ull + 2ull * i);
    if (index >= features) return {0, 0};
    uint64_t record = list + 2ull + 6ull * index;
    return {qel_opentype_u32(c->font, record), off16(c, list, record + 4)};
}

// Every feature call of a pass reads the same language system: its first features once.
void list_features(qel_lookup_context* c, uint32_t langsys)
{
    uint32_t indices = std::min<uint32_t>(u16(c, langsys + 4ull), QEL_LOOKUP_LISTED_FEATURES);
    for (uint32_t i = 0; i < indices; i++) c->listed[i] = read_feature(c, langsys, i);
    c->listed_langsys = langsys;
}

uint32_t find_script(const qel_lookup_context* c, uint32_t list, uint32_t tag, bool* found)
{
    uint32_t scripts = u16(c, list);
    for (uint32_t i = 0; i < scripts; i++) {
        uint64_t record = list + 2ull + 6ull * i;
        if (!fits(c, record, 6)) break;
        if (qel_opentype_u32(c->font, record) != tag) continue;
        *found = true;
        return off16(c, list, record + 4);
    }
    *found = false;
    return 0;
}

}  // namespace

void qel_lookup_begin(qel_lookup_context* c, const qel_shaper* shaper, qel_shaped_glyph* glyphs, int count,
                      int capacity, bool right_to_left, bool positioning)
{
    *c = {};
    c->font = {shaper->data, (uint32_t)shaper->size};
    c->glyphs = glyphs;
    c->count = count;
    c->capacity = capacity;
    c->right_to_left = right_to_left;
    c->positioning = positioning;
    c->operation_budget = std::max<int64_t>(OPERATION_FLOOR, (int64_t)OPERATIONS_PER_GLYPH * count);
    c->step_budget = std::max<int64_t>(STEP_FLOOR, (int64_t)STEPS_PER_GLYPH * count);
    // An empty slot holds a glyph id that belongs in another slot, so it matches no lookup.
    for (uint32_t i = 0; i < RECENT_CLASSES; i++) c->recent_classes[i] = ((i + 1) % RECENT_CLASSES) << 16;
    c->table = positioning ? shaper->gpos : shaper->gsub;
    c->lookup_list = c->table ? off16(c, c->table, c->table + 8ull) : 0;
    uint32_t gdef = shaper->gdef;
    if (gdef) {
        c->glyph_classes = off16(c, gdef, gdef + 4ull);
        c->mark_classes = off16(c, gdef, gdef + 10ull);
        // Mark glyph sets came with version 1.2; in older tables the bytes there are other data.
        if (u16(c, gdef + 2ull) >= 2) c->mark_sets = off16(c, gdef, gdef + 12ull);
    }
}

uint32_t qel_lookup_langsys(const qel_lookup_context* c, uint32_t script)
{
    uint32_t list = c->table ? off16(c, c->table, c->table + 4ull) : 0;
    if (!list) return 0;
    bool found;
    uint32_t at = find_script(c, list, script, &found);
    if (!found) at = find_script(c, list, DFLT, &found);
    return at ? off16(c, at, at) : 0;
}

void qel_lookup_apply_feature(qel_lookup_context* c, uint32_t langsys, uint32_t feature, uint32_t form_filter)
{
    if (!langsys || !c->lookup_list) return;
    if (c->listed_langsys != langsys) list_features(c, langsys);
    uint32_t indices = u16(c, langsys + 4ull);
    for (uint32_t i = 0; i < indices && !c->error; i++) {
        qel_lookup_feature entry = i < QEL_LOOKUP_LISTED_FEATURES ? c->listed[i] : read_feature(c, langsys, i);
        if (entry.tag != feature || !entry.at) continue;
        uint32_t lookups = u16(c, entry.at + 2ull);
        for (uint32_t k = 0; k < lookups && !c->error; k++) {
            apply_over_run(c, u16(c, entry.at + 4ull + 2ull * k), form_filter);
        }
    }
}

uint32_t qel_lookup_glyph_class(qel_lookup_context* c, uint32_t glyph)
{
    uint32_t& recent = c->recent_classes[glyph % RECENT_CLASSES];
    if (recent >> 16 == glyph) return recent & 0xFFFF;
    uint32_t cls = qel_opentype_class(c->font, c->glyph_classes, glyph);
    if (glyph <= 0xFFFF && cls <= 0xFFFF) recent = glyph << 16 | cls;
    return cls;
}
