// Notices that keep the user informed: the dismissible banner (a tinted strip with a message, an
// action and a close button, shrinking away when dismissed), the countdown (unit boxes whose
// digits roll as they change, waking the frame loop once a second) and the onboarding checklist
// (a card with a progress ring over steps, the first unfinished one open). Flags and the steps
// array are the caller's; motion is kept per id.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_dismissible_banner; null means all defaults.
struct qel_banner_options {
    uint32_t kind;        // qel_semantic; 0: 8, the accent
    const char* icon;     // icon glyphs; null: none
    const char* action;   // a link-style button's label; null: none
    uint8_t dismissible;  // a close button (needs the visible flag)
};

// Options of qel_countdown; null means all defaults.
struct qel_countdown_options {
    uint8_t no_days;  // days folded into the hours, no days box
    uint8_t compact;  // small boxes with colons between them and no captions
};

// A step of an onboarding checklist; the widget writes done when its circle is clicked.
struct qel_checklist_item {
    const char* title;
    const char* description;  // null: none
    const char* action;       // a button's label; null: none
    uint8_t done;
};

// Options of qel_onboarding_checklist; null means all defaults.
struct qel_checklist_options {
    const char* title;     // null: "Get started"
    const char* subtitle;  // null: "<done> of <count> complete"
};

// --- Banner ---

// A tinted strip with the label's visible part as its message. *visible (null: always shown)
// shows or hides it, growing or shrinking with a spring; the close button sets it to 0. True in
// the frame the action was clicked.
bool qel_dismissible_banner(qel_context* ctx, const char* label, uint8_t* visible, const qel_banner_options* options);

// --- Countdown ---

// The time left in days, hours, minutes and seconds. A negative or NaN time shows zeros; more
// than fits in int32 seconds shows that much.
void qel_countdown(qel_context* ctx, const char* label, double seconds, const qel_countdown_options* options);

// --- Onboarding checklist ---

// A card of steps with a ring of the share done; the first step not done is open with its
// description and action. Clicking a step's circle toggles its done flag. Returns the index of
// the step whose action was clicked this frame (only the open step's reacts), else -1.
int32_t qel_onboarding_checklist(qel_context* ctx, const char* label, qel_checklist_item* items, int32_t count,
                                 const qel_checklist_options* options);
