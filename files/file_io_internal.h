// What the platform files of file_io provide to the shared writing steps, and take from them.
#pragma once

#include <cstdint>
#include <cstdio>

#include "file_io.h"

// --- Provided by each platform ---

// Creates the file, which must not exist yet, opens it for writing bytes and remembers it for
// file_write_interrupted. mode is the permissions to give it, or -1 for a new file's.
// NULL with errno set (EEXIST when the name is taken).
FILE* file_create_new(const char* path, int mode);

// Opens a file without a name in `folder` (a path ending in its separator) for writing bytes;
// mode as for file_create_new. NULL where the system or the file system has no such files.
FILE* file_create_unnamed(const char* folder, int mode);

// Gives the file of file_create_unnamed its name, which must not exist yet, and remembers it
// for file_write_interrupted. false with errno set (EEXIST when the name is taken).
bool file_link_unnamed(FILE* f, const char* path);

// Forgets the file that file_create_new or file_link_unnamed remembered.
void file_forget_pending();

// Moves a file over another in one step; false with errno set.
bool file_move_over(const char* from, const char* to);

unsigned long file_process_id();

// This computer's name, NUL-terminated within room bytes; false when it cannot be learned.
bool file_machine_name(char* name, size_t room);

// false once the process with this id has ended; true while it runs or cannot be asked.
bool file_process_running(unsigned long id);

// Calls each(name, user) for every name in `folder` (a path ending in its separator) that
// begins with prefix.
void file_each_name(const char* folder, const char* prefix, void (*each)(const char* name, void* user), void* user);

// --- Shared ---

// This computer in the names of its temporaries, so that in a folder several computers share
// each clears away only what its own ended processes left: never 0, except when the computer's
// name cannot be learned (its temporaries are then never cleared away).
uint32_t file_machine_tag();

// Starts writing a regular or new target (a heap path, which w then owns) through a fresh
// temporary beside it; mode as for file_create_new. false with errno set, target freed.
bool file_begin_temporary(file_writing* w, char* target, int mode);
