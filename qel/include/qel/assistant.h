// The assistant's screen. The answer's dress: a reasoning block that follows its running flag
// until the user opens or closes it, tool-call cards, a plan of steps, an elapsed-time pill,
// source cards and citation chips, a context-usage meter, the actions under a message and
// suggested prompts. The input side: a model selector, the composer and the orb. Each is called
// once per frame; only animation and open states are kept per id.
#pragma once

#include <cstdint>

#include "qel/chart_frame.h"
#include "qel/types.h"

// --- Records ---

enum qel_assistant_status : uint32_t {
    QEL_ASSISTANT_PENDING = 0,
    QEL_ASSISTANT_RUNNING = 1,
    QEL_ASSISTANT_DONE = 2,
    QEL_ASSISTANT_ERROR = 3,
    QEL_ASSISTANT_SKIPPED = 4,
};

// Options records: null means all zero.
struct qel_assistant_reasoning_opts {
    uint32_t reserved;
    uint8_t running;
    float seconds;
    const char* title;  // null: "Thinking..." or "Thought for..." by running and seconds
};

struct qel_assistant_tool_call_opts {
    uint32_t reserved;
    uint32_t status;   // qel_assistant_status
    const char* icon;  // glyphs; null: the tool glyph
    const char* subtitle;
    const char* input;  // the card opens only when input or output is given
    const char* output;
    float seconds;
};

struct qel_assistant_plan_step {
    const char* title;
    const char* detail;  // or null
    uint32_t status;     // qel_assistant_status
};

struct qel_assistant_plan_opts {
    uint32_t reserved;
    const char* title;  // null: "Plan"
};

struct qel_assistant_elapsed_opts {
    uint32_t reserved;
    uint32_t status;  // qel_assistant_status
    float seconds;
    const char* icon;  // glyphs or null
};

struct qel_assistant_source {
    const char* title;
    const char* url;
    const char* snippet;
};

struct qel_assistant_context_opts {
    uint32_t reserved;
    const qel_chart_item* segments;
    int32_t segment_count;
    const char* unit;  // null: "tokens"
};

struct qel_assistant_actions_opts {
    uint32_t reserved;
    const char* copy_text;  // null hides the copy button
    int32_t* feedback;      // 1 good, -1 bad, 0 none; null allowed
    uint8_t hide_regenerate;
    uint8_t hide_share;
};

enum qel_assistant_action_bits : uint32_t {
    QEL_ASSISTANT_COPIED = 1,
    QEL_ASSISTANT_REGENERATE = 2,
    QEL_ASSISTANT_GOOD = 4,
    QEL_ASSISTANT_BAD = 8,
    QEL_ASSISTANT_SHARE = 16,
};

struct qel_assistant_suggestion {
    const char* icon;  // glyphs or null
    const char* title;
    const char* subtitle;  // or null
};

struct qel_assistant_suggestions_opts {
    uint32_t reserved;
    int32_t columns;  // below 1: 2
};

// --- Widgets ---

// True when the body is to be built: the caller then builds it and calls
// qel_assistant_reasoning_end. Blocks nest; an end without an open block does nothing.
bool qel_assistant_reasoning_begin(qel_context* ctx, const char* label, const qel_assistant_reasoning_opts* options);
void qel_assistant_reasoning_end(qel_context* ctx);

void qel_assistant_tool_call(qel_context* ctx, const char* label, const char* tool_name,
                             const qel_assistant_tool_call_opts* options);

// The index of the step clicked this frame, -1 none.
int32_t qel_assistant_plan(qel_context* ctx, const char* label, const qel_assistant_plan_step* steps, int32_t count,
                           const qel_assistant_plan_opts* options);

void qel_assistant_elapsed(qel_context* ctx, const char* text, const qel_assistant_elapsed_opts* options);

// The index of the source card clicked this frame, -1 none.
int32_t qel_assistant_sources(qel_context* ctx, const char* label, const qel_assistant_source* sources, int32_t count);

// A numbered chip naming the source's host; true when clicked.
bool qel_assistant_citation(qel_context* ctx, int32_t number, const qel_assistant_source* source);

void qel_assistant_context_meter(qel_context* ctx, const char* label, float used, float total,
                                 const qel_assistant_context_opts* options);

// qel_assistant_action_bits of the buttons pressed this frame.
uint32_t qel_assistant_message_actions(qel_context* ctx, const char* label, const qel_assistant_actions_opts* options);

// The index of the suggestion clicked this frame, -1 none.
int32_t qel_assistant_suggestions(qel_context* ctx, const char* label, const qel_assistant_suggestion* items,
                                  int32_t count, const qel_assistant_suggestions_opts* options);

// --- Input side ---

struct qel_assistant_model {
    const char* name;
    const char* description;
    const char* badge;
    const char* icon;  // glyphs
};

struct qel_assistant_model_select_opts {
    uint32_t reserved;
    uint8_t borderless;  // the ghost look
    uint32_t placement;  // qel_placement of the list; 0: above, from the start
};

struct qel_assistant_composer_opts {
    uint32_t reserved;
    const char* placeholder;         // null: "Ask anything"
    uint8_t busy;                    // a reply is streaming: Send becomes Stop
    const char* const* attachments;  // file names
    int32_t attachment_count;
    int32_t* removed;  // receives the index of a removed attachment
    const qel_assistant_model* models;
    int32_t model_count;
    int32_t* selected_model;
    int32_t max_lines;  // below 1: 8
    qel_size width;     // kind 0: grow 1
};

enum qel_assistant_composer_bits : uint32_t {
    QEL_COMPOSER_SEND = 1,
    QEL_COMPOSER_STOP = 2,
    QEL_COMPOSER_ATTACH = 4,
    QEL_COMPOSER_REMOVED = 8,  // only with a removed pointer, which holds the index
    QEL_COMPOSER_MODEL = 16,
};

struct qel_assistant_orb_opts {
    uint32_t reserved;
    float size;       // <= 0: 160
    qel_color color;  // alpha 0 and not a token: the accent, or 0xFFF67C4F without one
};

// A trigger naming the selected model and a popup list of them. True when the user picked
// another model this frame; its index is written to selected (an index out of range reads as 0).
bool qel_assistant_model_select(qel_context* ctx, const char* label, const qel_assistant_model* models, int32_t count,
                                int32_t* selected, const qel_assistant_model_select_opts* options);

// The prompt field with its attachments, attach button, model selector and Send/Stop button,
// editing the caller's buffer in place; qel_assistant_composer_bits. Enter sends, Shift+Enter
// breaks the line. Nothing is drawn for a null buffer or a capacity below 1.
uint32_t qel_assistant_composer(qel_context* ctx, const char* label, char* buffer, int32_t capacity,
                                const qel_assistant_composer_opts* options);

// A round figure cross-fading between four looks (0..3) that swells with level (0..1). True when
// clicked or activated by key.
bool qel_assistant_orb(qel_context* ctx, const char* label, int32_t look, float level,
                       const qel_assistant_orb_opts* options);
