// Printer jobs: the per-job settings that every writer and the label count read.
// Counting labels is quantity.h's; sending a finished job is spool.h's.
#pragma once

#include <cstdint>

// Per-job settings, filled by the caller; a NULL pointer means all defaults, one label a row.
struct job_options {
    int32_t copies;               // labels a row without a quantity column; below 1 means 1
    const char* quantity_column;  // header of the per-row quantity column; NULL for none; borrowed
    int32_t media_width_mm;       // Brother QL: media width; below 1 derives it from line_bytes
    int32_t media_length_mm;      // Brother QL: die-cut label length; below 1 is continuous tape
    int32_t line_bytes;           // Brother QL: bytes per raster line; below 1 means 90, at most 162
    int32_t feed_margin_dots;     // Brother QL: feed margin; below 1 means 35
};
