// The application shell: creation with the environment's settings and the choice of renderer,
// the main loop's present, wait and frame begin, screenshots, live-resize rendering and the file
// dialogs' return to the toolkit. The rules it follows are in app_settings and frame_pacing.
#include "platform/shell_win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/app_settings.h"
#include "files/png_file.h"
#include "platform/platform_text.h"
#include "qel/qel.h"

// The shell that file dialogs without one use; the only process-wide state of the shell.
static qel_app* current_app;

static const double REFRESH_RATE_LIFETIME = 2.0;  // seconds before the rate is read again
static const double WAIT_SLACK = 0.0005;          // closer than this to the deadline: go

// --- Creation ---

// A working OpenGL renderer on a context made current, unless it is a software driver that the
// automatic choice avoids; null otherwise.
static qel_gl_renderer* open_gl(qel_app* app, const char* env)
{
    if (!qel_win32_gl_context_create(app, !app->config.vsync_off)) return nullptr;
    qel_gl_renderer* gl = qel_gl_create(qel_win32_gl_proc);
    if (gl && !qel_app_settings_keep_opengl(app->config.renderer, qel_gl_is_software(gl), qel_win32_backend_name(),
                                            env)) {
        qel_gl_destroy(gl);
        gl = nullptr;
    }
    if (!gl) qel_win32_gl_context_destroy(app);
    return gl;
}

// Every texture of the software renderer made again in OpenGL under the same handle, so that
// the handles the toolkit and the program hold stay good; free slots hold their place until
// all are made. False when OpenGL cannot take them all.
static bool move_textures(const qel_soft_renderer* soft, qel_gl_renderer* gl)
{
    for (int32_t i = 0; i < soft->slot_count; i++) {
        const qel_soft_texture* t = &soft->slots[i];
        uint64_t made = t->used ? qel_gl_texture_create(gl, t->width, t->height, t->channels, t->pixels)
                                : qel_gl_texture_create(gl, 1, 1, 1, nullptr);
        if (made != (uint64_t)i + 1) return false;
    }
    for (int32_t i = 0; i < soft->slot_count; i++)
        if (!soft->slots[i].used) qel_gl_texture_delete(gl, (uint64_t)i + 1);
    return true;
}

static void install_renderer(qel_app* app, bool opengl)
{
    qel_renderer renderer;
    if (opengl) qel_gl_fill_renderer(&renderer, app->gl);
    else qel_soft_fill_renderer(&renderer, app->soft);
    qel_ctx_set_renderer(app->ctx, &renderer);
}

// Once the first frame is on the screen: OpenGL takes over when it is wanted and works.
static void try_opengl(qel_app* app)
{
    const char* env = getenv("QEL_RENDERER");
    if (!qel_app_settings_try_opengl(app->config.renderer, env)) return;
    app->gl = open_gl(app, env);
    if (app->gl) {
        // The atlas leaves the software renderer here, to be made again in OpenGL.
        install_renderer(app, true);
        if (move_textures(app->soft, app->gl)) {
            qel_soft_destroy(app->soft);
            app->soft = nullptr;
            free(app->framebuffer);
            app->framebuffer = nullptr;
            app->framebuffer_width = app->framebuffer_height = 0;
            app->software_active = 0;
            qel_request_redraw(app->ctx);
            return;
        }
        install_renderer(app, false);
        qel_gl_destroy(app->gl);
        app->gl = nullptr;
        qel_win32_gl_context_destroy(app);
    }
    if (app->config.renderer == QEL_RENDERER_OPENGL)
        fputs("qel: OpenGL unavailable, using the software renderer\n", stderr);
}

// What waits until the first frame is on the screen, which nothing in it needs sooner.
static void finish_start(qel_app* app)
{
    app->started = 1;
    qel_win32_accept_files(app);
    try_opengl(app);
}

// The copied configuration with its defaults and the environment's theme and accent.
static void settle_config(qel_app* app, const qel_app_config* config)
{
    if (config) app->config = *config;
    qel_app_settings_defaults(&app->config);
    qel_utf8_copy_cut(app->title, sizeof app->title, app->config.title);
    app->config.title = app->title;
    bool follow = app->config.follow_system_theme;
    app->config.dark =
        qel_app_settings_theme(app->config.dark, follow, follow ? qel_win32_system_dark() : -1, getenv("QEL_THEME"));
    app->config.accent = qel_app_settings_accent(app->config.accent, getenv("QEL_ACCENT"));
}

// Screenshot mode renders every step, so the countdown runs in frames the window really shows.
static void start_screenshot_mode(qel_app* app)
{
    const char* path = qel_app_settings_screenshot_path(getenv("QEL_SCREENSHOT"));
    if (!path) return;
    app->screenshot_path = strdup(path);
    app->screenshot_frames = qel_app_settings_screenshot_frames(getenv("QEL_SCREENSHOT_FRAMES"));
    app->config.continuous = 1;
}

// What the helper thread makes while the window is being created: the context with its fonts,
// and the software renderer, which draws the first frame (it needs no driver, and trying one can
// take longer than the whole frame), with its worker threads already started.
struct qel_app_makings {
    qel_config config;
    qel_context* ctx;
    qel_soft_renderer* soft;
};

static DWORD WINAPI make_context_and_renderer(void* arg)
{
    auto* m = (qel_app_makings*)arg;
    m->ctx = qel_ctx_create(&m->config);
    m->soft = qel_soft_create();
    if (m->soft) {
        qel_soft_set_incremental(m->soft, true);
        qel_soft_start_workers(m->soft);
    }
    return 0;
}

// The window on this thread, the rest on a helper (on this thread too when none starts). The
// window procedure leaves messages to the system until the context is in place.
static bool open_window(qel_app* app, qel_app_makings* makings)
{
    HANDLE helper = CreateThread(nullptr, 0, make_context_and_renderer, makings, 0, nullptr);
    if (!helper) make_context_and_renderer(makings);
    bool window = qel_win32_window_create(app);
    if (helper) {
        WaitForSingleObject(helper, INFINITE);
        CloseHandle(helper);
    }
    app->ctx = makings->ctx;
    app->soft = makings->soft;
    if (!window && app->ctx)
        fprintf(stderr, "qel: could not create a window (%s backend)\n", qel_win32_backend_name());
    return window && app->ctx && app->soft;
}

qel_app* qel_app_create(const qel_app_config* config)
{
    auto* app = (qel_app*)calloc(1, sizeof(qel_app));
    if (!app) return nullptr;
    settle_config(app, config);
    qel_app_makings makings = {};
    makings.config.theme_mode = app->config.dark;
    makings.config.accent = app->config.accent;
    if (!open_window(app, &makings)) {
        qel_app_destroy(app);
        return nullptr;
    }
    qel_win32_install_platform(app);
    app->software_active = 1;
    install_renderer(app, false);
    app->running = 1;
    app->last_frame_time = qel_win32_time();
    start_screenshot_mode(app);
    if (!app->config.start_hidden) qel_win32_window_show(app);
    current_app = app;
    return app;
}

static void end_open_frame(qel_app* app)
{
    if (!app->frame_open) return;
    qel_end_frame(app->ctx);
    app->frame_open = 0;
}

void qel_app_destroy(qel_app* app)
{
    if (!app) return;
    if (current_app == app) current_app = nullptr;
    end_open_frame(app);
    if (app->ctx) qel_ctx_set_renderer(app->ctx, nullptr);  // releases the atlas through the old interface
    qel_gl_destroy(app->gl);
    qel_win32_window_destroy(app);
    qel_soft_destroy(app->soft);
    free(app->framebuffer);
    qel_ctx_destroy(app->ctx);
    free(app->clipboard);
    free(app->screenshot_path);
    free(app);
}

// --- Frames ---

static void begin_frame(qel_app* app)
{
    float width, height, scale;
    int32_t pixel_width, pixel_height;
    qel_win32_window_metrics(app, &width, &height, &scale, &pixel_width, &pixel_height);
    qel_ctx_set_display(app->ctx, width, height, scale);
    qel_begin_frame(app->ctx, qel_pacing_time_step(qel_win32_time(), &app->last_frame_time));
    app->frame_open = 1;
}

// A framebuffer of the draw data's size, made again when the size changes; false without one.
static bool size_framebuffer(qel_app* app, int32_t width, int32_t height)
{
    if (app->framebuffer && app->framebuffer_width == width && app->framebuffer_height == height) return true;
    free(app->framebuffer);
    app->framebuffer = (uint32_t*)malloc((size_t)width * (size_t)height * sizeof(uint32_t));
    app->framebuffer_width = app->framebuffer ? width : 0;
    app->framebuffer_height = app->framebuffer ? height : 0;
    return app->framebuffer != nullptr;
}

// The whole framebuffer, and the background colour where the window is larger than the frame
// (while its border is dragged the program cannot draw a larger one).
static void blit_whole(qel_app* app)
{
    qel_win32_blit(app, app->framebuffer, app->framebuffer_width, app->framebuffer_height,
                   app->framebuffer_width * 4);
    qel_win32_fill_beyond(app, app->framebuffer_width, app->framebuffer_height,
                          qel_get_draw_data(app->ctx)->clear_color);
}

// Renders the changed tiles and shows what changed: everything the first time or when asked
// (the window lost what it showed), nothing when the frame did not change.
static bool present_software(qel_app* app, const qel_draw_data* dd, bool whole)
{
    if (!size_framebuffer(app, dd->framebuffer_width, dd->framebuffer_height)) return false;
    int32_t width = app->framebuffer_width, height = app->framebuffer_height, stride = width * 4;
    qel_soft_render(app->soft, dd, app->framebuffer, width, height, stride, QEL_SOFT_BGRA);
    int32_t x, y, w, h;
    bool changed = qel_soft_dirty_rect(app->soft, &x, &y, &w, &h);
    if (!app->presented_once || whole) blit_whole(app);
    else if (changed && !qel_win32_present_rect(app, app->framebuffer, width, height, stride, x, y, w, h))
        blit_whole(app);
    return true;
}

// Ends an open frame and shows the last draw data; whole shows all of it, not only what changed.
static void present(qel_app* app, bool whole)
{
    end_open_frame(app);
    const qel_draw_data* dd = qel_get_draw_data(app->ctx);
    if (dd->framebuffer_width <= 0 || dd->framebuffer_height <= 0) return;
    if (app->gl) {
        // While the border is dragged the surface can be taller than the last frame.
        qel_gl_render_top(app->gl, dd, true, app->window->client_height);
        qel_win32_swap_buffers(app);
    } else if (!present_software(app, dd, whole)) {
        return;
    }
    app->presented_once = 1;
    app->last_present_time = qel_win32_time();
}

void qel_app_repaint(qel_app* app)
{
    if (app->software_active && app->presented_once && app->framebuffer) blit_whole(app);
}

static void take_screenshot(qel_app* app)
{
    const qel_draw_data* dd = qel_get_draw_data(app->ctx);
    int32_t width = dd->framebuffer_width, height = dd->framebuffer_height;
    if (width < 1 || height < 1) return;
    auto* pixels = (uint32_t*)malloc((size_t)width * (size_t)height * sizeof(uint32_t));
    if (pixels && qel_app_capture(app, pixels, width, height)) {
        bool saved = png_write_file(app->screenshot_path, pixels, width, height, 4);
        fprintf(stderr, "qel: %s %s\n", saved ? "saved" : "could not save", app->screenshot_path);
    }
    free(pixels);
}

// The display's refresh rate, read again every two seconds (the window may have moved).
static double refresh_rate(qel_app* app)
{
    double now = qel_win32_time();
    if (app->refresh_rate <= 0.0 || now - app->refresh_read_time > REFRESH_RATE_LIFETIME) {
        app->refresh_rate = qel_pacing_refresh_rate(qel_win32_refresh_rate(app));
        app->refresh_read_time = now;
    }
    return app->refresh_rate;
}

// Idles until input or the toolkit's next deadline when nothing moves; else waits out the frame
// period, or only polls when the swap paces the frames.
static void wait_for_next_frame(qel_app* app)
{
    if (!app->config.continuous && !qel_needs_redraw(app->ctx) && app->presented_once) {
        qel_pacing_probe_rest(&app->probe);
        qel_win32_wait(app, qel_wake_timeout(app->ctx));
        return;
    }
    double hz = refresh_rate(app);
    if (app->gl && !app->config.vsync_off) qel_pacing_probe(&app->probe, app->last_present_time, hz);
    double period = qel_pacing_period(app->software_active, app->config.vsync_off, app->probe.broken, hz);
    double deadline = app->frame_deadline = qel_pacing_next_deadline(app->frame_deadline, period, qel_win32_time());
    for (double left = deadline - qel_win32_time(); app->running && left > WAIT_SLACK;
         left = deadline - qel_win32_time())
        qel_win32_wait(app, left);
    qel_win32_wait(app, 0);
}

int qel_app_frame(qel_app* app)
{
    if (app->frame_open) {
        present(app, false);
        if (app->screenshot_path && qel_pacing_screenshot_due(&app->frames_done, app->screenshot_frames)) {
            take_screenshot(app);
            app->running = 0;
            return 0;
        }
    }
    if (!app->running) return 0;
    if (app->presented_once && !app->started) finish_start(app);
    wait_for_next_frame(app);
    if (app->running) begin_frame(app);
    return app->running;
}

int qel_app_run(const qel_app_config* config, qel_app_frame_fn callback, void* user)
{
    qel_app* app = qel_app_create(config);
    if (!app) return 1;
    app->frame_fn = callback;
    app->frame_user = user;
    while (qel_app_frame(app)) {
        if (callback) callback(app->ctx, user);
    }
    qel_app_destroy(app);
    return 0;
}

// While the border is dragged the system repaints the window from scratch, so every present
// shows the whole framebuffer, changed or not.
void qel_app_render_now(qel_app* app)
{
    if (app->frame_fn && !app->in_render) {
        app->in_render = 1;
        end_open_frame(app);
        begin_frame(app);
        app->frame_fn(app->ctx, app->frame_user);
        present(app, true);
        app->in_render = 0;
        return;
    }
    // Without a callback only what was last drawn can be shown again.
    if (app->frame_open || !qel_get_draw_data(app->ctx)->vertex_count) return;
    present(app, true);
}

int qel_app_capture(qel_app* app, uint32_t* rgba, int32_t width, int32_t height)
{
    if (!rgba) return 0;
    if (app->frame_open) present(app, false);
    const qel_draw_data* dd = qel_get_draw_data(app->ctx);
    int32_t fb_width = dd->framebuffer_width, fb_height = dd->framebuffer_height;
    if (width < fb_width || height < fb_height) return 0;
    if (app->gl) {
        qel_gl_render(app->gl, dd, true);
        qel_gl_read_pixels(app->gl, fb_width, fb_height, rgba);
    } else {
        qel_soft_render(app->soft, dd, rgba, fb_width, fb_height, fb_width * 4, QEL_SOFT_RGBA);
    }
    return 1;
}

// --- Window and system ---

qel_context* qel_app_context(qel_app* app)
{
    return app->ctx;
}

void qel_app_quit(qel_app* app)
{
    app->running = 0;
}

bool qel_app_is_software(qel_app* app)
{
    return app->software_active;
}

void* qel_app_native_handle(qel_app* app)
{
    return qel_win32_native_handle(app);
}

const char* qel_app_backend_name()
{
    return qel_win32_backend_name();
}

void qel_app_set_title(qel_app* app, const char* utf8)
{
    qel_utf8_copy_cut(app->title, sizeof app->title, utf8);
    qel_win32_set_title(app, app->title);
}

void qel_app_set_size(qel_app* app, int32_t width, int32_t height)
{
    qel_win32_set_size(app, width, height);
}

qel_vec2 qel_app_logical_size(qel_app* app)
{
    float width, height, scale;
    int32_t pixel_width, pixel_height;
    qel_win32_window_metrics(app, &width, &height, &scale, &pixel_width, &pixel_height);
    return {width, height};
}

bool qel_app_open_url(const char* utf8)
{
    return utf8 && *utf8 && qel_win32_open_url(utf8);
}

const char* qel_app_clipboard_store(qel_app* app, const char* text)
{
    free(app->clipboard);
    app->clipboard = text ? strdup(text) : nullptr;
    return app->clipboard;
}

// The dialog held the thread: keys and buttons released meanwhile never reached the toolkit, the
// pointer is elsewhere, and the time spent is no frame step.
static void resynchronise(qel_app* app)
{
    qel_input_focus(app->ctx, false);
    qel_input_focus(app->ctx, true);
    qel_input_mouse_leave(app->ctx);
    app->last_frame_time = qel_win32_time();
    qel_request_redraw(app->ctx);
}

bool qel_app_file_dialog(qel_app* app, const qel_file_dialog_spec* dialog, char* out, size_t capacity)
{
    if (!app) app = current_app;
    if (!app || !out || !capacity) return false;
    const qel_file_dialog_spec open_any = {};
    out[0] = 0;
    bool chosen = qel_win32_file_dialog(app, dialog ? dialog : &open_any, out, capacity);
    resynchronise(app);
    return chosen && out[0];
}
