// The JSON view: a JSON text as a collapsible tree inside the content viewers' box, or, when it
// is not valid JSON, one error line with the message, line and column. The text is parsed anew
// every frame into the frame arena; which containers are folded is kept per id.
#pragma once

#include <cstdint>

#include "qel/json.h"
#include "qel/types.h"

// --- Records ---

// Null means all zero.
struct qel_json_view_options {
    int32_t expand_depth;  // containers shallower than this start expanded; below 1 means 2
    float max_height;      // pixels; 0 no limit
};

enum { QEL_JSON_VIEW_NODES = 4096 };

// --- Widget ---

// Shows text (null is the empty text, which is invalid). 1 when it is valid JSON and the tree
// was shown, 0 when the error line was. A click on an array or object row folds or unfolds it;
// the first valid parse folds every container at or below the expand depth, and the folds stay
// as they are afterwards, also when the text changes. Afterwards the view is the last item.
int32_t qel_json_view(qel_context* ctx, const char* label, const char* text, const qel_json_view_options* options);

// Declares the rows of one node of a parse and, when it is an expanded container, of its
// children and its closing row. Bit i of collapsed (QEL_JSON_VIEW_NODES bits) folds node i;
// nodes past those bits are always expanded. palette holds the ten syntax colours.
void qel_json_tree(qel_context* ctx, uint32_t view_id, const qel_json_parser* parser, uint8_t* collapsed,
                   int32_t index, const qel_color* palette, bool last);
