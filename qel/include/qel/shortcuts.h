// Keyboard shortcuts as shown and chosen: the display name of every key, a shortcut as text, and
// the shortcut recorder, a field that once armed takes the next key pressed, with the modifiers
// held, as its new shortcut. Keys and modifiers are input.h's codes.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// A shortcut: the low 32 bits hold qel_mod bits, the high 32 bits the qel_key; key 0 is none.
typedef uint64_t qel_shortcut;

// Options of qel_shortcut_recorder; null means all defaults.
struct qel_shortcut_opts {
    uint64_t reserved;
    const char* placeholder;  // null: "Click to record"
    qel_size width;           // kind fit: as wide as its content
};

// --- Names and text ---

constexpr qel_shortcut qel_shortcut_make(uint32_t modifiers, int32_t key)
{
    return (qel_shortcut)(uint32_t)key << 32 | modifiers;
}
constexpr int32_t qel_shortcut_key(qel_shortcut s)
{
    return (int32_t)(s >> 32);
}
constexpr uint32_t qel_shortcut_modifiers(qel_shortcut s)
{
    return (uint32_t)s;
}

// "Tab", "A", "F5" and so on; the empty string for codes outside 1..67, never null.
const char* qel_key_name(int32_t key);

// "Ctrl Win Alt Shift " as set, then the key's name, in the frame arena; the empty string when the
// key is 0.
const char* qel_shortcut_text(qel_context* ctx, qel_shortcut shortcut);

// --- Recording ---

// A click, or Enter or Space on its keyboard focus, arms it; the next key pressed with the
// modifiers held becomes *shortcut. Escape or Tab alone cancel, Backspace or Delete alone clear;
// a press elsewhere or the focus moving away disarms without a change. Shown with a shortcut, it
// carries a button that clears it. True when *shortcut changed this frame.
bool qel_shortcut_recorder(qel_context* ctx, const char* label, qel_shortcut* shortcut,
                           const qel_shortcut_opts* options);

// --- Draw callbacks ---

// The recording dot; user points to an f32 pulse alpha.
void qel_record_dot_draw(qel_context* ctx, const qel_node* node, void* user);
