// Files on Windows: UTF-8 paths become UTF-16 for the wide calls. Temporaries are created with
// CREATE_NEW and moved over their targets with a replacing move; a file always has a name here,
// so those of killed processes are cleared away by the writings after them.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "file_io_internal.h"
#include "wide_win32.h"

namespace {

// The temporary being written, for file_write_interrupted, which runs on the console's control
// thread: it marks the file for deletion, which the handle's sharing allows.
wchar_t pending_path[32768];
volatile LONG pending = 0;

const DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// errno for the system's last error, as far as the C runtime's words go.
int errno_of_last_error()
{
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    default:
        return EIO;
    }
}

// CreateFileW by UTF-8 path; INVALID_HANDLE_VALUE with errno set on failure.
HANDLE open_handle(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    wchar_t* wide = wide_from_utf8(path);
    HANDLE h = wide ? CreateFileW(wide, access, share, nullptr, disposition, flags, nullptr) : INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE && wide) errno = errno_of_last_error();
    free(wide);
    return h;
}

// A C stream over a handle, which it then owns; NULL (the handle closed) on failure.
FILE* stream_of(HANDLE h, int flags, const char* mode)
{
    int fd = _open_osfhandle((intptr_t)h, flags);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    FILE* f = _fdopen(fd, mode);
    if (!f) _close(fd);
    return f;
}

bool is_folder(const char* path)
{
    wchar_t* wide = wide_from_utf8(path);
    DWORD attributes = wide ? GetFileAttributesW(wide) : INVALID_FILE_ATTRIBUTES;
    free(wide);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// FILE_TYPE_DISK for a file, another type for a device or pipe, FILE_TYPE_UNKNOWN for none.
DWORD file_type(const char* path)
{
    HANDLE h = open_handle(path, 0, share_all, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) return FILE_TYPE_UNKNOWN;
    DWORD type = GetFileType(h);
    CloseHandle(h);
    return type;
}

// The volume and index that identify an existing file; false when it cannot be opened.
bool file_identity(const char* path, BY_HANDLE_FILE_INFORMATION* info)
{
    HANDLE h = open_handle(path, 0, share_all, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool known = GetFileInformationByHandle(h, info) != 0;
    CloseHandle(h);
    return known;
}

}  // namespace

FILE* file_create_new(const char* path, int)
{
    HANDLE h = open_handle(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    wchar_t* wide = wide_from_utf8(path);
    if (wide && wcslen(wide) < sizeof pending_path / sizeof pending_path[0]) {
        wcscpy(pending_path, wide);
        InterlockedExchange(&pending, 1);
    }
    free(wide);
    FILE* f = stream_of(h, _O_WRONLY | _O_BINARY, "wb");
    if (f) return f;
    file_remove(path);
    InterlockedExchange(&pending, 0);
    errno = EIO;
    return nullptr;
}

FILE* file_create_unnamed(const char*, int)
{
    return nullptr;
}

bool file_link_unnamed(FILE*, const char*)
{
    errno = ENOSYS;
    return false;
}

void file_forget_pending()
{
    InterlockedExchange(&pending, 0);
}

bool file_move_over(const char* from, const char* to)
{
    wchar_t* wfrom = wide_from_utf8(from);
    wchar_t* wto = wide_from_utf8(to);
    bool moved = wfrom && wto && MoveFileExW(wfrom, wto, MOVEFILE_REPLACE_EXISTING);
    if (!moved) errno = wfrom && wto ? errno_of_last_error() : ENOMEM;
    free(wfrom);
    free(wto);
    return moved;
}

unsigned long file_process_id()
{
    return GetCurrentProcessId();
}

bool file_machine_name(char* name, size_t room)
{
    DWORD size = (DWORD)(room < 0xFFFF ? room : 0xFFFF);
    return size > 0 && GetComputerNameExA(ComputerNameDnsHostname, name, &size) && name[0] != '\0';
}

bool file_process_running(unsigned long id)
{
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, (DWORD)id);
    // Another user's process may not be opened, but it runs.
    if (!h) return GetLastError() != ERROR_INVALID_PARAMETER;
    // An ended process lives on as an object while anyone holds it open.
    bool running = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return running;
}

void file_each_name(const char* folder, const char* prefix, void (*each)(const char* name, void* user), void* user)
{
    const size_t room = strlen(folder) + strlen(prefix) + 2;
    char* pattern = (char*)malloc(room);
    if (pattern) snprintf(pattern, room, "%s%s*", folder, prefix);
    wchar_t* wide = pattern ? wide_from_utf8(pattern) : nullptr;
    free(pattern);
    WIN32_FIND_DATAW found;
    HANDLE h = wide ? FindFirstFileW(wide, &found) : INVALID_HANDLE_VALUE;
    free(wide);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found)) {
        char* name = utf8_from_wide(found.cFileName);
        if (name) each(name, user);
        free(name);
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

void file_write_interrupted()
{
    if (InterlockedCompareExchange(&pending, 0, 0)) DeleteFileW(pending_path);
}

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

int file_same(const char* a, const char* b)
{
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return a && b && file_identity(a, &ia) && file_identity(b, &ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

file_read_status file_open_read(const char* path, FILE** f)
{
    *f = nullptr;
    if (is_folder(path)) return FILE_READ_FOLDER;
    HANDLE h = open_handle(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) return FILE_READ_CANNOT_OPEN;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return FILE_READ_NOT_REGULAR;
    }
    *f = stream_of(h, _O_RDONLY | _O_BINARY, "rb");
    return *f ? FILE_READ_OPENED : FILE_READ_CANNOT_OPEN;
}

bool file_write_begin(file_writing* w, const char* path)
{
    *w = {};
    if (is_folder(path)) {
        errno = EISDIR;
        return false;
    }
    DWORD type = file_type(path);
    if (type != FILE_TYPE_DISK && type != FILE_TYPE_UNKNOWN) {
        w->f = file_open(path, "wb");
        return w->f != nullptr;
    }
    return file_begin_temporary(w, _strdup(path), -1);
}
