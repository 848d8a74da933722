// Applies the lookups of one OpenType feature of a GSUB or GPOS table to a run of shaped glyphs
// in place: script and feature lists, lookup flags with GDEF glyph classes and mark sets, and
// single, multiple, alternate, ligature, context, chaining-context and extension substitutions,
// single, pair and mark positioning and contexts. Cursive attachment and reverse chaining are
// not applied.
#pragma once

#include <cstdint>

#include "text/byte_span.h"
#include "qel/shaper.h"

enum { QEL_LOOKUP_RECENT_CLASSES = 64, QEL_LOOKUP_LISTED_FEATURES = 32 };

// A feature of a language system: its tag and the position of its Feature table.
struct qel_lookup_feature {
    uint32_t tag;
    uint32_t at;
};

// One pass over a run with one table.
struct qel_lookup_context {
    qel_span font;  // the shaper's font data
    qel_shaped_glyph* glyphs;
    int32_t count;  // changes as substitutions add or remove glyphs
    int32_t capacity;
    bool right_to_left;
    bool positioning;  // a GPOS pass
    bool error;        // the capacity was too small or the budget ran out; the pass stops
    // Lookups applied, and subtables, rules, records and glyphs stepped over, each with its
    // budget; both grow with the run, so only damaged or looping fonts meet them.
    int64_t operations;
    int64_t operation_budget;
    int64_t steps;
    int64_t step_budget;
    uint32_t table;
    uint32_t lookup_list;
    uint32_t glyph_classes;  // GDEF's class definitions, mark attachment classes and mark sets
    uint32_t mark_classes;
    uint32_t mark_sets;
    // Glyphs removed or added in the middle of a long run would move all that follows each
    // time; instead a gap travels with the position a lookup is applied at, and the glyphs of
    // the run after it sit gap_length elements further on until the lookup has passed the run.
    int32_t gap_start;
    int32_t gap_length;
    // The first features of the last language system applied from.
    uint32_t listed_langsys;
    qel_lookup_feature listed[QEL_LOOKUP_LISTED_FEATURES];
    // GDEF classes of recent glyphs, by glyph id modulo the size: glyph id << 16 | class.
    uint32_t recent_classes[QEL_LOOKUP_RECENT_CLASSES];
};

// Starts a pass of the GSUB table (positioning false) or the GPOS table over the run.
void qel_lookup_begin(qel_lookup_context* c, const qel_shaper* shaper, qel_shaped_glyph* glyphs, int count,
                      int capacity, bool right_to_left, bool positioning);

// The default language system of a script in the context's table: the script's own when the
// script list has it, else that of DFLT; 0 when there is none.
uint32_t qel_lookup_langsys(const qel_lookup_context* c, uint32_t script);

// Applies the lookups of every feature of the language system with the tag, each over the whole
// run, in the listed order (a lookup listed twice applies twice). A form filter other than
// 0xffffffff limits them to glyphs of that shaping form. The run is whole again on return.
void qel_lookup_apply_feature(qel_lookup_context* c, uint32_t langsys, uint32_t feature, uint32_t form_filter);

// The GDEF glyph class of a glyph: 1 base, 2 ligature, 3 mark, 4 component; 0 when unlisted.
uint32_t qel_lookup_glyph_class(qel_lookup_context* c, uint32_t glyph);
