// Pointer gestures the planning widgets' tests script: a press carried along a path in steps,
// and a press carried out of the window, one frame per event; and the colour at a point of a
// rendered frame.
#pragma once

#include <cstring>

#include "qel_headless.h"
#include "support/picture.h"

// The colour at a point of the frame, as 0xAABBGGRR.
inline uint32_t pixel_at(const picture& p, float x, float y)
{
    uint32_t c;
    memcpy(&c, &p.rgba[((size_t)y * (size_t)p.width + (size_t)x) * 4], 4);
    return c;
}

// Presses at from, moves to `to` in steps equal moves and lets go there.
inline void drag_along(qel_headless& h, qel_vec2 from, qel_vec2 to, int steps)
{
    h.move(from.x, from.y);
    h.run();
    h.button(0, true);
    h.run();
    for (int i = 1; i <= steps; i++) {
        h.move(from.x + (to.x - from.x) * (float)i / (float)steps, from.y + (to.y - from.y) * (float)i / (float)steps);
        h.run();
    }
    h.button(0, false);
    h.run();
}

// Presses at from, moves to `to`, then leaves the window with the button held; the caller checks
// what the widget made of that before drop_outside lets go.
inline void press_and_leave(qel_headless& h, qel_vec2 from, qel_vec2 to)
{
    h.move(from.x, from.y);
    h.run();
    h.button(0, true);
    h.run();
    h.move(to.x, to.y);
    h.run();
    qel_input_mouse_leave(h.ctx);
    h.run(2);
}

inline void drop_outside(qel_headless& h)
{
    h.button(0, false);
    h.run(2);
}
