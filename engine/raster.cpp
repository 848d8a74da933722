// 1-bit raster storage and drawing, clipped everywhere since callers pass layout arithmetic
// straight through.
#include "raster.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

engine_error raster_create(raster* r, int32_t width, int32_t height)
{
    if (!r) return ERR_INVALID;
    if (width < 1 || width > RASTER_MAX_WIDTH || height < 1 || height > RASTER_MAX_HEIGHT) return ERR_RANGE;
    r->width = width;
    r->height = height;
    r->stride = (width + 7) / 8;
    r->bits = (uint8_t*)calloc((size_t)height, (size_t)r->stride);
    return r->bits ? ERR_OK : ERR_NOMEM;
}

void raster_free(raster* r)
{
    if (!r) return;
    free(r->bits);
    r->bits = nullptr;
    r->width = 0;
    r->stride = 0;
}

static bool raster_usable(const raster* r)
{
    return r && r->bits;
}

static bool raster_holds(const raster* r, int64_t x, int64_t y)
{
    return x >= 0 && y >= 0 && x < r->width && y < r->height;
}

void raster_fill(raster* r, int black)
{
    if (!raster_usable(r)) return;
    memset(r->bits, black ? 0xFF : 0x00, (size_t)r->height * (size_t)r->stride);
}

int raster_get(const raster* r, int32_t x, int32_t y)
{
    if (!raster_usable(r) || !raster_holds(r, x, y)) return 0;
    return (r->bits[(size_t)y * r->stride + (x >> 3)] >> (7 - (x & 7))) & 1;
}

static void raster_put_bit(uint8_t* row, int32_t x, int black)
{
    uint8_t mask = (uint8_t)(0x80 >> (x & 7));
    row[x >> 3] = black ? (uint8_t)(row[x >> 3] | mask) : (uint8_t)(row[x >> 3] & ~mask);
}

void raster_set(raster* r, int32_t x, int32_t y, int black)
{
    if (!raster_usable(r) || !raster_holds(r, x, y)) return;
    raster_put_bit(r->bits + (size_t)y * r->stride, x, black);
}

// Sets or clears dots x0..x1-1 of one row: partial bytes bit by bit, whole bytes at once.
static void raster_span(uint8_t* row, int32_t x0, int32_t x1, int black)
{
    int32_t x = x0;
    for (; x < x1 && (x & 7); x++) raster_put_bit(row, x, black);
    int32_t whole = (x1 - x) >> 3;
    if (whole > 0) {
        memset(row + (x >> 3), black ? 0xFF : 0x00, (size_t)whole);
        x += whole * 8;
    }
    for (; x < x1; x++) raster_put_bit(row, x, black);
}

void raster_fill_rect(raster* r, int32_t x, int32_t y, int32_t w, int32_t h, int black)
{
    if (!raster_usable(r) || w <= 0 || h <= 0) return;
    // 64-bit ends so that huge sizes from callers cannot wrap.
    int64_t x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    int64_t x1 = (int64_t)x + w, y1 = (int64_t)y + h;
    if (x1 > r->width) x1 = r->width;
    if (y1 > r->height) y1 = r->height;
    if (x0 >= x1 || y0 >= y1) return;
    for (int64_t row = y0; row < y1; row++)
        raster_span(r->bits + (size_t)row * r->stride, (int32_t)x0, (int32_t)x1, black);
}

int64_t raster_count_ink(const raster* r)
{
    if (!raster_usable(r)) return 0;
    int64_t count = 0;
    size_t size = (size_t)r->height * (size_t)r->stride;
    for (size_t i = 0; i < size; i++) count += __builtin_popcount(r->bits[i]);
    return count;
}

// Upright blits OR whole source bytes, shifted into place, over the clipped column range.
static void raster_blit_upright(raster* dst, const raster* src, int32_t x, int32_t y)
{
    int64_t sx0 = x < 0 ? -(int64_t)x : 0, sx1 = (int64_t)dst->width - x;
    int64_t sy0 = y < 0 ? -(int64_t)y : 0, sy1 = (int64_t)dst->height - y;
    if (sx1 > src->width) sx1 = src->width;
    if (sy1 > src->height) sy1 = src->height;
    if (sx0 >= sx1 || sy0 >= sy1) return;
    for (int64_t sy = sy0; sy < sy1; sy++) {
        const uint8_t* from = src->bits + (size_t)sy * src->stride;
        uint8_t* to = dst->bits + (size_t)(y + sy) * dst->stride;
        for (int64_t sx = sx0; sx < sx1;) {
            // The source dots sx..sx+n-1 lie in one source byte; they land at dst dot x + sx.
            int64_t n = 8 - (sx & 7);
            if (n > sx1 - sx) n = sx1 - sx;
            uint8_t bits = (uint8_t)(((from[sx >> 3] << (sx & 7)) & 0xFF) & (0xFF << (8 - n)));
            if (bits) {
                int64_t dx = (int64_t)x + sx;
                int shift = (int)(dx & 7);
                to[dx >> 3] |= (uint8_t)(bits >> shift);
                if (shift && (uint8_t)(bits << (8 - shift))) to[(dx >> 3) + 1] |= (uint8_t)(bits << (8 - shift));
            }
            sx += n;
        }
    }
}

void raster_blit_rotated(raster* dst, const raster* src, int32_t x, int32_t y, int rotation)
{
    if (!raster_usable(dst) || !raster_usable(src)) return;
    if (rotation != 90 && rotation != 180 && rotation != 270) {
        raster_blit_upright(dst, src, x, y);
        return;
    }
    int32_t w = src->width, h = src->height;
    for (int32_t sy = 0; sy < h; sy++) {
        const uint8_t* row = src->bits + (size_t)sy * src->stride;
        for (int32_t sx = 0; sx < w; sx++) {
            // Most of a turned block is white: whole clear bytes are passed over at once.
            if (!(sx & 7) && !row[sx >> 3]) {
                sx += 7;
                continue;
            }
            if (!((row[sx >> 3] >> (7 - (sx & 7))) & 1)) continue;
            int64_t dx, dy;
            switch (rotation) {
            case 90: dx = (int64_t)x + (h - 1 - sy); dy = (int64_t)y + sx; break;
            case 180: dx = (int64_t)x + (w - 1 - sx); dy = (int64_t)y + (h - 1 - sy); break;
            default: dx = (int64_t)x + sy; dy = (int64_t)y + (w - 1 - sx); break;
            }
            if (raster_holds(dst, dx, dy)) raster_put_bit(dst->bits + (size_t)dy * dst->stride, (int32_t)dx, 1);
        }
    }
}

float raster_fit_scale(int32_t width_dots, int32_t height_dots, float pixels, float dots, float view_w,
                       float view_h, float margin)
{
    if (width_dots <= 0 || height_dots <= 0 || !(pixels > 0) || !(dots > 0)) return 1.0f;
    if (!(margin > 0)) margin = 0;
    float room_w = view_w - 2 * margin, room_h = view_h - 2 * margin;
    if (!(room_w > 1) || !(room_h > 1)) return 1.0f;
    float per_dot = pixels / dots;
    float sx = room_w / (width_dots * per_dot), sy = room_h / (height_dots * per_dot);
    float scale = sx < sy ? sx : sy;
    return scale > 0 && std::isfinite(scale) ? scale : 1.0f;
}
