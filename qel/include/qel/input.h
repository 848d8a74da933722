// Input and interaction: the platform layer pushes raw events between frames; widgets read them
// during the frame through queries and qel_interact, which turns an item id into hover, press,
// click, focus and keyboard activation. Hover is decided at frame begin from the rectangles the
// previous frame drew, so an item knows it is hovered before it is laid out.
#pragma once

#include "qel/context.h"
#include "qel/types.h"

// --- Records ---

enum qel_key : int32_t {
    QEL_KEY_NONE = 0,  // a modifier-only event
    QEL_KEY_TAB = 1,
    QEL_KEY_ENTER = 2,
    QEL_KEY_ESCAPE = 3,
    QEL_KEY_BACKSPACE = 4,
    QEL_KEY_DELETE = 5,
    QEL_KEY_SPACE = 6,
    QEL_KEY_LEFT = 7,
    QEL_KEY_RIGHT = 8,
    QEL_KEY_UP = 9,
    QEL_KEY_DOWN = 10,
    QEL_KEY_HOME = 11,
    QEL_KEY_END = 12,
    QEL_KEY_PAGE_UP = 13,
    QEL_KEY_PAGE_DOWN = 14,
    QEL_KEY_A = 15,  // A..Z are 15..40
    QEL_KEY_Z = 40,
    QEL_KEY_0 = 41,  // 0..9 are 41..50
    QEL_KEY_9 = 50,
    QEL_KEY_MINUS = 51,
    QEL_KEY_EQUAL = 52,
    QEL_KEY_COMMA = 53,
    QEL_KEY_PERIOD = 54,
    QEL_KEY_SLASH = 55,
    QEL_KEY_F1 = 56,  // F1..F12 are 56..67
    QEL_KEY_F12 = 67,
    QEL_KEY_COUNT = 68,
};

enum qel_mod : uint32_t {
    QEL_MOD_SHIFT = 1,
    QEL_MOD_CTRL = 2,
    QEL_MOD_ALT = 4,
    QEL_MOD_SUPER = 8,
};

// What happened to an item this frame.
struct qel_interaction {
    uint8_t hovered;
    uint8_t held;            // button 0 went down on it and is still down
    uint8_t clicked;         // released over it, or activated by a key
    uint8_t right_pressed;
    uint8_t double_clicked;
    uint8_t focused;
    uint8_t active;          // it owns the pointer press
    uint8_t released;        // button 0 released while it was active
    uint8_t activated_by_key;
    uint8_t focus_visible;   // focused by keyboard: draw its ring
};

enum qel_interact_flags : uint32_t {
    QEL_INTERACT_FOCUSABLE = 1,    // joins the Tab order; a press focuses it
    QEL_INTERACT_HOLD_OUTSIDE = 2, // held stays true while the pressed pointer is outside
    QEL_INTERACT_KEEP_FOCUS = 4,   // pressing it leaves another item's focus alone
    QEL_INTERACT_NO_KEYS = 8,      // keys neither activate it nor show its focus ring
};

// --- Intake (the platform layer, between frames) ---
// Each event makes the next two frames run; positions are logical pixels.

void qel_input_mouse_move(qel_context* ctx, float x, float y);
void qel_input_mouse_leave(qel_context* ctx);
// Buttons 0 (primary), 1 (secondary) and 2; others are ignored.
void qel_input_mouse_button(qel_context* ctx, uint32_t button, bool down);
void qel_input_wheel(qel_context* ctx, float dx, float dy);  // in steps
// key is a qel_key, modifiers qel_mod bits; key codes outside 1..67 change only the modifiers.
void qel_input_key(qel_context* ctx, int32_t key, bool down, uint32_t modifiers);
// Typed text; control bytes are dropped, and a chunk that would take the frame's text past 255
// bytes is dropped whole.
void qel_input_chars(qel_context* ctx, const char* utf8);
// Losing the window's focus releases every held key and button; a press it ends is no click.
void qel_input_focus(qel_context* ctx, bool focused);
void qel_input_drag_hover(qel_context* ctx, bool hovering, float x, float y);
// Up to 64 paths a frame; the rest are ignored.
void qel_input_drop_files(qel_context* ctx, const char* const* paths, int32_t count, float x, float y);

// --- Queries ---
// Keys outside 1..67 and buttons above 2 read as false.

bool qel_key_pressed(qel_context* ctx, int32_t key);
bool qel_key_down(qel_context* ctx, int32_t key);
// As qel_key_pressed, and takes the press away so that no later item sees it.
bool qel_key_take(qel_context* ctx, int32_t key);
uint32_t qel_modifiers(qel_context* ctx);
// Pressed this frame with exactly these modifiers held.
bool qel_shortcut_pressed(qel_context* ctx, uint32_t modifiers, int32_t key);
qel_vec2 qel_mouse_pos(qel_context* ctx);
// Where the pointer was in the last frame (-1e6 each when outside), for drags that move by the
// frame's motion.
qel_vec2 qel_mouse_prev_pos(qel_context* ctx);
// The pointer is somewhere else than in the last frame: a hover that comes from a move, not from
// the pointer resting while the keyboard moves things under it.
bool qel_mouse_moved(qel_context* ctx);
// True while the pointer is over the window; outside it qel_mouse_pos is no place.
bool qel_mouse_in_window(qel_context* ctx);
bool qel_mouse_down(qel_context* ctx, uint32_t button);
bool qel_mouse_pressed(qel_context* ctx, uint32_t button);
// Something is under the pointer or pressed.
bool qel_any_item_hot(qel_context* ctx);

// Paths dropped this frame; 0 once a drop zone has taken them.
int32_t qel_dropped_file_count(qel_context* ctx);
const char* qel_dropped_file_path(qel_context* ctx, int32_t index);  // null outside the count
bool qel_drag_hovering(qel_context* ctx);

// The pointer shape for this frame; back to the arrow at every frame begin.
void qel_set_cursor(qel_context* ctx, qel_cursor cursor);

// The item a widget finished last (widgets record it), for tooltips and the like.
uint32_t qel_last_item_id(qel_context* ctx);
void qel_set_last_item(qel_context* ctx, uint32_t id);
qel_rect qel_last_item_rect(qel_context* ctx);  // last frame's; zeros when unknown
bool qel_last_item_hovered(qel_context* ctx);

// --- Disabled scopes ---
// Items inside a disabled scope report nothing and lose focus. Up to 32 nest; deeper pushes are
// counted, not stored, and their pops only undo the count.

void qel_push_disabled(qel_context* ctx, bool disabled);
void qel_pop_disabled(qel_context* ctx);
bool qel_is_disabled(qel_context* ctx);

// --- Hover and focus ---

// The item under the pointer this frame and the one under it in the last frame; 0 for none.
uint32_t qel_hovered_id(qel_context* ctx);
uint32_t qel_last_hovered_id(qel_context* ctx);

// The item holding the keyboard focus; 0 for none. Setting it moves the focus at once (id 0
// clears it); visible draws its ring, as when the keyboard brought it there.
uint32_t qel_focused_id(qel_context* ctx);
void qel_set_focus(qel_context* ctx, uint32_t id, bool visible);

// --- Items ---

// Flags the node for hit testing (and the Tab order, with QEL_INTERACT_FOCUSABLE).
void qel_node_mark_interactive(qel_context* ctx, int32_t node, uint32_t interact_flags);

// The item's interaction this frame; flags are qel_interact_flags. Id 0 reports nothing.
qel_interaction qel_interact(qel_context* ctx, uint32_t id, uint32_t interact_flags);
