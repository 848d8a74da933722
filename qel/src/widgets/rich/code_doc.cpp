// The code editor's text model: the line table, lines, words and columns, case-insensitive find,
// the comment state of partly scanned lines, and the edits, all through one insert that keeps
// within the caller's buffer and records undo steps.
#include "qel/code_doc.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "qel/arena.h"
#include "qel/text_units.h"

namespace {

bool blank(char c)
{
    return c == ' ' || c == '\t';
}

int32_t line_end(const qel_code_doc* doc, int32_t line)
{
    return doc->line_starts[line + 1] - 1;
}

// One indent unit: a tab, or tab-width spaces (at most QEL_CODE_MAX_TAB_WIDTH); returns its length.
int32_t indent_unit(const qel_code_doc* doc, char* out)
{
    if (doc->use_tabs) {
        out[0] = '\t';
        return 1;
    }
    int32_t n = std::clamp(doc->tab_width, 1, (int32_t)QEL_CODE_MAX_TAB_WIDTH);
    memset(out, ' ', (size_t)n);
    return n;
}

char closer_of(char opener)
{
    return opener == '{' ? '}' : opener == '[' ? ']' : opener == '(' ? ')' : 0;
}

void select(qel_code_doc* doc, int32_t anchor, int32_t caret)
{
    doc->edit->anchor = anchor;
    doc->edit->caret = caret;
    doc->edit->caret_after_edit = caret;
}

// Leading blanks that one outdent removes from the line at start: a tab, else up to a tab
// width of spaces.
int32_t outdent_width(const qel_code_doc* doc, int32_t start, int32_t end)
{
    if (start < end && doc->text[start] == '\t') return 1;
    int32_t n = 0;
    while (n < doc->tab_width && start + n < end && doc->text[start + n] == ' ') n++;
    return n;
}

// The longest line from the line table; each entry but the last ends a line and its feed.
void measure_longest(qel_code_doc* doc)
{
    const int32_t* starts = doc->line_starts;
    int32_t longest = 0;
    for (int32_t line = 0; line < doc->line_count; line++)
        longest = std::max(longest, starts[line + 1] - 1 - starts[line]);
    doc->longest_line = longest;
}

// Mends the line table after an edit left the text before lo as it was and the text from hi on
// as it was from hi - delta, rescanning only the lines between.
void reindex_edit(qel_code_doc* doc, int32_t lo, int32_t hi, int32_t delta)
{
    int32_t* old = doc->line_starts;
    int32_t count = doc->line_count;
    int32_t first = qel_code_doc_line_of(doc, lo);
    auto after = (int32_t)(std::upper_bound(old + first + 1, old + count + 1, hi - delta) - old);
    const char* t = doc->text;
    const char* end = t + old[after] - 1 + delta;
    int32_t middle = 0;
    for (const char* p = t + old[first]; (p = (const char*)memchr(p, '\n', (size_t)(end - p))); p++) middle++;
    int32_t lines = first + middle + count - after + 1;
    int32_t* starts = old;
    if (lines != count) {
        starts = (int32_t*)qel_arena_alloc(doc->ctx, sizeof(int32_t) * (size_t)(lines + 1));
        memcpy(starts, old, sizeof(int32_t) * (size_t)(first + 1));
    }
    int32_t line = first;
    for (const char* p = t + old[first]; (p = (const char*)memchr(p, '\n', (size_t)(end - p))); p++)
        starts[++line] = (int32_t)(p - t) + 1;
    if (starts == old) {
        for (int32_t k = after; k <= count; k++) starts[k] += delta;
    } else {
        for (int32_t k = after; k <= count; k++) starts[++line] = old[k] + delta;
    }
    doc->line_starts = starts;
    doc->line_count = lines;
    measure_longest(doc);
}

// What every edit ends with; lo, hi and delta as for reindex_edit.
void edited(qel_code_doc* doc, int32_t lo, int32_t hi, int32_t delta)
{
    doc->changed = doc->scroll_to_caret = 1;
    *doc->remembered_column = -1;
    reindex_edit(doc, lo, hi, delta);
}

// Replaces whole lines [from, to) with count bytes as they are, an undo step: the lines' own
// bytes go back unchanged whatever they hold, where an insert snaps its ends to characters (a
// line opening with a stray continuation byte would lose the line feed before it).
bool replace_lines(qel_code_doc* doc, int32_t from, int32_t to, const char* bytes, int32_t count)
{
    if (doc->read_only) return false;
    int64_t length = (int64_t)doc->length - (to - from) + count;
    if (length + 1 > std::min<int64_t>(doc->capacity, INT32_MAX)) {
        doc->refused = 1;
        return false;
    }
    qel_text_push_undo(doc->ctx, doc->edit, doc->text, QEL_EDIT_OTHER);
    memmove(doc->text + from + count, doc->text + to, (size_t)(doc->length - to + 1));
    memcpy(doc->text + from, bytes, (size_t)count);
    int32_t delta = (int32_t)length - doc->length;
    doc->length = (int32_t)length;
    edited(doc, from, from + count, delta);
    return true;
}

}  // namespace

void qel_code_doc_index_lines(qel_code_doc* doc)
{
    const char* t = doc->text;
    const char* end = t + doc->length;
    int32_t lines = 1;
    for (const char* p = t; (p = (const char*)memchr(p, '\n', (size_t)(end - p))); p++) lines++;
    auto* starts = (int32_t*)qel_arena_alloc(doc->ctx, sizeof(int32_t) * (size_t)(lines + 1));
    int32_t line = 0;
    starts[0] = 0;
    for (const char* p = t; (p = (const char*)memchr(p, '\n', (size_t)(end - p))); p++)
        starts[++line] = (int32_t)(p - t) + 1;
    starts[lines] = doc->length + 1;
    doc->line_starts = starts;
    doc->line_count = lines;
    measure_longest(doc);
}

int32_t qel_code_doc_line_of(const qel_code_doc* doc, int32_t offset)
{
    const int32_t* first = doc->line_starts + 1;
    const int32_t* end = doc->line_starts + doc->line_count;
    return (int32_t)(std::upper_bound(first, end, offset) - first);
}

int32_t qel_code_doc_line_indent(const char* text, const int32_t* line_starts, int32_t line)
{
    int32_t at = line_starts[line], end = line_starts[line + 1] - 1;
    while (at < end && blank(text[at])) at++;
    return at;
}

uint8_t qel_code_doc_comment_state(const qel_code_lang* lang, const char* text, int32_t from, int32_t to,
                                   uint8_t state)
{
    if (!state && (from >= to || !memchr(text + from, '/', (size_t)(to - from)))) return 0;
    const char* marker = lang->line_comment;
    auto marker_length = marker ? (int32_t)strlen(marker) : 0;
    char first = marker ? marker[0] : '/', tick = lang->backtick_strings ? '`' : '"';
    int32_t i = from;
    while (i < to) {
        if (state) {
            const char* star = (const char*)memchr(text + i, '*', (size_t)(to - i));
            while (star && star + 1 < text + to && star[1] != '/')
                star = (const char*)memchr(star + 1, '*', (size_t)(text + to - star - 1));
            if (!star || star + 1 >= text + to) return 1;
            state = 0;
            i = (int32_t)(star - text) + 2;
            continue;
        }
        char c = text[i];
        if (c != '/' && c != '"' && c != '\'' && c != tick && c != first) {
            i++;
            continue;
        }
        if (marker && c == marker[0] && i + marker_length <= to &&
            memcmp(text + i, marker, (size_t)marker_length) == 0)
            return 0;
        if (c == '"' || c == '\'' || (c == '`' && lang->backtick_strings)) {
            for (i++; i < to && text[i] != c; i++)
                if (text[i] == '\\') i++;
            if (i >= to) return 0;
        } else if (c == '/' && i + 1 < to && text[i + 1] == '*') {
            state = 1;  // the search for the end starts at this slash, as the tokenizer's does
            continue;
        }
        i++;
    }
    return state;
}

void qel_code_doc_word_bounds(const qel_code_doc* doc, int32_t position, int32_t* start, int32_t* end)
{
    const char* t = doc->text;
    int32_t p = std::clamp(position, 0, doc->length);
    if (p == doc->length || t[p] == '\n') {
        if (p == 0 || t[p - 1] == '\n') {
            *start = *end = p;
            return;
        }
        p--;
    }
    auto kind = [&](int32_t i) { return blank(t[i]) ? 2 : qel_text_char_class((uint8_t)t[i]); };
    int32_t k = kind(p);
    if (k == 0) {
        *start = qel_text_char_start(t, doc->length, p);
        *end = qel_utf8_next(t, doc->length, *start);
        return;
    }
    int32_t a = p, b = p + 1;
    while (a > 0 && t[a - 1] != '\n' && kind(a - 1) == k) a--;
    while (b < doc->length && t[b] != '\n' && kind(b) == k) b++;
    *start = a;
    *end = b;
}

int32_t qel_code_doc_column_to_offset(const qel_code_doc* doc, int32_t line, float column)
{
    line = std::clamp(line, 0, doc->line_count - 1);
    int32_t at = doc->line_starts[line], end = line_end(doc, line);
    int32_t col = 0;
    while (at < end) {
        int32_t next = doc->text[at] == '\t' ? (col / doc->tab_width + 1) * doc->tab_width : col + 1;
        if ((float)(col + next) / 2 > column) return at;
        col = next;
        at = qel_utf8_next(doc->text, end, at);
    }
    return end;
}

int32_t qel_code_doc_column_of(const qel_code_doc* doc, int32_t offset)
{
    int32_t start = doc->line_starts[qel_code_doc_line_of(doc, offset)];
    return qel_code_columns(doc->text + start, offset - start, doc->tab_width);
}

int32_t qel_code_doc_match_at(const char* text, int32_t length, int32_t position, const char* needle,
                              int32_t needle_length)
{
    if (needle_length < 1 || position < 0 || position > length - needle_length) return 0;
    for (int32_t i = 0; i < needle_length; i++)
        if (qel_ascii_lower(text[position + i]) != qel_ascii_lower(needle[i])) return 0;
    return 1;
}

void qel_code_doc_find(qel_code_doc* doc, int32_t from, int32_t direction)
{
    auto n = (int32_t)strnlen(doc->find_text, QEL_CODE_FIND_MAX);
    int32_t last = doc->length - n;
    if (n < 1 || last < 0) return;
    auto hit = [&](int32_t at) {
        if (!qel_code_doc_match_at(doc->text, doc->length, at, doc->find_text, n)) return false;
        select(doc, at, at + n);
        doc->scroll_to_caret = doc->center_caret = 1;
        *doc->remembered_column = -1;
        return true;
    };
    if (direction == 1) {
        for (int32_t at = std::max(from, 0); at <= last; at++)
            if (hit(at)) return;
        for (int32_t at = 0; at < std::min(from, last + 1); at++)
            if (hit(at)) return;
        return;
    }
    for (int32_t at = std::min(from - 1, last); at >= 0; at--)
        if (hit(at)) return;
    for (int32_t at = last; at >= std::max(from, 0); at--)
        if (hit(at)) return;
}

int32_t qel_code_doc_insert(qel_code_doc* doc, int32_t start, int32_t end, const char* bytes, int32_t count,
                            uint32_t kind)
{
    if (doc->read_only) return 0;
    if (start > end) std::swap(start, end);
    start = std::clamp(start, 0, doc->length);
    end = std::clamp(end, 0, doc->length);
    int32_t stored = 0;
    for (int32_t i = 0; i < count; i++) stored += bytes[i] != '\r';
    int64_t capacity = std::min<int64_t>(doc->capacity, INT32_MAX);
    if ((int64_t)doc->length - (end - start) + stored + 1 > capacity) {
        doc->refused = 1;
        return 0;
    }
    if (stored == 0 && start == end) return 0;
    qel_text_push_undo(doc->ctx, doc->edit, doc->text, kind);
    int32_t old_length = doc->length, from = qel_text_char_start(doc->text, doc->length, start);
    qel_text_delete(doc->text, &doc->length, start, end);
    int32_t at = qel_text_char_start(doc->text, doc->length, start);
    int32_t kept = qel_text_insert(doc->text, &doc->length, (int32_t)capacity, at, bytes, count);
    select(doc, at + kept, at + kept);
    edited(doc, std::min(from, at), at + kept, doc->length - old_length);
    return 1;
}

void qel_code_doc_newline(qel_code_doc* doc, uint8_t indent_style)
{
    int32_t a = std::min(doc->edit->caret, doc->edit->anchor), b = std::max(doc->edit->caret, doc->edit->anchor);
    int32_t line = qel_code_doc_line_of(doc, a), line_start = doc->line_starts[line];
    int32_t indent = std::min(qel_code_doc_line_indent(doc->text, doc->line_starts, line), a) - line_start;
    int32_t before = a - 1;
    while (before >= line_start && blank(doc->text[before])) before--;
    char opener = before >= line_start ? doc->text[before] : 0;
    bool opens = (indent_style == QEL_CODE_INDENT_BRACKETS && closer_of(opener)) ||
                 (indent_style == QEL_CODE_INDENT_COLON && opener == ':');
    int32_t closer = b;
    while (closer < doc->length && blank(doc->text[closer])) closer++;
    bool split = opens && indent_style == QEL_CODE_INDENT_BRACKETS && closer < doc->length &&
                 doc->text[closer] == closer_of(opener);
    char unit[QEL_CODE_MAX_TAB_WIDTH];
    int32_t unit_length = opens ? indent_unit(doc, unit) : 0;
    char* out = (char*)qel_arena_alloc(doc->ctx, (size_t)(2 * indent + unit_length + 2));
    int32_t n = 0;
    out[n++] = '\n';
    memcpy(out + n, doc->text + line_start, (size_t)indent);
    n += indent;
    memcpy(out + n, unit, (size_t)unit_length);
    n += unit_length;
    int32_t caret_at = n;  // within out
    if (split) {
        out[n++] = '\n';
        memcpy(out + n, doc->text + line_start, (size_t)indent);
        n += indent;
    }
    // Counted back from where the insert left the caret, which a start inside a character moves.
    if (qel_code_doc_insert(doc, a, split ? closer : b, out, n, QEL_EDIT_OTHER)) {
        int32_t caret = std::max(doc->edit->caret - (n - caret_at), 0);
        select(doc, caret, caret);
    }
}

void qel_code_doc_indent_lines(qel_code_doc* doc, bool outdent)
{
    qel_text_input_state* e = doc->edit;
    int32_t lo = std::min(e->caret, e->anchor), hi = std::max(e->caret, e->anchor);
    int32_t first = qel_code_doc_line_of(doc, lo), last = qel_code_doc_line_of(doc, hi);
    if (last > first && hi == doc->line_starts[last]) last--;
    char unit[QEL_CODE_MAX_TAB_WIDTH];
    int32_t unit_length = indent_unit(doc, unit);
    int32_t from = doc->line_starts[first], to = line_end(doc, last);
    char* out = (char*)qel_arena_alloc(doc->ctx, (size_t)(to - from + (last - first + 1) * unit_length + 1));
    int32_t n = 0, shift = 0, caret = e->caret, anchor = e->anchor;
    bool changed = false;
    for (int32_t line = first; line <= last; line++) {
        int32_t start = doc->line_starts[line], end = line_end(doc, line);
        int32_t delta = 0;
        if (!outdent && end > start) {
            memcpy(out + n, unit, (size_t)unit_length);
            n += unit_length;
            delta = unit_length;
        } else if (outdent) {
            delta = -outdent_width(doc, start, end);
        }
        changed |= delta != 0;
        int32_t kept = start - std::min(delta, 0);
        memcpy(out + n, doc->text + kept, (size_t)(end - kept));
        n += end - kept;
        if (line < last) out[n++] = '\n';
        // A position inside the removed indentation moves no further left than the line's start.
        auto moved = [&](int32_t p) { return std::max(p + shift + delta, start + shift); };
        if (e->caret >= start && e->caret <= end) caret = moved(e->caret);
        if (e->anchor >= start && e->anchor <= end) anchor = moved(e->anchor);
        shift += delta;
    }
    // What lies after the block moves with its end.
    if (e->caret > to) caret = e->caret + shift;
    if (e->anchor > to) anchor = e->anchor + shift;
    if (!changed || !replace_lines(doc, from, to, out, n)) return;
    e->anchor = anchor;
    e->caret = e->caret_after_edit = caret;
}

void qel_code_doc_type(qel_code_doc* doc, const char* bytes, int32_t count, uint8_t indent_style)
{
    qel_text_input_state* e = doc->edit;
    int32_t lo = std::min(e->caret, e->anchor), hi = std::max(e->caret, e->anchor);
    if (indent_style == QEL_CODE_INDENT_BRACKETS && count == 1 && bytes[0] == '}' && lo == hi) {
        int32_t line_start = doc->line_starts[qel_code_doc_line_of(doc, lo)];
        int32_t k = line_start;
        while (k < lo && blank(doc->text[k])) k++;
        if (k == lo && lo > line_start) {
            int32_t unit = 0;
            if (doc->text[lo - 1] == '\t') unit = 1;
            else
                while (unit < doc->tab_width && lo - unit > line_start && doc->text[lo - unit - 1] == ' ') unit++;
            qel_code_doc_insert(doc, lo - unit, lo, "}", 1, QEL_EDIT_TYPING);
            return;
        }
    }
    qel_code_doc_insert(doc, lo, hi, bytes, count, lo != hi ? QEL_EDIT_OTHER : QEL_EDIT_TYPING);
}
