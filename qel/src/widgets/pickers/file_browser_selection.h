// What the file dialog shares with the browser beyond its result: whether its selection is a
// folder, and the path pieces both make. The browser's state stays its own.
#pragma once

#include <cstdint>

#include "qel/types.h"

// True when the browser with this id has a folder selected.
bool qel_file_browser_selected_is_dir(qel_context* ctx, uint32_t browser_id);

// dir and name joined by qel_path_join into the frame arena; null when that refuses.
const char* qel_file_browser_joined(qel_context* ctx, const char* dir, const char* name);

// The part of path after its last '/' or '\' (all of it when it has none).
const char* qel_file_browser_base_name(const char* path);
