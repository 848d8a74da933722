// The glyph cache and atlas: rasterising glyphs once per size and subpixel phase into shelves of
// one coverage texture, growing it, compacting or clearing it at frame begin, uploading what
// changed at frame end, and drawing text runs from it. Fonts and the glyph walk are font.cpp's.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"
#include "qel/id.h"
#include "qel/theme.h"

namespace {

enum { LIVE_FRAMES = 300 };

// Coverage is darkened slightly so that small text keeps its weight.
struct qel_gamma_table {
    uint8_t v[256];
};

const qel_gamma_table& qel_gamma()
{
    // A function-local static is built exactly once, even if two contexts on two threads draw
    // their first glyph at the same time.
    static const qel_gamma_table table = [] {
        qel_gamma_table t;
        for (int32_t i = 0; i < 256; i++) t.v[i] = (uint8_t)(int32_t)(powf((float)i / 255.0f, 0.82f) * 255.0f + 0.5f);
        return t;
    }();
    return table;
}

// Deletes the atlas texture through the installed renderer, which made it.
void qel_atlas_delete_texture(qel_context* ctx)
{
    qel_glyph_atlas* a = &ctx->fonts.atlas;
    if (a->texture && ctx->renderer.destroy) ctx->renderer.destroy(ctx->renderer.user, a->texture);
    a->texture = 0;
}

void qel_atlas_mark_all_dirty(qel_glyph_atlas* a)
{
    a->dirty = 1;
    a->dirty_x0 = a->dirty_y0 = 0;
    a->dirty_x1 = a->width;
    a->dirty_y1 = a->height;
}

void qel_atlas_mark_dirty(qel_glyph_atlas* a, int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (!a->dirty) {
        a->dirty = 1;
        a->dirty_x0 = x, a->dirty_y0 = y, a->dirty_x1 = x + w, a->dirty_y1 = y + h;
        return;
    }
    a->dirty_x0 = std::min(a->dirty_x0, x);
    a->dirty_y0 = std::min(a->dirty_y0, y);
    a->dirty_x1 = std::max(a->dirty_x1, x + w);
    a->dirty_y1 = std::max(a->dirty_y1, y + h);
}

// Places a w x h box with one texel of gap, starting a new shelf when the current one is full.
bool qel_shelf_place(qel_shelf_packer* p, int32_t width, int32_t height, int32_t w, int32_t h, int32_t* x, int32_t* y)
{
    if (p->cursor_x + w >= width) {
        p->cursor_x = 1;
        p->cursor_y += p->shelf_height + 1;
        p->shelf_height = 0;
    }
    // Width as well as height: a box wider than a fresh shelf must not run past the row.
    if (p->cursor_y + h >= height || p->cursor_x + w >= width) return false;
    *x = p->cursor_x;
    *y = p->cursor_y;
    p->cursor_x += w + 1;
    p->shelf_height = std::max(p->shelf_height, h);
    return true;
}

// The glyphs this frame drew before the atlas doubled keep their texels at the same place, so
// their texture coordinates halve.
void qel_glyph_quads_follow_growth(qel_context* ctx)
{
    qel_draw_list* d = &ctx->draw;
    for (uint32_t i = 0; i < d->vertex_count; i++) {
        qel_vertex* v = &d->vertices[i];
        if (v->kind != (float)QEL_SHAPE_GLYPH) continue;
        v->uv[0] *= 0.5f;
        v->uv[1] *= 0.5f;
    }
}

void qel_atlas_grow(qel_context* ctx, qel_glyph_atlas* a)
{
    int32_t size = a->width * 2;
    uint8_t* pixels = (uint8_t*)qel_mem_alloc(ctx, (size_t)size * (size_t)size);
    memset(pixels, 0, (size_t)size * (size_t)size);
    for (int32_t y = 0; y < a->height; y++) memcpy(pixels + (size_t)y * (size_t)size, a->pixels + (size_t)y * (size_t)a->width, (size_t)a->width);
    qel_mem_free(ctx, a->pixels);
    a->pixels = pixels;
    a->width = a->height = size;
    qel_atlas_mark_all_dirty(a);
    qel_glyph_quads_follow_growth(ctx);
}

// A place for a w x h glyph, growing the atlas up to its largest size; false when it is full.
bool qel_atlas_pack(qel_context* ctx, int32_t w, int32_t h, int32_t* x, int32_t* y)
{
    qel_glyph_atlas* a = &ctx->fonts.atlas;
    while (!qel_shelf_place(&a->packer, a->width, a->height, w, h, x, y)) {
        if (a->width >= QEL_ATLAS_MAX_SIZE) {
            a->overflowed = 1;
            return false;
        }
        qel_atlas_grow(ctx, a);
    }
    qel_atlas_mark_dirty(a, *x, *y, w, h);
    return true;
}

uint32_t qel_glyph_chain(uint32_t glyph, uint16_t font, uint16_t size_q, uint8_t phase)
{
    struct {
        uint32_t glyph;
        uint16_t font, size_q;
        uint32_t phase;
    } key = {glyph, font, size_q, phase};
    static_assert(sizeof key == 12, "the cache key hashes 12 bytes");
    return qel_hash_bytes(&key, sizeof key, 77) & (QEL_GLYPH_CHAINS - 1);
}

void qel_glyph_link(qel_font_state* fs, int32_t index)
{
    qel_glyph* g = &fs->glyphs[index];
    uint32_t chain = qel_glyph_chain(g->glyph, g->font, g->size_q, g->phase);
    g->next = fs->chains[chain];
    fs->chains[chain] = index;
}

// Rasterises a glyph into the atlas and caches it; null when it cannot have a place (the atlas
// is full, or the glyph is larger than the largest atlas).
qel_glyph* qel_glyph_rasterise(qel_context* ctx, uint32_t glyph, uint16_t font, uint16_t size_q, uint8_t phase)
{
    qel_font_state* fs = &ctx->fonts;
    const qel_font* f = &fs->fonts[font];
    float scale = ((float)size_q / 4.0f) / f->units_per_em, shift = (float)phase / 3.0f;
    int32_t x0, y0, x1, y1;
    stbtt_GetGlyphBitmapBoxSubpixel(&f->info, (int)glyph, scale, scale, shift, 0, &x0, &y0, &x1, &y1);
    int32_t w = std::max(x1 - x0, 0), h = std::max(y1 - y0, 0);
    if (w == 0 || h == 0) w = h = 0;
    if (w > QEL_ATLAS_MAX_SIZE - 2 || h > QEL_ATLAS_MAX_SIZE - 2) return nullptr;
    int32_t ax = 0, ay = 0;
    if (w && !qel_atlas_pack(ctx, w, h, &ax, &ay)) return nullptr;
    qel_glyph_atlas* a = &fs->atlas;
    if (w) {
        uint8_t* at = a->pixels + (size_t)ay * (size_t)a->width + (size_t)ax;
        stbtt_MakeGlyphBitmapSubpixel(&f->info, at, w, h, a->width, scale, scale, shift, 0, (int)glyph);
        if (!f->icon) {
            const qel_gamma_table& gamma = qel_gamma();
            for (int32_t row = 0; row < h; row++)
                for (uint8_t *p = at + (size_t)row * (size_t)a->width, *end = p + w; p < end; p++) *p = gamma.v[*p];
        }
    }
    fs->glyphs = qel_array_grow(ctx, fs->glyphs, &fs->glyph_capacity, fs->glyph_count + 1ll);
    int32_t index = fs->glyph_count++;
    qel_glyph* g = &fs->glyphs[index];
    *g = {};
    g->glyph = glyph;
    g->font = font;
    g->size_q = size_q;
    g->phase = phase;
    g->last_used = (uint32_t)ctx->clock.frame_count;
    g->x_offset = (int16_t)x0;
    g->y_offset = (int16_t)y0;
    g->width = (uint16_t)w;
    g->height = (uint16_t)h;
    g->atlas_x = (uint16_t)ax;
    g->atlas_y = (uint16_t)ay;
    qel_glyph_link(fs, index);
    return g;
}

bool qel_glyph_is(const qel_glyph* g, uint32_t glyph, uint16_t font, uint16_t size_q, uint8_t phase)
{
    return g->glyph == glyph && g->font == font && g->size_q == size_q && g->phase == phase;
}

// The cached glyph of a key, rasterised when missing. Text repeats a few glyphs at a few sizes:
// a slot picked by two multiplies finds most of them before the chain's byte-wise hash is needed.
qel_glyph* qel_glyph_get(qel_context* ctx, uint32_t glyph, uint16_t font, uint16_t size_q, uint8_t phase)
{
    qel_font_state* fs = &ctx->fonts;
    uint32_t mix = (glyph * 0x9e3779b1u) ^ ((uint32_t)font << 24) ^ ((uint32_t)size_q * 0x85ebca6bu) ^ phase;
    int32_t* recent = &fs->recent[(mix * 0xc2b2ae35u) >> 24 & (QEL_GLYPH_RECENT - 1)];
    qel_glyph* g = *recent < fs->glyph_count ? &fs->glyphs[*recent] : nullptr;
    if (!g || !qel_glyph_is(g, glyph, font, size_q, phase)) {
        g = nullptr;
        for (int32_t i = fs->chains[qel_glyph_chain(glyph, font, size_q, phase)]; i >= 0 && !g; i = fs->glyphs[i].next)
            if (qel_glyph_is(&fs->glyphs[i], glyph, font, size_q, phase)) g = &fs->glyphs[i];
        if (!g) g = qel_glyph_rasterise(ctx, glyph, font, size_q, phase);
        if (!g) return nullptr;
        *recent = (int32_t)(g - fs->glyphs);
    }
    g->last_used = (uint32_t)ctx->clock.frame_count;
    return g;
}

void qel_glyph_relink_all(qel_font_state* fs)
{
    for (int32_t& head : fs->chains) head = -1;
    for (int32_t i = 0; i < fs->glyph_count; i++) qel_glyph_link(fs, i);
}

void qel_atlas_clear(qel_context* ctx)
{
    qel_font_state* fs = &ctx->fonts;
    qel_glyph_atlas* a = &fs->atlas;
    a->overflowed = 0;
    fs->glyph_count = 0;
    for (int32_t& head : fs->chains) head = -1;
    memset(a->pixels, 0, (size_t)a->width * (size_t)a->height);
    a->packer = {1, 1, 0};
    qel_atlas_mark_all_dirty(a);
    // The glyphs dropped with the overflow are drawn again in another frame.
    ctx->clock.input_frames = std::max(ctx->clock.input_frames, 1);
}

// Repacks the glyphs used lately into a smaller atlas when they fit one.
void qel_atlas_shrink(qel_context* ctx)
{
    qel_font_state* fs = &ctx->fonts;
    qel_glyph_atlas* a = &fs->atlas;
    uint32_t now = (uint32_t)ctx->clock.frame_count;
    int32_t live = 0;
    uint64_t needed = 0;
    for (int32_t i = 0; i < fs->glyph_count; i++) {
        const qel_glyph& g = fs->glyphs[i];
        if (now - g.last_used >= LIVE_FRAMES) continue;
        live++;
        needed += 2 * (uint64_t)(g.width + 1) * (uint64_t)(g.height + 1);
    }
    int32_t size = a->width;
    while (size / 2 >= QEL_ATLAS_START_SIZE && (uint64_t)(size / 2) * (uint64_t)(size / 2) >= needed) size /= 2;
    if (size == a->width) return;

    qel_glyph* kept = (qel_glyph*)qel_mem_alloc(ctx, sizeof(qel_glyph) * (size_t)std::max(live, 1));
    int32_t n = 0;
    for (int32_t i = 0; i < fs->glyph_count; i++)
        if (now - fs->glyphs[i].last_used < LIVE_FRAMES) kept[n++] = fs->glyphs[i];
    std::stable_sort(kept, kept + n, [](const qel_glyph& l, const qel_glyph& r) { return l.height > r.height; });
    uint8_t* pixels = (uint8_t*)qel_mem_alloc(ctx, (size_t)size * (size_t)size);
    memset(pixels, 0, (size_t)size * (size_t)size);
    qel_shelf_packer packer = {1, 1, 0};
    for (int32_t i = 0; i < n; i++) {
        qel_glyph& g = kept[i];
        if (!g.width) continue;
        int32_t x, y;
        if (!qel_shelf_place(&packer, size, size, g.width, g.height, &x, &y)) {
            qel_mem_free(ctx, pixels);
            qel_mem_free(ctx, kept);
            return;
        }
        for (int32_t row = 0; row < g.height; row++)
            memcpy(pixels + (size_t)(y + row) * (size_t)size + (size_t)x,
                   a->pixels + (size_t)(g.atlas_y + row) * (size_t)a->width + g.atlas_x, g.width);
        g.atlas_x = (uint16_t)x;
        g.atlas_y = (uint16_t)y;
    }
    qel_mem_free(ctx, a->pixels);
    qel_mem_free(ctx, fs->glyphs);
    a->pixels = pixels;
    a->width = a->height = size;
    a->packer = packer;
    fs->glyphs = kept;
    fs->glyph_count = n;
    fs->glyph_capacity = std::max(live, 1);
    qel_glyph_relink_all(fs);
    qel_atlas_mark_all_dirty(a);
}

// What every glyph of one text run shares when it is drawn.
struct qel_run_draw {
    int32_t font;
    float x, s;
    float run_top, base, cap_middle;
    qel_color color;
    qel_glyph_color_hook hook;
};

void qel_draw_run_glyph(qel_context* ctx, const qel_run_draw* d, const qel_run_glyph& step)
{
    const float s = d->s;
    if (step.glyph == 0 || step.size_used * s < 1.0f) return;
    qel_font_state* fs = &ctx->fonts;
    float baseline = d->base;
    // An icon from the icon font sits centred on the run's capital letters.
    if (fs->fonts[step.font].icon && step.font != d->font)
        baseline = roundf((step.size_used * 0.5f + d->run_top - d->cap_middle) * s);
    qel_color glyph_color = d->color;
    if (d->hook.fn) {
        float shift = 0;
        glyph_color = qel_color_resolve(ctx, d->hook.fn(ctx, d->hook.user, step.byte_start + d->hook.base_offset,
                                                        d->x + step.pen_before, d->hook.line_top, &shift, d->color));
        if (!(glyph_color >> 24)) return;
        baseline += roundf(shift * s);
    }
    float px = (d->x + step.pen_before + step.x_offset) * s, ix = floorf(px);
    if (!std::isfinite(px)) return;  // a huge size overflows the pen
    uint8_t phase = (uint8_t)std::min((int32_t)((px - ix) * 3.0f), 2);
    float q = step.size_used * s * 4.0f + 0.5f;
    uint16_t size_q = q >= 65535.0f ? 65535 : (uint16_t)q;
    const qel_glyph* g = qel_glyph_get(ctx, step.glyph, (uint16_t)step.font, size_q, phase);
    if (!g || !g->width) return;
    const qel_glyph_atlas& a = fs->atlas;
    float x0 = ix + g->x_offset, y0 = baseline + g->y_offset;
    qel_draw_glyph(ctx, x0, y0, x0 + g->width, y0 + g->height, (float)g->atlas_x / (float)a.width,
                   (float)g->atlas_y / (float)a.height, (float)(g->atlas_x + g->width) / (float)a.width,
                   (float)(g->atlas_y + g->height) / (float)a.height, glyph_color);
}

}  // namespace

void qel_atlas_compact(qel_context* ctx)
{
    qel_font_state* fs = &ctx->fonts;
    if (fs->atlas.overflowed) return qel_atlas_clear(ctx);
    uint64_t now = ctx->clock.frame_count;
    if (fs->atlas.width <= QEL_ATLAS_START_SIZE || now - fs->last_compaction < LIVE_FRAMES) return;
    fs->last_compaction = now;
    qel_atlas_shrink(ctx);
}

void qel_atlas_upload(qel_context* ctx)
{
    const qel_renderer& r = ctx->renderer;
    qel_glyph_atlas* a = &ctx->fonts.atlas;
    if (!r.create) return;
    if (a->texture && a->texture_width == a->width && a->texture_height == a->height) {
        if (a->dirty && r.update && a->dirty_x1 > a->dirty_x0 && a->dirty_y1 > a->dirty_y0)
            r.update(r.user, a->texture, a->dirty_x0, a->dirty_y0, a->dirty_x1 - a->dirty_x0, a->dirty_y1 - a->dirty_y0,
                     a->pixels + (size_t)a->dirty_y0 * (size_t)a->width + (size_t)a->dirty_x0, a->width);
        a->dirty = 0;
        return;
    }
    qel_atlas_delete_texture(ctx);
    a->texture = r.create(r.user, a->width, a->height, 1, a->pixels);
    if (!a->texture) return;
    a->texture_width = a->width;
    a->texture_height = a->height;
    a->dirty = 0;
}

void qel_atlas_renderer_changed(qel_context* ctx)
{
    qel_atlas_delete_texture(ctx);
    qel_atlas_mark_all_dirty(&ctx->fonts.atlas);
}

void qel_atlas_release(qel_context* ctx)
{
    qel_mem_free(ctx, ctx->fonts.atlas.pixels);
    ctx->fonts.atlas.pixels = nullptr;
    qel_atlas_delete_texture(ctx);
}

void qel_draw_text_run(qel_context* ctx, int32_t handle, float size, float x, float y, qel_color color,
                       const char* text, int32_t length, uint8_t tabular_digits)
{
    int32_t font = qel_font_resolve(ctx, handle);
    if (!text || length < 1 || font < 0) return;
    // Pixel positions and glyph sizes become integers; a size or place that is no number draws nothing.
    if (!std::isfinite(size) || !std::isfinite(x) || !std::isfinite(y)) return;
    color = qel_color_resolve(ctx, color);
    if (!(color >> 24)) return;
    const qel_font* run = &ctx->fonts.fonts[font];
    qel_run_draw d;
    d.font = font;
    d.x = x;
    d.s = ctx->clock.scale;
    d.run_top = y + run->ascent * size;
    d.base = roundf((run->icon ? y + size : d.run_top) * d.s);
    d.cap_middle = run->cap_height * size * 0.5f;
    d.color = color;
    d.hook = ctx->fonts.color_hook;
    qel_text_key key;
    // A colour hook may measure text, and so change the cache under a run being drawn from it.
    if (!d.hook.fn && qel_text_key_make(&key, font, size, 1, tabular_digits, text, length)) {
        int32_t n;
        const qel_run_glyph* glyphs = qel_text_cache_run(ctx, &key, &n);
        for (int32_t i = 0; i < n && !(x + glyphs[i].pen_before > 1e30f); i++) qel_draw_run_glyph(ctx, &d, glyphs[i]);
        return;
    }
    qel_glyph_iter it;
    qel_glyph_iter_init(&it, ctx, font, size, text, length, tabular_digits);
    while (qel_glyph_iter_next(&it) && !(x + it.pen_before > 1e30f)) qel_draw_run_glyph(ctx, &d, qel_run_glyph_of(&it));
}
