// What the platform files of file_io provide to the shared writing steps, and take from them.
#pragma once

#include <cstdio>

#include "file_io.h"

// --- Provided by each platform ---

// Creates the file, which must not exist yet, opens it for writing bytes and remembers it for
// file_write_interrupted. mode is the permissions to give it, or -1 for a new file's.
// NULL with errno set (EEXIST when the name is taken).
FILE* file_create_new(const char* path, int mode);

// Forgets the file that file_create_new remembered.
void file_forget_pending();

// Moves a file over another in one step; false with errno set.
bool file_move_over(const char* from, const char* to);

unsigned long file_process_id();

// --- Shared ---

// Starts writing a regular or new target (a heap path, which w then owns) through a fresh
// temporary beside it; mode as for file_create_new. false with errno set, target freed.
bool file_begin_temporary(file_writing* w, char* target, int mode);
