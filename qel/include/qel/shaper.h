// Shaping a run of Unicode code points of one script and one direction into positioned glyphs of
// an OpenType font: combining marks ordered and composed, Arabic joining forms, the font's glyph
// substitution (GSUB) and positioning (GPOS) features in a fixed order, advances from the
// horizontal metrics, and the glyphs returned in visual order. No context and no allocation; the
// font's bytes are read in place, each read checked, so a damaged font gives fewer substitutions
// and never a fault.
#pragma once

#include <cstdint>

// A font ready for shaping; filled by qel_shaper_init and only read by qel_shape_text. The font
// bytes must outlive it. Offsets count from the start of the data; 0 means absent.
struct qel_shaper {
    const uint8_t* data;
    uint64_t size;
    uint32_t gsub;
    uint32_t gpos;
    uint32_t gdef;
    uint32_t cmap;  // the character-map subtable in use; without one the shaper is unusable
    uint32_t hmtx;
    uint32_t hmetric_count;  // numberOfHMetrics of the hhea table
};

// One element of a run. The caller fills the code point and the cluster, the shaper the rest.
// Values are in font units.
struct qel_shaped_glyph {
    uint32_t code_point;
    uint32_t glyph;
    uint32_t cluster;  // never read: it travels with the glyph, and every glyph made from one shares it
    int32_t x_advance;
    int32_t x_offset;
    int32_t y_offset;
    uint32_t shaping_form;         // working field: the joining form while the joining features run
    uint32_t ligature_components;  // on a glyph made by a ligature: how many glyphs it joined
    uint32_t ligature_component;   // on a mark that sat inside a ligature: the component before it, from 1
};

// Prepares a shaper for the font whose table directory lies at font_offset in the data (0 for a
// font file, the font's own offset inside a collection). Returns 1 when usable, 0 when the data
// is null, 2 GiB or more, or too small, the table directory does not lie inside it, or the font
// lacks a Unicode character map of format 4 or 12, horizontal metrics (hmtx, and an hhea holding
// numberOfHMetrics, which must not be 0).
int qel_shaper_init(qel_shaper* shaper, const uint8_t* data, uint64_t size, int64_t font_offset);

// Shapes glyphs[0 .. count-1], whose code points are filled, in place; the array has room for
// capacity elements, since substitutions can lengthen or shorten the run. The script is an
// OpenType script tag as a number, first letter in the high byte ('arab' is 0x61726162, and
// turns on Arabic joining and mark reordering); right_to_left also enables the rtla and rtlm
// features, places marks for that direction and returns the glyphs in visual order;
// tabular_figures adds the tnum feature. Returns the new glyph count, or -1 when count is below 0
// or above capacity, the shaper is unusable, a substitution would need more than capacity
// elements, or the font's lookups run longer than a run of this length can need (a damaged or
// looping font); the array's contents are then unspecified.
int qel_shape_text(const qel_shaper* shaper, qel_shaped_glyph* glyphs, int count, int capacity, uint32_t script,
                   int right_to_left, int tabular_figures);
