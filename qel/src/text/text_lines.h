// Line tables of multi-line text kept from frame to frame: after an edit only the paragraphs it
// touched are wrapped again, so typing into a long text costs what its paragraph costs.
#pragma once

#include <cstdint>

#include "qel/text_edit.h"

// What the last table was made from, and its lines before refinement. Zeroed means empty.
struct qel_text_lines_cache {
    char* text;
    int32_t length, text_capacity;
    qel_text_line* greedy;
    int32_t count, capacity;
    int32_t font;
    float size, width;
};

// qel_text_build_lines with a cache (null: none), which it updates.
int32_t qel_text_lines_build(qel_context* ctx, qel_text_lines_cache* cache, int32_t handle, float size,
                             const char* text, int32_t length, float wrap_width, qel_text_line** out);

// Frees what the cache holds; for the destructor of the state that keeps it.
void qel_text_lines_release(qel_context* ctx, void* cache);
