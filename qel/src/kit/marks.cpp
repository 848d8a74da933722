// Runs of repeated marks clipped to what the current clip can show, in logical units through the
// current transform.
#include "kit/marks.h"

#include <cmath>

#include "core/core.h"

qel_mark_run qel_marks_in_view(qel_context* ctx, double start, double end, double pitch, bool vertical)
{
    const qel_transform* t = qel_draw_top_transform(ctx);
    const qel_rect* c = qel_draw_top_clip(ctx);
    double scale = (double)ctx->clock.scale * t->scale;
    if (!(pitch > 0) || !std::isfinite(pitch) || !(scale > 0) || !std::isfinite(start)) return {start, 0};
    double clip_from = vertical ? c->y : c->x, clip_size = vertical ? c->h : c->w;
    double offset = vertical ? t->offset_y : t->offset_x;
    // A mark starting up to one pitch before the clip may still reach into it.
    double from = std::fmax(start, (clip_from - offset) / scale - pitch);
    double to = std::fmin(end, (clip_from + clip_size - offset) / scale);
    if (!(to > from)) return {start, 0};
    double skipped = std::floor((from - start) / pitch);
    double count = std::ceil((to - start) / pitch) - skipped;
    if (!(count > 0)) return {start, 0};
    return {start + skipped * pitch, (int32_t)std::fmin(count, (double)QEL_MARKS_MAX)};
}
