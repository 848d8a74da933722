// The emoji atlas of a context: one RGBA texture of equal cells, each holding one sequence at
// one pixel size (or the note that it cannot be drawn), filled at most 12 per frame, and the
// draws from it.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "emoji_font.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/emoji.h"
#include "qel/id.h"
#include "qel/layout.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"

namespace {

const int32_t RASTERS_PER_FRAME = 12;
const int32_t MIN_PIXELS = 8, MAX_PIXELS = 254;
const int32_t MAX_IMAGE_TEXT = 63;

uint32_t cache_key(const char* text, int32_t length, int32_t p)
{
    uint32_t h = qel_hash_str("", 0) ^ 0x9E3779B9u;
    for (int32_t i = 0; i < length; i++) h = (h ^ (uint8_t)text[i]) * 16777619u;
    return h ^ (uint32_t)p * 0x9E3779B1u;
}

// Lays the atlas out for a cell side larger than the current one, dropping what it held.
void relayout(qel_context* ctx, qel_emoji_state* st, int32_t cell)
{
    qel_emoji_cache_release(ctx, st);
    st->cell_side = cell;
    st->atlas_side = cell <= 40 ? 512 : 1024;
    st->cells_per_row = st->atlas_side / cell;
    int32_t cells = st->cells_per_row * st->cells_per_row;
    st->cell_capacity = cells < QEL_EMOJI_CACHE_CELLS ? cells : QEL_EMOJI_CACHE_CELLS;
}

// The cell holding key at p, -1 when none; else *victim is the cell to fill (-1: all in use).
int32_t find_cell(qel_emoji_state* st, uint32_t key, int32_t p, uint64_t now, int32_t* victim)
{
    int32_t empty = -1, oldest = -1;
    for (int32_t i = 0; i < st->cell_capacity; i++) {
        qel_emoji_cache_entry& cell = st->cells[i];
        if (cell.state != QEL_EMOJI_CELL_EMPTY && cell.key == key && cell.pixel_size == p) return i;
        if (cell.frame == now) continue;
        if (cell.state == QEL_EMOJI_CELL_EMPTY) empty = i;
        else if (oldest < 0 || cell.frame < st->cells[oldest].frame) oldest = i;
    }
    *victim = empty >= 0 ? empty : oldest;
    return -1;
}

// Rasterises into the cell and uploads it; false when the emoji fails at this size.
bool fill_cell(qel_context* ctx, qel_emoji_state* st, int32_t index, const char* text, int32_t length, uint32_t key,
               int32_t p, uint64_t now)
{
    int32_t c = st->cell_side;
    size_t bytes = (size_t)c * c * 4;
    uint8_t* rgba = (uint8_t*)qel_mem_alloc(ctx, bytes);
    memset(rgba, 0, bytes);
    uint8_t tint = 0;
    bool drawn = qel_emoji_rasterise(ctx, st, text, length, p, c, rgba, &tint);
    st->cells[index] = {key, (uint16_t)p, (uint8_t)(drawn ? QEL_EMOJI_CELL_READY : QEL_EMOJI_CELL_FAILED), tint, now};
    if (drawn) {
        int32_t column = index % st->cells_per_row, row = index / st->cells_per_row;
        ctx->renderer.update(ctx->renderer.user, st->texture, column * c, row * c, c, c, rgba, c * 4);
    }
    qel_mem_free(ctx, rgba);
    return drawn;
}

void draw_cell(qel_context* ctx, const qel_emoji_state* st, int32_t index, int32_t p, qel_rect r, float alpha)
{
    const qel_emoji_cache_entry& cell = st->cells[index];
    qel_color color = cell.tint ? qel_theme_color(ctx, QEL_COLOR_TEXT) : 0xFFFFFFFFu;
    color = qel_color_alpha(color, alpha);
    if ((color >> 24) == 0) return;  // a tint of alpha 0 would show the picture unfaded
    float side = fminf(r.w, r.h), atlas = (float)st->atlas_side, c = (float)st->cell_side;
    int32_t column = index % st->cells_per_row, row = index / st->cells_per_row;
    qel_rect quad = {r.x + (r.w - side) / 2, r.y + (r.h - side) / 2, side, side};
    qel_rect uv = {((float)column * c + 1) / atlas, ((float)row * c + 1) / atlas, (float)p / atlas, (float)p / atlas};
    const float radii[4] = {0, 0, 0, 0};
    qel_draw_image(ctx, st->texture, &quad, &uv, radii, color);
}

struct image_payload {
    char text[MAX_IMAGE_TEXT + 1];
};

void image_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const image_payload* img = (const image_payload*)user;
    qel_emoji_draw_ex(ctx, img->text, -1, node->rect, 1.0f, nullptr);
}

// The byte length of text cut to at most max bytes at a code-point boundary.
int32_t cut_at_code_point(const char* text, int32_t max)
{
    int32_t n = (int32_t)strnlen(text, (size_t)max + 1);
    if (n <= max) return n;
    n = max;
    while (n > 0 && ((uint8_t)text[n] & 0xC0) == 0x80) n--;
    return n;
}

}  // namespace

void qel_emoji_cache_release(qel_context* ctx, qel_emoji_state* st)
{
    if (st->texture && ctx->renderer.destroy) ctx->renderer.destroy(ctx->renderer.user, st->texture);
    st->texture = 0;
    for (qel_emoji_cache_entry& cell : st->cells) cell.state = QEL_EMOJI_CELL_EMPTY;
}

bool qel_emoji_draw_ex(qel_context* ctx, const char* text, int32_t length, qel_rect r, float alpha,
                       uint8_t* missing)
{
    if (missing) *missing = 0;
    if (!ctx || !text) return false;
    if (!qel_emoji_font_ensure(ctx)) {
        if (missing) *missing = 1;
        return false;
    }
    const qel_renderer* renderer = &ctx->renderer;
    if (!renderer->create || !renderer->update) return false;
    // Not a finite positive size: nothing to draw into.
    if (!(r.w > 0 && r.h > 0 && std::isfinite(r.w) && std::isfinite(r.h))) return false;
    if (length < 0) length = (int32_t)strlen(text);
    qel_emoji_state* st = qel_emoji_state_of(ctx);
    float wanted = ceilf(qel_ctx_scale(ctx) * fminf(r.w, r.h));
    int32_t p = wanted < MIN_PIXELS ? MIN_PIXELS : wanted > MAX_PIXELS ? MAX_PIXELS : (int32_t)wanted;
    uint64_t now = qel_ctx_frame_count(ctx);
    st->last_use = now;
    int32_t cell = (p + 9) & ~7;
    if (cell > st->cell_side) relayout(ctx, st, cell);
    if (!st->texture) st->texture = renderer->create(renderer->user, st->atlas_side, st->atlas_side, 4, nullptr);
    if (!st->texture) return false;
    uint32_t key = cache_key(text, length, p);
    int32_t victim;
    int32_t index = find_cell(st, key, p, now, &victim);
    if (index < 0) {
        if (victim < 0) return false;
        if (st->budget_frame != now) {
            st->budget_frame = now;
            st->budget_left = RASTERS_PER_FRAME;
        }
        if (st->budget_left <= 0) {
            qel_request_redraw(ctx);
            return false;
        }
        st->budget_left--;
        index = victim;
        if (!fill_cell(ctx, st, index, text, length, key, p, now)) {
            if (missing) *missing = 1;
            return false;
        }
    }
    st->cells[index].frame = now;
    if (st->cells[index].state == QEL_EMOJI_CELL_FAILED) {
        if (missing) *missing = 1;
        return false;
    }
    draw_cell(ctx, st, index, p, r, alpha);
    return true;
}

void qel_emoji_draw(qel_context* ctx, const char* text, int32_t length, qel_rect r)
{
    qel_emoji_draw_ex(ctx, text, length, r, 1.0f, nullptr);
}

int32_t qel_emoji_image(qel_context* ctx, const char* text, float size)
{
    if (!(size > 0)) size = 20;
    int32_t node = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    if (!text) return node;
    image_payload img = {};
    memcpy(img.text, text, (size_t)cut_at_code_point(text, MAX_IMAGE_TEXT));
    qel_node_draw_with(ctx, node, image_draw, &img, sizeof img, false);
    return node;
}
