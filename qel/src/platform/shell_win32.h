// The shell's record, shared with the Win32 layer, which reads the configuration, stops the loop
// and renders during live resizing through the calls below.
#pragma once

#include "platform/frame_pacing.h"
#include "platform/platform_win32.h"
#include "render/soft_renderer.h"

struct qel_app {
    qel_context* ctx;
    qel_app_config config;  // title points at the title buffer
    char title[256];
    qel_gl_renderer* gl;      // null when not in use
    qel_soft_renderer* soft;  // null when not in use
    uint32_t* framebuffer;    // software pixels, B, G, R, A
    int32_t framebuffer_width, framebuffer_height;
    uint8_t software_active, running, frame_open, presented_once;
    uint8_t started;  // what waits for the first present is done
    double last_frame_time, last_present_time;
    double frame_deadline;  // of the last paced frame, on the grid later ones keep to
    double refresh_rate, refresh_read_time;  // Hz; when it was read
    qel_vsync_probe probe;
    qel_app_frame_fn frame_fn;  // set by qel_app_run only
    void* frame_user;
    uint8_t in_render;
    qel_win32_window* window;
    char* clipboard;        // the last clipboard text handed out
    char* screenshot_path;  // a copy of QEL_SCREENSHOT, null when not asked for
    int32_t screenshot_frames, frames_done;
};

// Renders and presents a frame at once, for the window procedure while the user sizes the window.
void qel_app_render_now(qel_app* app);

// Shows the software framebuffer again where the window was uncovered; OpenGL redraws instead.
void qel_app_repaint(qel_app* app);

// Keeps a copy of text (null: none) as the clipboard text handed out; returns it.
const char* qel_app_clipboard_store(qel_app* app, const char* text);
