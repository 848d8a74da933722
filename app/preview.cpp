// The preview's render and grey image, redone only when their keys change.
#include "app/preview.h"

#include <cstdlib>
#include <cstring>

#include "app/data_source.h"
#include "engine/catalog.h"
#include "engine/render.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/textures.h"
#include "qel/theme.h"

// Larger textures than most graphics drivers take gain nothing on any screen.
static const int32_t max_texture_extent = 16384;

// What the raster shows: stock, template, row and whether a table is loaded.
static int64_t raster_key(const app_state* state)
{
    // Unsigned arithmetic: any index gives some key, never an overflow.
    uint64_t key = ((uint64_t)state->stock * 1000 + state->layout) * 1000003 + 2 * (uint64_t)(int64_t)state->row +
                   (state->loaded ? 1 : 0);
    return (int64_t)key;
}

// What the texture shows: that raster at a screen resolution and texture scale.
static int64_t texture_key(int64_t raster, float screen_dpi, float texture_scale)
{
    float hundredths = texture_scale * 100;
    int64_t scale = hundredths >= 0 && hundredths < 1e9f ? (int64_t)hundredths : 0;
    return (int64_t)((uint64_t)raster * 1000000 + (uint64_t)((int64_t)screen_dpi * 10 + scale));
}

void app_preview_forget(app_state* state)
{
    state->raster_key = -1;
    state->texture_key = -1;
}

static void drop_raster(app_state* state)
{
    raster_free(&state->raster);
    state->raster = {};
    state->raster_valid = 0;
}

void app_preview_show_failed_row(app_state* state, int32_t row)
{
    drop_raster(state);
    state->row = row;
    state->raster_key = raster_key(state);
}

// True when the raster is valid.
static bool render(app_state* state)
{
    bool rows = state->loaded && state->table.rows > 0;
    if (rows && state->row >= state->table.rows) state->row = state->table.rows - 1;
    if (rows && state->row < 0) state->row = 0;
    int64_t key = raster_key(state);
    if (key == state->raster_key) return state->raster_valid;
    drop_raster(state);
    state->raster_key = key;

    label_model model;
    if (!app_build_label_model(state, &model)) {
        app_status_error(state, "This stock does not fit this printer.");
        state->status_from_preview = 1;
        return false;
    }
    engine_error e = rows ? label_render_row(&model, &state->table, state->row, &state->raster)
                          : label_render_literal(&model, &state->raster);
    state->raster_valid = e == ERR_OK;
    if (state->raster_valid) {
        if (state->status_from_preview) app_status_clear(state);
        return true;
    }
    if (!rows) return false;
    if (state->source == APP_SOURCE_ONE_LABEL && e == ERR_INVALID && model.element_count > 0 &&
        app_barcode_missing(state, &model, state->row))
        app_status_set(state, APP_STATUS_INFO, "Type the barcode to see this label.");
    else
        app_status_error(state, "This row cannot be laid out: %s", engine_error_text(e));
    state->status_from_preview = 1;
    return false;
}

// The raster's size on screen at 1:1 times the scale, in whole pixels, at least 1.
static int32_t screen_pixels(int32_t dots, float screen_dpi, float printer_dpi, float scale)
{
    double pixels = (double)dots * screen_dpi / printer_dpi * scale + 0.5;
    if (!(pixels >= 1)) return 1;
    return pixels >= max_texture_extent ? max_texture_extent : (int32_t)pixels;
}

// How many of the toolkit's logical pixels make an inch on this screen. The screen's resolution
// counts device pixels, and the display scale already enlarges every logical pixel: both at once
// would make 1:1 too large by the scale.
static float view_dpi(qel_context* ctx, const app_state* state)
{
    return state->screen_dpi / qel_ctx_scale(ctx);
}

static float printer_dpi(const app_state* state)
{
    const printer_def* printer = catalog_printer_at(state->printer);
    return printer ? (float)printer->dpi : 0.0f;
}

// The fit of the raster in the canvas, while the zoom is Fit and the canvas is more than a
// pixel; a view too small to tell keeps the last fit. True when it changed.
static bool refit(qel_context* ctx, app_state* state)
{
    if (state->zoom != APP_ZOOM_FIT || state->canvas_width <= 1 || state->canvas_height <= 1) return false;
    float fit = raster_fit_scale(state->raster.width, state->raster.height, view_dpi(ctx, state), printer_dpi(state),
                                 (float)state->canvas_width, (float)state->canvas_height, 20);
    bool changed = fit != state->fit_scale;
    state->fit_scale = fit;
    return changed;
}

static void update_texture(qel_context* ctx, app_state* state)
{
    float dpi = printer_dpi(state);
    if (dpi <= 0) return;
    float view = state->zoom == APP_ZOOM_FIT ? state->fit_scale : (float)state->zoom;
    // Dense screens get twice the pixels, so that the card stays sharp at its drawn size.
    float scale = qel_ctx_scale(ctx) > 1.5f ? view * 2 : view;
    const float screen = view_dpi(ctx, state);
    int32_t width = screen_pixels(state->raster.width, screen, dpi, scale);
    int32_t height = screen_pixels(state->raster.height, screen, dpi, scale);
    int64_t key = texture_key(state->raster_key, screen, scale);
    if (state->texture && key == state->texture_key && width == state->texture_width &&
        height == state->texture_height)
        return;
    auto* rgba = (uint8_t*)malloc((size_t)width * (size_t)height * 4);
    if (!rgba || !app_preview_grey(&state->raster, width, height, rgba)) {
        free(rgba);
        return;
    }
    qel_texture_release(ctx, state->texture);
    state->texture = qel_texture_create(ctx, width, height, rgba);
    state->texture_width = width;
    state->texture_height = height;
    state->texture_key = key;
    free(rgba);
}

bool app_preview_step(qel_context* ctx, app_state* state)
{
    if (!render(state)) return false;
    bool refitted = refit(ctx, state);
    update_texture(ctx, state);
    return refitted;
}

void app_preview_payload_fill(qel_context* ctx, app_preview_payload* payload, app_state* state)
{
    *payload = {};
    payload->screen_dpi = view_dpi(ctx, state);
    payload->printer_dpi = printer_dpi(state);
    payload->zoom = state->zoom;
    payload->state = state;
    if (!state->raster_valid || !state->texture) return;
    payload->texture = state->texture;
    payload->raster_width = state->raster.width;
    payload->raster_height = state->raster.height;
    payload->has_texture = 1;
}

// Keeps the canvas's whole-pixel size for the next fit.
static void note_canvas_size(qel_context* ctx, app_state* state, qel_rect rect)
{
    const int32_t width = (int32_t)rect.w, height = (int32_t)rect.h;
    if (width == state->canvas_width && height == state->canvas_height) return;
    state->canvas_width = width;
    state->canvas_height = height;
    if (state->zoom == APP_ZOOM_FIT) qel_request_redraw(ctx);
}

void app_preview_draw(qel_context* ctx, qel_rect rect, const void* user)
{
    const auto* p = (const app_preview_payload*)user;
    const float background_radii[4] = {6, 6, 6, 6};
    qel_draw_rect(ctx, &rect, background_radii, qel_color_token(QEL_COLOR_SUBTLE));
    if (p->state) note_canvas_size(ctx, p->state, rect);
    if (!p->has_texture || p->printer_dpi <= 0) return;
    const float scale = p->zoom != APP_ZOOM_FIT ? (float)p->zoom : p->state ? p->state->fit_scale : 0;
    const float w = (float)p->raster_width * p->screen_dpi / p->printer_dpi * scale;
    const float h = (float)p->raster_height * p->screen_dpi / p->printer_dpi * scale;
    const qel_rect card = {rect.x + (rect.w - w) * 0.5f, rect.y + (rect.h - h) * 0.5f, w, h};
    const float radii[4] = {3, 3, 3, 3};
    const qel_color black = 0xFF000000, white = 0xFFFFFFFF;
    for (int i = 6; i >= 1; i--) {
        const qel_rect shadow = {card.x + 0.6f * (float)i, card.y + 1.1f * (float)i, w, h};
        qel_draw_rect(ctx, &shadow, radii, qel_color_alpha(black, 0.03f));
    }
    qel_draw_rect(ctx, &card, radii, white);
    const qel_rect whole = {0, 0, 1, 1};
    qel_draw_image(ctx, p->texture, &card, &whole, radii, white);
    qel_draw_rect_bordered(ctx, &card, radii, 0, qel_color_alpha(black, 0.14f), 1);
}

// The end of a span of source dots that starts at `start`: at least one dot, within `limit`.
static int64_t span_end(int64_t start, int64_t end, int64_t limit)
{
    if (end <= start) end = start + 1;
    return end > limit ? limit : end;
}

// sums[x] becomes the black dots of columns 0 .. x - 1 over rows top .. bottom - 1.
static void column_sums(const raster* r, int64_t top, int64_t bottom, int64_t* sums)
{
    memset(sums, 0, ((size_t)r->width + 1) * sizeof *sums);
    int64_t* counts = sums + 1;
    for (int64_t y = top; y < bottom; y++) {
        const uint8_t* row = r->bits + (size_t)y * (size_t)r->stride;
        for (int32_t i = 0; i < r->stride; i++) {
            if (!row[i]) continue;
            for (int32_t bit = 0, x = i * 8; bit < 8 && x < r->width; bit++, x++)
                if (row[i] & (0x80 >> bit)) counts[x]++;
        }
    }
    for (int32_t x = 0; x < r->width; x++) sums[x + 1] += sums[x];
}

// 255 less 255 for every black dot among those covered, in whole steps (spans are never
// empty). Enlarged views, the usual ones, cover one dot a pixel and need no division.
static uint8_t grey_level(int64_t black, int64_t covered)
{
    if (covered == 1) return black ? 0 : 255;
    return (uint8_t)(255 - 255 * black / covered);
}

bool app_preview_grey(const raster* r, int32_t width, int32_t height, uint8_t* rgba)
{
    const int64_t rw = r->width, rh = r->height;
    auto* sums = (int64_t*)malloc(sizeof(int64_t) * (size_t)(rw + 1 + width + 1));
    if (!sums) return false;
    int64_t* starts = sums + rw + 1;
    for (int64_t x = 0; x <= width; x++) starts[x] = x * rw / width;
    const size_t row_bytes = (size_t)width * 4;
    int64_t last_top = -1;
    for (int64_t y = 0; y < height; y++) {
        uint8_t* out = rgba + (size_t)y * row_bytes;
        int64_t top = y * rh / height, bottom = span_end(top, (y + 1) * rh / height, rh);
        // Enlarged, several pixel rows cover the same dots; rows that start alike are then one
        // dot high alike.
        if (top == last_top) {
            memcpy(out, out - row_bytes, row_bytes);
            continue;
        }
        last_top = top;
        column_sums(r, top, bottom, sums);
        for (int64_t x = 0; x < width; x++, out += 4) {
            int64_t left = starts[x], right = span_end(left, starts[x + 1], rw);
            const uint8_t grey = grey_level(sums[right] - sums[left], (right - left) * (bottom - top));
            out[0] = out[1] = out[2] = grey;
            out[3] = 255;
        }
    }
    free(sums);
    return true;
}
