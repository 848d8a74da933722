// Syntax highlighting shared by every widget that shows code: the table of known languages, the
// line tokenizer with its block-comment state carried by the caller, the ten syntax colours of
// the current theme, and the drawing of one highlighted line in the monospace font.
#pragma once

#include <cstdint>

#include "qel/types.h"

// --- Records ---

// A language's lexical rules. Lists end with a null entry; an unknown language has empty lists.
struct qel_code_lang {
    const char* const* keywords;
    const char* const* types;
    const char* line_comment;  // null: none
    uint8_t block_comments;    // "/*" to "*/"
    uint8_t directives;        // "#" and the word after it
    uint8_t backtick_strings;
    uint8_t shell;  // capitalised words are not types
};

enum qel_code_token_class : uint8_t {
    QEL_CODE_PLAIN = 0,  // blanks and ordinary identifiers
    QEL_CODE_KEYWORD = 1,
    QEL_CODE_TYPE = 2,
    QEL_CODE_STRING = 3,
    QEL_CODE_NUMBER = 4,
    QEL_CODE_COMMENT = 5,
    QEL_CODE_FUNCTION = 6,  // a called name, or a JSON object key
    QEL_CODE_DIRECTIVE = 7,
    QEL_CODE_PUNCT = 8,    // any other single byte
    QEL_CODE_LITERAL = 9,  // true, false, null and the like
};

enum { QEL_CODE_CLASS_COUNT = 10, QEL_CODE_MAX_TOKENS = 256 };

// One token of a line: start and length in bytes within the line.
struct qel_code_token {
    int32_t start;
    int32_t length;
    uint8_t token_class;  // qel_code_token_class
};

// --- Languages and tokens ---

// The rules of the first table row naming the language (exact, case-sensitive): "c", "cpp",
// "c++", "h"; "js", "ts", "javascript", "typescript"; "python", "py"; "rust", "rs"; "go";
// "shell", "sh", "bash". Any other name, and null, give no keywords and no comments. "json" is
// not a language here: callers test for it first and then look up null (qel_code_json_name).
qel_code_lang qel_code_language(const char* name);

// True for the name "json", which switches a caller into JSON mode.
bool qel_code_json_name(const char* name);

// Splits one line (no line feed in it) into at most max_tokens tokens and returns how many it
// wrote; none when max_tokens is below 1. *state is the block-comment state the caller carries
// from line to line (0 before the first): read, and left as it is at the end of the line, also
// when tokens had to be dropped. A length below 1 returns 0 and leaves the state alone.
int32_t qel_code_scan_line(const qel_code_lang* lang, bool json, const char* line, int32_t length, uint8_t* state,
                           qel_code_token* tokens, int32_t max_tokens);

// qel_code_scan_line for a language name ("json" selects JSON mode), at most 256 tokens.
int32_t qel_code_tokenize(const char* language, const char* line, int32_t length, uint8_t* state,
                          qel_code_token* tokens, int32_t max_tokens);

// The colour of each token class in the context's current theme, indexed by class.
void qel_code_palette(qel_context* ctx, qel_color out[QEL_CODE_CLASS_COUNT]);

// --- Drawing a line ---

// How a highlighted line is drawn: in the monospace font at size, each character char_width
// wide. With tab_width above 0 a tab moves to the next multiple of that many columns; at 0 every
// tab byte is four spaces wide.
struct qel_code_line_style {
    const qel_code_lang* lang;
    uint8_t json;
    float size;
    float char_width;
    int32_t tab_width;
    const qel_color* palette;  // QEL_CODE_CLASS_COUNT colours
    float clip_left, clip_right;  // tokens wholly outside are only measured
};

// Draws one line with its text top at (x, y) and returns the pen after it. The whole line is
// drawn, however many tokens it holds: the scan goes on from the end of each full batch of
// tokens with the state as it was there. *state is carried as for qel_code_scan_line.
float qel_code_draw_line(qel_context* ctx, const qel_code_line_style* style, const char* text, int32_t length,
                         uint8_t* state, float x, float y);

// The visual column after the bytes [0, length) of a line, tabs moving to multiples of
// tab_width (above 0) or counting four columns each (0); other characters count one.
int32_t qel_code_columns(const char* text, int32_t length, int32_t tab_width);
