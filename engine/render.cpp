// Element drawing. Each barcode and text is drawn upright into a scratch raster of its own and
// then blitted turned into the label, so rotation never touches the drawing code.
#include "render.h"

#include <cmath>
#include <cstring>

#include "barcode.h"
#include "bitmap_font.h"

int32_t label_mm_to_dots(float mm, int32_t dpi)
{
    float dots = roundf(mm * (float)dpi / 25.4f);
    if (std::isnan(dots)) return 0;
    const float limit = 1 << 30;
    return dots > limit ? 1 << 30 : dots < -limit ? -(1 << 30) : (int32_t)dots;
}

int32_t label_width_dots(const label_model* model)
{
    return model ? label_mm_to_dots(model->width_mm, model->dpi) : 0;
}

int32_t label_height_dots(const label_model* model)
{
    return model ? label_mm_to_dots(model->height_mm, model->dpi) : 0;
}

const char* label_element_text(const label_element* element, const csv_table* table, int32_t row)
{
    if (!element) return "";
    return element->column >= 0 ? csv_cell(table, row, element->column) : element->text;
}

int label_bind_placeholders(label_model* model, const csv_table* table)
{
    if (!model || !table) return 1;
    int bound = 0;
    for (int32_t i = 0; i < model->element_count && i < LABEL_MAX_ELEMENTS; i++) {
        label_element* e = &model->elements[i];
        size_t length = strnlen(e->text, sizeof e->text);
        if (e->column >= 0 || length <= 2 || length >= sizeof e->text || e->text[0] != '{' ||
            e->text[length - 1] != '}')
            continue;
        char name[LABEL_TEXT_SIZE];
        memcpy(name, e->text + 1, length - 2);
        name[length - 2] = '\0';
        int32_t column = csv_find_column(table, name);
        if (column < 0) continue;
        e->column = column;
        e->text[0] = '\0';
        bound = 1;
    }
    return bound ? 0 : 1;
}

namespace {

// What every element drawing needs to know about the label being rendered.
struct render_target {
    raster* out;
    int32_t dpi;
};

int32_t dots(const render_target& t, float mm)
{
    return label_mm_to_dots(mm, t.dpi);
}

// 0, 90, 180 or 270; other values (negative ones included) draw upright.
int normal_rotation(int32_t degrees)
{
    return (degrees / 90) * 90 % 360;
}

bool quarter_turn(int rotation)
{
    return rotation == 90 || rotation == 270;
}

// How far an extent moves to sit centred or right-aligned in a box; 0 when it does not fit.
int32_t align_shift(uint32_t align, int64_t box, int64_t extent)
{
    int64_t room = box - extent;
    if (room <= 0 || (align != ALIGN_CENTER && align != ALIGN_RIGHT)) return 0;
    return (int32_t)(align == ALIGN_CENTER ? room / 2 : room);
}

// A scratch raster's height, held where raster_create refuses it rather than wrapped.
int32_t scratch_height(int64_t size)
{
    return size > RASTER_MAX_HEIGHT + 1 ? RASTER_MAX_HEIGHT + 1 : (int32_t)size;
}

void draw_rule(const render_target& t, const label_element& e)
{
    int32_t length = e.width_mm > 0 ? dots(t, e.width_mm) : t.out->width;
    int32_t thickness = dots(t, e.size_mm > 0 ? e.size_mm : 0.2f);
    raster_fill_rect(t.out, dots(t, e.x_mm), dots(t, e.y_mm), length, thickness < 1 ? 1 : thickness, 1);
}

bool in_guard(const barcode_symbol& s, int32_t module)
{
    for (int32_t g = 0; g < s.guard_count; g++)
        if (module >= s.guards[g].first && module < s.guards[g].end) return true;
    return false;
}

// One row of bars, md dots a module: every bar, or only those of the guard ranges.
void draw_bar_row(raster* r, const barcode_symbol& s, int32_t md, int32_t y, bool guards_only)
{
    for (int32_t i = 0; i < s.module_count;) {
        int32_t run = 0;
        while (i + run < s.module_count && s.modules[i + run] && (!guards_only || in_guard(s, i + run))) run++;
        if (run > 0) raster_fill_rect(r, i * md, y, run * md, 1, 1);
        i += run > 0 ? run : 1;
    }
}

// Copies row `from` into the rows below it up to `end`.
void repeat_row(raster* r, int32_t from, int32_t end)
{
    for (int32_t y = from + 1; y < end && y < r->height; y++)
        memcpy(r->bits + (size_t)y * r->stride, r->bits + (size_t)from * r->stride, (size_t)r->stride);
}

// Bars hang from the top of the scratch raster, guard bars longer. Every row of a bar block is
// the same, so one is drawn and copied.
void draw_bars(raster* scratch, const barcode_symbol& s, int32_t md, int32_t bar_height, int32_t guard_height)
{
    draw_bar_row(scratch, s, md, 0, false);
    repeat_row(scratch, 0, bar_height);
    if (guard_height <= bar_height) return;
    draw_bar_row(scratch, s, md, bar_height, true);
    repeat_row(scratch, bar_height, guard_height);
}

engine_error draw_barcode(const render_target& t, const label_element& e, const char* text)
{
    barcode_symbol s;
    engine_error err = barcode_encode(e.symbology, text, &s);
    if (err != ERR_OK) return err;
    int rotation = normal_rotation(e.rotation_deg);
    bool quarter = quarter_turn(rotation);
    int32_t md = dots(t, e.module_mm);
    if (md < 1) return ERR_RANGE;
    int64_t sw = (int64_t)s.module_count * md;
    if (sw > (quarter ? t.out->height : t.out->width)) return ERR_RANGE;
    int32_t bh = dots(t, e.size_mm);
    if (bh < dots(t, 2)) return ERR_RANGE;

    int64_t block = s.guard_count > 0 ? (int64_t)bh + 3 * (int64_t)md : bh;
    int32_t band = 0, px = 0;
    if (e.human_readable && s.text_length > 0) {
        int32_t tall = (int32_t)(0.3 * bh);
        px = bitmap_font_size_for_height((float)tall);
        band = tall < px ? tall : bitmap_font_line_height(px);
    }
    raster scratch = {};
    err = raster_create(&scratch, (int32_t)sw, scratch_height(block + band));
    if (err != ERR_OK) return err;
    draw_bars(&scratch, s, md, bh, (int32_t)block);
    if (band > 0) {
        int32_t room = (int32_t)sw - bitmap_font_measure(s.text, px);
        bitmap_font_draw_line(&scratch, room > 0 ? room / 2 : 0, (int32_t)block + bitmap_font_ascent(px), px, s.text, 0);
    }

    int32_t x = dots(t, e.x_mm), y = dots(t, e.y_mm);
    x += align_shift(e.align, e.width_mm > 0 ? dots(t, e.width_mm) : t.out->width,
                     quarter ? scratch.height : scratch.width);
    if (e.height_mm > 0) y += align_shift(ALIGN_CENTER, dots(t, e.height_mm), quarter ? scratch.width : scratch.height);
    raster_blit_rotated(t.out, &scratch, x, y, rotation);
    raster_free(&scratch);
    return ERR_OK;
}

engine_error draw_text(const render_target& t, const label_element& e, const char* text)
{
    if (bitmap_font_missing_count(text) != 0) return ERR_NO_GLYPH;
    if (!*text) return ERR_OK;
    int px = bitmap_font_size_for_mm(e.size_mm, t.dpi);
    int32_t bw = dots(t, e.width_mm);
    if (bw < 1) bw = t.out->width;
    int lines = label_text_line_limit(&e);
    int32_t lh = bitmap_font_line_height(px);
    int32_t width = bitmap_font_measure(text, px);
    bool one_line = width <= bw || lines == 1;
    // A wrapped line holds at least one byte, so the text never needs more lines than bytes.
    size_t length = strlen(text);
    int64_t room_lines = one_line ? 1 : (size_t)lines < length ? lines : (int64_t)length;

    raster scratch = {};
    engine_error err = raster_create(&scratch, bw, scratch_height(room_lines * lh));
    if (err != ERR_OK) return err;
    int32_t used = lh;
    if (one_line) {
        int32_t x = e.align == ALIGN_CENTER ? (bw - width) / 2 : e.align == ALIGN_RIGHT ? bw - width : 0;
        bitmap_font_draw_line(&scratch, x, bitmap_font_ascent(px), px, text, e.bold);
    } else {
        int drawn = bitmap_font_draw_box(&scratch, 0, bitmap_font_ascent(px), px, bw, text, e.bold, lines);
        used = lh * (drawn > 1 ? drawn : 1);
    }

    int rotation = normal_rotation(e.rotation_deg);
    int32_t x = dots(t, e.x_mm);
    if (quarter_turn(rotation)) x += align_shift(e.align, bw, used);
    raster block = scratch;
    block.height = used;  // rows are contiguous, so the top rows are a raster of their own
    raster_blit_rotated(t.out, &block, x, dots(t, e.y_mm), rotation);
    raster_free(&scratch);
    return ERR_OK;
}

}  // namespace

engine_error label_render_pass(const label_model* model, const csv_table* table, int32_t row, raster* out,
                               uint32_t pass)
{
    if (!model || !out) return ERR_INVALID;
    engine_error err = raster_create(out, label_width_dots(model), label_height_dots(model));
    if (err != ERR_OK) return err;
    render_target t = {out, model->dpi};
    int32_t count = model->element_count < LABEL_MAX_ELEMENTS ? model->element_count : LABEL_MAX_ELEMENTS;
    for (int32_t i = 0; i < count && err == ERR_OK; i++) {
        const label_element& e = model->elements[i];
        const char* text = label_element_text(&e, table, row);
        if (e.kind == LABEL_TEXT) {
            if (pass != RENDER_GRAPHICS) err = draw_text(t, e, text);
        } else if (pass != RENDER_TEXT) {
            // Kinds other than text and rule draw as barcodes, as the printer writers send them.
            if (e.kind == LABEL_RULE) draw_rule(t, e);
            else err = draw_barcode(t, e, text);
        }
    }
    if (err != ERR_OK) raster_free(out);
    return err;
}

engine_error label_render_row_pass(const label_model* model, const csv_table* table, int32_t row, uint32_t pass,
                                   raster* out)
{
    return label_render_pass(model, table, row, out, pass);
}

engine_error label_render_row(const label_model* model, const csv_table* table, int32_t row, raster* out)
{
    return label_render_pass(model, table, row, out, RENDER_ALL);
}

engine_error label_render_literal(const label_model* model, raster* out)
{
    const csv_table empty = {};
    return label_render_pass(model, &empty, 0, out, RENDER_ALL);
}
