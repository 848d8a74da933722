// What the knob and the fader share besides their public mapping: a range made safe to map, the
// drag that follows the pointer from a reference it moves when Shift changes, and the value text.
#pragma once

#include <cstdint>

#include "qel/types.h"

// min..max as the controls map it: max not above min becomes min + 1; usable is false when a
// bound is not finite or the range is still empty, and then the control never writes its value.
struct qel_knob_range {
    double min, max;
    bool usable;
};
qel_knob_range qel_knob_range_of(float min, float max);

// A drag along one axis.
struct qel_knob_drag {
    float ref_pointer, ref_pos;
    uint8_t dragging, fine;
};

// The position while the control holds the press: the reference is taken at the start (and
// again from the last frame's pointer when Shift changes), and the position moves per_unit per
// unit of pointer travel, a tenth of it with Shift. Outside the window the position holds.
double qel_knob_drag_follow(qel_context* ctx, qel_knob_drag* d, double pos, float pointer, float prev_pointer,
                            float per_unit);

// "%s %s" of the value through format (fallback when null) and unit, or the value alone; in the
// frame arena.
const char* qel_knob_value_text(qel_context* ctx, const char* format, const char* fallback, const char* unit,
                                double value);
