// Opening files by UTF-8 name: the one place our programs touch the file system's naming.
// On Windows names go through the wide API; elsewhere they pass to the C library as they are.
#pragma once

#include <cstdint>
#include <cstdio>

// fopen with a UTF-8 path and an fopen mode ("rb", "wb"...); NULL on failure with errno set.
FILE* file_open(const char* path, const char* mode);

// Removes a file by UTF-8 path; 0 on success.
int file_remove(const char* path);

// The size of an open file in bytes, learned by seeking to its end and leaving the position
// there; -1 when it cannot be learned.
int64_t file_size_from_end(FILE* f);

// 1 when an open file is a regular file on disk rather than a device or a pipe, else 0.
int file_is_regular(FILE* f);

// Closes a file written under `path`. When the writing (`written` 0) or the close failed, a
// regular file is removed, so nothing half-written is left; a device or pipe never is.
// 1 when the file is complete.
int file_close_written(FILE* f, const char* path, int written);
