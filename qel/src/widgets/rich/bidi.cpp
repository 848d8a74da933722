// The bidirectional algorithm for one paragraph at one embedding level: weak types, paired
// brackets, neutrals, implicit levels, then a line's reordering and mirroring. Classes, brackets
// and mirrors come from the generated Unicode tables.
#include "qel/bidi.h"

#include "unicode_tables.h"

namespace {

enum { BRACKET_STACK = 63 };

// The last range starting at or before the code point: the hint when it is that range (letters
// of a word mostly share one), else found by halving without branches.
const uint32_t* range_of(uint32_t code_point, const uint32_t* hint)
{
    constexpr const uint32_t* last = qel_unicode_bidi_ranges + QEL_UNICODE_BIDI_RANGES - 1;
    uint32_t key = (code_point > 0x10FFFF ? 0x10FFFF : code_point) << 5 | 31;
    if (*hint <= key && (hint == last || key < hint[1])) return hint;
    const uint32_t* base = qel_unicode_bidi_ranges;
    for (uint32_t n = QEL_UNICODE_BIDI_RANGES; n > 1; n -= n / 2) base = base[n / 2] <= key ? base + n / 2 : base;
    return base;
}

int class_of(uint32_t code_point)
{
    return (int)(*range_of(code_point, qel_unicode_bidi_ranges) & 31);
}

const qel_unicode_bracket* bracket_of(uint32_t code_point)
{
    int lo = 0, hi = QEL_UNICODE_BRACKETS - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        if (qel_unicode_brackets[mid].code_point == code_point) return &qel_unicode_brackets[mid];
        if (qel_unicode_brackets[mid].code_point < code_point) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return nullptr;
}

// U+2329 and U+232A are canonically equivalent to U+3008 and U+3009, and pair with them.
uint32_t canonical_bracket(uint32_t code_point)
{
    return code_point == 0x232A ? 0x3009 : code_point;
}

// The strong direction a resolved class gives the neutral and bracket rules: numbers count as R.
int strong_of(int cls)
{
    if (cls == QEL_BIDI_L) return QEL_BIDI_L;
    if (cls == QEL_BIDI_R || cls == QEL_BIDI_EN || cls == QEL_BIDI_AN) return QEL_BIDI_R;
    return -1;
}

bool is_neutral(int cls)
{
    return cls == QEL_BIDI_BN || cls == QEL_BIDI_B || cls == QEL_BIDI_S || cls == QEL_BIDI_WS || cls == QEL_BIDI_ON;
}

// The nearest character before i (or after it) that is not BN; -1 (or count) when none.
int prev_kept(const qel_bidi_char* c, int i)
{
    for (i--; i >= 0 && c[i].resolved == QEL_BIDI_BN; i--) {
    }
    return i;
}

int next_kept(const qel_bidi_char* c, int count, int i)
{
    for (i++; i < count && c[i].resolved == QEL_BIDI_BN; i++) {
    }
    return i;
}

// W1 to W3: marks take their predecessor's class, numbers after Arabic letters become Arabic
// numbers, Arabic letters become R.
void resolve_marks_and_letters(qel_bidi_char* c, int count, int sos)
{
    int prev = sos, last_strong = sos;
    for (int i = 0; i < count; i++) {
        int t = c[i].resolved;
        if (t == QEL_BIDI_BN) continue;
        if (t == QEL_BIDI_NSM) t = prev;
        prev = t;
        if (t == QEL_BIDI_L || t == QEL_BIDI_R || t == QEL_BIDI_AL) last_strong = t;
        if (t == QEL_BIDI_EN && last_strong == QEL_BIDI_AL) t = QEL_BIDI_AN;
        if (t == QEL_BIDI_AL) t = QEL_BIDI_R;
        c[i].resolved = (uint8_t)t;
    }
}

// W4: one separator between two numbers of a kind joins them.
void resolve_separators(qel_bidi_char* c, int count)
{
    for (int i = 0; i < count; i++) {
        int t = c[i].resolved;
        if (t != QEL_BIDI_ES && t != QEL_BIDI_CS) continue;
        int before = prev_kept(c, i), after = next_kept(c, count, i);
        if (before < 0 || after >= count || c[before].resolved != c[after].resolved) continue;
        int around = c[before].resolved;
        if (around == QEL_BIDI_EN || (around == QEL_BIDI_AN && t == QEL_BIDI_CS)) c[i].resolved = (uint8_t)around;
    }
}

// W5: terminators next to a European number join it.
void resolve_terminators(qel_bidi_char* c, int count)
{
    for (int i = 0; i < count; i++) {
        if (c[i].resolved != QEL_BIDI_ET) continue;
        int end = i;
        while (end < count && (c[end].resolved == QEL_BIDI_ET || c[end].resolved == QEL_BIDI_BN)) end++;
        int before = prev_kept(c, i);
        bool joins = (before >= 0 && c[before].resolved == QEL_BIDI_EN) || (end < count && c[end].resolved == QEL_BIDI_EN);
        for (int k = i; k < end && joins; k++) {
            if (c[k].resolved == QEL_BIDI_ET) c[k].resolved = QEL_BIDI_EN;
        }
        i = end - 1;
    }
}

// W6 and W7: the separators and terminators left become neutral; European numbers after a
// left-to-right context become L.
void resolve_leftover_weak(qel_bidi_char* c, int count, int sos)
{
    int last_strong = sos;
    for (int i = 0; i < count; i++) {
        int t = c[i].resolved;
        if (t == QEL_BIDI_ES || t == QEL_BIDI_ET || t == QEL_BIDI_CS) t = QEL_BIDI_ON;
        if (t == QEL_BIDI_L || t == QEL_BIDI_R) last_strong = t;
        if (t == QEL_BIDI_EN && last_strong == QEL_BIDI_L) t = QEL_BIDI_L;
        c[i].resolved = (uint8_t)t;
    }
}

// BD16: pairs opening and closing brackets; the opener's partner is set.
void pair_brackets(qel_bidi_char* c, int count)
{
    struct opener {
        int index;
        uint32_t closer;
    } stack[BRACKET_STACK];
    int depth = 0;
    for (int i = 0; i < count; i++) {
        if (c[i].resolved != QEL_BIDI_ON) continue;
        const qel_unicode_bracket* b = bracket_of(c[i].code_point);
        if (!b) continue;
        if (b->opening) {
            if (depth == BRACKET_STACK) return;
            stack[depth++] = {i, canonical_bracket(b->pair)};
            continue;
        }
        uint32_t closer = canonical_bracket(c[i].code_point);
        for (int k = depth - 1; k >= 0; k--) {
            if (stack[k].closer != closer) continue;
            c[stack[k].index].partner = i;
            depth = k;
            break;
        }
    }
}

// The class both brackets of a pair take (N0), or -1 to leave them to the neutral rules.
int bracket_class(const qel_bidi_char* c, int open, int close, int embedding)
{
    bool opposite = false;
    for (int k = open + 1; k < close; k++) {
        int strong = strong_of(c[k].resolved);
        if (strong == embedding) return embedding;
        if (strong >= 0) opposite = true;
    }
    if (!opposite) return -1;
    for (int k = open - 1; k >= 0; k--) {
        int strong = strong_of(c[k].resolved);
        if (strong >= 0) return strong;
    }
    return embedding;
}

// Marks that followed a bracket follow its new class.
void set_bracket(qel_bidi_char* c, int count, int at, int cls)
{
    c[at].resolved = (uint8_t)cls;
    for (int k = at + 1; k < count; k++) {
        if (c[k].bidi_class == QEL_BIDI_BN) continue;
        if (c[k].bidi_class != QEL_BIDI_NSM) break;
        c[k].resolved = (uint8_t)cls;
    }
}

void resolve_brackets(qel_bidi_char* c, int count, int embedding)
{
    pair_brackets(c, count);
    for (int i = 0; i < count; i++) {
        int close = c[i].partner;
        if (close <= i + 1) continue;
        int cls = bracket_class(c, i, close, embedding);
        if (cls < 0) continue;
        set_bracket(c, count, i, cls);
        set_bracket(c, count, close, cls);
    }
}

// N1 and N2: a run of neutrals between two equal strong directions takes it, else the
// embedding direction.
void resolve_neutrals(qel_bidi_char* c, int count, int embedding)
{
    for (int i = 0; i < count; i++) {
        if (!is_neutral(c[i].resolved)) continue;
        int end = i;
        while (end < count && is_neutral(c[end].resolved)) end++;
        int before = i > 0 ? strong_of(c[i - 1].resolved) : embedding;
        int after = end < count ? strong_of(c[end].resolved) : embedding;
        int cls = before == after ? before : embedding;
        for (int k = i; k < end; k++) {
            if (c[k].resolved != QEL_BIDI_BN) c[k].resolved = (uint8_t)cls;
        }
        i = end - 1;
    }
}

// I1 and I2, with BN taking its predecessor's level.
void resolve_implicit_levels(qel_bidi_char* c, int count, int paragraph)
{
    int prev = paragraph;
    for (int i = 0; i < count; i++) {
        int t = c[i].resolved, level = prev;
        if (t != QEL_BIDI_BN) {
            if (paragraph == 0) {
                level = t == QEL_BIDI_R ? 1 : (t == QEL_BIDI_EN || t == QEL_BIDI_AN) ? 2 : 0;
            } else {
                level = t == QEL_BIDI_R ? 1 : 2;
            }
        }
        c[i].level = (uint8_t)level;
        prev = level;
    }
}

void reverse(uint32_t* v, int from, int to)
{
    for (to--; from < to; from++, to--) {
        uint32_t t = v[from];
        v[from] = v[to];
        v[to] = t;
    }
}

}  // namespace

int qel_bidi_direction(uint32_t code_point)
{
    int cls = class_of(code_point);
    if (cls == QEL_BIDI_L) return 0;
    return cls == QEL_BIDI_R || cls == QEL_BIDI_AL ? 1 : -1;
}

int qel_bidi_resolve_levels(qel_bidi_char* chars, int count, int direction)
{
    if (count < 1) return direction < 0 ? 0 : direction;
    int paragraph = direction > 0 ? 1 : 0;
    bool found_strong = direction >= 0;
    const uint32_t* range = qel_unicode_bidi_ranges;
    for (int i = 0; i < count; i++) {
        range = range_of(chars[i].code_point, range);
        int cls = (int)(*range & 31);
        if (cls >= QEL_BIDI_LRE) cls = QEL_BIDI_BN;
        chars[i].bidi_class = chars[i].resolved = (uint8_t)cls;
        chars[i].partner = -1;
        if (!found_strong && (cls == QEL_BIDI_L || cls == QEL_BIDI_R || cls == QEL_BIDI_AL)) {
            paragraph = cls == QEL_BIDI_L ? 0 : 1;
            found_strong = true;
        }
    }
    int embedding = paragraph ? QEL_BIDI_R : QEL_BIDI_L;
    resolve_marks_and_letters(chars, count, embedding);
    resolve_separators(chars, count);
    resolve_terminators(chars, count);
    resolve_leftover_weak(chars, count, embedding);
    resolve_brackets(chars, count, embedding);
    resolve_neutrals(chars, count, embedding);
    resolve_implicit_levels(chars, count, paragraph);
    return paragraph;
}

void qel_bidi_reorder(const qel_bidi_char* chars, int start, int count, int paragraph_level, uint32_t* visual,
                      uint8_t* levels)
{
    if (count < 1) return;
    const qel_bidi_char* line = chars + start;
    int highest = 0;
    bool resets = true;  // whitespace from here to the line's end or a separator
    for (int i = count - 1; i >= 0; i--) {
        int cls = line[i].bidi_class;
        levels[i] = line[i].level;
        if (cls == QEL_BIDI_S || cls == QEL_BIDI_B) {
            resets = true;
        } else if (cls != QEL_BIDI_WS && cls != QEL_BIDI_BN) {
            resets = false;
        }
        if (resets) levels[i] = (uint8_t)paragraph_level;
        if (levels[i] > highest) highest = levels[i];
        visual[i] = (uint32_t)(start + i);
    }
    for (int level = highest; level >= 1; level--) {
        for (int i = 0; i < count; i++) {
            if (levels[visual[i] - start] < level) continue;
            int end = i;
            while (end < count && levels[visual[end] - start] >= level) end++;
            reverse(visual, i, end);
            i = end;
        }
    }
}

uint32_t qel_bidi_mirror(uint32_t code_point, int level)
{
    if (level % 2 == 0 || code_point > 0xFFFF) return code_point;
    int lo = 0, hi = QEL_UNICODE_MIRRORS - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        if (qel_unicode_mirrors[mid].code_point == code_point) return qel_unicode_mirrors[mid].mirrored;
        if (qel_unicode_mirrors[mid].code_point < code_point) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return code_point;
}
