// The file browser: Back, Forward and Up, a path bar, a filter field and Reload above a sidebar of
// places and a sortable, keyboard-driven list of one folder. Listing, matching and sorting are
// dir_list.h's; the caller owns the buffer holding the current folder.
#pragma once

#include <cstdint>

#include "qel/dir_list.h"
#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Null options are the defaults.
struct qel_file_browser_options {
    qel_size width;               // kind fit: grow 1
    qel_size height;              // kind fit: fixed 380
    const char* pattern;          // file-type patterns such as "*.png;*.jpg" (',' or ';' between)
    uint8_t folders_only;
    uint8_t show_hidden;          // handed to the lister
    uint8_t hide_places;
    const char* const* places;    // folders replacing the default places; at most 6 show
    int32_t place_count;
    qel_dir_lister lister;        // null: qel_dir_list
    void* lister_user;
    int32_t max_entries;          // below 1: 20,000; names get 40 bytes per entry
};

struct qel_file_browser_result {
    const char* opened;    // file opened this frame by double click or Enter (frame arena), else null
    const char* selected;  // the selected entry's full path (frame arena); null when none or navigated
    uint8_t navigated;     // the folder in the caller's buffer changed this frame
    uint8_t read_failed;   // the last listing failed
};

// --- The browser ---

// Shows and navigates the folder in path (capacity bytes; an empty one becomes "."). A null path
// or a capacity below 2 draws nothing and returns zeros. A path that would not fit whole in the
// buffer (or in the 1,024 bytes of a history entry) is never navigated to. A null label is
// "files". The list becomes the last item.
qel_file_browser_result qel_file_browser(qel_context* ctx, const char* label, char* path, int32_t capacity,
                                         const qel_file_browser_options* options);
