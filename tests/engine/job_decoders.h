// Decoders for the raster printer streams, written from the protocols' descriptions and sharing
// nothing with the writers, so that tests can compare what a printer would print with the
// rendered label, dot for dot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/raster.h"

// A printed label's dots, row by row, 1 black.
struct picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> dots;

    picture() = default;
    picture(int32_t w, int32_t h) : width(w), height(h), dots((size_t)w * (size_t)h) {}
    uint8_t& at(int32_t x, int32_t y) { return dots[(size_t)y * (size_t)width + (size_t)x]; }
};

// The raster's dots.
picture picture_of(const raster& r);

// A binary PBM (P4) image's dots; an empty picture when the bytes are not one.
picture picture_of_pbm(const std::string& bytes);

// "" when both hold the same dots, else where they first differ.
std::string picture_difference(const picture& a, const picture& b);

// Every decoder returns "" for a well-formed job, else what breaks the protocol and where.

struct brother_page {
    uint8_t media_type = 0;
    uint8_t media_width = 0;
    uint8_t media_length = 0;
    uint16_t feed_margin = 0;
    int line_bytes = 0;
    picture dots;  // label_width wide, mirrored back
};
std::string brother_decode(const std::string& job, int32_t label_width, std::vector<brother_page>* pages);

struct dymo_label {
    uint16_t length = 0;
    int bytes_per_line_commands = 0;
    picture dots;  // label_width wide, `length` high
};
std::string dymo_decode(const std::string& job, int32_t label_width, std::vector<dymo_label>* labels);

struct tspl_label {
    std::vector<std::string> commands;  // the text lines other than the images
    picture graphics;                   // the first image (mode 0)
    picture text;                       // the second image (mode 1)
};
std::string tspl_decode(const std::string& job, int32_t label_width, std::vector<tspl_label>* labels);
