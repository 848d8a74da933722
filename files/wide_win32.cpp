// UTF-8 <-> UTF-16 conversion for the engine's Win32 files, refusing invalid input rather than
// guessing at it.
#include "wide_win32.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>

wchar_t* wide_from_utf8(const char* text)
{
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (n <= 0) {
        errno = EINVAL;
        return nullptr;
    }
    wchar_t* wide = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)n);
    if (!wide) {
        errno = ENOMEM;
        return nullptr;
    }
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, n);
    return wide;
}

char* utf8_from_wide(const wchar_t* text)
{
    int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return nullptr;
    char* utf8 = (char*)malloc((size_t)n);
    if (utf8) WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, utf8, n, nullptr, nullptr);
    return utf8;
}
