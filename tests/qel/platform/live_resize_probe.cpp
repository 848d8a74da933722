// A windowed program that runs the shell's loop itself, as the label program does, on the
// software renderer (or OpenGL when its second word is "opengl"), and draws a light scene over
// its whole client area. Once its first frames are on screen it writes its window and client
// rectangles (screen pixels, left top right bottom) to the file named on its command line; then
// it runs until it is closed.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "qel/app.h"
#include "qel/qel.h"

static void draw_scene(qel_context* ctx)
{
    qel_vec2 size = qel_ctx_display_size(ctx);
    qel_rect whole = {0, 0, size.x, size.y}, card = {24, 24, size.x - 48, size.y - 48};
    const float radii[4] = {12, 12, 12, 12};
    qel_draw_rect(ctx, &whole, nullptr, 0xFFE0E0E0);
    qel_draw_rect(ctx, &card, radii, 0xFFF8C080);
}

static bool report_place(qel_app* app, const char* path)
{
    HWND window = (HWND)qel_app_native_handle(app);
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, (POINT*)&client, 2);
    FILE* f = fopen(path, "w");
    if (!f) return false;
    fprintf(f, "%ld %ld %ld %ld %ld %ld %ld %ld\n", outer.left, outer.top, outer.right, outer.bottom, client.left,
            client.top, client.right, client.bottom);
    return fclose(f) == 0;
}

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        fputs("usage: live_resize_probe PLACE-FILE [opengl]\n", stderr);
        return 2;
    }
    qel_app_config config = {};
    config.title = "qel live resize";
    config.width = 480;
    config.height = 320;
    config.renderer = argc == 3 && strcmp(argv[2], "opengl") == 0 ? QEL_RENDERER_OPENGL : QEL_RENDERER_SOFTWARE;
    qel_app* app = qel_app_create(&config);
    if (!app) return 1;
    for (int frames = 0; qel_app_frame(app); frames++) {
        draw_scene(qel_app_context(app));
        if (frames == 1 && !report_place(app, argv[1])) qel_app_quit(app);
    }
    qel_app_destroy(app);
    return 0;
}
