// The language table, the line tokenizer and the syntax palette that the code block, the JSON
// view, the code editor and the other code viewers share, and the drawing of one highlighted
// line, which goes on past the tokenizer's batch limit so long lines show whole.
#include "qel/code.h"

#include <cstring>

#include "qel/color.h"
#include "qel/font.h"
#include "qel/text_units.h"
#include "qel/theme.h"

namespace {

constexpr const char* C_KEYWORDS[] = {"if", "else", "for", "while", "do", "switch", "case", "default", "break",
                                      "continue", "return", "goto", "typedef", "struct", "union", "enum", "static",
                                      "const", "extern", "volatile", "inline", "sizeof", "class", "public", "private",
                                      "protected", "namespace", "template", "typename", "new", "delete", "using",
                                      "virtual", "override", "auto", "constexpr", "nullptr", "this", "operator", "try",
                                      "catch", "throw", nullptr};
constexpr const char* C_TYPES[] = {"void", "char", "short", "int", "long", "float", "double", "bool", "unsigned",
                                   "signed", "size_t", "uint8_t", "uint16_t", "uint32_t", "uint64_t", "int8_t",
                                   "int16_t", "int32_t", "int64_t", "FILE", nullptr};
constexpr const char* JS_KEYWORDS[] = {"if", "else", "for", "while", "do", "switch", "case", "default", "break",
                                       "continue", "return", "function", "const", "let", "var", "new", "class",
                                       "extends", "import", "export", "from", "async", "await", "try", "catch", "throw",
                                       "typeof", "instanceof", "in", "of", "this", "yield", "interface", "type",
                                       "implements", "public", "private", "readonly", "as", nullptr};
constexpr const char* TS_TYPES[] = {"string", "number", "boolean", "any", "unknown", "never", "void", "Promise",
                                    "Array", "Record", nullptr};
constexpr const char* PY_KEYWORDS[] = {"if", "elif", "else", "for", "while", "def", "class", "return", "import", "from",
                                       "as", "with", "try", "except", "finally", "raise", "lambda", "yield", "pass",
                                       "break", "continue", "in", "is", "not", "and", "or", "global", "nonlocal",
                                       "async", "await", "del", "assert", nullptr};
constexpr const char* PY_TYPES[] = {"int", "float", "str", "bool", "list", "dict", "tuple", "set", "bytes", "self",
                                    nullptr};
constexpr const char* RUST_KEYWORDS[] = {"fn", "let", "mut", "if", "else", "match", "for", "while", "loop", "return",
                                         "struct", "enum", "impl", "trait", "pub", "use", "mod", "crate", "self",
                                         "Self", "where", "as", "ref", "move", "async", "await", "const", "static",
                                         "unsafe", "dyn", "in", "break", "continue", nullptr};
constexpr const char* RUST_TYPES[] = {"i8", "i16", "i32", "i64", "u8", "u16", "u32", "u64", "f32", "f64", "usize",
                                      "isize", "bool", "char", "str", "String", "Vec", "Option", "Result", "Box",
                                      nullptr};
constexpr const char* GO_KEYWORDS[] = {"func", "package", "import", "var", "const", "type", "struct", "interface",
                                       "map", "chan", "if", "else", "for", "range", "switch", "case", "default",
                                       "return", "break", "continue", "go", "defer", "select", "fallthrough", "goto",
                                       nullptr};
constexpr const char* GO_TYPES[] = {"int", "int64", "int32", "uint", "uint64", "float64", "float32", "string", "bool",
                                    "byte", "rune", "error", nullptr};
constexpr const char* SHELL_KEYWORDS[] = {"if", "then", "else", "elif", "fi", "for", "in", "do", "done", "while",
                                          "case", "esac", "function", "return", "export", "local", "echo", "cd", "sudo",
                                          "cmake", "make", "git", "apt", "brew", nullptr};
constexpr const char* NO_WORDS[] = {nullptr};
constexpr const char* LITERALS[] = {"true", "NULL", "None", "null", "True", "false", "False", nullptr};

struct language_row {
    const char* names[5];
    qel_code_lang lang;
};

const language_row LANGUAGES[] = {
    {{"c", "cpp", "c++", "h", nullptr}, {C_KEYWORDS, C_TYPES, "//", 1, 1, 0, 0}},
    {{"js", "ts", "javascript", "typescript", nullptr}, {JS_KEYWORDS, TS_TYPES, "//", 1, 0, 1, 0}},
    {{"python", "py", nullptr}, {PY_KEYWORDS, PY_TYPES, "#", 0, 0, 0, 0}},
    {{"rust", "rs", nullptr}, {RUST_KEYWORDS, RUST_TYPES, "//", 1, 0, 0, 0}},
    {{"go", nullptr}, {GO_KEYWORDS, GO_TYPES, "//", 1, 0, 1, 0}},
    {{"shell", "sh", "bash", nullptr}, {SHELL_KEYWORDS, NO_WORDS, "#", 0, 0, 0, 1}},
};

// Every byte of a line is classed, so by a table.
enum : uint8_t { WORD = 1, DIGIT = 2, BLANK = 4 };

constexpr auto BYTE_CLASSES = [] {
    struct table {
        uint8_t of[256];
    } t = {};
    for (int c = 0; c < 256; c++) {
        bool digit = c >= '0' && c <= '9';
        bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || digit || c == '_' || c >= 0x80;
        t.of[c] = (uint8_t)((word ? WORD : 0) | (digit ? DIGIT : 0) | (c == ' ' || c == '\t' ? BLANK : 0));
    }
    return t;
}();

bool word_byte(uint8_t c)
{
    return BYTE_CLASSES.of[c] & WORD;
}

bool digit(uint8_t c)
{
    return BYTE_CLASSES.of[c] & DIGIT;
}

// The table's word lists as hash sets: every identifier is looked up, most in vain.
struct word_set {
    const char* slots[128];
};

constexpr uint32_t word_hash(const char* word, int32_t length)
{
    return ((uint8_t)word[0] * 31u + (uint8_t)word[length - 1] * 7u + (uint32_t)length * 131u) & 127;
}

constexpr word_set set_of(const char* const* list)
{
    word_set set = {};
    for (; *list; list++) {
        int32_t n = 0;
        while ((*list)[n]) n++;
        uint32_t h = word_hash(*list, n);
        while (set.slots[h]) h = (h + 1) & 127;
        set.slots[h] = *list;
    }
    return set;
}

struct list_set {
    const char* const* list;
    word_set set;
};

constexpr list_set SETS[] = {
    {C_KEYWORDS, set_of(C_KEYWORDS)}, {C_TYPES, set_of(C_TYPES)}, {LITERALS, set_of(LITERALS)},
    {JS_KEYWORDS, set_of(JS_KEYWORDS)}, {TS_TYPES, set_of(TS_TYPES)}, {PY_KEYWORDS, set_of(PY_KEYWORDS)},
    {PY_TYPES, set_of(PY_TYPES)}, {RUST_KEYWORDS, set_of(RUST_KEYWORDS)}, {RUST_TYPES, set_of(RUST_TYPES)},
    {GO_KEYWORDS, set_of(GO_KEYWORDS)}, {GO_TYPES, set_of(GO_TYPES)}, {SHELL_KEYWORDS, set_of(SHELL_KEYWORDS)},
    {NO_WORDS, set_of(NO_WORDS)},
};

// The set of one of the table's lists; null for a caller's own list.
const word_set* set_for(const char* const* list)
{
    for (const list_set& s : SETS)
        if (s.list == list) return &s.set;
    return nullptr;
}

bool same_word(const char* listed, const char* word, int32_t length)
{
    int32_t i = 0;
    while (i < length && listed[i] == word[i]) i++;
    return i == length && listed[i] == 0;
}

// A line's language with the sets of its word lists, looked up once per line.
struct scanner {
    const qel_code_lang* lang;
    bool json;
    const word_set *keywords, *types, *literals;
};

scanner scanner_of(const qel_code_lang* lang, bool json)
{
    return {lang, json, set_for(lang->keywords), set_for(lang->types), set_for(LITERALS)};
}

bool in_list(const char* const* list, const word_set* set, const char* word, int32_t length)
{
    if (set) {
        for (uint32_t h = word_hash(word, length); set->slots[h]; h = (h + 1) & 127)
            if (same_word(set->slots[h], word, length)) return true;
        return false;
    }
    for (; *list; list++)
        if (same_word(*list, word, length)) return true;
    return false;
}

// The end of a quoted run opened at start: after the closing quote, or the line's end.
int32_t string_end(const char* s, int32_t n, int32_t start, bool* closed)
{
    char quote = s[start];
    for (int32_t i = start + 1; i < n; i++) {
        if (s[i] == '\\') {
            i++;
        } else if (s[i] == quote) {
            *closed = true;
            return i + 1;
        }
    }
    *closed = false;
    return n;
}

uint8_t word_class(const scanner& sc, const char* s, int32_t n, int32_t start, int32_t end)
{
    if (sc.json) return QEL_CODE_LITERAL;
    const qel_code_lang* lang = sc.lang;
    const char* w = s + start;
    int32_t len = end - start;
    if (in_list(lang->keywords, sc.keywords, w, len)) return QEL_CODE_KEYWORD;
    if (in_list(lang->types, sc.types, w, len)) return QEL_CODE_TYPE;
    if (in_list(LITERALS, sc.literals, w, len)) return QEL_CODE_LITERAL;
    int32_t after = end;
    while (after < n && s[after] == ' ') after++;
    if (after < n && s[after] == '(') return QEL_CODE_FUNCTION;
    if (len >= 2 && w[0] >= 'A' && w[0] <= 'Z' && !lang->shell) return QEL_CODE_TYPE;
    return QEL_CODE_PLAIN;
}

// The one token that starts at i outside a block comment; its class and end. A "/*" sets the
// state and ends nothing (returns i).
int32_t next_token(const scanner& sc, const char* s, int32_t n, int32_t i, uint8_t* state, uint8_t* token_class)
{
    const qel_code_lang* lang = sc.lang;
    bool json = sc.json;
    uint8_t c = (uint8_t)s[i];
    if (BYTE_CLASSES.of[c] & BLANK) {
        int32_t e = i;
        while (e < n && (BYTE_CLASSES.of[(uint8_t)s[e]] & BLANK)) e++;
        *token_class = QEL_CODE_PLAIN;
        return e;
    }
    const char* marker = lang->line_comment;
    if (marker && c == (uint8_t)marker[0]) {
        auto marker_length = (int32_t)strlen(marker);
        if (i + marker_length <= n && memcmp(s + i, marker, (size_t)marker_length) == 0) {
            *token_class = QEL_CODE_COMMENT;
            return n;
        }
    }
    if (lang->block_comments && c == '/' && i + 1 < n && s[i + 1] == '*') {
        *state = 1;
        return i;
    }
    if (lang->directives && c == '#') {
        int32_t e = i + 1;
        while (e < n && word_byte((uint8_t)s[e])) e++;
        *token_class = QEL_CODE_DIRECTIVE;
        return e;
    }
    if (c == '"' || c == '\'' || (c == '`' && lang->backtick_strings)) {
        bool closed = false;
        int32_t e = string_end(s, n, i, &closed);
        *token_class = QEL_CODE_STRING;
        if (closed && json) {
            int32_t k = e;
            while (k < n && s[k] == ' ') k++;
            if (k < n && s[k] == ':') *token_class = QEL_CODE_FUNCTION;
        }
        return e;
    }
    if (digit(c) || (json && c == '-' && i + 1 < n && digit((uint8_t)s[i + 1]))) {
        int32_t e = i + 1;
        while (e < n && (word_byte((uint8_t)s[e]) || s[e] == '.')) e++;
        *token_class = QEL_CODE_NUMBER;
        return e;
    }
    if (word_byte(c)) {
        int32_t e = i + 1;
        while (e < n && word_byte((uint8_t)s[e])) e++;
        *token_class = word_class(sc, s, n, i, e);
        return e;
    }
    *token_class = QEL_CODE_PUNCT;
    return i + 1;
}

// Scans from 0 until the line ends or count tokens are written; returns the count and leaves
// *reached at the end of the last token written, *state as it stands there.
int32_t scan_batch(const scanner& sc, const char* s, int32_t n, uint8_t* state, qel_code_token* tokens,
                   int32_t max, int32_t* reached)
{
    int32_t count = 0, i = 0;
    while (i < n && count < max) {
        int32_t end;
        uint8_t token_class = QEL_CODE_COMMENT;
        if (*state) {
            end = n;
            for (const char* star = s + i; (star = (const char*)memchr(star, '*', (size_t)(s + n - 1 - star)));
                 star++)
                if (star[1] == '/') {
                    end = (int32_t)(star - s) + 2;
                    *state = 0;
                    break;
                }
        } else {
            end = next_token(sc, s, n, i, state, &token_class);
            if (end == i) continue;  // a block comment opened here
        }
        tokens[count++] = {i, end - i, token_class};
        i = end;
    }
    *reached = i;
    return count;
}

// The column after a tab at column.
int32_t tab_stop(int32_t column, int32_t tab_width)
{
    return tab_width > 0 ? (column / tab_width + 1) * tab_width : column + 4;
}

}  // namespace

qel_code_lang qel_code_language(const char* name)
{
    if (name)
        for (const language_row& row : LANGUAGES)
            for (const char* const* n = row.names; *n; n++)
                if (strcmp(*n, name) == 0) return row.lang;
    return {NO_WORDS, NO_WORDS, nullptr, 0, 0, 0, 0};
}

bool qel_code_json_name(const char* name)
{
    return name && strcmp(name, "json") == 0;
}

int32_t qel_code_scan_line(const qel_code_lang* lang, bool json, const char* line, int32_t length, uint8_t* state,
                           qel_code_token* tokens, int32_t max_tokens)
{
    if (length < 1) return 0;
    qel_code_token spare[64];
    scanner sc = scanner_of(lang, json);
    bool keep = max_tokens > 0;
    int32_t reached = 0;
    int32_t count = keep ? scan_batch(sc, line, length, state, tokens, max_tokens, &reached) : 0;
    // The tokens past the limit are dropped, but the line is walked to its end for the state.
    while (reached < length) {
        int32_t more = 0;
        scan_batch(sc, line + reached, length - reached, state, spare, 64, &more);
        reached += more;
    }
    return count;
}

int32_t qel_code_tokenize(const char* language, const char* line, int32_t length, uint8_t* state,
                          qel_code_token* tokens, int32_t max_tokens)
{
    bool json = qel_code_json_name(language);
    qel_code_lang lang = qel_code_language(json ? nullptr : language);
    if (max_tokens > QEL_CODE_MAX_TOKENS) max_tokens = QEL_CODE_MAX_TOKENS;
    return qel_code_scan_line(&lang, json, line, length, state, tokens, max_tokens);
}

void qel_code_palette(qel_context* ctx, qel_color out[QEL_CODE_CLASS_COUNT])
{
    bool dark = qel_theme_get_mode(ctx) == QEL_THEME_DARK;
    struct lch {
        float l, c, h;
    };
    // keyword, type, string, number, function, directive; the literal shares the number's colour.
    static const lch LIGHT[] = {{0.52f, 0.20f, 305}, {0.52f, 0.11f, 200}, {0.52f, 0.14f, 150},
                                {0.58f, 0.16f, 50},  {0.50f, 0.17f, 255}, {0.52f, 0.18f, 355}};
    static const lch DARK[] = {{0.76f, 0.14f, 305}, {0.80f, 0.11f, 195}, {0.80f, 0.13f, 145},
                               {0.80f, 0.13f, 60},  {0.78f, 0.12f, 250}, {0.76f, 0.12f, 350}};
    const lch* t = dark ? DARK : LIGHT;
    auto oklch = [](lch v) { return qel_color_oklch(v.l, v.c, v.h, 1); };
    out[QEL_CODE_PLAIN] = qel_theme_color(ctx, QEL_COLOR_TEXT);
    out[QEL_CODE_KEYWORD] = oklch(t[0]);
    out[QEL_CODE_TYPE] = oklch(t[1]);
    out[QEL_CODE_STRING] = oklch(t[2]);
    out[QEL_CODE_NUMBER] = oklch(t[3]);
    out[QEL_CODE_COMMENT] = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    out[QEL_CODE_FUNCTION] = oklch(t[4]);
    out[QEL_CODE_DIRECTIVE] = oklch(t[5]);
    out[QEL_CODE_PUNCT] = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    out[QEL_CODE_LITERAL] = out[QEL_CODE_NUMBER];
}

int32_t qel_code_columns(const char* text, int32_t length, int32_t tab_width)
{
    int32_t column = 0;
    for (int32_t i = 0; i < length; i = qel_utf8_next(text, length, i)) {
        column = text[i] == '\t' ? tab_stop(column, tab_width) : column + 1;
    }
    return column;
}

float qel_code_draw_line(qel_context* ctx, const qel_code_line_style* style, const char* text, int32_t length,
                         uint8_t* state, float x, float y)
{
    qel_code_token tokens[QEL_CODE_MAX_TOKENS];
    scanner sc = scanner_of(style->lang, style->json != 0);
    int32_t done = 0, column = 0;
    while (done < length) {
        int32_t reached = 0;
        int32_t count = scan_batch(sc, text + done, length - done, state, tokens, QEL_CODE_MAX_TOKENS, &reached);
        for (int32_t t = 0; t < count; t++) {
            const char* s = text + done + tokens[t].start;
            int32_t n = tokens[t].length;
            bool blank = tokens[t].token_class == QEL_CODE_PLAIN && (s[0] == ' ' || s[0] == '\t');
            // A token is drawn in runs between its tabs, each at its own column: tab stops count
            // from the line's start, and a comment or string may hold tabs too.
            for (int32_t i = 0; i < n;) {
                if (s[i] == '\t') {
                    column = tab_stop(column, style->tab_width);
                    i++;
                    continue;
                }
                int32_t run = i, columns = 0;
                for (; run < n && s[run] != '\t'; run = qel_utf8_next(s, n, run)) columns++;
                float left = x + (float)column * style->char_width;
                float right = left + (float)columns * style->char_width;
                if (!blank && right >= style->clip_left && left <= style->clip_right)
                    qel_draw_text_run(ctx, QEL_FONT_MONO, style->size, left, y, style->palette[tokens[t].token_class],
                                      s + i, run - i, 0);
                column += columns;
                i = run;
            }
        }
        done += reached;
    }
    return x + (float)column * style->char_width;
}
