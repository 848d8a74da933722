// The Markdown inline parser: a scan into tokens (text, delimiter runs, code spans, breaks,
// brackets, link ends, autolinks), the matching of delimiter runs, and the spans built from the
// tokens with running style depths.
#include "qel/markdown_inline.h"

#include <algorithm>
#include <cstring>

#include "qel/arena.h"

namespace {

enum token_kind : uint8_t { TOK_TEXT, TOK_DELIM, TOK_CODE, TOK_BREAK, TOK_OPEN, TOK_LINK_END, TOK_AUTOLINK };

enum { STYLE_STRONG, STYLE_EMPHASIS, STYLE_STRIKE, STYLE_KINDS };

const int32_t MAX_BRACKETS = 32;
const int32_t MAX_NESTING = 32;
const int32_t MAX_TICKS = 32;
const int32_t OPENER_WINDOW = 64;

struct token {
    const char* text;
    int32_t length;
    int32_t link;  // an opener's or autolink's link; -1 none
    uint8_t kind;
    // Delimiter runs.
    char ch;
    uint8_t count, remaining, used_front;
    uint8_t can_open, can_close, hidden;
    uint8_t opens[STYLE_KINDS], closes[STYLE_KINDS];
    // Bracket openers.
    uint8_t image, active;
};

// Where a failed scan ran out: a later scan that reaches a byte the failed one also stepped on
// goes straight to its end.
struct scan_memo {
    int32_t start = -1, end = -1;
};

// The opening parentheses of a bare destination scan in order; only the last MAX_NESTING + 1
// count, so older ones make room when it is full.
struct open_list {
    enum { KEPT = MAX_NESTING + 1, SIZE = 2 * KEPT };
    int32_t at[SIZE];
    int32_t count;
};

void add_opens(open_list& l, const int32_t* at, int32_t n)
{
    if (n >= open_list::KEPT) {
        at += n - open_list::KEPT;
        n = open_list::KEPT;
        l.count = 0;
    } else if (l.count + n > open_list::SIZE) {
        int32_t keep = open_list::KEPT - n;
        memmove(l.at, l.at + l.count - keep, sizeof(int32_t) * (size_t)keep);
        l.count = keep;
    }
    memcpy(l.at + l.count, at, sizeof(int32_t) * (size_t)n);
    l.count += n;
}

// A failed bare destination scan: one from a byte it stepped on past its last ")" meets only the
// "(" it kept, so it takes them and goes on from its end (the byte after the "(" that nested too
// deep, or the blank or the text's end that stopped it). Its parentheses are in opens[list].
struct bare_memo {
    scan_memo scan;
    int32_t last_close = -1;
    int32_t list = 0;
};

enum link_parse : uint8_t { LINK_VALID, LINK_INVALID, LINK_UNFINISHED };

struct parser {
    qel_context* ctx;
    const char* t;
    int32_t n;
    bool streaming;
    token* tokens;
    int32_t count, capacity;
    int32_t* delims;  // token indices of the delimiter runs, in order
    int32_t delim_count;
    qel_markdown_link* links;
    int32_t link_count, link_capacity;
    int32_t brackets[MAX_BRACKETS];
    int32_t bracket_depth;
    bool tick_failed[MAX_TICKS + 1];
    scan_memo angle, titles[3];
    bare_memo bare;
    open_list opens[2];  // the memo's and the running scan's
    int32_t pending;  // start of text not yet in a token
};

bool is_blank(int32_t c)
{
    return c < 0 || c == 0 || c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

bool is_punct(int32_t c)
{
    return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126);
}

bool is_alpha(int32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int32_t byte_at(const parser& p, int32_t i)
{
    return i < 0 || i >= p.n ? -1 : (uint8_t)p.t[i];
}

bool autolink_may_start(int32_t before)
{
    return is_blank(before) || before == '"' || before == '\'' || before == '(' || before == '*' || before == '_' ||
           before == '~';
}

// Bytes that may start a construct, and those of them the token bound counts.
enum : uint8_t { STARTS = 1, COUNTED = 2 };

struct byte_classes {
    uint8_t of[256] = {};
    byte_classes()
    {
        for (const char* c = "\n!&*<[\\]_`~"; *c; c++) of[(uint8_t)*c] = STARTS | COUNTED;
        of[(uint8_t)'h'] = of[(uint8_t)'w'] = STARTS;
    }
};

const byte_classes CLASSES;

// The token bound, and the most links and delimiter runs the text can make: a link only at "<",
// "]" or an autolink's first byte, a run only at "*", "_" or "~".
struct bounds {
    int32_t tokens, links, delims;
};

bounds bounds_of(const char* t, int32_t n)
{
    bounds b = {1, 0, 0};
    for (int32_t i = 0; i < n; i++) {
        char c = t[i];
        if (CLASSES.of[(uint8_t)c] & COUNTED) b.tokens++;
        b.links += c == '<' || c == ']';
        b.delims += c == '*' || c == '_' || c == '~';
        if ((c == 'h' || c == 'w') && (i == 0 || autolink_may_start((uint8_t)t[i - 1]))) {
            b.tokens++;
            b.links++;
        }
    }
    return b;
}

// Room for a construct and the text before it, keeping one slot for the final text.
bool room(const parser& p, int32_t tokens)
{
    return p.count + tokens + 1 <= p.capacity;
}

token* push(parser& p, uint8_t kind, const char* text, int32_t length)
{
    token* k = &p.tokens[p.count++];
    memset(k, 0, sizeof *k);
    k->kind = kind;
    k->text = text;
    k->length = length;
    k->link = -1;
    return k;
}

void flush_text(parser& p, int32_t upto)
{
    if (upto > p.pending) push(p, TOK_TEXT, p.t + p.pending, upto - p.pending);
    p.pending = upto;
}

int32_t add_link(parser& p, const char* url, int32_t length, bool autolink)
{
    qel_markdown_link& l = p.links[p.link_count];
    l = {};
    l.url = url;
    l.length = length;
    l.autolink = autolink;
    l.www = url && length >= 4 && memcmp(url, "www.", 4) == 0;
    l.inactive = url == nullptr;
    return p.link_count++;
}

// --- Scans ---

// Whether a scan now at i may take the memo's end: the failed scan stepped on i too.
bool memo_covers(const parser& p, const scan_memo& m, int32_t i)
{
    return m.start >= 0 && i >= m.start && i < m.end && (i == m.start || p.t[i - 1] != '\\');
}

// The break tag: "<br", optional spaces, optional "/", ">". Returns its end or -1.
int32_t break_tag(const parser& p, int32_t i)
{
    if (i + 2 >= p.n || (p.t[i + 1] | 0x20) != 'b' || (p.t[i + 2] | 0x20) != 'r') return -1;
    int32_t j = i + 3;
    while (j < p.n && p.t[j] == ' ') j++;
    if (j < p.n && p.t[j] == '/') j++;
    return j < p.n && p.t[j] == '>' ? j + 1 : -1;
}

// "<scheme:rest>": returns the end after ">" or -1.
int32_t angle_autolink(const parser& p, int32_t i)
{
    int32_t j = i + 1;
    if (!is_alpha(byte_at(p, j))) return -1;
    while (j < p.n && (is_alpha((uint8_t)p.t[j]) || (p.t[j] >= '0' && p.t[j] <= '9') || p.t[j] == '+' || p.t[j] == '-' ||
                       p.t[j] == '.'))
        j++;
    if (j - (i + 1) < 2 || j - (i + 1) > 32 || byte_at(p, j) != ':') return -1;
    for (j++; j < p.n; j++) {
        char c = p.t[j];
        if (c == '>') return j + 1;
        if (c == '<' || c == 0 || c == '\t' || c == '\n' || c == '\r' || c == ' ') return -1;
    }
    return -1;
}

// A bare URL starting at i: its length, 0 when none.
int32_t bare_autolink(const parser& p, int32_t i)
{
    static const char* const prefixes[] = {"https://", "http://", "www."};
    int32_t prefix = 0;
    for (const char* pre : prefixes) {
        int32_t l = (int32_t)strlen(pre);
        if (p.n - i > l && memcmp(p.t + i, pre, (size_t)l) == 0) {
            prefix = l;
            break;
        }
    }
    if (!prefix) return 0;
    int32_t end = i;
    while (end < p.n && !strchr("\t\n\r <", p.t[end]) && p.t[end]) end++;
    while (end > i + prefix && p.t[end - 1] && strchr("?!.,:*_~'\";", p.t[end - 1])) end--;
    if (end > i + prefix && p.t[end - 1] == ')') {
        int32_t open = 0, close = 0;
        for (int32_t k = i; k < end; k++) {
            open += p.t[k] == '(';
            close += p.t[k] == ')';
        }
        if (close > open) end--;
    }
    return end > i + prefix ? end - i : 0;
}

int32_t skip_blanks(const parser& p, int32_t i)
{
    while (i < p.n && is_blank((uint8_t)p.t[i])) i++;
    return i;
}

// The "<...>" destination from i (after "<"): the index of ">", -1 for a line feed or another
// "<", n at the end.
int32_t scan_angle(parser& p, int32_t i)
{
    int32_t from = i;
    while (i < p.n) {
        if (memo_covers(p, p.angle, i)) i = p.angle.end;
        if (i >= p.n) break;
        char c = p.t[i];
        if (c == '>') return i;
        if (c == '\n' || c == '<') break;
        i += c == '\\' ? 2 : 1;
    }
    if (i > p.n) i = p.n;
    p.angle = {from, i};
    return i < p.n ? -1 : p.n;
}

// A bare destination from i: its end (a blank, an unbalanced ")" or n), -1 when it nests too deep
// or a blank comes while a "(" is still open.
int32_t scan_bare(parser& p, int32_t i)
{
    int32_t from = i, depth = 0, last_close = -1, list = 1 - p.bare.list;
    open_list& opens = p.opens[list];
    opens.count = 0;
    auto ends = [&](int32_t end) { p.bare = {{from, end}, last_close, list}; };
    while (i < p.n) {
        const bare_memo& m = p.bare;
        if (memo_covers(p, m.scan, i) && i > m.last_close) {
            const open_list& kept = p.opens[m.list];
            int32_t k = (int32_t)(std::lower_bound(kept.at, kept.at + kept.count, i) - kept.at);
            int32_t take = kept.count - k;
            if (depth + take > MAX_NESTING) {
                take = MAX_NESTING + 1 - depth;
                add_opens(opens, kept.at + k, take);
                ends(kept.at[k + take - 1] + 1);
                return -1;
            }
            add_opens(opens, kept.at + k, take);
            depth += take;
            i = m.scan.end;
            if (i >= p.n) break;
        }
        char c = p.t[i];
        if (is_blank((uint8_t)c)) break;
        if (c == '(') {
            add_opens(opens, &i, 1);
            if (++depth > MAX_NESTING) {
                ends(i + 1);
                return -1;
            }
        }
        if (c == ')') {
            if (depth == 0) return i;
            depth--;
            last_close = i;
        }
        i += c == '\\' ? 2 : 1;
    }
    if (i > p.n) i = p.n;
    ends(i);
    return depth > 0 && i < p.n ? -1 : i;
}

// A title's closing byte from i (after its opener): its index, -1 when it cannot close, n at the end.
int32_t scan_title(parser& p, int32_t i, char close)
{
    scan_memo& memo = p.titles[close == '"' ? 0 : close == '\'' ? 1 : 2];
    int32_t from = i;
    while (i < p.n) {
        if (memo_covers(p, memo, i)) i = memo.end;
        if (i >= p.n) break;
        char c = p.t[i];
        if (c == close) return i;
        if (close == ')' && c == '(') break;
        i += c == '\\' ? 2 : 1;
    }
    if (i > p.n) i = p.n;
    memo = {from, i};
    return i < p.n ? -1 : p.n;
}

// The inline destination and title after the "]" at i.
link_parse parse_destination(parser& p, int32_t i, int32_t* url, int32_t* url_length, int32_t* end)
{
    i++;
    if (i >= p.n) return LINK_UNFINISHED;
    if (p.t[i] != '(') return LINK_INVALID;
    i = skip_blanks(p, i + 1);
    if (i >= p.n) return LINK_UNFINISHED;
    if (p.t[i] == '<') {
        int32_t close = scan_angle(p, i + 1);
        if (close < 0) return LINK_INVALID;
        if (close >= p.n) return LINK_UNFINISHED;
        *url = i + 1;
        *url_length = close - (i + 1);
        i = close + 1;
    } else {
        int32_t stop = scan_bare(p, i);
        if (stop < 0) return LINK_INVALID;
        if (stop >= p.n) return LINK_UNFINISHED;
        *url = i;
        *url_length = stop - i;
        i = stop;
    }
    int32_t j = skip_blanks(p, i);
    if (j >= p.n) return LINK_UNFINISHED;
    char q = p.t[j];
    if (j > i && (q == '"' || q == '\'' || q == '(')) {
        int32_t close = scan_title(p, j + 1, q == '(' ? ')' : q);
        if (close < 0) return LINK_INVALID;
        if (close >= p.n) return LINK_UNFINISHED;
        j = skip_blanks(p, close + 1);
        if (j >= p.n) return LINK_UNFINISHED;
    }
    if (p.t[j] != ')') return LINK_INVALID;
    *end = j + 1;
    return LINK_VALID;
}

// --- Delimiter runs ---

void add_delimiter(parser& p, int32_t i, int32_t run)
{
    char c = p.t[i];
    int32_t before = byte_at(p, i - 1), after = byte_at(p, i + run);
    bool left = !is_blank(after) && (!is_punct(after) || is_blank(before) || is_punct(before));
    bool right = !is_blank(before) && (!is_punct(before) || is_blank(after) || is_punct(after));
    token* k = push(p, TOK_DELIM, p.t + i, run);
    k->ch = c;
    k->count = k->remaining = (uint8_t)(run > 127 ? 127 : run);
    bool sized = run <= 64 && (c != '~' || run == 2);
    if (c == '_') {
        k->can_open = sized && left && (!right || is_punct(before));
        k->can_close = sized && right && (!left || is_punct(after));
    } else {
        k->can_open = sized && left;
        k->can_close = sized && right;
    }
    p.delims[p.delim_count++] = p.count - 1;
}

bool skipped_by_three(const token& o, const token& c)
{
    if (o.ch == '~' || !(o.can_close || c.can_open)) return false;
    return (o.count + c.count) % 3 == 0 && !(o.count % 3 == 0 && c.count % 3 == 0);
}

// Matches the closers among delimiter runs [from, to), openers taken from [from, closer).
void match_delimiters(parser& p, int32_t from, int32_t to)
{
    for (int32_t c = from; c < to; c++) {
        token& closer = p.tokens[p.delims[c]];
        if (!closer.can_close) continue;
        while (closer.remaining > 0) {
            int32_t found = -1;
            int32_t floor = c - OPENER_WINDOW > from ? c - OPENER_WINDOW : from;
            for (int32_t o = c - 1; o >= floor && found < 0; o--) {
                const token& opener = p.tokens[p.delims[o]];
                if (opener.ch != closer.ch || !opener.can_open || !opener.remaining) continue;
                if (skipped_by_three(opener, closer)) continue;
                if (closer.ch == '~' && (opener.remaining < 2 || closer.remaining < 2)) continue;
                found = o;
            }
            if (found < 0) break;
            token& opener = p.tokens[p.delims[found]];
            int32_t used = opener.remaining >= 2 && closer.remaining >= 2 ? 2 : 1;
            int32_t style = closer.ch == '~' ? STYLE_STRIKE : used == 2 ? STYLE_STRONG : STYLE_EMPHASIS;
            opener.opens[style]++;
            closer.closes[style]++;
            opener.remaining = (uint8_t)(opener.remaining - used);
            closer.remaining = (uint8_t)(closer.remaining - used);
            closer.used_front = (uint8_t)(closer.used_front + used);
            for (int32_t between = found + 1; between < c; between++) {
                token& b = p.tokens[p.delims[between]];
                b.can_open = b.can_close = 0;
            }
        }
    }
}

// The first delimiter run after token index t.
int32_t first_delim_after(const parser& p, int32_t t)
{
    int32_t lo = 0, hi = p.delim_count;
    while (lo < hi) {
        int32_t mid = (lo + hi) / 2;
        if (p.delims[mid] > t) hi = mid;
        else lo = mid + 1;
    }
    return lo;
}

// --- Scanning ---

// A link closed at the "]" at i: emphasis inside it is settled and cannot reach out.
void close_link(parser& p, int32_t url, int32_t url_length)
{
    int32_t opener_index = p.brackets[p.bracket_depth - 1];
    token& opener = p.tokens[opener_index];
    opener.link = add_link(p, p.t + url, url_length, false);
    int32_t first = first_delim_after(p, opener_index);
    match_delimiters(p, first, p.delim_count);
    for (int32_t d = first; d < p.delim_count; d++) p.tokens[p.delims[d]].can_open = p.tokens[p.delims[d]].can_close = 0;
    push(p, TOK_LINK_END, nullptr, 0);
    bool image = opener.image;
    p.bracket_depth--;
    if (!image)
        for (int32_t b = 0; b < p.bracket_depth; b++)
            if (!p.tokens[p.brackets[b]].image) p.tokens[p.brackets[b]].active = 0;
}

// Handles the "]" at i; returns where scanning goes on, or -1 when it stops (streaming).
int32_t close_bracket(parser& p, int32_t i)
{
    if (p.bracket_depth == 0) return i + 1;
    token& top = p.tokens[p.brackets[p.bracket_depth - 1]];
    if (!top.active) {
        p.bracket_depth--;
        return i + 1;
    }
    int32_t url = 0, url_length = 0, end = 0;
    link_parse r = parse_destination(p, i, &url, &url_length, &end);
    if (r == LINK_VALID && p.link_count < p.link_capacity && room(p, 2)) {
        flush_text(p, i);
        close_link(p, url, url_length);
        p.pending = end;
        return end;
    }
    if (r == LINK_UNFINISHED && p.streaming && p.link_count < p.link_capacity) {
        flush_text(p, i);
        top.link = add_link(p, nullptr, 0, false);
        p.bracket_depth--;
        return -1;
    }
    p.bracket_depth--;
    return i + 1;
}

// A code span from the run of ticks at i; returns where scanning goes on.
int32_t code_span(parser& p, int32_t i, int32_t ticks)
{
    int32_t open_end = i + ticks;
    if (ticks <= MAX_TICKS && !p.tick_failed[ticks]) {
        for (int32_t j = open_end; j < p.n;) {
            if (p.t[j] != '`') {
                j++;
                continue;
            }
            int32_t k = j;
            while (k < p.n && p.t[k] == '`') k++;
            if (k - j == ticks) {
                int32_t s = open_end, e = j;
                bool only_spaces = true;
                for (int32_t m = s; m < e && only_spaces; m++) only_spaces = p.t[m] == ' ';
                if (e - s >= 2 && p.t[s] == ' ' && p.t[e - 1] == ' ' && !only_spaces) {
                    s++;
                    e--;
                }
                flush_text(p, i);
                push(p, TOK_CODE, p.t + s, e - s);
                p.pending = k;
                return k;
            }
            j = k;
        }
        p.tick_failed[ticks] = true;
    }
    if (p.streaming && ticks <= MAX_TICKS) {
        flush_text(p, i);
        push(p, TOK_CODE, p.t + open_end, p.n - open_end);
        p.pending = p.n;
        return p.n;
    }
    return open_end;
}

struct entity {
    const char* name;
    const char* text;
};

const entity ENTITIES[] = {{"&amp;", "&"},   {"&lt;", "<"},   {"&gt;", ">"},
                           {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", "\xC2\xA0"}};

// One construct at i (a byte that may start one); returns where scanning goes on, -1 to stop.
int32_t construct(parser& p, int32_t i)
{
    char c = p.t[i];
    int32_t next = byte_at(p, i + 1);
    if (c == '\\') {
        if (!is_punct(next)) return i + 1;
        flush_text(p, i);
        p.pending = i + 1;
        flush_text(p, i + 2);
        return i + 2;
    }
    if (c == '\n') {
        flush_text(p, i);
        push(p, TOK_BREAK, nullptr, 0);
        p.pending = i + 1;
        return i + 1;
    }
    if (c == '<') {
        int32_t end = break_tag(p, i);
        if (end > 0) {
            flush_text(p, i);
            push(p, TOK_BREAK, nullptr, 0);
            p.pending = end;
            return end;
        }
        end = angle_autolink(p, i);
        if (end > 0 && p.link_count < p.link_capacity) {
            flush_text(p, i);
            token* k = push(p, TOK_AUTOLINK, p.t + i + 1, end - i - 2);
            k->link = add_link(p, k->text, k->length, true);
            p.pending = end;
            return end;
        }
        return i + 1;
    }
    if (c == '&') {
        for (const entity& e : ENTITIES) {
            int32_t l = (int32_t)strlen(e.name);
            if (p.n - i >= l && memcmp(p.t + i, e.name, (size_t)l) == 0) {
                flush_text(p, i);
                push(p, TOK_TEXT, e.text, (int32_t)strlen(e.text));
                p.pending = i + l;
                return i + l;
            }
        }
        return i + 1;
    }
    if (c == '`') {
        int32_t run = 1;
        while (i + run < p.n && p.t[i + run] == '`') run++;
        return code_span(p, i, run);
    }
    if ((c == 'h' || c == 'w') && autolink_may_start(byte_at(p, i - 1)) && p.link_count < p.link_capacity) {
        int32_t length = bare_autolink(p, i);
        if (!length) return i + 1;
        flush_text(p, i);
        token* k = push(p, TOK_AUTOLINK, p.t + i, length);
        k->link = add_link(p, k->text, length, true);
        p.pending = i + length;
        return i + length;
    }
    if (c == '[' || (c == '!' && next == '[')) {
        if (p.bracket_depth >= MAX_BRACKETS) return i + 1;
        int32_t length = c == '!' ? 2 : 1;
        flush_text(p, i);
        token* k = push(p, TOK_OPEN, p.t + i, length);
        k->image = c == '!';
        k->active = 1;
        p.brackets[p.bracket_depth++] = p.count - 1;
        p.pending = i + length;
        return i + length;
    }
    if (c == ']') return close_bracket(p, i);
    if (c == '*' || c == '_' || c == '~') {
        int32_t run = 1;
        while (i + run < p.n && p.t[i + run] == c) run++;
        flush_text(p, i);
        add_delimiter(p, i, run);
        p.pending = i + run;
        return i + run;
    }
    return i + 1;
}

bool may_start(char c)
{
    return CLASSES.of[(uint8_t)c] & STARTS;
}

void scan(parser& p)
{
    int32_t i = 0;
    while (i < p.n) {
        if (!may_start(p.t[i]) || !room(p, 2)) {
            i++;
            continue;
        }
        i = construct(p, i);
        if (i < 0) {
            p.pending = p.n;
            return;
        }
    }
    flush_text(p, p.n);
}

// Streaming: openers still open run to the end of the text, unseen; so do runs at the end.
void open_to_end(parser& p)
{
    for (int32_t d = 0; d < p.delim_count; d++) {
        token& k = p.tokens[p.delims[d]];
        if (k.text + k.length == p.t + p.n) k.hidden = 1;
        if (!k.can_open || !k.remaining) continue;
        k.hidden = 1;
        if (k.ch == '~') {
            if (k.remaining != 1) k.opens[STYLE_STRIKE]++;
        } else if (k.remaining == 1) {
            k.opens[STYLE_EMPHASIS]++;
        } else {
            k.opens[STYLE_STRONG]++;
            if (k.remaining % 2) k.opens[STYLE_EMPHASIS]++;
        }
    }
    for (int32_t b = 0; b < p.bracket_depth; b++) p.tokens[p.brackets[b]].hidden = 1;
}

// --- Spans ---

struct span_builder {
    qel_markdown_span* spans;
    int32_t count;
    int32_t depth[STYLE_KINDS];
    int32_t links[MAX_BRACKETS + 1];  // the links the text is inside, innermost last
    int32_t link_depth;
};

uint8_t current_style(const span_builder& b)
{
    return (uint8_t)((b.depth[STYLE_STRONG] > 0 ? QEL_MD_STRONG : 0) | (b.depth[STYLE_EMPHASIS] > 0 ? QEL_MD_EMPHASIS : 0) |
                     (b.depth[STYLE_STRIKE] > 0 ? QEL_MD_STRIKE : 0));
}

int32_t current_link(const span_builder& b)
{
    return b.link_depth > 0 ? b.links[b.link_depth - 1] : -1;
}

void add_span(span_builder& b, const char* text, int32_t length, uint8_t style, int32_t link)
{
    if (length <= 0 && !(style & QEL_MD_BREAK)) return;
    if (b.count > 0 && !(style & QEL_MD_BREAK)) {
        qel_markdown_span& last = b.spans[b.count - 1];
        if (last.text + last.length == text && last.style == style && last.link == link) {
            last.length += length;
            return;
        }
    }
    b.spans[b.count++] = {text, length, style, link};
}

void build_spans(const parser& p, span_builder& b)
{
    for (int32_t i = 0; i < p.count; i++) {
        const token& k = p.tokens[i];
        switch (k.kind) {
        case TOK_TEXT:
            add_span(b, k.text, k.length, current_style(b), current_link(b));
            break;
        case TOK_DELIM: {
            for (int32_t s = 0; s < STYLE_KINDS; s++) b.depth[s] -= k.closes[s];
            int32_t used = k.count - k.remaining;
            if (!k.hidden) add_span(b, k.text + k.used_front, k.length - used, current_style(b), current_link(b));
            for (int32_t s = 0; s < STYLE_KINDS; s++) b.depth[s] += k.opens[s];
            break;
        }
        case TOK_CODE:
            add_span(b, k.text, k.length, (uint8_t)(current_style(b) | QEL_MD_CODE), current_link(b));
            break;
        case TOK_BREAK:
            add_span(b, nullptr, 0, QEL_MD_BREAK, -1);
            break;
        case TOK_OPEN:
            if (k.link >= 0 && b.link_depth <= MAX_BRACKETS) b.links[b.link_depth++] = k.link;
            else if (!k.hidden) add_span(b, k.text, k.length, current_style(b), current_link(b));
            break;
        case TOK_LINK_END:
            if (b.link_depth > 0) b.link_depth--;
            break;
        case TOK_AUTOLINK:
            add_span(b, k.text, k.length, current_style(b), b.link_depth > 0 ? current_link(b) : k.link);
            break;
        default:
            break;
        }
    }
}

}  // namespace

qel_markdown_inline_result qel_markdown_inline(qel_context* ctx, const char* text, int32_t length, bool streaming)
{
    qel_markdown_inline_result r = {};
    if (!text || length <= 0) return r;
    parser p = {};
    p.ctx = ctx;
    p.t = text;
    p.n = length;
    p.streaming = streaming;
    bounds b0 = bounds_of(text, length);
    p.capacity = 2 * b0.tokens;
    p.tokens = (token*)qel_arena_alloc(ctx, sizeof(token) * (size_t)p.capacity);
    p.delims = (int32_t*)qel_arena_alloc(ctx, sizeof(int32_t) * (size_t)(b0.delims + 1));
    p.link_capacity = b0.links;
    p.links = (qel_markdown_link*)qel_arena_alloc(ctx, sizeof(qel_markdown_link) * (size_t)(b0.links + 1));
    scan(p);
    match_delimiters(p, 0, p.delim_count);
    if (streaming) open_to_end(p);
    span_builder b = {};
    b.spans = (qel_markdown_span*)qel_arena_alloc(ctx, sizeof(qel_markdown_span) * (size_t)(p.count + 1));
    build_spans(p, b);
    r.spans = b.spans;
    r.span_count = b.count;
    r.links = p.links;
    r.link_count = p.link_count;
    return r;
}
