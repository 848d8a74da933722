// The animated number: a number in large type whose digits roll like an odometer when the value
// changes, each digit position on its own spring and always the short way round, while signs,
// separators and decimal points stay put.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of qel_animated_number; null means all zero.
struct qel_animated_number_opts {
    uint32_t reserved;
    const char* format;       // printf style for one double; null (or one that does not take a double): "%.0f"
    float size;               // before the UI scale; not above 0: 32
    uint32_t font;            // font role; 0: the heading font
    qel_color color;          // 0: the text colour
    uint8_t group_thousands;  // "," between groups of three digits of the integer part
};

// What a digit cell's draw callback reads.
struct qel_rolling_digit_payload {
    float value;  // the digit's spring: 3.5 stands half way from 3 to 4
    float size, cell_height;
    uint32_t font;
    qel_color color;  // resolved
};

// --- Widgets ---

// value under label's id.
void qel_animated_number(qel_context* ctx, const char* label, double value, const qel_animated_number_opts* options);

// --- Draw callbacks ---

// One digit cell; user is a qel_rolling_digit_payload.
void qel_rolling_digit_draw(qel_context* ctx, const qel_node* node, void* user);
