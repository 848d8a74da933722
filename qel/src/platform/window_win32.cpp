// The window: DPI awareness, class and creation, the window procedure, scale, the system theme
// and title bar, cursors, waiting for messages, blits and the clock. Functions newer than the
// oldest supported Windows are looked up by name, and each has a fallback.
#include "platform/shell_win32.h"

#include <cstdlib>
#include <cstring>

#include "platform/app_settings.h"
#include "platform/message_input.h"
#include "platform/platform_text.h"
#include "qel/theme.h"

static const wchar_t CLASS_NAME[] = L"QELWindow";
static const int32_t TITLE_UNITS = 256;
static const DWORD WAIT_WAKE_MASK = 0x1FF;  // every kind of queued input and message
static const DWORD DWM_DARK_MODE = 20, DWM_DARK_MODE_OLD = 19;

typedef BOOL(WINAPI* set_dpi_context_fn)(HANDLE);
typedef HRESULT(WINAPI* set_dpi_awareness_fn)(int);
typedef UINT(WINAPI* dpi_for_window_fn)(HWND);
typedef HRESULT(WINAPI* dwm_set_attribute_fn)(HWND, DWORD, LPCVOID, DWORD);
typedef HANDLE(WINAPI* create_timer_ex_fn)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);

static dpi_for_window_fn dpi_for_window;

static qel_app* window_app(HWND window)
{
    return reinterpret_cast<qel_app*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// --- Scale, theme and title bar ---

static void set_dpi_awareness()
{
    auto set_context = qel_win32_find_function<set_dpi_context_fn>(L"user32.dll", "SetProcessDpiAwarenessContext", false);
    dpi_for_window = qel_win32_find_function<dpi_for_window_fn>(L"user32.dll", "GetDpiForWindow", false);
    if (set_context && set_context(reinterpret_cast<HANDLE>(-4))) return;  // per-monitor, version 2
    auto set_awareness = qel_win32_find_function<set_dpi_awareness_fn>(L"shcore.dll", "SetProcessDpiAwareness", true);
    if (set_awareness && set_awareness(2) >= 0) return;  // per-monitor
    SetProcessDPIAware();
}

float qel_win32_scale(HWND window)
{
    UINT dpi;
    if (window && dpi_for_window) {
        dpi = dpi_for_window(window);
    } else {
        HDC screen = GetDC(nullptr);
        dpi = (UINT)GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return qel_app_settings_scale(getenv("QEL_SCALE"), dpi);
}

int32_t qel_win32_system_dark()
{
    DWORD light = 0, size = sizeof light;
    LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                     L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size);
    if (status != ERROR_SUCCESS) return -1;
    return light == 0 ? 1 : 0;
}

void qel_win32_set_dark_title_bar(HWND window, bool dark)
{
    static bool looked_up;
    static dwm_set_attribute_fn set_attribute;
    if (!looked_up) {
        set_attribute = qel_win32_find_function<dwm_set_attribute_fn>(L"dwmapi.dll", "DwmSetWindowAttribute", true);
        looked_up = true;
    }
    if (!set_attribute) return;
    BOOL value = dark;
    if (FAILED(set_attribute(window, DWM_DARK_MODE, &value, sizeof value)))
        set_attribute(window, DWM_DARK_MODE_OLD, &value, sizeof value);
}

// --- Creation ---

static DWORD window_style(const qel_app* app)
{
    return app->config.fixed_size ? WS_OVERLAPPEDWINDOW & ~(WS_THICKFRAME | WS_MAXIMIZEBOX) : WS_OVERLAPPEDWINDOW;
}

// The outer size of a window whose client area is the logical size at the scale.
static SIZE outer_size(DWORD style, int32_t width, int32_t height, float scale)
{
    RECT r = {0, 0, (LONG)((float)width * scale), (LONG)((float)height * scale)};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    return {r.right - r.left, r.bottom - r.top};
}

static void resize_client(qel_app* app, int32_t width, int32_t height)
{
    HWND window = app->window->window;
    SIZE size = outer_size((DWORD)GetWindowLongW(window, GWL_STYLE), width, height, app->window->scale);
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
}

// The first window fits the work area of its monitor: the configured size where it fits, else
// as much as fits but never less than the least size, and moved in where it sticks out.
static void fit_first_window(qel_app* app)
{
    HWND window = app->window->window;
    const float scale = app->window->scale;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const SIZE frame = outer_size((DWORD)GetWindowLongW(window, GWL_STYLE), 0, 0, scale);
    const qel_app_config& c = app->config;
    const int32_t width = qel_app_settings_fit((int32_t)((float)c.width * scale), (int32_t)((float)c.min_width * scale),
                                               frame.cx, work.right - work.left);
    const int32_t height = qel_app_settings_fit((int32_t)((float)c.height * scale),
                                                (int32_t)((float)c.min_height * scale), frame.cy, work.bottom - work.top);
    RECT outer;
    GetWindowRect(window, &outer);
    const int32_t x = qel_app_settings_place(outer.left, width + frame.cx, work.left, work.right);
    const int32_t y = qel_app_settings_place(outer.top, height + frame.cy, work.top, work.bottom);
    SetWindowPos(window, nullptr, x, y, width + frame.cx, height + frame.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

static void register_class()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    wc.lpfnWndProc = qel_win32_window_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.lpszClassName = CLASS_NAME;
    RegisterClassExW(&wc);  // already registered by an earlier window is fine
}

static void load_cursors(qel_win32_window* w)
{
    static const LPCWSTR SHAPES[7] = {IDC_ARROW, IDC_HAND, IDC_IBEAM, IDC_SIZEWE, IDC_SIZENS, IDC_SIZEALL, IDC_NO};
    for (int i = 0; i < 7; i++) w->cursors[i] = LoadCursorW(nullptr, SHAPES[i]);
}

void qel_win32_install_platform(qel_app* app)
{
    qel_platform platform = {};
    platform.user = app;
    platform.set_clipboard = qel_win32_clipboard_set;
    platform.get_clipboard = qel_win32_clipboard_get;
    platform.set_cursor = qel_win32_set_cursor;
    qel_ctx_set_platform(app->ctx, &platform);
}

bool qel_win32_window_create(qel_app* app)
{
    set_dpi_awareness();
    auto* w = (qel_win32_window*)calloc(1, sizeof(qel_win32_window));
    if (!w) return false;
    app->window = w;
    register_class();
    DWORD style = window_style(app);
    // Made at the screen's scale; the size that fits the window's own monitor follows.
    w->scale = qel_win32_scale(nullptr);
    SIZE size = outer_size(style, app->config.width, app->config.height, w->scale);
    uint16_t title[TITLE_UNITS];
    qel_utf16_from_utf8(app->config.title, title, TITLE_UNITS, nullptr);
    w->window = CreateWindowExW(0, CLASS_NAME, (LPCWSTR)title, style, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy,
                                nullptr, nullptr, GetModuleHandleW(nullptr), app);
    if (!w->window) {
        free(w);
        app->window = nullptr;
        return false;
    }
    w->scale = qel_win32_scale(w->window);
    fit_first_window(app);
    RECT client;
    GetClientRect(w->window, &client);
    w->client_width = client.right;
    w->client_height = client.bottom;
    w->dc = GetDC(w->window);
    load_cursors(w);
    if (app->config.dark == QEL_THEME_DARK) qel_win32_set_dark_title_bar(w->window, true);
    return true;
}

void qel_win32_accept_files(qel_app* app)
{
    const qel_win32_shell_calls* shell = qel_win32_shell();
    if (shell->drag_accept_files && shell->drag_query_file && shell->drag_query_point && shell->drag_finish)
        shell->drag_accept_files(app->window->window, TRUE);
}

void qel_win32_window_show(qel_app* app)
{
    ShowWindow(app->window->window, SW_SHOWDEFAULT);
    UpdateWindow(app->window->window);
}

void qel_win32_window_destroy(qel_app* app)
{
    qel_win32_window* w = app->window;
    if (!w) return;
    qel_win32_gl_context_destroy(app);
    ReleaseDC(w->window, w->dc);
    if (w->timer) CloseHandle(w->timer);
    SetWindowLongPtrW(w->window, GWLP_USERDATA, 0);
    DestroyWindow(w->window);
    free(w);
    app->window = nullptr;
}

// --- Queries and settings ---

void qel_win32_window_metrics(qel_app* app, float* width, float* height, float* scale, int32_t* pixel_width,
                              int32_t* pixel_height)
{
    const qel_win32_window* w = app->window;
    *width = (float)w->client_width / w->scale;
    *height = (float)w->client_height / w->scale;
    *scale = w->scale;
    *pixel_width = w->client_width;
    *pixel_height = w->client_height;
}

void qel_win32_set_title(qel_app* app, const char* utf8)
{
    uint16_t title[512];
    qel_utf16_from_utf8(utf8, title, 512, nullptr);
    SetWindowTextW(app->window->window, (LPCWSTR)title);
}

void qel_win32_set_size(qel_app* app, int32_t width, int32_t height)
{
    resize_client(app, width, height);
}

HWND qel_win32_native_handle(qel_app* app)
{
    return app->window ? app->window->window : nullptr;
}

const char* qel_win32_backend_name()
{
    return "win32";
}

uint32_t qel_win32_modifiers()
{
    auto down = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
    return qel_mods_from_keys(down(VK_SHIFT), down(VK_CONTROL), down(VK_MENU), down(VK_LWIN), down(VK_RWIN));
}

// --- Cursors ---

void qel_win32_set_cursor(void* user, qel_cursor cursor)
{
    qel_win32_window* w = ((qel_app*)user)->window;
    if ((uint32_t)cursor >= 7) return;
    w->cursor = (int32_t)cursor;
    POINT p;
    if (!GetCursorPos(&p) || !ScreenToClient(w->window, &p)) return;
    if (p.x >= 0 && p.x < w->client_width && p.y >= 0 && p.y < w->client_height) SetCursor(w->cursors[cursor]);
}

// --- Time and waiting ---

double qel_win32_time()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

// A high-resolution timer where the system has one, else an ordinary waitable timer.
static HANDLE make_timer()
{
    static const DWORD HIGH_RESOLUTION = 0x2;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
    auto create_ex = qel_win32_find_function<create_timer_ex_fn>(L"kernel32.dll", "CreateWaitableTimerExW", false);
    HANDLE timer = create_ex ? create_ex(nullptr, nullptr, HIGH_RESOLUTION, TIMER_ALL_ACCESS) : nullptr;
    return timer ? timer : CreateWaitableTimerW(nullptr, TRUE, nullptr);
}

static void wait_for_input(qel_win32_window* w, double seconds)
{
    if (seconds < 0) {
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, WAIT_WAKE_MASK, MWMO_INPUTAVAILABLE);
        return;
    }
    if (!w->timer) w->timer = make_timer();
    LARGE_INTEGER due;
    due.QuadPart = -(LONGLONG)(seconds * 10000000.0);  // relative, in 100 ns
    if (w->timer && SetWaitableTimer(w->timer, &due, 0, nullptr, nullptr, FALSE)) {
        MsgWaitForMultipleObjectsEx(1, &w->timer, INFINITE, WAIT_WAKE_MASK, MWMO_INPUTAVAILABLE);
    } else {
        MsgWaitForMultipleObjectsEx(0, nullptr, (DWORD)(seconds * 1000.0 + 0.5), WAIT_WAKE_MASK, MWMO_INPUTAVAILABLE);
    }
}

void qel_win32_wait(qel_app* app, double seconds)
{
    if (seconds != 0) wait_for_input(app->window, seconds);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            app->running = 0;
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

double qel_win32_refresh_rate(qel_app* app)
{
    return GetDeviceCaps(app->window->dc, VREFRESH);
}

// --- Presenting pixels ---

void qel_win32_blit(qel_app* app, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride)
{
    qel_win32_window* w = app->window;
    BITMAPINFOHEADER* h = &w->blit_header;
    *h = {};
    h->biSize = sizeof *h;
    h->biWidth = stride / 4;  // rows are read stride bytes apart
    h->biHeight = -height;    // top-down
    h->biPlanes = 1;
    h->biBitCount = 32;
    h->biCompression = BI_RGB;
    SetDIBitsToDevice(w->dc, 0, 0, (DWORD)width, (DWORD)height, 0, 0, 0, (UINT)height, pixels,
                      (const BITMAPINFO*)h, DIB_RGB_COLORS);
}

void qel_win32_fill_beyond(qel_app* app, int32_t width, int32_t height, qel_color color)
{
    qel_win32_window* w = app->window;
    HBRUSH brush = CreateSolidBrush(RGB(color & 0xFF, color >> 8 & 0xFF, color >> 16 & 0xFF));
    RECT right = {width, 0, w->client_width, w->client_height}, below = {0, height, width, w->client_height};
    FillRect(w->dc, &right, brush);  // nothing for an empty rectangle
    FillRect(w->dc, &below, brush);
    DeleteObject(brush);
}

bool qel_win32_present_rect(qel_app*, const uint32_t*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
    return false;
}

// --- The window procedure ---

static void follow_system_theme(qel_app* app, LPARAM lparam)
{
    const wchar_t* area = reinterpret_cast<const wchar_t*>(lparam);
    if (!app->config.follow_system_theme || !area || wcscmp(area, L"ImmersiveColorSet") != 0) return;
    int32_t dark = qel_win32_system_dark();
    if (dark < 0) return;
    qel_theme_set_mode(app->ctx, (uint32_t)dark);
    qel_win32_set_dark_title_bar(app->window->window, dark == 1);
}

static void set_min_track_size(qel_app* app, MINMAXINFO* info)
{
    SIZE size = outer_size((DWORD)GetWindowLongW(app->window->window, GWL_STYLE), app->config.min_width,
                           app->config.min_height, app->window->scale);
    info->ptMinTrackSize.x = size.cx;
    info->ptMinTrackSize.y = size.cy;
}

static void dpi_changed(qel_app* app, WPARAM wparam, const RECT* suggested)
{
    qel_win32_window* w = app->window;
    float scale = qel_app_settings_scale(getenv("QEL_SCALE"), HIWORD(wparam));
    // Under QEL_SCALE the scale stays, and so must the window's size.
    if (scale != w->scale) {
        w->scale = scale;
        SetWindowPos(w->window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    qel_request_redraw(app->ctx);
}

static void paint(qel_app* app)
{
    PAINTSTRUCT ps;
    BeginPaint(app->window->window, &ps);
    if (app->window->in_size_move) qel_app_render_now(app);
    else qel_app_repaint(app);
    EndPaint(app->window->window, &ps);
    qel_request_redraw(app->ctx);
}

static void resized(qel_app* app, LPARAM lparam)
{
    qel_win32_window* w = app->window;
    w->client_width = LOWORD(lparam);
    w->client_height = HIWORD(lparam);
    qel_request_redraw(app->ctx);
    if (w->in_size_move && w->client_width >= 1 && w->client_height >= 1) qel_app_render_now(app);
}

LRESULT CALLBACK qel_win32_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    qel_app* app = window_app(window);
    if (!app || !app->window || !app->ctx) return DefWindowProcW(window, message, wparam, lparam);
    qel_win32_window* w = app->window;
    switch (message) {
    case WM_SIZE: resized(app, lparam); return 0;
    case WM_PAINT: paint(app); return 0;
    case WM_CLOSE: app->running = 0; return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETTINGCHANGE: follow_system_theme(app, lparam); break;
    case WM_SETCURSOR:
        if (LOWORD(lparam) != HTCLIENT) break;
        SetCursor(w->cursors[w->cursor]);
        return 1;
    case WM_GETMINMAXINFO: set_min_track_size(app, reinterpret_cast<MINMAXINFO*>(lparam)); return 0;
    case WM_ENTERSIZEMOVE: w->in_size_move = 1; return 0;
    case WM_EXITSIZEMOVE: w->in_size_move = 0; return 0;
    case WM_DPICHANGED: dpi_changed(app, wparam, reinterpret_cast<const RECT*>(lparam)); return 0;
    default: break;
    }
    if (!qel_win32_input_message(app, message, wparam, lparam))
        return DefWindowProcW(window, message, wparam, lparam);
    // Alt+F4 reaches the toolkit as a key and still closes the window.
    if (message == WM_SYSKEYDOWN && qel_virtual_key_is_f4((uint32_t)wparam))
        DefWindowProcW(window, message, wparam, lparam);
    return 0;
}
