// Modal sheets: dialogs centred over the window and side sheets sliding in from an edge, each on
// a scrim, with a title row and close button, animated in and out. A sheet shows while the
// caller's flag is set and clears the flag when the user closes it (close button, Escape, or a
// click on the scrim). While one is open, the keyboard stays inside the topmost.
#pragma once

#include "qel/types.h"

// --- Records ---

// Null options are the defaults.
struct qel_dialog_options {
    const char* description;
    float width;                // 0: 440
    uint8_t hide_close_button;
    uint8_t no_dismiss;  // Escape and a click on the scrim do not close it
};

enum qel_sheet_side : uint32_t {
    QEL_SHEET_RIGHT = 0,
    QEL_SHEET_LEFT = 1,
    QEL_SHEET_BOTTOM = 2,
    QEL_SHEET_TOP = 3,
};

struct qel_side_sheet_options {
    uint32_t side;  // qel_sheet_side
    float size;     // width for left and right, height for top and bottom; 0: 400
    const char* description;
};

// --- Dialogs and side sheets ---
// Each begin returns true while the body is to be built (open, or still closing); every true needs
// its end. A null open flag counts as closed.

bool qel_dialog_begin(qel_context* ctx, const char* label, uint8_t* open, const qel_dialog_options* options);
void qel_dialog_end(qel_context* ctx);
// A row of buttons at the dialog's bottom, justified to the end.
void qel_dialog_footer_begin(qel_context* ctx);
void qel_dialog_footer_end(qel_context* ctx);

bool qel_side_sheet_begin(qel_context* ctx, const char* label, uint8_t* open, const qel_side_sheet_options* options);
void qel_side_sheet_end(qel_context* ctx);

// --- The shared container ---

// The sheet under sheet_id with the title's visible part and an optional description; size is
// the dialog's width or the side sheet's extent.
bool qel_sheet_begin(qel_context* ctx, uint32_t sheet_id, const char* title, uint8_t* open, const char* description,
                     float size, bool no_dismiss, bool close_button, bool side_sheet, uint32_t side);
void qel_sheet_end(qel_context* ctx, bool side_sheet);
