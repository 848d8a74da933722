// Files by UTF-8 name: the one place our programs touch the file system's naming, and where a
// file is written whole or not at all. On Windows names go through the wide API; elsewhere they
// pass to the C library as they are. What the bytes mean is left to the callers.
#pragma once

#include <cstdint>
#include <cstdio>

// What file_open_read found at a path.
enum file_read_status {
    FILE_READ_OPENED = 0,
    FILE_READ_CANNOT_OPEN = 1,  // errno says why
    FILE_READ_FOLDER = 2,
    FILE_READ_NOT_REGULAR = 3,  // a device, a pipe or a socket
};

// A file being written as a temporary beside its target, so that the target is only ever
// replaced by a complete file. Where the system has files without a name, the temporary gets
// its name only once complete, so that a process killed before leaves nothing behind. Devices
// and pipes cannot be replaced: they are written directly.
struct file_writing {
    FILE* f;          // where the bytes go
    char* target;     // the file the temporary replaces, links followed (heap); NULL when direct
    char* temporary;  // the temporary's path (heap); NULL when direct or while it has no name
};

// --- Opening and naming ---

// What joins a folder and a name on this system, so that a path reads as one in either half.
#ifdef _WIN32
#define FILE_SEPARATOR "\\"
#else
#define FILE_SEPARATOR "/"
#endif

// fopen with a UTF-8 path and an fopen mode ("rb", "wb"...); NULL on failure with errno set.
FILE* file_open(const char* path, const char* mode);

// Removes a file by UTF-8 path; 0 on success.
int file_remove(const char* path);

// The size of an open file in bytes, learned by seeking to its end and leaving the position
// there; -1 when it cannot be learned.
int64_t file_size_from_end(FILE* f);

// 1 when both paths name one existing file, however they are spelt (links included), else 0.
int file_same(const char* a, const char* b);

// --- Reading ---

// Opens a regular file for reading bytes into *f. A folder, device or pipe is refused without
// waiting on it (a pipe without a writer, say), and nothing is left open.
file_read_status file_open_read(const char* path, FILE** f);

// --- Writing whole files ---

// Starts writing `path`: a new or regular file gets a temporary file beside it (same folder,
// created afresh, with the permissions the target would get), a device or pipe is opened
// directly. false with errno set when neither can be opened (a folder gives EISDIR). The
// temporaries left in that folder by processes that no longer run are removed first.
bool file_write_begin(file_writing* w, const char* path);

// Ends the writing and closes the file. When `complete` and the close succeed, the temporary
// replaces the target in one step; otherwise the temporary is removed and the target is as it
// was. true when the complete file is in place; false with errno set otherwise.
bool file_write_end(file_writing* w, bool complete);

// Removes the temporary file being written, if there is one. For a program's interrupt or
// termination handler: it only calls what such a handler may call.
void file_write_interrupted();
