// The WGL context for the OpenGL renderer. A legacy context is made only to reach
// wglCreateContextAttribsARB, which alone can ask for a 3.3 core profile. opengl32.dll is loaded
// when OpenGL is first tried, after the first frame, so that its loading does not hold up the
// program's start.
#include "platform/shell_win32.h"

enum : int {
    WGL_CONTEXT_MAJOR_VERSION_ARB = 0x2091,
    WGL_CONTEXT_MINOR_VERSION_ARB = 0x2092,
    WGL_CONTEXT_PROFILE_MASK_ARB = 0x9126,
    WGL_CONTEXT_CORE_PROFILE_BIT_ARB = 0x1,
};

typedef HGLRC(WINAPI* create_context_attribs_fn)(HDC, HGLRC, const int*);
typedef BOOL(WINAPI* swap_interval_fn)(int);

// The library's own WGL calls; null members until it is loaded, all null when it cannot be.
struct wgl_calls {
    HGLRC(WINAPI* create_context)(HDC);
    BOOL(WINAPI* make_current)(HDC, HGLRC);
    BOOL(WINAPI* delete_context)(HGLRC);
    PROC(WINAPI* get_proc_address)(LPCSTR);
};

static const wgl_calls& wgl()
{
    static wgl_calls calls;
    static bool looked_up;
    if (looked_up) return calls;
    looked_up = true;
    auto find = [](const char* name) {
        return qel_win32_find_function<void (*)()>(L"opengl32.dll", name, true);
    };
    wgl_calls found = {reinterpret_cast<decltype(calls.create_context)>(find("wglCreateContext")),
                       reinterpret_cast<decltype(calls.make_current)>(find("wglMakeCurrent")),
                       reinterpret_cast<decltype(calls.delete_context)>(find("wglDeleteContext")),
                       reinterpret_cast<decltype(calls.get_proc_address)>(find("wglGetProcAddress"))};
    if (found.create_context && found.make_current && found.delete_context && found.get_proc_address) calls = found;
    return calls;
}

template <typename T>
static T wgl_function(const char* name)
{
    return reinterpret_cast<T>(qel_win32_gl_proc(name));
}

static bool set_pixel_format(HDC dc)
{
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cAlphaBits = 8;
    int format = ChoosePixelFormat(dc, &pfd);
    return format && SetPixelFormat(dc, format, &pfd);
}

// The 3.3 core context, or null; the legacy context is gone either way.
static HGLRC create_core_context(HDC dc)
{
    HGLRC legacy = wgl().create_context(dc);
    if (!legacy) return nullptr;
    HGLRC core = nullptr;
    if (wgl().make_current(dc, legacy)) {
        auto create = wgl_function<create_context_attribs_fn>("wglCreateContextAttribsARB");
        static const int ATTRIBUTES[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 3, WGL_CONTEXT_MINOR_VERSION_ARB, 3,
                                         WGL_CONTEXT_PROFILE_MASK_ARB, WGL_CONTEXT_CORE_PROFILE_BIT_ARB, 0};
        if (create) core = create(dc, nullptr, ATTRIBUTES);
    }
    wgl().make_current(nullptr, nullptr);
    wgl().delete_context(legacy);
    return core;
}

bool qel_win32_gl_context_create(qel_app* app, bool vsync)
{
    qel_win32_window* w = app->window;
    if (!wgl().create_context || !set_pixel_format(w->dc)) return false;
    HGLRC core = create_core_context(w->dc);
    if (!core) return false;
    if (!wgl().make_current(w->dc, core)) {
        wgl().delete_context(core);
        return false;
    }
    w->glrc = core;
    auto swap_interval = wgl_function<swap_interval_fn>("wglSwapIntervalEXT");
    if (swap_interval) swap_interval(vsync ? 1 : 0);
    return true;
}

void qel_win32_gl_context_destroy(qel_app* app)
{
    qel_win32_window* w = app->window;
    if (!w || !w->glrc) return;
    wgl().make_current(nullptr, nullptr);
    wgl().delete_context(w->glrc);
    w->glrc = nullptr;
}

qel_gl_proc qel_win32_gl_proc(const char* name)
{
    // wglGetProcAddress knows only extensions and what came after OpenGL 1.1, and some drivers
    // answer with small numbers instead of null.
    if (!wgl().get_proc_address) return nullptr;
    PROC p = wgl().get_proc_address(name);
    intptr_t value = reinterpret_cast<intptr_t>(p);
    if (value != 0 && value != 1 && value != 2 && value != 3 && value != -1) return reinterpret_cast<qel_gl_proc>(p);
    return qel_win32_find_function<qel_gl_proc>(L"opengl32.dll", name, false);
}

void qel_win32_swap_buffers(qel_app* app)
{
    SwapBuffers(app->window->dc);
}
