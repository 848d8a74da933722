// The feel every interactive widget shares, so that all of them answer the pointer and the
// keyboard alike: the hover, press and focus-ring motion kept per id, the look of a clickable
// node (cursor, disabled fade), the focus ring, the gloss and underline that nodes carry, and the
// colour and size rules of controls. The widgets themselves are built on these elsewhere.
#pragma once

#include <cstddef>

#include "qel/input.h"
#include "qel/layout.h"
#include "qel/theme.h"
#include "qel/types.h"

// --- Records ---

// What a widget animates from its interaction, kept under its id.
struct qel_widget_motion {
    float hover;     // 0..1, eased over 0.14 s
    float press[2];  // scale (0 reads as 1) and its spring's velocity
    float focus;     // focus-ring visibility 0..1, eased over 0.14 s
};

// --- Colour and size rules ---

// The theme's control height for size 1 small, 2 large, else medium, at the UI scale.
float qel_control_height(qel_context* ctx, uint32_t size);

// A border from the theme's border toward its strong border as emphasis t rises (0..1).
qel_color qel_border_color(qel_context* ctx, float t);

// A field's border, from the strong border toward the muted text colour as hover t rises (0..1).
qel_color qel_field_border_color(qel_context* ctx, float t);

// The accent when one is set, else the secondary text colour.
qel_color qel_focus_color(qel_context* ctx);

// --- Interaction ---

// The widget's disabled state: its own flag, or when that is 0 the enclosing scopes'.
bool qel_item_disabled(qel_context* ctx, uint8_t own_disabled);

// qel_interact inside a disabled scope of the widget's own, so a disabled widget reports nothing
// and loses hover, press and focus.
qel_interaction qel_interact_item(qel_context* ctx, uint32_t id, uint32_t interact_flags, bool disabled);

// Advances the id's motion by this frame's interaction and returns it: hover toward hovered,
// focus toward a keyboard-visible focus, press scale springing toward pressed_scale while held
// (period 0.26 s, bounce 0.12) and back to 1. The record is created only while the widget is
// hovered, held or focused and kept while it settles; an idle widget keeps none.
qel_widget_motion qel_widget_motion_update(qel_context* ctx, uint32_t id, const qel_interaction* interaction,
                                           float pressed_scale);

// --- Nodes ---

// Makes the node the widget's clickable, focusable hit area and gives it the pointer's look: the
// hand while hovered, or, when disabled, the not-allowed cursor and the faded look (opacity 0.45).
void qel_node_clickable(qel_context* ctx, int32_t node, uint32_t id, bool disabled);

// Gives the node its one draw callback with a frame-arena copy of size bytes of payload (none
// without a payload), drawn after the node's children when after is set.
void qel_node_draw_with(qel_context* ctx, int32_t node, qel_draw_fn fn, const void* payload, size_t size, bool after);

// Draws the focus ring around the node after its children, at visibility 0..1; nothing at 0.01
// or less. A node holds one draw callback: this replaces any other.
void qel_focus_ring(qel_context* ctx, int32_t node, float visibility);

// A soft highlight over the top of the node (filled controls), at strength.
void qel_node_gloss(qel_context* ctx, int32_t node, float strength);

// An underline growing with amount 0..1 under the node's text, in color, after its children;
// with focus above 0.01 the focus ring too.
void qel_node_underline(qel_context* ctx, int32_t node, float amount, qel_color color, float focus);

// The focus ring around the node at full strength, after its children; user is not read.
void qel_focus_ring_full_draw(qel_context* ctx, const qel_node* node, void* user);

// The draw callback of qel_node_gloss: user points to an f32 strength, or is null for 1.
void qel_gloss_draw(qel_context* ctx, const qel_node* node, void* user);
