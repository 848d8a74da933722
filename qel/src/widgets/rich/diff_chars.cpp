// The character diff: two short strings split into words, blank runs and single other bytes,
// compared by the engine's search over token identifiers, and the changed tokens gathered into
// byte ranges; strings too long, too many tokens or too different get none.
#include <cstring>

#include "widgets/rich/diff_search.h"

namespace {

constexpr int64_t pair_budget = 200000;
constexpr int32_t token_slots = 2048;

bool word_byte(uint8_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c >= 0x80;
}

bool blank_byte(char c) { return c == ' ' || c == '\t'; }

struct token_string {
    const char* text;
    int32_t length;
    int32_t count;
    int32_t bounds[QEL_DIFF_MAX_TOKENS + 1];
    int32_t ids[QEL_DIFF_MAX_TOKENS];
    uint8_t changed[QEL_DIFF_MAX_TOKENS];
};

// Both strings together hold at most 1,024 tokens, so the 2,048 slots never fill.
void intern_tokens(token_string* str)
{
    uint16_t refs[token_slots];
    uint32_t hashes[token_slots];
    int32_t ids[token_slots];
    memset(refs, 0xff, sizeof refs);
    int32_t next_id = 0;
    for (int32_t side = 0; side < 2; side++) {
        token_string& s = str[side];
        for (int32_t t = 0; t < s.count; t++) {
            uint32_t h = qel_diff_fnv1a(s.text + s.bounds[t], (size_t)(s.bounds[t + 1] - s.bounds[t]));
            int32_t length = s.bounds[t + 1] - s.bounds[t];
            for (uint32_t at = h & (token_slots - 1);; at = (at + 1) & (token_slots - 1)) {
                if (refs[at] == 0xffff) {
                    refs[at] = (uint16_t)(side << 15 | t);
                    hashes[at] = h;
                    s.ids[t] = ids[at] = next_id++;
                    break;
                }
                const token_string& o = str[refs[at] >> 15];
                int32_t ot = refs[at] & 0x7fff;
                if (hashes[at] == h && o.bounds[ot + 1] - o.bounds[ot] == length &&
                    memcmp(o.text + o.bounds[ot], s.text + s.bounds[t], (size_t)length) == 0) {
                    s.ids[t] = ids[at];
                    break;
                }
            }
        }
    }
}

// Under 30 % of the non-blank bytes kept: the strings are wholly different.
bool too_different(const token_string* str)
{
    int64_t total = 0, kept = 0;
    for (int32_t side = 0; side < 2; side++)
        for (int32_t t = 0; t < str[side].count; t++) {
            if (blank_byte(str[side].text[str[side].bounds[t]])) continue;
            int32_t length = str[side].bounds[t + 1] - str[side].bounds[t];
            total += length;
            if (!str[side].changed[t]) kept += length;
        }
    return total >= 1 && kept * 10 < total * 3;
}

int32_t gather_ranges(const token_string& s, qel_diff_range* out, int32_t max_ranges)
{
    int32_t count = 0;
    for (int32_t t = 0; t < s.count;) {
        if (!s.changed[t]) {
            t++;
            continue;
        }
        int32_t start = s.bounds[t];
        while (t < s.count && s.changed[t]) t++;
        int32_t end = s.bounds[t];
        qel_diff_range* last = count ? &out[count - 1] : nullptr;
        if (last && last->start + last->length == start - 1 && blank_byte(s.text[start - 1])) {
            last->length = end - last->start;
        } else if (count == max_ranges) {
            last->length = s.length - last->start;
            break;
        } else {
            out[count++] = {start, end - start};
        }
    }
    return count;
}

}  // namespace

int32_t qel_diff_tokenize(const char* text, int32_t length, int32_t* boundaries)
{
    int32_t count = 0;
    for (int32_t i = 0; i < length; count++) {
        if (count == QEL_DIFF_MAX_TOKENS) return -1;
        boundaries[count] = i;
        uint8_t c = (uint8_t)text[i++];
        if (word_byte(c))
            while (i < length && word_byte((uint8_t)text[i])) i++;
        else if (blank_byte((char)c))
            while (i < length && blank_byte(text[i])) i++;
    }
    boundaries[count] = length;
    return count;
}

int32_t qel_diff_token_compare(qel_diff_search* search, const char* old_text, int32_t old_length,
                               const char* new_text, int32_t new_length, qel_diff_range* old_ranges,
                               int32_t* old_count, qel_diff_range* new_ranges, int32_t* new_count, int32_t max_ranges)
{
    *old_count = *new_count = 0;
    if (max_ranges < 1) return 0;
    token_string str[2];
    str[0].text = old_text, str[0].length = old_length;
    str[1].text = new_text, str[1].length = new_length;
    for (token_string& s : str) {
        s.count = qel_diff_tokenize(s.text, s.length, s.bounds);
        if (s.count < 0) return 0;
        memset(s.changed, 0, sizeof s.changed);
    }
    intern_tokens(str);
    int64_t budget = search->budget;
    if (search->cost + pair_budget < budget) search->budget = search->cost + pair_budget;
    bool ok = qel_diff_search_run(search, str[0].ids, str[0].count, str[1].ids, str[1].count, str[0].changed,
                                  str[1].changed);
    search->budget = budget;
    if (!ok) return -1;
    if (too_different(str)) return 0;
    *old_count = gather_ranges(str[0], old_ranges, max_ranges);
    *new_count = gather_ranges(str[1], new_ranges, max_ranges);
    return 1;
}

bool qel_diff_token_diff(qel_diff_search* search, const char* old_text, int32_t old_length, const char* new_text,
                         int32_t new_length, qel_diff_range* old_ranges, int32_t* old_count,
                         qel_diff_range* new_ranges, int32_t* new_count, int32_t max_ranges)
{
    return qel_diff_token_compare(search, old_text, old_length, new_text, new_length, old_ranges, old_count,
                                  new_ranges, new_count, max_ranges) == 1;
}

bool qel_diff_chars(const char* old_text, int32_t old_length, const char* new_text, int32_t new_length,
                    qel_diff_range* old_ranges, int32_t* old_count, qel_diff_range* new_ranges,
                    int32_t* new_count, int32_t max_ranges)
{
    if (old_count) *old_count = 0;
    if (new_count) *new_count = 0;
    if (!old_text) old_text = "", old_length = 0;
    if (!new_text) new_text = "", new_length = 0;
    if (old_length < 0) old_length = (int32_t)strnlen(old_text, QEL_DIFF_MAX_CHARS + 1);
    if (new_length < 0) new_length = (int32_t)strnlen(new_text, QEL_DIFF_MAX_CHARS + 1);
    if (max_ranges > QEL_DIFF_MAX_RANGES) max_ranges = QEL_DIFF_MAX_RANGES;
    if (max_ranges < 1 || old_length > QEL_DIFF_MAX_CHARS || new_length > QEL_DIFF_MAX_CHARS) return false;
    qel_diff_search search = {};
    search.alloc = &qel_diff_default_allocator;
    search.budget = 0x400000;
    qel_diff_range ranges[2][QEL_DIFF_MAX_RANGES];
    int32_t counts[2];
    bool ok = qel_diff_token_diff(&search, old_text, old_length, new_text, new_length, ranges[0], &counts[0],
                                  ranges[1], &counts[1], max_ranges);
    qel_diff_search_free(&search);
    if (!ok) return false;
    if (old_ranges) memcpy(old_ranges, ranges[0], (size_t)counts[0] * sizeof(qel_diff_range));
    if (new_ranges) memcpy(new_ranges, ranges[1], (size_t)counts[1] * sizeof(qel_diff_range));
    if (old_count) *old_count = counts[0];
    if (new_count) *new_count = counts[1];
    return true;
}
