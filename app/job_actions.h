// Printing the current table to the chosen print queue and saving the same job to a file, each
// ending in one status line. Where the user chooses the file is the caller's to supply.
#pragma once

#include <cstddef>

#include "app/app_state.h"
#include "qel/app.h"

// --- Records ---

// Asks the user for a file as the dialog record describes: true with a UTF-8 path in path, false when
// they cancelled. The window passes the shell's native dialog.
typedef bool (*app_file_chooser)(void* user, const qel_file_dialog_spec* dialog, char* path, size_t capacity);

// --- Actions ---

// Closes the print sheet and sends the job of every row, counted by the quantity rules, to the
// chosen queue as one RAW document.
void app_print(app_state* state);

// Asks for a path (offering "labels." and the language's extension) and writes the job there.
// A cancelled choice changes nothing.
void app_save_job(app_state* state, app_file_chooser choose, void* user);
