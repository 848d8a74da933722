// The window's small recurring pieces: containers of the usual shapes, small buttons and badges,
// caption rows and plural endings, shared by the main window and its sheets. Which pieces go
// where is theirs.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "qel/app.h"
#include "qel/layout.h"

extern const qel_size app_grow;  // a share of 1 of the free space

// --- Containers (closed with qel_container_end) ---

// A column growing in width with the gap.
void app_column_begin(qel_context* ctx, float gap);
// A row growing in width with the gap, its children centred across.
void app_centred_row_begin(qel_context* ctx, float gap);
// A row growing in width with the gap and its children spread to both ends (justify: a
// qel_justify).
void app_spread_row_begin(qel_context* ctx, float gap, uint32_t justify);

// --- Widgets ---

// A small badge of the semantic kind, with a dot before the text when asked.
void app_small_badge(qel_context* ctx, const char* text, uint32_t kind, bool dot);
// A small button of the variant; true in the frame it is clicked while enabled.
bool app_small_button(qel_context* ctx, const char* label, uint32_t variant, bool disabled);
// The widget just made keeps its natural width when its row runs short.
void app_keep_width(qel_context* ctx);
// A row of a muted caption and a text at its other end.
void app_caption_row(qel_context* ctx, const char* caption, const char* text);

// --- Files ---

// Asks the chooser that app_set_file_chooser installed (user is not read); false without one.
bool app_ui_choose_file(void* user, const qel_file_dialog_spec* dialog, char* path, size_t capacity);

// --- Words ---

// "" for one, "s" for any other count.
const char* app_plural(int32_t n);
// The labels the current table prints by the quantity rules, 0 when none or not countable.
int32_t app_label_total(const app_state* state);
