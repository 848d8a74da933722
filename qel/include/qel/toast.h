// Toasts: short notifications stacked in the window's bottom-right corner, up to 16 queued. They
// pile up collapsed and fan out while the pointer is over them (which also stops their clocks),
// and go away when their time is up, by their close or action button, by qel_toast_dismiss, or
// when swiped to the right. The stack is drawn at frame end.
#pragma once

#include "qel/types.h"

// --- Records ---

enum qel_toast_kind : uint32_t {
    QEL_TOAST_PLAIN = 0,  // no icon; so is any value above 4
    QEL_TOAST_INFO = 1,
    QEL_TOAST_SUCCESS = 2,
    QEL_TOAST_WARNING = 3,
    QEL_TOAST_DANGER = 4,
};

// Null options are the defaults.
struct qel_toast_options {
    const char* body;
    uint32_t kind;        // qel_toast_kind
    float duration;       // seconds; 0: 6 with the countdown bar, else 4; below 0: never expires
    const char* action;   // an action button's label; null or empty: none
    uint8_t countdown_bar;
};

// --- Toasts ---

// Queues a toast (the oldest is dropped when 16 are queued) and returns its id, counting up
// from 1. Texts are cut at whole characters: title 127, body 255, action 47 bytes.
uint32_t qel_toast_push(qel_context* ctx, const char* title, const qel_toast_options* options);
// True once after the toast's action button was clicked.
bool qel_toast_action_clicked(qel_context* ctx, uint32_t id);
// Fades the toast out.
void qel_toast_dismiss(qel_context* ctx, uint32_t id);
// Builds the stack's layer; the frame's end runs it.
void qel_toast_draw_stack(qel_context* ctx);
