// Runs toolkit frames without a window, for tests of the toolkit, its widgets and the programs
// built on it: a context with a display of a given size, the caller's frame function run between
// frame begin and end at a fixed time step, and input delivered between frames the way the
// platform layer delivers it. After each frame the draw data and every id's laid-out rectangle
// can be read.
#pragma once

#include <functional>

#include "qel/qel.h"

// A fixed size of v logical units, for the nodes tests build.
inline qel_size fixed(float v)
{
    return {QEL_SIZE_FIXED, v};
}

class qel_headless {
public:
    explicit qel_headless(float width = 800, float height = 600, float scale = 1, const qel_config* config = nullptr);
    ~qel_headless();
    qel_headless(const qel_headless&) = delete;
    qel_headless& operator=(const qel_headless&) = delete;

    qel_context* ctx;
    float step = 1.0f / 60.0f;          // seconds per frame
    std::function<void(qel_context*)> ui;  // builds one frame; may be empty

    // Runs frames: begin with the step, the frame function, end.
    void run(int frames = 1);

    // Input for the next frame.
    void move(float x, float y);
    void button(uint32_t button, bool down);
    void key(int32_t key, bool down, uint32_t modifiers = 0);
    void type(const char* utf8);
    void wheel(float dx, float dy);

    // A whole gesture, one frame per event: move there, press, release.
    void click(float x, float y, uint32_t button = 0);
    // A key pressed for one frame and released in the next.
    void tap(int32_t key, uint32_t modifiers = 0);

    // The id's rectangle as laid out by the last frame; zeros when it was not.
    qel_rect rect(uint32_t id) const;
    const qel_draw_data& draw_data() const;
};
