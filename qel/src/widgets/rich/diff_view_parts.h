// What the diff viewer keeps per widget and hands its drawing each frame: the record with the
// diff, syntax states, rows and folds; the per-id state; and the frame payloads of rows, header
// and list, with the column positions both sides use.
#pragma once

#include <cstdint>

#include "qel/code.h"
#include "qel/diff.h"
#include "qel/diff_view.h"
#include "qel/layout.h"

// The most bytes of a line a row shows, coloured and highlighted.
constexpr int32_t QEL_DIFF_SHOWN_BYTES = 1024;

struct qel_diff_record {
    qel_diff_result diff;
    qel_diff_allocator alloc;  // the context's, for the diff and for every array here
    uint8_t* states[2];        // comment state at each line's start, per side
    uint32_t language_hash;
    uint8_t states_valid;
    qel_diff_row* rows;
    int32_t row_count, row_capacity;
    int32_t* hunk_rows;  // each hunk's first row
    uint8_t* expanded;   // per gap, hunk count + 1
    uint8_t rows_valid, rows_unified, rows_expand_all, rows_failed;
    int32_t rows_context;
    float scroll_x;  // sideways, in the text columns only
    int32_t folds, folded_lines;
};

struct qel_diff_view_state {
    qel_diff_record* record;
    int32_t current_hunk;
    int32_t hovered_row;
    uint8_t initialised;
    uint8_t scroll_request;
    uint8_t reported;
    int32_t reported_value;
    float fold_hover;
    double widest;
};
static_assert(sizeof(qel_diff_view_state) == 40);

// How one side of a row looks: removed and added as the row kinds, filler for a missing line.
enum qel_diff_side_look : uint8_t { QEL_DIFF_LOOK_CONTEXT = 0, QEL_DIFF_LOOK_REMOVED = 1, QEL_DIFF_LOOK_ADDED = 2,
                                    QEL_DIFF_LOOK_FILLER = 3 };

// One side of a row as drawn: the line's shown text with tabs and control bytes made spaces,
// its in-line ranges in that text, its number from 1 (0 none) and its line-ending note.
struct qel_diff_side_display {
    const char* text;
    int32_t length;
    const qel_diff_range* ranges;
    int32_t range_count;
    int32_t number;
    uint8_t state;  // comment state at the line's start
    uint8_t look;   // qel_diff_side_look
    const char* note;
};

// The frame's sizes and colours, shared by every row payload.
struct qel_diff_look {
    float size, char_width, row_height, number_width, scroll_x;
    uint8_t unified, dark, highlighted;
    qel_code_lang lang;
    uint8_t json;
    qel_color text, muted, secondary, hover, filler, fold_tint, frame;
    qel_color row_tint[3], gutter_tint[3], highlight[3], number[3], marker[3];  // by side look
    qel_color palette[QEL_CODE_CLASS_COUNT];
};

struct qel_diff_row_payload {
    const qel_diff_look* look;
    uint8_t kind;
    int32_t folded;
    float hover;
    qel_diff_side_display side[2];
};

struct qel_diff_header_payload {
    const qel_diff_look* look;
    const char* old_title;
    const char* new_title;
    int32_t added, removed, hunks;
};

struct qel_diff_column_set {
    float old_number_end, new_number_end, marker, text;
};

// Unified columns, or those of one half side by side measured from the half's left edge.
qel_diff_column_set qel_diff_columns(bool unified, float number_width, float char_width);

// Prepares one side of a row: at most 1,024 bytes of the line, cut before a UTF-8 sequence,
// tabs to multiples of 4 columns, control bytes as spaces, the ranges mapped and clipped.
void qel_diff_line_display(qel_context* ctx, const qel_diff_record* rec, int32_t side, int32_t line, uint8_t look,
                           qel_diff_side_display* out);

void qel_diff_draw_line_number(qel_context* ctx, const qel_diff_look* look, int32_t number, float right, float y,
                               qel_color color);
void qel_diff_draw_row(qel_context* ctx, const qel_node* node, void* user);
void qel_diff_draw_header(qel_context* ctx, const qel_node* node, void* user);
void qel_diff_draw_list(qel_context* ctx, const qel_node* node, void* user);

// The per-id state's destructor: frees the diff, rows, hunk rows, folds and the record.
void qel_diff_state_free(qel_context* ctx, void* blob);
