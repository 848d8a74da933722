// The theme's record in the context and the calls the context and frame cycle make on it.
#pragma once

#include <cstdint>

#include "qel/theme.h"

struct qel_theme_state {
    qel_theme current;  // what everything draws with
    qel_theme target;   // where a fade is going
    uint32_t mode;
    uint32_t accent;  // kept as given, even past the presets
    uint8_t reduced_motion;
    float fade;          // progress 0..1; 1 when no fade runs
    qel_theme previous;  // where a fade started
};

// Builds the palette for the mode and accent with no fade.
void qel_theme_init(qel_context* ctx, uint32_t mode, uint32_t accent);

// Advances a running cross-fade by the frame's time step. Called at every frame begin.
void qel_theme_update_fade(qel_context* ctx);
