// The application shell: one window, one context and one renderer, the main loop with its frame
// pacing, screenshots and native file dialogs. Windows builds only; widgets and layout are the
// context's business, and the shell only drives frames.
#pragma once

#include <cstddef>

#include "qel/types.h"

// --- Records ---

enum qel_renderer_choice : uint32_t {
    QEL_RENDERER_AUTO = 0,  // OpenGL unless only a software OpenGL driver is present
    QEL_RENDERER_OPENGL = 1,
    QEL_RENDERER_SOFTWARE = 2,
};

// Filled by the caller and copied; a null config means all defaults.
struct qel_app_config {
    const char* title;              // UTF-8; null gives "QEL"
    int32_t width, height;          // client area in logical pixels; below 1: 1080 x 720
    int32_t min_width, min_height;  // below 1: 360 x 280
    uint8_t fixed_size;             // no sizing border, no maximise box
    uint8_t continuous;             // a frame every step, never idle
    uint8_t vsync_off;
    uint8_t start_hidden;
    uint32_t renderer;  // qel_renderer_choice
    uint32_t dark;      // theme mode; the shell stores the mode it settled on back here
    uint32_t accent;    // accent preset index
    uint8_t follow_system_theme;
};

enum qel_file_dialog_kind : uint32_t { QEL_FILE_OPEN = 0, QEL_FILE_SAVE = 1, QEL_FILE_FOLDER = 2 };

struct qel_file_dialog_spec {
    uint32_t kind;                     // qel_file_dialog_kind
    const char* title;                 // null: "Open", or "Save" for a save dialog
    const char* filter_name;           // null: "Files"
    const char* extensions;            // "png;jpg": no dots; null or empty: no own filter
    const char* default_name;          // may be null
};

struct qel_app;

typedef void (*qel_app_frame_fn)(qel_context* ctx, void* user);

// --- Life and the main loop ---

// Null when the shell or its context cannot be made, or no window opens (with a message).
qel_app* qel_app_create(const qel_app_config* config);
void qel_app_destroy(qel_app* app);  // null is ignored

// The context to build the user interface with, after each qel_app_frame that returned non-zero.
qel_context* qel_app_context(qel_app* app);

// Presents the frame built since the last call, waits for the next frame time or for input, and
// begins the next frame. 0 when the program must end (window closed, quit, screenshot written).
// Creation begins no frame: the first call presents nothing and begins the first.
int qel_app_frame(qel_app* app);

// A whole program: create, call the callback once a frame until the loop ends, destroy. 1 when
// the shell cannot be made, else 0.
int qel_app_run(const qel_app_config* config, qel_app_frame_fn callback, void* user);

// Ends the loop: the next qel_app_frame returns 0.
void qel_app_quit(qel_app* app);

// --- Window ---

// Whether the software renderer draws the window: it draws the first frame, and OpenGL takes
// over after it when it is wanted and works.
bool qel_app_is_software(qel_app* app);
void* qel_app_native_handle(qel_app* app);  // the HWND
const char* qel_app_backend_name();         // "win32"
void qel_app_set_title(qel_app* app, const char* utf8);  // null: empty; cut at 255 bytes
void qel_app_set_size(qel_app* app, int32_t width, int32_t height);  // logical client size
qel_vec2 qel_app_logical_size(qel_app* app);  // client size in pixels / display scale

// Renders the current frame into rows of width x 4 bytes R, G, B, A. 0 when the buffer is null
// or smaller than the framebuffer either way; rows are the framebuffer's width.
int qel_app_capture(qel_app* app, uint32_t* rgba, int32_t width, int32_t height);

// --- System ---

// A native open, save or folder dialog; app null means the current application, dialog null an
// open dialog without filter. True when a path was chosen and fits out as UTF-8.
bool qel_app_file_dialog(qel_app* app, const qel_file_dialog_spec* dialog, char* out, size_t capacity);

// Opens the URL with the user's program for it; false for null or empty text or a failure.
bool qel_app_open_url(const char* utf8);
