// Window messages into the toolkit's input intake: pointer, buttons, wheels, keys, typed
// characters, focus and dropped files. Positions arrive in device pixels and leave in logical
// ones; the translation rules themselves are message_input's.
#include "platform/shell_win32.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cstdlib>

#include "platform/message_input.h"
#include "platform/platform_text.h"
#include "qel/qel.h"

static const UINT MAX_DROPPED_FILES = 64;

static void move_to(qel_app* app, LPARAM lparam)
{
    float scale = app->window->scale;
    qel_input_mouse_move(app->ctx, (float)GET_X_LPARAM(lparam) / scale, (float)GET_Y_LPARAM(lparam) / scale);
}

static void mouse_move(qel_app* app, LPARAM lparam)
{
    qel_win32_window* w = app->window;
    if (!w->mouse_tracking) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, w->window, 0};
        TrackMouseEvent(&track);
        w->mouse_tracking = 1;
    }
    move_to(app, lparam);
}

static void mouse_button(qel_app* app, uint32_t button, bool down, WPARAM wparam, LPARAM lparam)
{
    move_to(app, lparam);
    qel_input_mouse_button(app->ctx, button, down);
    if (down) SetCapture(app->window->window);
    else if (!(wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
}

static void key(qel_app* app, WPARAM virtual_key, bool down)
{
    int32_t k;
    if (qel_key_from_virtual_key((uint32_t)virtual_key, &k)) qel_input_key(app->ctx, k, down, qel_win32_modifiers());
}

static void typed(qel_app* app, WPARAM unit)
{
    uint32_t code_point;
    if (!qel_char_from_unit(&app->window->pending_surrogate, (uint32_t)unit, &code_point)) return;
    uint8_t utf8[5];
    utf8[qel_utf8_encode(code_point, utf8)] = 0;
    qel_input_chars(app->ctx, (const char*)utf8);
}

// The first 64 paths as UTF-8; one that cannot be had is skipped.
static void dropped(qel_app* app, HDROP drop)
{
    // Drops arrive only once the shell's calls took the window's files.
    const qel_win32_shell_calls* shell = qel_win32_shell();
    UINT count = shell->drag_query_file(drop, 0xFFFFFFFF, nullptr, 0);
    POINT at = {};
    shell->drag_query_point(drop, &at);
    char* paths[MAX_DROPPED_FILES];
    int32_t kept = 0;
    for (UINT i = 0; i < count && i < MAX_DROPPED_FILES; i++) {
        UINT units = shell->drag_query_file(drop, i, nullptr, 0);
        auto* wide = (uint16_t*)malloc(((size_t)units + 1) * sizeof(uint16_t));
        char* utf8 = nullptr;
        if (wide && shell->drag_query_file(drop, i, (LPWSTR)wide, units + 1) == units)
            utf8 = qel_utf8_alloc_from_utf16(wide, units);
        free(wide);
        if (utf8) paths[kept++] = utf8;
    }
    shell->drag_finish(drop);
    float scale = app->window->scale;
    qel_input_drop_files(app->ctx, paths, kept, (float)at.x / scale, (float)at.y / scale);
    for (int32_t i = 0; i < kept; i++) free(paths[i]);
    SetForegroundWindow(app->window->window);
}

bool qel_win32_input_message(qel_app* app, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_SETFOCUS: qel_input_focus(app->ctx, true); return true;
    case WM_KILLFOCUS: qel_input_focus(app->ctx, false); return true;
    case WM_MOUSEMOVE: mouse_move(app, lparam); return true;
    case WM_MOUSELEAVE:
        app->window->mouse_tracking = 0;
        qel_input_mouse_leave(app->ctx);
        return true;
    case WM_LBUTTONDOWN: mouse_button(app, 0, true, wparam, lparam); return true;
    case WM_RBUTTONDOWN: mouse_button(app, 1, true, wparam, lparam); return true;
    case WM_MBUTTONDOWN: mouse_button(app, 2, true, wparam, lparam); return true;
    case WM_LBUTTONUP: mouse_button(app, 0, false, wparam, lparam); return true;
    case WM_RBUTTONUP: mouse_button(app, 1, false, wparam, lparam); return true;
    case WM_MBUTTONUP: mouse_button(app, 2, false, wparam, lparam); return true;
    // A wheel turned right scrolls content left: negative x steps.
    case WM_MOUSEWHEEL: qel_input_wheel(app->ctx, 0, qel_wheel_steps(GET_WHEEL_DELTA_WPARAM(wparam))); return true;
    case WM_MOUSEHWHEEL: qel_input_wheel(app->ctx, -qel_wheel_steps(GET_WHEEL_DELTA_WPARAM(wparam)), 0); return true;
    case WM_DROPFILES: dropped(app, (HDROP)wparam); return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: key(app, wparam, true); return true;
    case WM_KEYUP:
    case WM_SYSKEYUP: key(app, wparam, false); return true;
    case WM_CHAR: typed(app, wparam); return true;
    default: return false;
    }
}
