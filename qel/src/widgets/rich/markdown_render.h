// What the Markdown viewer's modules share: the record of one call, lines of the source, the
// block context passed down the block tree, font sets, and the text layout, table and list
// entry points the block renderer calls.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/markdown.h"
#include "qel/markdown_inline.h"
#include "qel/types.h"

struct qel_markdown_render {
    qel_context* ctx;
    uint32_t id;
    const char* text;
    int32_t length;
    int32_t trimmed;  // the length without trailing NUL, TAB, LF, CR and space bytes
    uint8_t streaming, compact, fit, custom_color;
    float size, unit;  // unit = size / 13
    qel_color text_color, muted, link, code_background, marker, rule, quote_bar;
    int32_t links, code_blocks, tables;  // counters of this call
    qel_markdown_result* result;
};

struct qel_markdown_line {
    const char* text;
    int32_t length;
    int32_t offset;  // of its first byte in the source
};

struct qel_markdown_block_ctx {
    float width;
    int32_t depth;  // 0 at the top, +1 per quote or list item
    uint8_t tight;
    qel_color color;
};

struct qel_markdown_fonts {
    uint32_t regular, strong, code;  // font roles
    float size, code_size, line_height, code_padding;
};

// --- Font sets ---

qel_markdown_fonts qel_markdown_paragraph_fonts(const qel_markdown_render* r);
qel_markdown_fonts qel_markdown_heading_fonts(const qel_markdown_render* r, int32_t level);

// --- Text blocks ---

// A paragraph of lines: one is trimmed, several are joined; parsed, laid out and drawn.
float qel_markdown_paragraph(qel_markdown_render* r, const qel_markdown_block_ctx* block, const qel_markdown_line* lines,
                             int32_t count);
float qel_markdown_heading(qel_markdown_render* r, float width, qel_color color, int32_t level, const char* text,
                           int32_t length, bool streaming);
// Paragraph lines in one frame-arena text: hard breaks become line feeds, soft ones spaces.
const char* qel_markdown_join_lines(qel_markdown_render* r, const qel_markdown_line* lines, int32_t count,
                                    int32_t* length);
// Wraps the spans at width (24 at least) and adds the text node with its links. alignment: 1
// centre, 2 right, else left. Returns the natural width when the render measures, else 0.
float qel_markdown_layout_text(qel_markdown_render* r, const qel_markdown_inline_result* parsed,
                               const qel_markdown_fonts* fonts, qel_color color, int32_t alignment, float width);
float qel_markdown_span_width(qel_context* ctx, const qel_markdown_fonts* fonts, const qel_markdown_span* span,
                              int32_t from, int32_t to);
float qel_markdown_natural_width(qel_context* ctx, const qel_markdown_fonts* fonts,
                                 const qel_markdown_inline_result* parsed);

// --- Draw callbacks ---

// One laid-out part of a span on one line; x from the block's left edge.
struct qel_markdown_run {
    const char* text;
    int32_t length;
    float x, width;
    int32_t line, span, link;
    uint8_t style;
    uint8_t starts_span;  // begins at a code span's first byte: padding before it
};

// What a text block's draw callback paints; hover and focus are indexed by the block's links.
struct qel_markdown_text_payload {
    qel_markdown_run* runs;
    int32_t count;
    qel_markdown_fonts fonts;
    qel_color text, link, code_background;
    float* hover;
    float* focus;
    uint8_t custom_color;
};

struct qel_markdown_marker {
    uint8_t ordered;
    int32_t depth;
    qel_color color;
    const char* number;  // frame arena
    qel_markdown_fonts fonts;
};

void qel_markdown_draw_text(qel_context* ctx, const qel_node* node, void* payload);
void qel_markdown_draw_marker(qel_context* ctx, const qel_node* node, void* payload);
void qel_markdown_draw_quote_bar(qel_context* ctx, const qel_node* node, void* payload);  // a qel_color
void qel_markdown_check_width(qel_context* ctx, const qel_node* node, void* payload);    // a float

// --- Blocks ---

float qel_markdown_blocks(qel_markdown_render* r, const qel_markdown_line* lines, int32_t count,
                          const qel_markdown_block_ctx* block);
// Columns of leading spaces and tabs (a tab to the next multiple of 4), and their bytes.
int32_t qel_markdown_indent(const qel_markdown_line* line, int32_t* bytes);
bool qel_markdown_blank(const qel_markdown_line* line);
// A thematic break: three or more of one of "*", "-", "_" and nothing but blanks.
bool qel_markdown_rule(const qel_markdown_line* line);
// Indented at most 3 and then a fence, an ATX heading, ">", a thematic break, or a list marker
// with content after it (an ordered one numbered 1): such a line ends a paragraph.
bool qel_markdown_starts_block(const qel_markdown_line* line);

// --- Standing in ---
// Nodes far from the display may stand in as a spacer of their height: not while the keyboard
// moves through the items (Tab goes through the items built) or a focused item lies in the area.
bool qel_markdown_may_stand_in(qel_context* ctx, qel_rect area);
// Whether a stretch from top to bottom lies more than d beyond the display's upper or lower edge.
bool qel_markdown_beyond(qel_context* ctx, float top, float bottom, float d);

// --- Tables ---

enum { QEL_MARKDOWN_MAX_CELLS = 32 };

int32_t qel_markdown_split_row(const qel_markdown_line* line, qel_markdown_line cells[QEL_MARKDOWN_MAX_CELLS]);
int32_t qel_markdown_delimiter_row(const qel_markdown_line* line, uint8_t alignments[QEL_MARKDOWN_MAX_CELLS],
                                   bool lenient);
int32_t qel_markdown_table_start(const qel_markdown_render* r, const qel_markdown_line* lines, int32_t count,
                                 int32_t index, uint8_t alignments[QEL_MARKDOWN_MAX_CELLS]);
// Draws the table starting at lines[index]; *used gets the lines it took. Returns the natural width.
float qel_markdown_table(qel_markdown_render* r, const qel_markdown_block_ctx* block, const qel_markdown_line* lines,
                         int32_t count, int32_t index, int32_t* used);

// --- Lists ---

struct qel_markdown_list_marker_info {
    uint8_t ordered;
    char character;  // the bullet, or "." or ")"
    int32_t number;
    int32_t length;  // in bytes
};

bool qel_markdown_list_marker(const char* text, int32_t length, qel_markdown_list_marker_info* marker);
// Draws the list starting at lines[index]; *used gets the lines it took. Returns the natural width.
float qel_markdown_list(qel_markdown_render* r, const qel_markdown_block_ctx* block, const qel_markdown_line* lines,
                        int32_t count, int32_t index, int32_t* used);
