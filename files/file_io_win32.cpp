// File naming on Windows: UTF-8 paths become UTF-16 for the wide C runtime calls.
#include "file_io.h"

#include <io.h>
#include <windows.h>

#include <cstdlib>

#include "wide_win32.h"

FILE* file_open(const char* path, const char* mode)
{
    wchar_t* wpath = wide_from_utf8(path);
    wchar_t* wmode = wide_from_utf8(mode);
    FILE* f = wpath && wmode ? _wfopen(wpath, wmode) : nullptr;
    free(wpath);
    free(wmode);
    return f;
}

int file_remove(const char* path)
{
    wchar_t* wpath = wide_from_utf8(path);
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
