// Whole-process clocks of the windowed program under Wine, read by bench/app_process.py:
//   app_window_clock start    the program's own start-up and window, until its first frame is
//                             on the screen (the shell's first blit or swap, which the link
//                             wraps): milliseconds since the process was created and since
//                             main, and the renderer then and some frames later;
//   app_window_clock change   a frame every display refresh that changes every pixel, for three
//                             seconds: frames a second and processor time a second.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/app_ui_frame.h"
#include "app/startup.h"
#include "qel/qel.h"

// Milliseconds of the system clock since the process was created.
static double since_creation()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER a = {{created.dwLowDateTime, created.dwHighDateTime}};
    ULARGE_INTEGER b = {{now.dwLowDateTime, now.dwHighDateTime}};
    return (double)(b.QuadPart - a.QuadPart) / 1e4;
}

static double seconds_now()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

static double processor_seconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
    ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
    return (double)(k.QuadPart + u.QuadPart) / 1e7;
}

// When the first frame reached the window: the clocks, read once.
static double main_time, first_creation, first_main;

static void first_present()
{
    if (first_creation > 0) return;
    first_creation = since_creation();
    first_main = (seconds_now() - main_time) * 1000;
}

extern "C" void __real__Z14qel_win32_blitP7qel_appPKjiii(qel_app*, const uint32_t*, int32_t, int32_t, int32_t);
extern "C" void __real__Z22qel_win32_swap_buffersP7qel_app(qel_app*);

extern "C" void __wrap__Z14qel_win32_blitP7qel_appPKjiii(qel_app* app, const uint32_t* pixels, int32_t width,
                                                        int32_t height, int32_t stride)
{
    __real__Z14qel_win32_blitP7qel_appPKjiii(app, pixels, width, height, stride);
    first_present();
}

extern "C" void __wrap__Z22qel_win32_swap_buffersP7qel_app(qel_app* app)
{
    __real__Z22qel_win32_swap_buffersP7qel_app(app);
    first_present();
}

static const char* renderer_name(qel_app* app)
{
    return qel_app_is_software(app) ? "software" : "opengl";
}

// What app_main does, with the clock read as the first frame reaches the window.
static int start()
{
    char program[] = "tagmoor-app";
    char* argv[] = {program};
    app_state* state = nullptr;
    if (app_start_unlisted(1, argv, &state) != APP_EXIT_OK) return 1;
    qel_app_config config;
    app_window_config(&config);
    qel_app* app = qel_app_create(&config);
    if (!app) return 1;
    int frames = 0;
    const char* first = nullptr;
    // The first call begins the first frame, the second presents it; OpenGL may follow later.
    while (frames < 30 && qel_app_frame(app)) {
        if (frames == 1) app_list_queues(state);
        if (frames++ == 0) first = renderer_name(app);
        app_ui_frame(qel_app_context(app), state);
        qel_request_redraw(qel_app_context(app));
    }
    printf("first frame %.1f ms after creation, %.1f ms after main, %s; %s after %d frames\n", first_creation,
           first_main, first, renderer_name(app), frames);
    qel_app_destroy(app);
    app_state_free(state);
    return 0;
}

// Every pixel changes each frame: the root's fill steps through grey levels.
static int change()
{
    qel_app_config config = {};
    config.title = "full-window change";
    config.width = 1120;
    config.height = 760;
    qel_app* app = qel_app_create(&config);
    if (!app) return 1;
    int frames = 0;
    double begin = 0, cpu = 0;
    while (qel_app_frame(app)) {
        qel_context* ctx = qel_app_context(app);
        if (++frames == 30) {
            begin = seconds_now();
            cpu = processor_seconds();
        }
        if (frames > 30 && seconds_now() - begin >= 3.0) break;
        qel_style root = {};
        root.width = root.height = {QEL_SIZE_GROW, 1};
        const uint32_t grey = 64 + (uint32_t)(frames % 128);
        root.fill = 0xFF000000u | grey << 16 | grey << 8 | grey;
        qel_column_begin(ctx, &root);
        qel_container_end(ctx);
        qel_request_redraw(ctx);
    }
    const double wall = seconds_now() - begin;
    printf("%.1f frames a second, %.2f processor seconds a second, %s\n", (frames - 31) / wall,
           (processor_seconds() - cpu) / wall, renderer_name(app));
    qel_app_destroy(app);
    return 0;
}

int main(int argc, char** argv)
{
    main_time = seconds_now();
    if (argc == 2 && strcmp(argv[1], "start") == 0) return start();
    if (argc == 2 && strcmp(argv[1], "change") == 0) return change();
    fputs("usage: app_window_clock start|change\n", stderr);
    return 2;
}
