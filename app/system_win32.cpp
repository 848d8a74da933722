// The program's Windows services: the desktop's device context, the C runtime's wide
// environment and folders, and the shell's URL call through the toolkit.
#include "app/system.h"

#include <direct.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "files/wide_win32.h"
#include "qel/app.h"

float app_screen_dpi()
{
    HDC screen = GetDC(nullptr);
    if (!screen) return 96.0f;
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi >= 48 && dpi <= 400 ? (float)dpi : 96.0f;
}

bool app_environment(const char* name, char* out, size_t capacity)
{
    wchar_t* wide_name = wide_from_utf8(name);
    const wchar_t* value = wide_name ? _wgetenv(wide_name) : nullptr;
    free(wide_name);
    char* text = value ? utf8_from_wide(value) : nullptr;
    bool fits = text && strlen(text) < capacity;
    if (fits) strcpy(out, text);
    free(text);
    return fits;
}

int app_make_folder(const char* path)
{
    wchar_t* wide_path = wide_from_utf8(path);
    int result = wide_path ? _wmkdir(wide_path) : -1;
    free(wide_path);
    return result;
}

bool app_system_open_link(const char* url)
{
    return qel_app_open_url(url);
}
