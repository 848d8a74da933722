// The software renderer: texture slots, tile hashes that find what changed since the previous
// frame, dirty tiles merged into rectangles, and regions split into bands on worker threads.
// The pixels themselves are the rasteriser's.
#include "render/soft_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "render/soft_raster.h"
#include "render/texture_slots.h"
#include "render/worker_thread.h"

qel_soft_renderer* qel_soft_create()
{
    qel_soft_shadow_table();  // built before any band can read it
    qel_soft_renderer* soft = (qel_soft_renderer*)calloc(1, sizeof(qel_soft_renderer));
    if (!soft) return nullptr;
    soft->workers = std::clamp(qel_processor_count(), 1, 8);
    return soft;
}

static void free_tiles(qel_soft_renderer* soft)
{
    free(soft->tile_hash);
    free(soft->previous_tile_hash);
    free(soft->tile_forced);
    soft->tile_hash = soft->previous_tile_hash = nullptr;
    soft->tile_forced = nullptr;
    soft->tile_capacity = 0;
}

void qel_soft_destroy(qel_soft_renderer* soft)
{
    if (!soft) return;
    for (int32_t i = 0; i < soft->slot_count; i++) free(soft->slots[i].pixels);
    free(soft->slots);
    free_tiles(soft);
    qel_crew_stop(soft->crew);
    free(soft);
}

int32_t qel_soft_set_workers(qel_soft_renderer* soft, int32_t workers)
{
    if (!soft) return 1;
    soft->workers = std::clamp(workers, 1, (int32_t)QEL_SOFT_MAX_WORKERS);
    // A crew of another size is started afresh by the next render that splits.
    if (soft->crew && qel_crew_size(soft->crew) != soft->workers - 1) {
        qel_crew_stop(soft->crew);
        soft->crew = nullptr;
    }
    return 1;
}

void qel_soft_set_incremental(qel_soft_renderer* soft, bool on)
{
    if (!soft) return;
    soft->incremental = on && !soft->tiles_unavailable;
    soft->previous = {};
}

bool qel_soft_dirty_rect(const qel_soft_renderer* soft, int32_t* x, int32_t* y, int32_t* width, int32_t* height)
{
    if (!soft) return false;
    if (x) *x = soft->dirty_x0;
    if (y) *y = soft->dirty_y0;
    if (width) *width = soft->dirty_x1 - soft->dirty_x0;
    if (height) *height = soft->dirty_y1 - soft->dirty_y0;
    return soft->dirty_x1 > soft->dirty_x0 && soft->dirty_y1 > soft->dirty_y0;
}

// --- Textures ---

static int32_t slot_index(const qel_soft_renderer* soft, uint64_t texture)
{
    int32_t i = soft ? qel_texture_slot_index(texture, soft->slot_count) : -1;
    return i >= 0 && soft->slots[i].used ? i : -1;
}

const qel_soft_texture* qel_soft_slot(const qel_soft_renderer* soft, uint64_t texture)
{
    int32_t i = slot_index(soft, texture);
    return i < 0 ? nullptr : &soft->slots[i];
}

void qel_soft_mark_texture_dirty(qel_soft_renderer* soft, uint64_t texture, int32_t x0, int32_t y0, int32_t x1,
                                 int32_t y1)
{
    for (int32_t i = 0; i < soft->dirty_texture_count; i++) {
        qel_soft_dirty_texture* e = &soft->dirty_textures[i];
        if (e->texture != texture) continue;
        *e = {texture, std::min(e->x0, x0), std::min(e->y0, y0), std::max(e->x1, x1), std::max(e->y1, y1)};
        return;
    }
    if (soft->dirty_texture_count < QEL_SOFT_DIRTY_TEXTURES)
        soft->dirty_textures[soft->dirty_texture_count++] = {texture, x0, y0, x1, y1};
    else
        soft->dirty_overflow = 1;
}

static void clear_dirty_textures(qel_soft_renderer* soft)
{
    soft->dirty_texture_count = 0;
    soft->dirty_overflow = 0;
}

// Textures are indexed with 32-bit byte offsets and sampled with float texel positions.
static const uint64_t MAX_TEXTURE_BYTES = INT32_MAX;

uint64_t qel_soft_texture_create(qel_soft_renderer* soft, int32_t width, int32_t height, int32_t channels,
                                 const void* pixels)
{
    if (!soft || width <= 0 || height <= 0 || (channels != 1 && channels != 4)) return 0;
    uint64_t bytes = (uint64_t)width * (uint64_t)height * (uint64_t)channels;
    if (bytes > MAX_TEXTURE_BYTES) return 0;
    uint8_t* copy = (uint8_t*)(pixels ? malloc((size_t)bytes) : calloc(1, (size_t)bytes));
    if (!copy) qel_out_of_memory();
    if (pixels) memcpy(copy, pixels, (size_t)bytes);
    int32_t i = qel_texture_slot_take(&soft->slots, &soft->slot_count, &soft->slot_capacity,
                                      [](const qel_soft_texture& t) { return !t.used; });
    if (i < 0) qel_out_of_memory();
    soft->slots[i] = {width, height, channels, copy, 1};
    uint64_t handle = (uint64_t)i + 1;
    qel_soft_mark_texture_dirty(soft, handle, 0, 0, width, height);
    return handle;
}

void qel_soft_texture_update(qel_soft_renderer* soft, uint64_t texture, int32_t x, int32_t y, int32_t width,
                             int32_t height, const void* pixels, int32_t stride)
{
    int32_t i = slot_index(soft, texture);
    if (i < 0 || !pixels || width <= 0 || height <= 0) return;
    qel_soft_texture* t = &soft->slots[i];
    int64_t x0 = std::max(x, 0), y0 = std::max(y, 0);
    int64_t x1 = std::min((int64_t)x + width, (int64_t)t->width),
            y1 = std::min((int64_t)y + height, (int64_t)t->height);
    if (x0 >= x1 || y0 >= y1) return;
    qel_soft_mark_texture_dirty(soft, texture, (int32_t)x0, (int32_t)y0, (int32_t)x1, (int32_t)y1);
    ptrdiff_t step = stride ? (ptrdiff_t)stride : (ptrdiff_t)width * t->channels;
    const uint8_t* src = (const uint8_t*)pixels + (y0 - y) * step + (x0 - x) * t->channels;
    size_t row_bytes = (size_t)(x1 - x0) * (size_t)t->channels;
    for (int64_t row = y0; row < y1; row++, src += step)
        memcpy(t->pixels + ((size_t)row * (size_t)t->width + (size_t)x0) * (size_t)t->channels, src, row_bytes);
}

void qel_soft_texture_delete(qel_soft_renderer* soft, uint64_t texture)
{
    int32_t i = slot_index(soft, texture);
    if (i < 0) return;
    qel_soft_texture* t = &soft->slots[i];
    // What still samples the handle draws differently now.
    qel_soft_mark_texture_dirty(soft, texture, 0, 0, t->width, t->height);
    free(t->pixels);
    t->pixels = nullptr;
    t->used = 0;
}

void qel_soft_fill_renderer(qel_renderer* out, qel_soft_renderer* soft)
{
    if (out)
        *out = qel_texture_interface<qel_soft_renderer, qel_soft_texture_create, qel_soft_texture_update,
                                     qel_soft_texture_delete>(soft);
}

// --- Regions and bands ---

int32_t qel_soft_band_plan(int32_t workers, int32_t rows, int32_t columns, uint32_t index_count, int32_t* band_height)
{
    int32_t bands = 1;
    // Threads pay off only for regions with much to draw.
    if (rows >= 64 && index_count >= 600 && (int64_t)rows * columns >= 200000) bands = std::min(rows / 16, workers);
    bands = std::max(bands, 1);
    *band_height = (rows + bands - 1) / bands;
    return bands;
}

// Clears the band to the clear colour with full alpha, then draws into it; each band clears its
// own rows, so that the clearing too is shared among the threads.
static int band_thread(void* arg)
{
    const qel_soft_band* job = (const qel_soft_band*)arg;
    qel_color color = job->dd->clear_color;
    uint8_t r = color & 0xFF, g = color >> 8 & 0xFF, b = color >> 16 & 0xFF;
    bool bgr = job->format == QEL_SOFT_BGRA;
    const uint8_t pixel[4] = {bgr ? b : r, g, bgr ? r : b, 255};
    if (job->y0 < job->y1) {
        // One row pixel by pixel, the others copied from it.
        uint8_t* first = job->framebuffer + (ptrdiff_t)job->y0 * job->stride + (ptrdiff_t)job->x0 * 4;
        size_t row_bytes = (size_t)(job->x1 - job->x0) * 4;
        for (size_t i = 0; i < row_bytes; i += 4) memcpy(first + i, pixel, 4);
        for (int32_t y = job->y0 + 1; y < job->y1; y++)
            memcpy(first + (ptrdiff_t)(y - job->y0) * job->stride, first, row_bytes);
    }
    qel_soft_raster_band(job);
    return 0;
}

void qel_soft_start_workers(qel_soft_renderer* soft)
{
    if (soft->workers > 1 && !soft->crew) soft->crew = qel_crew_start(soft->workers - 1);
}

// The first band is drawn on the calling thread, the next ones on the crew; bands for which the
// crew has no thread (the system refused to start it) are drawn on the calling thread too.
void qel_soft_render_region(qel_soft_renderer* soft, const qel_draw_data* dd, const qel_soft_framebuffer* fb,
                            int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    int32_t band_height;
    int32_t bands = qel_soft_band_plan(soft->workers, y1 - y0, x1 - x0, dd->index_count, &band_height);
    qel_soft_band jobs[QEL_SOFT_MAX_WORKERS];
    void* crew_jobs[QEL_SOFT_MAX_WORKERS];
    for (int32_t i = 0; i < bands; i++) {
        int32_t top = y0 + i * band_height, bottom = std::min(y1, top + band_height);
        jobs[i] = {dd,  soft, (uint8_t*)fb->pixels, fb->width, fb->height, fb->stride, fb->format, x0,
                   top, x1,   std::max(top, bottom)};
        crew_jobs[i] = &jobs[i];
    }
    if (bands > 1) qel_soft_start_workers(soft);
    int32_t crewed = soft->crew ? std::min(bands - 1, qel_crew_size(soft->crew)) : 0;
    if (crewed) qel_crew_dispatch(soft->crew, band_thread, crew_jobs + 1, crewed);
    band_thread(&jobs[0]);
    for (int32_t i = 1 + crewed; i < bands; i++) band_thread(&jobs[i]);
    if (crewed) qel_crew_wait(soft->crew);
}

// --- Tiles ---

static uint64_t combine(uint64_t h, uint64_t v)
{
    return ((v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2)) ^ h) * 0xff51afd7ed558ccdull;
}

static uint64_t combine_words(uint64_t h, const void* data, size_t words)
{
    for (size_t i = 0; i < words; i++) {
        uint64_t w;
        memcpy(&w, (const uint8_t*)data + 8 * i, 8);
        h = combine(h, w);
    }
    return h;
}

// The grid over a framebuffer, 64 x 64 pixels a tile.
struct tile_grid {
    int32_t columns, rows;
    int32_t width, height;
};

static tile_grid grid_of(const qel_soft_framebuffer* fb)
{
    return {(fb->width + QEL_SOFT_TILE - 1) / QEL_SOFT_TILE, (fb->height + QEL_SOFT_TILE - 1) / QEL_SOFT_TILE,
            fb->width, fb->height};
}

// Room for n tiles; false (and incremental mode off for good) when it cannot be had.
static bool ensure_tiles(qel_soft_renderer* soft, int64_t n)
{
    if (n <= soft->tile_capacity) return true;
    free_tiles(soft);
    soft->previous = {};
    if (n <= INT32_MAX) {
        soft->tile_hash = (uint64_t*)malloc((size_t)n * sizeof(uint64_t));
        soft->previous_tile_hash = (uint64_t*)malloc((size_t)n * sizeof(uint64_t));
        soft->tile_forced = (uint8_t*)malloc((size_t)n);
        if (soft->tile_hash && soft->previous_tile_hash && soft->tile_forced) {
            soft->tile_capacity = (int32_t)n;
            return true;
        }
    }
    free_tiles(soft);
    soft->incremental = 0;
    soft->tiles_unavailable = 1;
    return false;
}

// The changed area of a texture, or null when it did not change.
static const qel_soft_dirty_texture* changed_area(const qel_soft_renderer* soft, uint64_t texture)
{
    for (int32_t i = 0; i < soft->dirty_texture_count; i++)
        if (soft->dirty_textures[i].texture == texture) return &soft->dirty_textures[i];
    return nullptr;
}

// Whether the triangle's texture coordinates reach the changed area (one texel of slack).
// Sampling repeats the edge texels, so coordinates outside the texture count as its edge.
static bool samples_area(const qel_vertex* const v[3], const qel_soft_dirty_texture* area, float tw, float th)
{
    auto span = [](float a, float b, float c, float size, float* lo, float* hi) {
        *lo = std::clamp(std::min({a, b, c}) * size, 0.0f, size);
        *hi = std::clamp(std::max({a, b, c}) * size, 0.0f, size);
    };
    float u0, u1, v0, v1;
    span(v[0]->uv[0], v[1]->uv[0], v[2]->uv[0], tw, &u0, &u1);
    span(v[0]->uv[1], v[1]->uv[1], v[2]->uv[1], th, &v0, &v1);
    return u1 >= (float)area->x0 - 1 && u0 <= (float)area->x1 + 1 && v1 >= (float)area->y0 - 1 &&
           v0 <= (float)area->y1 + 1;
}

// Tile index range [first, last] that the pixel span lo..hi, widened by one pixel, touches.
static void tile_span(float lo, float hi, int32_t size, int32_t tiles, int32_t* first, int32_t* last)
{
    float a = floorf(lo - 1.0f), b = ceilf(hi + 1.0f);
    *first = (a > 0.0f ? (int32_t)a : 0) / QEL_SOFT_TILE;
    *last = std::min((b < (float)size ? (int32_t)b : size) / QEL_SOFT_TILE, tiles - 1);
}

// Folds one triangle into the hashes of the tiles its clipped box touches.
static void hash_triangle(qel_soft_renderer* soft, const tile_grid& g, uint64_t hc, const int32_t clip[4],
                          const qel_vertex* const v[3], const qel_soft_dirty_texture* area, float tw, float th)
{
    float x0 = fmaxf(fminf(fminf(v[0]->pos[0], v[1]->pos[0]), v[2]->pos[0]), (float)clip[0]);
    float x1 = fminf(fmaxf(fmaxf(v[0]->pos[0], v[1]->pos[0]), v[2]->pos[0]), (float)clip[2]);
    float y0 = fmaxf(fminf(fminf(v[0]->pos[1], v[1]->pos[1]), v[2]->pos[1]), (float)clip[1]);
    float y1 = fminf(fmaxf(fmaxf(v[0]->pos[1], v[1]->pos[1]), v[2]->pos[1]), (float)clip[3]);
    if (!(x0 < x1 && y0 < y1)) return;
    uint64_t ht = hc;
    for (int i = 0; i < 3; i++) ht = combine_words(ht, v[i], sizeof(qel_vertex) / 8);
    bool forced = area && samples_area(v, area, tw, th);
    int32_t tx0, tx1, ty0, ty1;
    tile_span(x0, x1, g.width, g.columns, &tx0, &tx1);
    tile_span(y0, y1, g.height, g.rows, &ty0, &ty1);
    for (int32_t ty = ty0; ty <= ty1; ty++) {
        for (int32_t tx = tx0; tx <= tx1; tx++) {
            size_t i = (size_t)ty * (size_t)g.columns + (size_t)tx;
            soft->tile_hash[i] = combine(soft->tile_hash[i], ht);
            if (forced) soft->tile_forced[i] = 1;
        }
    }
}

// This frame's hash of every tile: the clear colour, then every triangle drawn into it, in order.
static void hash_tiles(qel_soft_renderer* soft, const qel_draw_data* dd, const tile_grid& g)
{
    uint64_t seed = 0x14650fb0739d0383ull;
    for (int shift = 0; shift < 32; shift += 8) seed = combine(seed, dd->clear_color >> shift & 0xFF);
    size_t n = (size_t)g.columns * (size_t)g.rows;
    std::fill(soft->tile_hash, soft->tile_hash + n, seed);
    memset(soft->tile_forced, 0, n);
    for (uint32_t c = 0; c < dd->command_count; c++) {
        const qel_draw_cmd* cmd = &dd->commands[c];
        uint64_t texture = cmd->texture ? cmd->texture : dd->atlas_texture;
        const qel_soft_dirty_texture* area = changed_area(soft, texture);
        const qel_soft_texture* slot = qel_soft_slot(soft, texture);
        float tw = slot ? (float)slot->width : 1.0f, th = slot ? (float)slot->height : 1.0f;
        int32_t clip[4];
        uint64_t first, end;
        if (!qel_soft_command_indices(dd, cmd, &first, &end)) continue;
        if (!qel_soft_clip_bounds(&cmd->clip, 0, 0, g.width, g.height, clip)) continue;
        uint64_t hc = combine_words(texture + 7, &cmd->clip, 2);
        for (uint64_t t = first; t + 3 <= end; t += 3) {
            const qel_vertex* v[3];
            if (qel_soft_triangle(dd, &dd->indices[t], v)) hash_triangle(soft, g, hc, clip, v, area, tw, th);
        }
    }
}

static void grow_dirty(qel_soft_renderer* soft, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    soft->dirty_x0 = std::min(soft->dirty_x0, x0);
    soft->dirty_y0 = std::min(soft->dirty_y0, y0);
    soft->dirty_x1 = std::max(soft->dirty_x1, x1);
    soft->dirty_y1 = std::max(soft->dirty_y1, y1);
}

static void set_dirty(qel_soft_renderer* soft, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    soft->dirty_x0 = x0;
    soft->dirty_y0 = y0;
    soft->dirty_x1 = x1;
    soft->dirty_y1 = y1;
}

// A run of tile rows whose dirty columns overlap, redrawn as one rectangle.
struct tile_run {
    bool open;
    int32_t first_row, last_row, first_column, last_column;
};

static void flush_run(qel_soft_renderer* soft, const qel_draw_data* dd, const qel_soft_framebuffer* fb, tile_run* run)
{
    if (!run->open) return;
    run->open = false;
    int32_t x0 = run->first_column * QEL_SOFT_TILE, y0 = run->first_row * QEL_SOFT_TILE;
    int32_t x1 = std::min((run->last_column + 1) * QEL_SOFT_TILE, fb->width);
    int32_t y1 = std::min((run->last_row + 1) * QEL_SOFT_TILE, fb->height);
    qel_soft_render_region(soft, dd, fb, x0, y0, x1, y1);
    grow_dirty(soft, x0, y0, x1, y1);
}

// Redraws the tiles whose hash changed or that sample an updated texture, row by row.
static void render_dirty_tiles(qel_soft_renderer* soft, const qel_draw_data* dd, const qel_soft_framebuffer* fb,
                               const tile_grid& g)
{
    tile_run run = {};
    for (int32_t row = 0; row < g.rows; row++) {
        int32_t c0 = -1, c1 = -1;
        for (int32_t col = 0; col < g.columns; col++) {
            size_t i = (size_t)row * (size_t)g.columns + (size_t)col;
            if (soft->tile_hash[i] == soft->previous_tile_hash[i] && !soft->tile_forced[i]) continue;
            if (c0 < 0) c0 = col;
            c1 = col;
        }
        if (c0 < 0) {
            flush_run(soft, dd, fb, &run);
        } else if (run.open && c0 <= run.last_column && c1 >= run.first_column - 1) {
            run.first_column = std::min(run.first_column, c0);
            run.last_column = std::max(run.last_column, c1);
            run.last_row = row;
        } else {
            flush_run(soft, dd, fb, &run);
            run = {true, row, row, c0, c1};
        }
    }
    flush_run(soft, dd, fb, &run);
}

static void render_whole(qel_soft_renderer* soft, const qel_draw_data* dd, const qel_soft_framebuffer* fb)
{
    clear_dirty_textures(soft);
    qel_soft_render_region(soft, dd, fb, 0, 0, fb->width, fb->height);
    set_dirty(soft, 0, 0, fb->width, fb->height);
}

static bool same_framebuffer(const qel_soft_framebuffer& a, const qel_soft_framebuffer& b)
{
    return a.pixels == b.pixels && a.width == b.width && a.height == b.height && a.stride == b.stride &&
           a.format == b.format;
}

void qel_soft_render(qel_soft_renderer* soft, const qel_draw_data* dd, void* framebuffer, int32_t width, int32_t height,
                     int32_t stride, int32_t format)
{
    if (!soft) return;
    if (!dd || !framebuffer || width <= 0 || height <= 0 || stride < (int64_t)width * 4) {
        set_dirty(soft, 0, 0, 0, 0);
        return;
    }
    qel_soft_framebuffer fb = {framebuffer, width, height, stride, format};
    tile_grid g = grid_of(&fb);
    if (!soft->incremental || !ensure_tiles(soft, (int64_t)g.columns * g.rows)) {
        render_whole(soft, dd, &fb);
        return;
    }
    hash_tiles(soft, dd, g);
    if (!same_framebuffer(soft->previous, fb)) {
        soft->previous = fb;
        render_whole(soft, dd, &fb);
    } else if (soft->dirty_overflow) {
        render_whole(soft, dd, &fb);
    } else {
        set_dirty(soft, width, height, 0, 0);
        clear_dirty_textures(soft);
        render_dirty_tiles(soft, dd, &fb, g);
    }
    std::swap(soft->tile_hash, soft->previous_tile_hash);
}
