// The context: creation and destruction, the allocator hooks every toolkit allocation goes
// through, the renderer and platform interfaces the shell installs, the display, and the frame
// clock's getters. The frame arena is arena.h's; the frame cycle itself lives elsewhere.
#pragma once

#include <cstddef>

#include "qel/types.h"

// --- Records ---

enum qel_cursor : uint32_t {
    QEL_CURSOR_ARROW = 0,
    QEL_CURSOR_HAND = 1,
    QEL_CURSOR_IBEAM = 2,
    QEL_CURSOR_RESIZE_EW = 3,
    QEL_CURSOR_RESIZE_NS = 4,
    QEL_CURSOR_MOVE = 5,
    QEL_CURSOR_NOT_ALLOWED = 6,
};

// Texture interface of a renderer. Handle 0 never names a texture; channels is 1 for the glyph
// atlas and 4 for RGBA images, rows packed unless a stride is given.
struct qel_renderer {
    void* user;
    uint64_t (*create)(void* user, int32_t width, int32_t height, int32_t channels, const void* pixels);
    void (*update)(void* user, uint64_t texture, int32_t x, int32_t y, int32_t width, int32_t height,
                   const void* pixels, int32_t stride);
    void (*destroy)(void* user, uint64_t texture);
};

// Platform interface. Any member may be null; the toolkit checks each before calling.
struct qel_platform {
    void* user;
    void (*set_clipboard)(void* user, const char* utf8);
    const char* (*get_clipboard)(void* user);  // UTF-8, or null
    void (*set_cursor)(void* user, qel_cursor cursor);
    void (*set_text_caret_rect)(void* user, float x, float y, float w, float h);
    bool (*render_emoji)(void* user, const char* utf8, int32_t byte_length, float pixel_size, uint8_t* rgba_out);
};

typedef void* (*qel_malloc_fn)(size_t size, void* user);
typedef void* (*qel_realloc_fn)(void* ptr, size_t size, void* user);
typedef void (*qel_free_fn)(void* ptr, void* user);

// Creation settings; every field optional, a null config means all defaults. The allocator
// hooks are taken, with the user pointer, only as a complete set: when any of the three is null
// the system allocator serves instead and all three are ignored.
struct qel_config {
    qel_renderer renderer;
    qel_malloc_fn malloc_fn;
    qel_realloc_fn realloc_fn;
    qel_free_fn free_fn;
    void* alloc_user;
    uint32_t theme_mode;        // qel_theme_mode
    uint32_t accent;            // qel_accent
    uint8_t no_embedded_fonts;  // non-zero: start without the embedded fonts
    uint32_t root_direction;    // direction mode of the root node
};

enum qel_hook_event : int32_t {
    QEL_EVENT_FRAME = 0,             // at every frame begin
    QEL_EVENT_RENDERER_CHANGED = 1,  // first thing qel_ctx_set_renderer does
    QEL_EVENT_DESTROY = 2,           // first thing qel_ctx_destroy does
};

typedef void (*qel_event_hook)(qel_context* ctx, int32_t event);

// --- Making and releasing ---

// A zeroed context with an 800 x 600 display at scale 1 and the configured theme. Null when
// the context record itself cannot be allocated; any later allocation failure is fatal.
qel_context* qel_ctx_create(const qel_config* config);

// Runs the destructors of all per-id state and frees everything; null is ignored.
void qel_ctx_destroy(qel_context* ctx);

// --- Interfaces and display ---

// Installs a copy of the record; null clears it, after which no texture can be made.
void qel_ctx_set_renderer(qel_context* ctx, const qel_renderer* r);
void qel_ctx_set_platform(qel_context* ctx, const qel_platform* p);

// Logical size and display scale. A scale that is not a positive number is stored as 1, a size
// that is not a non-negative number as 0; sizes stop at 1e6 and scales at 64. A change makes the
// next two frames run.
void qel_ctx_set_display(qel_context* ctx, float width, float height, float scale);

// The hook is called with qel_hook_event numbers; null removes it.
void qel_ctx_set_event_hook(qel_context* ctx, qel_event_hook hook);

// A pointer the embedder keeps in the context for its own state; null until set.
void qel_ctx_set_user(qel_context* ctx, void* user);
void* qel_ctx_user(qel_context* ctx);

// --- Clock and requests ---

qel_vec2 qel_ctx_display_size(qel_context* ctx);
float qel_ctx_scale(qel_context* ctx);
double qel_ctx_time(qel_context* ctx);       // seconds, the sum of clamped frame steps
float qel_ctx_delta_time(qel_context* ctx);  // seconds
uint64_t qel_ctx_frame_count(qel_context* ctx);
qel_cursor qel_requested_cursor(qel_context* ctx);
float qel_wake_timeout(qel_context* ctx);   // seconds until a frame is wanted; negative: none
void qel_request_redraw(qel_context* ctx);  // asks for one more frame
bool qel_needs_redraw(qel_context* ctx);

// --- Memory ---

// The toolkit's only allocation path. A failure for a non-zero size is fatal.
void* qel_mem_alloc(qel_context* ctx, size_t size);
void* qel_mem_realloc(qel_context* ctx, void* ptr, size_t size);
void qel_mem_free(qel_context* ctx, void* ptr);  // null is ignored

// Writes "qel: out of memory" to the error stream and aborts.
[[noreturn]] void qel_out_of_memory();
