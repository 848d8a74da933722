// What the program asks of the system outside its window: the screen's resolution, environment
// variables, making a folder and opening a link with the user's program for it. Windows asks the
// desktop, the C runtime's wide calls and the shell; other builds stand in (96 dpi, no program
// for links), so that everything portable runs natively.
#pragma once

#include <cstddef>

// The desktop's horizontal logical resolution: 48 to 400 as the system gives it, else 96.
float app_screen_dpi();

// True with the variable's value in out (UTF-8) when it is set and fits capacity bytes.
bool app_environment(const char* name, char* out, size_t capacity);

// Makes a folder by UTF-8 path. 0 on success; else -1 with errno, EEXIST when the name is taken.
int app_make_folder(const char* path);

// Hands a link to the program the user has for it; true when one took it.
bool app_system_open_link(const char* url);
