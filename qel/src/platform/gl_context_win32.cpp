// The WGL context for the OpenGL renderer. A legacy context is made only to reach
// wglCreateContextAttribsARB, which alone can ask for a 3.3 core profile.
#include "platform/shell_win32.h"

enum : int {
    WGL_CONTEXT_MAJOR_VERSION_ARB = 0x2091,
    WGL_CONTEXT_MINOR_VERSION_ARB = 0x2092,
    WGL_CONTEXT_PROFILE_MASK_ARB = 0x9126,
    WGL_CONTEXT_CORE_PROFILE_BIT_ARB = 0x1,
};

typedef HGLRC(WINAPI* create_context_attribs_fn)(HDC, HGLRC, const int*);
typedef BOOL(WINAPI* swap_interval_fn)(int);

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
    HGLRC legacy = wglCreateContext(dc);
    if (!legacy) return nullptr;
    HGLRC core = nullptr;
    if (wglMakeCurrent(dc, legacy)) {
        auto create = wgl_function<create_context_attribs_fn>("wglCreateContextAttribsARB");
        static const int ATTRIBUTES[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 3, WGL_CONTEXT_MINOR_VERSION_ARB, 3,
                                         WGL_CONTEXT_PROFILE_MASK_ARB, WGL_CONTEXT_CORE_PROFILE_BIT_ARB, 0};
        if (create) core = create(dc, nullptr, ATTRIBUTES);
    }
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(legacy);
    return core;
}

bool qel_win32_gl_context_create(qel_app* app, bool vsync)
{
    qel_win32_window* w = app->window;
    if (!set_pixel_format(w->dc)) return false;
    HGLRC core = create_core_context(w->dc);
    if (!core) return false;
    if (!wglMakeCurrent(w->dc, core)) {
        wglDeleteContext(core);
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
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(w->glrc);
    w->glrc = nullptr;
}

qel_gl_proc qel_win32_gl_proc(const char* name)
{
    // wglGetProcAddress knows only extensions and what came after OpenGL 1.1, and some drivers
    // answer with small numbers instead of null.
    static HMODULE opengl32;
    PROC p = wglGetProcAddress(name);
    intptr_t value = reinterpret_cast<intptr_t>(p);
    if (value != 0 && value != 1 && value != 2 && value != 3 && value != -1) return reinterpret_cast<qel_gl_proc>(p);
    if (!opengl32) opengl32 = LoadLibraryW(L"opengl32.dll");
    return opengl32 ? reinterpret_cast<qel_gl_proc>(GetProcAddress(opengl32, name)) : nullptr;
}

void qel_win32_swap_buffers(qel_app* app)
{
    SwapBuffers(app->window->dc);
}
