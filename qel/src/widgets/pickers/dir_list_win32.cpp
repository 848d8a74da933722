// The default lister on Windows: the wide directory search, with UTF-8 on our side of it. Names
// that are not valid UTF-16 are left out, since no UTF-8 text would name the same file.
#include <windows.h>

#include "qel/dir_list.h"
#include "widgets/pickers/dir_path.h"

// Wide characters of a folder path and its search suffix ("\*" and the terminator).
static const int PATTERN_CAPACITY = 1024;

// The folder's search pattern; false when the path is not UTF-8 or leaves no room for the suffix.
static bool search_pattern(const char* dir, wchar_t pattern[PATTERN_CAPACITY])
{
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, dir, -1, pattern, PATTERN_CAPACITY - 2);
    if (n < 1) return false;
    n--;
    if (qel_path_wants_separator(dir)) pattern[n++] = L'\\';
    pattern[n++] = L'*';
    pattern[n] = 0;
    return true;
}

static bool is_dot_or_dot_dot(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

static bool is_hidden(const WIN32_FIND_DATAW* found)
{
    return (found->dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) || found->cFileName[0] == L'.';
}

// Unix seconds of a file time; 0 for the zero time, which the system gives when it keeps none.
static int64_t unix_seconds(FILETIME t)
{
    uint64_t ticks = (uint64_t)t.dwHighDateTime << 32 | t.dwLowDateTime;
    if (ticks == 0) return 0;
    return (int64_t)(ticks / 10000000) - 11644473600LL;
}

static qel_dir_entry entry_from(const WIN32_FIND_DATAW* found, const char* name)
{
    bool is_dir = found->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    uint64_t size = is_dir ? 0 : (uint64_t)found->nFileSizeHigh << 32 | found->nFileSizeLow;
    return {name, (uint8_t)is_dir, size, unix_seconds(found->ftLastWriteTime)};
}

int32_t qel_dir_list(void*, const char* dir, qel_dir_entry* entries, int32_t max_entries, char* names,
                     uint64_t names_capacity, bool show_hidden)
{
    wchar_t pattern[PATTERN_CAPACITY];
    if (!search_pattern(dir && dir[0] ? dir : ".", pattern)) return -1;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    if (!entries || max_entries < 0) max_entries = 0;
    if (!names) names_capacity = 0;
    int32_t count = 0;
    uint64_t used = 0;
    do {
        if (is_dot_or_dot_dot(found.cFileName) || (!show_hidden && is_hidden(&found))) continue;
        if (count == max_entries) break;
        int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, found.cFileName, -1, nullptr, 0, nullptr, nullptr);
        if (bytes < 1) continue;
        if ((uint64_t)bytes > names_capacity - used) break;
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, found.cFileName, -1, names + used, bytes, nullptr, nullptr);
        entries[count++] = entry_from(&found, names + used);
        used += (uint64_t)bytes;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

const char* qel_dir_system_root()
{
    return "C:\\";
}
