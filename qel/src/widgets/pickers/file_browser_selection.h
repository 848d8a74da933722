// What the file dialog needs to know of a browser beyond its result: whether its selection is a
// folder. The browser's state stays its own.
#pragma once

#include <cstdint>

#include "qel/types.h"

// True when the browser with this id has a folder selected.
bool qel_file_browser_selected_is_dir(qel_context* ctx, uint32_t browser_id);
