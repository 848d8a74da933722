// The line diff engine: texts copied and split into lines, lines interned into identifiers, the
// search over lines both sides share, hunks from the change marks, insertions and deletions slid
// onto blank lines, and the word ranges of paired changed lines.
#include <cstdlib>
#include <cstring>

#include "widgets/rich/diff_search.h"

namespace {

void* default_malloc(size_t size, void*) { return malloc(size); }
void* default_realloc(void* block, size_t size, void*) { return realloc(block, size); }
void default_free(void* block, void*) { free(block); }

constexpr int64_t line_budget = 16777216;
constexpr int64_t pair_budget = 0x400000;

// One side while it is being compared; only text and lines pass into the result.
struct diff_side {
    char* text;
    uint64_t length;
    qel_diff_line* lines;
    int32_t count;
    int32_t max_width;
    uint8_t* blank;
    int32_t* ids;
    uint8_t* changed;
};

struct diff_work {
    const qel_diff_allocator* alloc;
    diff_side side[2];
    bool ignore_endings;
};

void release(const qel_diff_allocator* alloc, void* block)
{
    if (block) alloc->free_fn(block, alloc->user);
}

bool copy_side(diff_work& w, diff_side& s, const char* text, uint64_t length)
{
    s.text = (char*)qel_diff_alloc_array(w.alloc, (int64_t)length + 1, 1);
    if (!s.text) return false;
    if (length) memcpy(s.text, text, length);
    s.text[length] = 0;
    s.length = length;
    return true;
}

int32_t line_width(const char* p, uint32_t length)
{
    int32_t width = 0;
    for (uint32_t i = 0; i < length; i++) {
        uint8_t c = (uint8_t)p[i];
        if (c == '\t')
            width = (width / 4 + 1) * 4;
        else if (c < 0x80 || c > 0xBF)
            width++;
    }
    return width;
}

bool blank_line(const char* p, uint32_t length)
{
    for (uint32_t i = 0; i < length; i++)
        if (p[i] != ' ' && p[i] != '\t' && p[i] != '\r') return false;
    return true;
}

bool split_side(diff_work& w, diff_side& s)
{
    int64_t count = 0;
    for (const char* p = s.text; (p = (const char*)memchr(p, '\n', s.length - (uint64_t)(p - s.text))); p++) count++;
    if (s.length && s.text[s.length - 1] != '\n') count++;
    s.lines = (qel_diff_line*)qel_diff_alloc_array(w.alloc, count, sizeof(qel_diff_line));
    s.blank = (uint8_t*)qel_diff_alloc_array(w.alloc, count, 1);
    s.ids = (int32_t*)qel_diff_alloc_array(w.alloc, count, sizeof(int32_t));
    s.changed = (uint8_t*)qel_diff_alloc_array(w.alloc, count, 1);
    if (!s.lines || !s.blank || !s.ids || !s.changed) return false;
    s.count = (int32_t)count;
    uint64_t start = 0;
    for (int32_t i = 0; i < s.count; i++) {
        const char* lf = (const char*)memchr(s.text + start, '\n', s.length - start);
        uint64_t end = lf ? (uint64_t)(lf - s.text) : s.length;
        qel_diff_line& line = s.lines[i];
        line.start = (uint32_t)start;
        line.length = (uint32_t)(end - start);
        line.ending = lf ? QEL_DIFF_END_LF : QEL_DIFF_END_NONE;
        line.flags = 0;
        if (lf && line.length && s.text[end - 1] == '\r') line.length--, line.ending = QEL_DIFF_END_CRLF;
        int32_t width = line_width(s.text + start, line.length);
        if (width > s.max_width) s.max_width = width;
        s.blank[i] = blank_line(s.text + start, line.length);
        s.changed[i] = 0;
        start = end + 1;
    }
    return true;
}

uint32_t line_hash(const diff_work& w, const diff_side& s, int32_t i)
{
    const qel_diff_line& line = s.lines[i];
    uint32_t h = qel_diff_fnv1a(s.text + line.start, line.length);
    if (!w.ignore_endings) h ^= line.ending * 0x9e3779b1u;
    return h;
}

bool same_line(const diff_work& w, const diff_side& s, int32_t i, const diff_side& t, int32_t j)
{
    const qel_diff_line& a = s.lines[i];
    const qel_diff_line& b = t.lines[j];
    return a.length == b.length && (w.ignore_endings || a.ending == b.ending) &&
           memcmp(s.text + a.start, t.text + b.start, a.length) == 0;
}

struct intern_slot {
    int32_t ref;  // line of both sides counted together, -1 empty
    int32_t id;
};

// Identifiers in order of first appearance, old side first. Returns the count, -1 on failure.
int32_t intern_lines(diff_work& w)
{
    int64_t total = (int64_t)w.side[0].count + w.side[1].count;
    int64_t slots = 64;
    while (slots < 2 * total) slots *= 2;
    intern_slot* table = (intern_slot*)qel_diff_alloc_array(w.alloc, slots, sizeof(intern_slot));
    uint32_t* hashes = (uint32_t*)qel_diff_alloc_array(w.alloc, slots, sizeof(uint32_t));
    int32_t next_id = -1;
    if (table && hashes) {
        next_id = 0;
        memset(table, 0xff, (size_t)slots * sizeof(intern_slot));
        for (int32_t side = 0; side < 2; side++) {
            diff_side& s = w.side[side];
            for (int32_t i = 0; i < s.count; i++) {
                uint32_t h = line_hash(w, s, i);
                uint64_t at = h & (uint64_t)(slots - 1);
                for (;; at = (at + 1) & (uint64_t)(slots - 1)) {
                    intern_slot& slot = table[at];
                    if (slot.ref < 0) {
                        slot.ref = side ? w.side[0].count + i : i;
                        slot.id = s.ids[i] = next_id++;
                        hashes[at] = h;
                        break;
                    }
                    bool old = slot.ref < w.side[0].count;
                    if (hashes[at] == h && same_line(w, s, i, w.side[old ? 0 : 1], old ? slot.ref : slot.ref - w.side[0].count)) {
                        s.ids[i] = slot.id;
                        break;
                    }
                }
            }
        }
    }
    release(w.alloc, table);
    release(w.alloc, hashes);
    return next_id;
}

// Lines whose identifier occurs on one side only are changed outright; the others are searched
// as shorter sequences whose marks are copied back.
bool search_lines(diff_work& w, int32_t id_count, uint8_t* limit_reached)
{
    uint8_t* seen = (uint8_t*)qel_diff_alloc_array(w.alloc, id_count, 1);
    int32_t* seq[2] = {};
    int32_t* map[2] = {};
    uint8_t* marks[2] = {};
    int32_t length[2] = {0, 0};
    bool ok = seen != nullptr;
    if (ok) memset(seen, 0, (size_t)id_count);
    for (int32_t side = 0; ok && side < 2; side++)
        for (int32_t i = 0; i < w.side[side].count; i++) seen[w.side[side].ids[i]] |= (uint8_t)(1 << side);
    for (int32_t side = 0; ok && side < 2; side++) {
        diff_side& s = w.side[side];
        seq[side] = (int32_t*)qel_diff_alloc_array(w.alloc, s.count, sizeof(int32_t));
        map[side] = (int32_t*)qel_diff_alloc_array(w.alloc, s.count, sizeof(int32_t));
        marks[side] = (uint8_t*)qel_diff_alloc_array(w.alloc, s.count, 1);
        ok = seq[side] && map[side] && marks[side];
        for (int32_t i = 0; ok && i < s.count; i++) {
            if (seen[s.ids[i]] != 3) {
                s.changed[i] = 1;
                continue;
            }
            seq[side][length[side]] = s.ids[i];
            marks[side][length[side]] = 0;
            map[side][length[side]++] = i;
        }
    }
    qel_diff_search search = {};
    search.alloc = w.alloc;
    search.budget = line_budget;
    ok = ok && qel_diff_search_run(&search, seq[0], length[0], seq[1], length[1], marks[0], marks[1]);
    for (int32_t side = 0; ok && side < 2; side++)
        for (int32_t i = 0; i < length[side]; i++) w.side[side].changed[map[side][i]] = marks[side][i];
    *limit_reached = search.limit_reached;
    qel_diff_search_free(&search);
    release(w.alloc, seen);
    for (int32_t side = 0; side < 2; side++) {
        release(w.alloc, seq[side]);
        release(w.alloc, map[side]);
        release(w.alloc, marks[side]);
    }
    return ok;
}

bool make_hunks(diff_work& w, qel_diff_result* r)
{
    const diff_side& a = w.side[0];
    const diff_side& b = w.side[1];
    int32_t count = qel_diff_flags_to_hunks(a.changed, a.count, b.changed, b.count, nullptr);
    if (!r->hunks) r->hunks = (qel_diff_hunk*)qel_diff_alloc_array(w.alloc, count, sizeof(qel_diff_hunk));
    if (!r->hunks) return false;
    r->hunk_count = qel_diff_flags_to_hunks(a.changed, a.count, b.changed, b.count, r->hunks);
    return true;
}

// Moves a pure insertion or deletion within the unchanged lines around it: up while the line
// above equals the block's last, then down while the line below equals its first, ending on the
// lowest place where the block's last line is blank, if any.
void slide_hunk(const diff_work& w, qel_diff_hunk* h, int32_t prev_old_end, int32_t next_old_start)
{
    bool insertion = h->old_count == 0;
    const diff_side& s = w.side[insertion ? 1 : 0];
    int32_t* start = insertion ? &h->new_start : &h->old_start;
    int32_t count = insertion ? h->new_count : h->old_count;
    while (h->old_start > prev_old_end && *start > 0 && s.ids[*start - 1] == s.ids[*start + count - 1])
        h->old_start--, h->new_start--;
    int32_t shift = 0, blank_shift = s.blank[*start + count - 1] ? 0 : -1;
    while (h->old_start + h->old_count + shift < next_old_start && *start + count + shift < s.count &&
           s.ids[*start + shift] == s.ids[*start + count + shift]) {
        shift++;
        if (s.blank[*start + count + shift - 1]) blank_shift = shift;
    }
    if (blank_shift >= 0) shift = blank_shift;
    h->old_start += shift;
    h->new_start += shift;
}

void slide_hunks(diff_work& w, qel_diff_result* r)
{
    for (int32_t i = 0; i < r->hunk_count; i++) {
        qel_diff_hunk* h = &r->hunks[i];
        if ((h->old_count == 0) == (h->new_count == 0)) continue;
        int32_t prev_end = i > 0 ? r->hunks[i - 1].old_start + r->hunks[i - 1].old_count : 0;
        int32_t next_start = i + 1 < r->hunk_count ? r->hunks[i + 1].old_start : w.side[0].count;
        slide_hunk(w, h, prev_end, next_start);
    }
    for (int32_t side = 0; side < 2; side++) memset(w.side[side].changed, 0, (size_t)w.side[side].count);
    for (int32_t i = 0; i < r->hunk_count; i++) {
        const qel_diff_hunk& h = r->hunks[i];
        memset(w.side[0].changed + h.old_start, 1, (size_t)h.old_count);
        memset(w.side[1].changed + h.new_start, 1, (size_t)h.new_count);
    }
}

bool append_ranges(qel_diff_result* r, const qel_diff_range* ranges, int32_t count, int32_t* first, uint8_t* stored)
{
    int64_t capacity = r->range_capacity;
    if ((int64_t)r->range_count + count > INT32_MAX ||
        !qel_diff_grow(r->alloc, (void**)&r->ranges, &capacity, (int64_t)r->range_count + count, sizeof(qel_diff_range)))
        return false;
    r->range_capacity = (int32_t)(capacity < INT32_MAX ? capacity : INT32_MAX);
    if (count > 0) {
        memcpy(r->ranges + r->range_count, ranges, (size_t)count * sizeof(qel_diff_range));
        *first = r->range_count;
        *stored = (uint8_t)count;
        r->range_count += count;
    }
    return true;
}

bool pair_ranges(qel_diff_result* r, qel_diff_search* search, int32_t i, int32_t j)
{
    qel_diff_line& a = r->old_lines[i];
    qel_diff_line& b = r->new_lines[j];
    const char* at = r->old_text + a.start;
    const char* bt = r->new_text + b.start;
    if (a.length == b.length && memcmp(at, bt, a.length) == 0) {
        a.flags |= QEL_DIFF_LINE_SAME_TEXT;
        b.flags |= QEL_DIFF_LINE_SAME_TEXT;
        return true;
    }
    if (a.length > QEL_DIFF_MAX_CHARS || b.length > QEL_DIFF_MAX_CHARS) return true;
    qel_diff_range old_ranges[QEL_DIFF_MAX_RANGES], new_ranges[QEL_DIFF_MAX_RANGES];
    int32_t old_count = 0, new_count = 0;
    int32_t outcome = qel_diff_token_compare(search, at, (int32_t)a.length, bt, (int32_t)b.length, old_ranges,
                                             &old_count, new_ranges, &new_count, QEL_DIFF_MAX_RANGES);
    if (outcome <= 0) return outcome == 0;
    return append_ranges(r, old_ranges, old_count, &r->old_range_first[i], &r->old_range_count[i]) &&
           append_ranges(r, new_ranges, new_count, &r->new_range_first[j], &r->new_range_count[j]);
}

bool in_line_ranges(qel_diff_result* r)
{
    r->old_range_first = (int32_t*)qel_diff_alloc_array(r->alloc, r->old_line_count, sizeof(int32_t));
    r->new_range_first = (int32_t*)qel_diff_alloc_array(r->alloc, r->new_line_count, sizeof(int32_t));
    r->old_range_count = (uint8_t*)qel_diff_alloc_array(r->alloc, r->old_line_count, 1);
    r->new_range_count = (uint8_t*)qel_diff_alloc_array(r->alloc, r->new_line_count, 1);
    if (!r->old_range_first || !r->new_range_first || !r->old_range_count || !r->new_range_count) return false;
    memset(r->old_range_first, 0xff, (size_t)r->old_line_count * sizeof(int32_t));
    memset(r->new_range_first, 0xff, (size_t)r->new_line_count * sizeof(int32_t));
    memset(r->old_range_count, 0, (size_t)r->old_line_count);
    memset(r->new_range_count, 0, (size_t)r->new_line_count);
    qel_diff_search search = {};
    search.alloc = r->alloc;
    search.budget = pair_budget;
    bool ok = true;
    for (int32_t h = 0; ok && h < r->hunk_count; h++) {
        const qel_diff_hunk& hunk = r->hunks[h];
        int32_t pairs = hunk.old_count < hunk.new_count ? hunk.old_count : hunk.new_count;
        for (int32_t i = 0; ok && i < pairs && search.cost < search.budget; i++)
            ok = pair_ranges(r, &search, hunk.old_start + i, hunk.new_start + i);
    }
    qel_diff_search_free(&search);
    return ok;
}

void free_work(diff_work& w)
{
    for (diff_side& s : w.side) {
        release(w.alloc, s.blank);
        release(w.alloc, s.ids);
        release(w.alloc, s.changed);
    }
}

bool compute(diff_work& w, qel_diff_result* r, bool in_line)
{
    bool split = split_side(w, w.side[0]);
    r->old_lines = w.side[0].lines;  // the result owns the lines from here on
    split = split && split_side(w, w.side[1]);
    r->new_lines = w.side[1].lines;
    if (!split) return false;
    r->old_line_count = w.side[0].count, r->old_max_width = w.side[0].max_width;
    r->new_line_count = w.side[1].count, r->new_max_width = w.side[1].max_width;
    int32_t id_count = intern_lines(w);
    if (id_count < 0 || !search_lines(w, id_count, &r->limit_reached) || !make_hunks(w, r)) return false;
    slide_hunks(w, r);
    if (!make_hunks(w, r)) return false;
    for (int32_t i = 0; i < r->hunk_count; i++) {
        r->lines_added += r->hunks[i].new_count;
        r->lines_removed += r->hunks[i].old_count;
    }
    return !in_line || r->hunk_count == 0 || in_line_ranges(r);
}

}  // namespace

const qel_diff_allocator qel_diff_default_allocator = {default_malloc, default_realloc, default_free, nullptr};

void qel_diff_free(qel_diff_result* r)
{
    const qel_diff_allocator* alloc = r->alloc;
    void* blocks[] = {r->old_text,        r->new_text,        r->old_lines,       r->new_lines, r->hunks,
                      r->old_range_first, r->old_range_count, r->new_range_first, r->new_range_count, r->ranges};
    for (void* block : blocks) release(alloc, block);
    *r = {};
    r->alloc = alloc;
}

bool qel_diff_compute(qel_diff_result* r, const char* old_text, uint64_t old_length, const char* new_text,
                      uint64_t new_length, bool ignore_line_endings, bool in_line)
{
    qel_diff_free(r);
    r->ignore_line_endings = ignore_line_endings;
    if (!old_text) old_length = 0;
    if (!new_text) new_length = 0;
    diff_work w = {};
    w.alloc = r->alloc;
    w.ignore_endings = ignore_line_endings;
    bool ok = old_length <= QEL_DIFF_MAX_TEXT && new_length <= QEL_DIFF_MAX_TEXT &&
              copy_side(w, w.side[0], old_text, old_length) && copy_side(w, w.side[1], new_text, new_length);
    r->old_text = w.side[0].text, r->old_length = w.side[0].text ? old_length : 0;
    r->new_text = w.side[1].text, r->new_length = w.side[1].text ? new_length : 0;
    ok = ok && compute(w, r, in_line);
    free_work(w);
    if (!ok) {
        qel_diff_free(r);
        r->ignore_line_endings = ignore_line_endings;
        r->failed = 1;
    }
    return ok;
}

int32_t qel_diff_texts(const char* old_text, uint64_t old_length, const char* new_text, uint64_t new_length,
                       uint32_t flags, qel_diff_hunk* hunks, int32_t max_hunks, qel_diff_summary* summary)
{
    if (summary) *summary = {};
    qel_diff_result r = {};
    r.alloc = &qel_diff_default_allocator;
    if (!qel_diff_compute(&r, old_text, old_length, new_text, new_length, (flags & QEL_DIFF_IGNORE_LINE_ENDINGS) != 0,
                          false))
        return -1;
    if (summary)
        *summary = {r.lines_added, r.lines_removed, r.hunk_count, r.old_line_count, r.new_line_count, r.limit_reached};
    if (hunks && max_hunks > 0)
        memcpy(hunks, r.hunks, (size_t)(max_hunks < r.hunk_count ? max_hunks : r.hunk_count) * sizeof(qel_diff_hunk));
    int32_t count = r.hunk_count;
    qel_diff_free(&r);
    return count;
}

int32_t qel_diff_flags_to_hunks(const uint8_t* old_changed, int32_t old_count, const uint8_t* new_changed,
                                int32_t new_count, qel_diff_hunk* out)
{
    int32_t i = 0, j = 0, count = 0;
    while (i < old_count || j < new_count) {
        if (i < old_count && j < new_count && !old_changed[i] && !new_changed[j]) {
            i++, j++;
            continue;
        }
        qel_diff_hunk h = {i, 0, j, 0};
        if ((i < old_count && old_changed[i]) || (j < new_count && new_changed[j])) {
            while (i < old_count && old_changed[i]) i++;
            while (j < new_count && new_changed[j]) j++;
        } else {
            i = old_count, j = new_count;  // one side ran out before the other's unchanged lines
        }
        h.old_count = i - h.old_start, h.new_count = j - h.new_start;
        if (out) out[count] = h;
        count++;
    }
    return count;
}
