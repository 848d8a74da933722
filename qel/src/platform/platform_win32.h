// The Win32 layer: the window and its procedure, display scale, dark title bar and system theme,
// cursors, clipboard, waiting for input, the refresh rate, the WGL context, blits, native file
// dialogs, URLs and the clock. Everything runs on the window's thread; decisions that need no
// Win32 call live in the portable modules beside this one.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstddef>

#include "qel/app.h"
#include "qel/context.h"
#include "render/gl_renderer.h"

// --- Records ---

struct qel_win32_window {
    HWND window;
    HDC dc;       // the class's own device context, taken once
    HGLRC glrc;   // null without OpenGL
    int32_t client_width, client_height;  // device pixels
    float scale;  // device pixels per logical pixel, never 0
    uint8_t mouse_tracking;
    uint16_t pending_surrogate;
    HCURSOR cursors[7];  // in qel_cursor order
    int32_t cursor;
    uint8_t in_size_move;
    BITMAPINFOHEADER blit_header;
    HANDLE timer;  // made on the first timed wait
};

// --- The window ---

// Opens the hidden window for app (its config must be final); it may be made before the context,
// whose messages are left to the system until the context is in place. False when no window
// can be made.
bool qel_win32_window_create(qel_app* app);
// Installs the window's clipboard and cursors into the context.
void qel_win32_install_platform(qel_app* app);
// Takes files dropped on the window from now on.
void qel_win32_accept_files(qel_app* app);
void qel_win32_window_show(qel_app* app);
void qel_win32_window_destroy(qel_app* app);  // also drops the WGL context

// Logical size (pixels / scale), scale, and the pixel size.
void qel_win32_window_metrics(qel_app* app, float* width, float* height, float* scale, int32_t* pixel_width,
                              int32_t* pixel_height);
void qel_win32_set_title(qel_app* app, const char* utf8);
void qel_win32_set_size(qel_app* app, int32_t width, int32_t height);
HWND qel_win32_native_handle(qel_app* app);
const char* qel_win32_backend_name();

// Scale of the window's monitor, or of the screen for null; QEL_SCALE overrides.
float qel_win32_scale(HWND window);

// 1 dark, 0 light, -1 unknown.
int32_t qel_win32_system_dark();
void qel_win32_set_dark_title_bar(HWND window, bool dark);

LRESULT CALLBACK qel_win32_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Hands an input message to the toolkit; false for any other message. Every input message is
// answered with 0 and kept from the system (so Alt and F10 open no menu), except Alt+F4.
bool qel_win32_input_message(qel_app* app, UINT message, WPARAM wparam, LPARAM lparam);

// --- Time and waiting ---

double qel_win32_time();  // seconds of a monotonic clock

// Waits up to seconds for input (0: not at all, negative: without limit), then dispatches every
// queued message; a quit message stops the shell.
void qel_win32_wait(qel_app* app, double seconds);
double qel_win32_refresh_rate(qel_app* app);  // as the device reports it, 0 when unknown

// --- Presenting ---

// A 3.3 core context made current on the window; false when any step fails.
bool qel_win32_gl_context_create(qel_app* app, bool vsync);
void qel_win32_gl_context_destroy(qel_app* app);
qel_gl_proc qel_win32_gl_proc(const char* name);
void qel_win32_swap_buffers(qel_app* app);

// Top-down B, G, R, A pixels to the client area.
void qel_win32_blit(qel_app* app, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride);
// Paints the client area outside the first width x height pixels in one colour: what a smaller
// framebuffer leaves uncovered while the window grows.
void qel_win32_fill_beyond(qel_app* app, int32_t width, int32_t height, qel_color color);
// A partial present, which Win32 does not offer: always false.
bool qel_win32_present_rect(qel_app* app, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride,
                            int32_t x, int32_t y, int32_t w, int32_t h);

// --- System ---

// A function looked up by name in a module, loaded first when asked (else it must be loaded
// already); null when either is missing. The detour through void (*)() is the one cast between
// function types that compilers accept as deliberate.
template <typename T>
T qel_win32_find_function(const wchar_t* module, const char* name, bool load)
{
    HMODULE m = load ? LoadLibraryW(module) : GetModuleHandleW(module);
    return m ? reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(m, name))) : nullptr;
}

// The shell's and COM's calls, from libraries loaded at the first use: loading them is a good
// share of a program's start under Wine, and dropped files, links and folder dialogs come later.
// A member is null when its library or call is missing.
struct qel_win32_shell_calls {
    decltype(&DragAcceptFiles) drag_accept_files;
    decltype(&DragQueryFileW) drag_query_file;
    decltype(&DragQueryPoint) drag_query_point;
    decltype(&DragFinish) drag_finish;
    decltype(&ShellExecuteW) shell_execute;
    decltype(&SHBrowseForFolderW) browse_for_folder;
    decltype(&SHGetPathFromIDListW) path_from_id_list;
    decltype(&CoInitializeEx) co_initialize;
    decltype(&CoUninitialize) co_uninitialize;
    decltype(&CoTaskMemFree) co_task_mem_free;
};
const qel_win32_shell_calls* qel_win32_shell();

uint32_t qel_win32_modifiers();  // qel_mod bits of the keys held now
void qel_win32_set_cursor(void* app, qel_cursor cursor);
void qel_win32_clipboard_set(void* app, const char* utf8);
const char* qel_win32_clipboard_get(void* app);  // owned by the shell until the next call
bool qel_win32_file_dialog(qel_app* app, const qel_file_dialog_spec* dialog, char* out, size_t capacity);
bool qel_win32_open_url(const char* utf8);
