// File naming on Windows: UTF-8 paths become UTF-16 for the wide C runtime calls.
#include "file_io.h"

#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>

// A heap copy of a UTF-8 text as UTF-16; NULL (errno set) when it is not valid UTF-8.
static wchar_t* file_wide(const char* text)
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

FILE* file_open(const char* path, const char* mode)
{
    wchar_t* wpath = file_wide(path);
    wchar_t* wmode = file_wide(mode);
    FILE* f = wpath && wmode ? _wfopen(wpath, wmode) : nullptr;
    free(wpath);
    free(wmode);
    return f;
}

int file_remove(const char* path)
{
    wchar_t* wpath = file_wide(path);
    int result = wpath ? _wremove(wpath) : -1;
    free(wpath);
    return result;
}

int64_t file_size_from_end(FILE* f)
{
    if (_fseeki64(f, 0, SEEK_END) != 0) return -1;
    return _ftelli64(f);
}

int file_is_regular(FILE* f)
{
    return GetFileType((HANDLE)_get_osfhandle(_fileno(f))) == FILE_TYPE_DISK;
}
