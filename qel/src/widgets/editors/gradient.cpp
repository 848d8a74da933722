// Gradient stops and their evaluation. The interpolation factor and channels are worked in
// double precision, so a channel rounds the same wherever the gradient is evaluated.
#include "qel/gradient.h"

#include <utility>

static uint32_t channel(qel_color c, int shift)
{
    return c >> shift & 0xffu;
}

static qel_color mixed(qel_color a, qel_color b, double f)
{
    qel_color out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        double lo = channel(a, shift), c = lo + ((double)channel(b, shift) - lo) * f + 0.5;
        uint32_t v = !(c > 0) ? 0u : c >= 255 ? 255u : (uint32_t)c;
        out |= v << shift;
    }
    return out;
}

qel_color qel_gradient_evaluate(const qel_gradient_stop* stops, int32_t count, float t)
{
    return stops && count >= 1 ? qel_gradient_eval_stops(stops, count, t) : 0;
}

qel_color qel_gradient_eval_stops(const qel_gradient_stop* stops, int32_t count, float t)
{
    int32_t lower = -1, upper = -1;
    for (int32_t i = 0; i < count; i++) {
        float p = stops[i].pos;
        if (p <= t && (lower < 0 || p > stops[lower].pos)) lower = i;
        if (p >= t && (upper < 0 || p < stops[upper].pos)) upper = i;
    }
    if (lower < 0) return stops[upper < 0 ? 0 : upper].color;
    if (upper < 0) return stops[lower].color;
    double span = (double)stops[upper].pos - stops[lower].pos;
    if (!(span > 0)) return stops[lower].color;
    return mixed(stops[lower].color, stops[upper].color, ((double)t - stops[lower].pos) / span);
}

int32_t qel_gradient_stop_resort(qel_gradient_stop* stops, int32_t count, int32_t index)
{
    if (!stops || index < 0 || index >= count) return index;
    while (index > 0 && stops[index - 1].pos > stops[index].pos) {
        std::swap(stops[index - 1], stops[index]);
        index--;
    }
    while (index < count - 1 && stops[index + 1].pos < stops[index].pos) {
        std::swap(stops[index + 1], stops[index]);
        index++;
    }
    return index;
}
