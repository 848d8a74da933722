// The toolkit's own modal file dialog: open a file, save under a typed name, or choose a folder,
// drawn in the window over the file browser. The caller owns the open flag and the buffer that
// receives the chosen path.
#pragma once

#include <cstdint>

#include "qel/dir_list.h"
#include "qel/types.h"

// --- Records ---

// Null options are the defaults.
struct qel_file_dialog_options {
    const char* title;         // null: "Save", "Choose a folder" or "Open" by mode
    uint8_t save;              // pick a folder and type a file name
    uint8_t folder;            // choose a folder
    const char* start_folder;  // null or empty: "."
    const char* default_name;  // the name a save dialog starts with
    const char* pattern;       // handed to the browser
    const char* description;   // shown beside the buttons when opening; null: the pattern
    qel_dir_lister lister;     // handed to the browser
    void* lister_user;
};

// --- The dialog ---

// Shows the dialog while *open is set (a null open returns false at once). True only in the frame
// the user chose a path, which is then in out (out_capacity bytes) and *open is cleared; Cancel or
// dismissing clears *open and returns false. A path that does not fit whole in out is never
// returned cut: the dialog stays open. The start folder and default name apply each time the flag
// goes from clear to set (and on the first call); in between the dialog keeps the user's folder.
bool qel_file_dialog(qel_context* ctx, const char* label, uint8_t* open, char* out, int32_t out_capacity,
                     const qel_file_dialog_options* options);
