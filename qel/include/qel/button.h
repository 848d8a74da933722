// Push buttons: text buttons and icon buttons of seven variants and three sizes, with leading and
// trailing icons, selected, disabled and loading states; and the pieces other widgets make of
// them: the variant palettes, the icon that cross-fades when it changes, the spinner node and ids
// unique per position. Hover, press, focus and the disabled look are widget_feel's.
#pragma once

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

enum qel_button_variant : uint32_t {
    QEL_BUTTON_AUTO = 0,  // ghost for icon buttons and inside button groups, else secondary
    QEL_BUTTON_SECONDARY = 1,
    QEL_BUTTON_PRIMARY = 2,
    QEL_BUTTON_OUTLINE = 3,
    QEL_BUTTON_GHOST = 4,
    QEL_BUTTON_DANGER = 5,
    QEL_BUTTON_LINK = 6,  // any other value draws as secondary
};

// Options of qel_button and qel_icon_button; null means all defaults.
struct qel_button_opts {
    uint32_t reserved;
    uint32_t variant;           // qel_button_variant
    uint32_t size;              // 0 medium, 1 small, 2 large
    const char* leading_icon;   // icon-font glyphs; text buttons only
    const char* trailing_icon;  // text buttons only
    uint8_t disabled;           // 0: as the enclosing disabled scope
    uint8_t loading;            // a spinner, and no click
    uint8_t full_width;
    uint8_t selected;  // ghost and secondary show a selected fill
    const char* tooltip;  // an icon button's id comes from it when given
    const char* shortcut;
    qel_size width;         // kind fit: not given
    qel_color custom_color;  // a literal or token replaces the text and icon colour
};

// The colours of a variant, all literal.
struct qel_button_style {
    qel_color background, hover, press, text, border, border_hover;
};

// --- Buttons ---

// True in the frame the button is clicked (pointer or Enter and Space while focused), never
// while disabled or loading.
bool qel_button(qel_context* ctx, const char* label, const qel_button_opts* options);
bool qel_icon_button(qel_context* ctx, const char* icon, const qel_button_opts* options);

// Both in one: a label (its visible part shown) or icon glyphs; null options are the defaults.
bool qel_button_ex(qel_context* ctx, const char* label, const char* icon, const qel_button_opts* options);

// A small icon button side x side at the end of the node box (its last child then): the clear,
// reveal and step buttons of fields, the remove button of tags. True when clicked.
bool qel_field_button(qel_context* ctx, int32_t box, const char* glyph, qel_button_opts options, float side);

// --- Pieces for other widgets ---

// Fills *out with the variant's colours for the current theme and returns out.
qel_button_style* qel_button_palette(qel_button_style* out, qel_context* ctx, uint32_t variant, bool selected);

// Icon glyphs of size in color that fade over from the glyphs shown before whenever they change
// (the first 7 bytes compared); the first appearance does not fade. id keeps what was shown.
void qel_crossfade_label(qel_context* ctx, uint32_t id, const char* glyphs, float size, qel_color color);

// A size x size node, centred across its parent, with a turning spinner in color.
int32_t qel_spinner_node(qel_context* ctx, float size, qel_color color);

// An id unique to this position in the tree: the current parent's id and its child count so far,
// hashed with seed.
uint32_t qel_scoped_id(qel_context* ctx, uint32_t seed);
