// Four form widgets: radio cards (a grid of selectable cards with title, description, icon and
// badge), the tag input (one comma-separated string edited as chips and a text field), the
// one-time-code input of 1 to 12 letter or digit cells, and the password-strength meter. The
// text field inside the tag input is text_input's; the caller owns every value edited.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

struct qel_radio_card_item {
    const char* title;
    const char* description;  // null: none
    const char* icon;         // icon glyphs; null: none
    const char* badge;        // null: none
};

// Options of qel_radio_cards; null means all zero.
struct qel_radio_cards_opts {
    uint32_t reserved;
    int32_t columns;  // 0 or less: as many as the cards up to 3, else 2
};

// Options of qel_tag_input; null means all zero.
struct qel_tag_input_opts {
    uint64_t reserved;
    const char* label;        // the field label above; null: none
    const char* placeholder;  // null: "Add a tag"
    int32_t max_tags;         // 0 or less: no limit
    qel_size width;           // kind fit: grow
};

enum { QEL_TAGS_MAX = 64, QEL_TAG_TYPING_CAPACITY = 96, QEL_OTP_MAX_CELLS = 12 };

// --- Radio cards ---

// One card per item; a click chooses it, and the arrow keys move the choice (and the focus) while
// a card shows its focus ring. True in the frame *selected changed.
bool qel_radio_cards(qel_context* ctx, const char* label, const qel_radio_card_item* items, uint32_t count,
                     uint32_t* selected, const qel_radio_cards_opts* options);

// --- Tags ---
// A tag list is one string of tags separated by commas, written back with ", " between them.

// Up to QEL_TAGS_MAX tags as byte offsets and lengths into text (commas and leading and trailing
// spaces are not part of a tag; empty tags are skipped). Returns the count; null text has none.
int32_t qel_tags_split(const char* text, int32_t starts[QEL_TAGS_MAX], int32_t lengths[QEL_TAGS_MAX]);

// Appends text, trimmed of spaces, as the last tag. An empty tag, or one that would leave fewer
// than three bytes of the capacity free, is dropped.
void qel_tags_append(char* buffer, uint64_t capacity, const char* text);

// Rebuilds buffer from the tags of source (as split) without the one at index. Every write stays
// within capacity; when the tags joined by ", " would not fit they are joined by ",", so no
// other tag is lost. source may be buffer itself.
void qel_tags_remove(char* buffer, uint64_t capacity, const char* source, const int32_t* starts,
                     const int32_t* lengths, int32_t count, int32_t index);

// Edits the tag list in buffer (capacity bytes) as chips with a remove button each and a field for
// the next tag: a comma or Enter adds what was typed, Backspace in the empty field removes the last
// tag. True when the tag list changed.
bool qel_tag_input(qel_context* ctx, const char* label, char* buffer, uint64_t capacity,
                   const qel_tag_input_opts* options);

// --- One-time code ---

// min(cells, 12) cells editing buffer, which holds at least that many bytes and a terminator:
// letters and digits typed or pasted with Ctrl+V fill it, Backspace empties the last cell. True in
// the frame the last cell is filled; cells below 1 build nothing.
bool qel_otp_input(qel_context* ctx, const char* label, char* buffer, int32_t cells);

// --- Password strength ---

// The password's score 0..4, shown as four bars and a word.
int32_t qel_password_strength(qel_context* ctx, const char* password);

// --- Draw callbacks ---

// The radio dot of a card; user is its frame-arena payload.
void qel_radio_card_dot_draw(qel_context* ctx, const qel_node* node, void* user);
