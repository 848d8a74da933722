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

// Options of qel_countdown; null means all defaults.
struct qel_countdown_options {
    uint8_t no_days;  // days folded into the hours, no days box
    uint8_t compact;  // small boxes with colons between them and no captions
};

// --- Countdown ---

// The time left in days, hours, minutes and seconds. A negative or NaN time shows zeros; more
// than fits in int32 seconds shows that much.
void qel_countdown(qel_context* ctx, const char* label, double seconds, const qel_countdown_options* options);
