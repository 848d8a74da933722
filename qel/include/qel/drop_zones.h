// Drop targets for files dragged from the desktop onto the window: the file drop zone, a dashed
// panel that takes the dropped files passing its extension filter and reports a click for a file
// dialog; the image drop zone, a round target that loads the first dropped image into a texture;
// and the extension test both use. Dropped paths and the drag position come from the platform
// layer into the context (input.h); the zones read and take them.
#pragma once

#include <cstdint>

#include "qel/layout.h"
#include "qel/types.h"

// --- Records ---

// Options of the file drop zone; null means all defaults.
struct qel_drop_zone_options {
    uint64_t reserved;     // not read
    const char* title;     // null: "Drop files here"
    const char* subtitle;  // null: "or click to browse"
    const char* icon;      // icon glyph; null: the upload glyph
    const char* accept;    // extension filter; null or empty: every file
    float height;          // <= 0: 168; not read when compact
    qel_size width;        // kind fit: grow 1
    uint8_t compact;       // a 64-unit row with the icon left of the text
};

// --- Extension filters ---

// A filter lists extensions separated by ";", "," or spaces; "*" and "." before each are ignored
// (*.png, .png and png are one), letters match without ASCII case, and a token of only "*"
// (as "*" or "*.*") accepts every file. The extension is the text after the name's last "."; a
// name without one, or whose last "." comes before its last "/" or "\", matches only "*".
// 1 when the filter is null, empty or holds no extension, 0 for a null name, else whether the
// filter takes the name.
int32_t qel_file_matches_filter(const char* name, const char* filter);

// --- Zones ---

// A drop onto the zone (the first zone built in the frame under the drop takes it) leaves only
// the paths the filter accepts in the dropped list, which qel_dropped_file_count and
// qel_dropped_file_path then give the caller, and returns their number when it is above 0. It
// shows "%d file%s added" or "That file type is not supported" for 2.2 s. Otherwise -1 when the
// zone was clicked (or activated by a key), else 0.
int32_t qel_file_drop_zone(qel_context* ctx, const char* label, const qel_drop_zone_options* options);

// A round target of size (<= 0: 88) showing the avatar of name or *texture, a texture of the
// context's renderer (0: none). A dropped PNG or JPEG image replaces *texture (the old one is
// released) and returns 1; an image that cannot be loaded leaves it. -1 when clicked, else 0.
int32_t qel_image_drop_zone(qel_context* ctx, const char* label, const char* name, uint64_t* texture, float size);
