// Element drawing. Each text, and a barcode's human-readable line, is drawn upright into a scratch
// raster of its own and then blitted turned into the label, so rotation never touches the
// drawing code; a bar block is one row blitted as many.
#include "render.h"

#include <algorithm>
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

int32_t dots(const label_model* m, float mm)
{
    return label_mm_to_dots(mm, m->dpi);
}

int32_t saturate(int64_t v)
{
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int32_t)v;
}

label_rect wide_rect(int64_t x, int64_t y, int32_t width, int32_t height)
{
    return {saturate(x), saturate(y), width, height};
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

// Whether raster_create takes a scratch raster of this size.
bool raster_size_fits(int64_t width, int64_t height)
{
    return width >= 1 && width <= RASTER_MAX_WIDTH && height >= 1 && height <= RASTER_MAX_HEIGHT;
}

void draw_rule(raster* out, const label_model* m, const label_element& e)
{
    int32_t length = e.width_mm > 0 ? dots(m, e.width_mm) : out->width;
    int32_t thickness = dots(m, e.size_mm > 0 ? e.size_mm : 0.2f);
    raster_fill_rect(out, dots(m, e.x_mm), dots(m, e.y_mm), length, thickness < 1 ? 1 : thickness, 1);
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

// Where rows y0..y0+rows-1 of a barcode's upright drawing, as a raster of their own, are blitted
// to land as the whole drawing would.
label_rect barcode_part_at(const label_barcode_layout& b, int32_t y0, int32_t rows)
{
    return label_turn_rect({0, y0, b.width, rows}, b.width, b.height, b.x, b.y, b.rotation);
}

// Every row of a bar block is the same, so one row is drawn and blitted as all of them. Guard
// bars hang on below the ordinary ones.
engine_error draw_bar_blocks(raster* out, const label_barcode_layout& b)
{
    raster row = {};
    engine_error err = raster_create(&row, b.width, 1);
    if (err != ERR_OK) return err;
    draw_bar_row(&row, b.symbol, b.module, 0, false);
    label_rect at = barcode_part_at(b, 0, b.bar_height);
    raster_blit_row_repeated(out, &row, b.bar_height, at.x, at.y, b.rotation);
    if (b.block_height > b.bar_height) {
        raster_fill(&row, 0);
        draw_bar_row(&row, b.symbol, b.module, 0, true);
        at = barcode_part_at(b, b.bar_height, b.block_height - b.bar_height);
        raster_blit_row_repeated(out, &row, b.block_height - b.bar_height, at.x, at.y, b.rotation);
    }
    raster_free(&row);
    return ERR_OK;
}

// Whether a line's ink drawn at (x, baseline) lies in a box of width x height from the origin:
// then drawing it straight onto the label at the box's place gives what clipping it to the box
// in a scratch raster would.
bool ink_inside(const bitmap_font_ink& ink, int32_t x, int32_t baseline, int32_t width, int32_t height)
{
    return ink.right <= ink.left || (x + ink.left >= 0 && x + ink.right <= width && baseline + ink.top >= 0 &&
                                     baseline + ink.bottom <= height);
}

// The human-readable line: upright and inside the drawing, straight onto the label; else into a
// scratch raster of the drawing's rows from the highest its glyphs reach (a glyph rising over
// the ascent reaches into the bars' rows) to the bottom.
engine_error draw_human_readable(raster* out, const label_barcode_layout& b)
{
    const char* text = b.symbol.text;
    const int32_t baseline = b.block_height + bitmap_font_ascent(b.font_px);
    const int32_t room = b.width - bitmap_font_measure(text, b.font_px), x = room > 0 ? room / 2 : 0;
    const bitmap_font_ink ink = bitmap_font_line_ink(text, b.font_px, 0);
    if (b.rotation == 0 && ink_inside(ink, x, baseline, b.width, b.height)) {
        bitmap_font_draw_line(out, b.x + x, b.y + baseline, b.font_px, text, 0);
        return ERR_OK;
    }
    const int32_t top = (int32_t)std::clamp<int64_t>(baseline + ink.top, 0, b.block_height);
    raster band = {};
    engine_error err = raster_create(&band, b.width, b.height - top);
    if (err != ERR_OK) return err;
    bitmap_font_draw_line(&band, x, baseline - top, b.font_px, text, 0);
    label_rect at = barcode_part_at(b, top, band.height);
    raster_blit_rotated(out, &band, at.x, at.y, b.rotation);
    raster_free(&band);
    return ERR_OK;
}

engine_error draw_barcode(raster* out, const label_model* m, const label_element& e, const char* text)
{
    label_barcode_layout b;
    engine_error err = label_layout_barcode(m, &e, text, &b);
    if (err == ERR_OK) err = draw_bar_blocks(out, b);
    if (err == ERR_OK && b.band_height > 0) err = draw_human_readable(out, b);
    return err;
}

engine_error draw_text(raster* out, const label_model* m, const label_element& e, const char* text)
{
    label_text_layout t;
    engine_error err = label_layout_text(m, &e, text, &t);
    if (err != ERR_OK || !*text) return err;
    const int32_t ascent = bitmap_font_ascent(t.font_px), room = t.box_width - t.text_width;
    const int32_t line_x = e.align == ALIGN_CENTER ? room / 2 : e.align == ALIGN_RIGHT ? room : 0;
    if (t.one_line && t.rotation == 0 &&
        ink_inside(bitmap_font_line_ink(text, t.font_px, e.bold), line_x, ascent, t.box_width, t.line_height)) {
        bitmap_font_draw_line(out, t.x + line_x, t.y + ascent, t.font_px, text, e.bold);
        return ERR_OK;
    }
    raster scratch = {};
    err = raster_create(&scratch, t.box_width, t.room_lines * t.line_height);
    if (err != ERR_OK) return err;
    int32_t used = t.line_height;
    if (t.one_line) {
        bitmap_font_draw_line(&scratch, line_x, ascent, t.font_px, text, e.bold);
    } else {
        int drawn = bitmap_font_draw_box(&scratch, 0, ascent, t.font_px, t.box_width, text, e.bold, t.max_lines);
        used = t.line_height * (drawn > 1 ? drawn : 1);
    }
    int32_t x = t.x;
    if (quarter_turn(t.rotation)) x += align_shift(e.align, t.box_width, used);
    raster block = scratch;
    block.height = used;  // rows are contiguous, so the top rows are a raster of their own
    raster_blit_rotated(out, &block, x, t.y, t.rotation);
    raster_free(&scratch);
    return ERR_OK;
}

}  // namespace

int32_t label_rotation(int32_t degrees)
{
    return (degrees / 90) * 90 % 360;
}

label_rect label_turn_rect(label_rect r, int32_t width, int32_t height, int32_t x, int32_t y, int32_t rotation)
{
    // Worked out wide: an element placed far off the label must land far off it, not wrap round.
    const int64_t left = x, top = y, right = (int64_t)r.x + r.width, bottom = (int64_t)r.y + r.height;
    switch (rotation) {
    case 90:
        return wide_rect(left + height - bottom, top + r.x, r.height, r.width);
    case 180:
        return wide_rect(left + width - right, top + height - bottom, r.width, r.height);
    case 270:
        return wide_rect(left + r.y, top + width - right, r.height, r.width);
    default:
        return wide_rect(left + r.x, top + r.y, r.width, r.height);
    }
}

engine_error label_layout_text(const label_model* m, const label_element* e, const char* text, label_text_layout* out)
{
    if (bitmap_font_missing_count(text) != 0) return ERR_NO_GLYPH;
    label_text_layout t;
    t.rotation = label_rotation(e->rotation_deg);
    t.font_px = bitmap_font_size_for_mm(e->size_mm, m->dpi);
    t.line_height = bitmap_font_line_height(t.font_px);
    t.box_width = dots(m, e->width_mm);
    if (t.box_width < 1) t.box_width = label_width_dots(m);
    t.max_lines = label_text_line_limit(e);
    t.text_width = bitmap_font_measure(text, t.font_px);
    t.one_line = t.text_width <= t.box_width || t.max_lines == 1;
    // A wrapped line holds at least one byte, so the text never needs more lines than bytes.
    size_t length = strlen(text);
    int64_t lines = t.one_line ? 1 : (size_t)t.max_lines < length ? t.max_lines : (int64_t)length;
    if (*text && !raster_size_fits(t.box_width, lines * t.line_height)) return ERR_RANGE;
    t.room_lines = (int32_t)lines;
    t.x = dots(m, e->x_mm);
    t.y = dots(m, e->y_mm);
    *out = t;
    return ERR_OK;
}

engine_error label_layout_barcode(const label_model* m, const label_element* e, const char* text,
                                  label_barcode_layout* out)
{
    label_barcode_layout& b = *out;
    engine_error err = barcode_encode(e->symbology, text, &b.symbol);
    if (err != ERR_OK) return err;
    const barcode_symbol& s = b.symbol;
    b.rotation = label_rotation(e->rotation_deg);
    const bool quarter = quarter_turn(b.rotation);
    const int64_t length = quarter ? label_height_dots(m) : label_width_dots(m);
    b.module = dots(m, e->module_mm);
    if (b.module < 1) return ERR_RANGE;
    const int64_t width = (int64_t)s.module_count * b.module;
    if (width > length) return ERR_RANGE;
    b.bar_height = dots(m, e->size_mm);
    if (b.bar_height < dots(m, 2)) return ERR_RANGE;

    const int64_t block = s.guard_count > 0 ? (int64_t)b.bar_height + 3 * (int64_t)b.module : b.bar_height;
    b.band_height = 0;
    b.font_px = 0;
    if (e->human_readable && s.text_length > 0) {
        int32_t tall = (int32_t)(0.3 * b.bar_height);
        b.font_px = bitmap_font_size_for_height((float)tall);
        b.band_height = tall < b.font_px ? tall : bitmap_font_line_height(b.font_px);
    }
    if (!raster_size_fits(width, block + b.band_height)) return ERR_RANGE;
    b.block_height = (int32_t)block;
    b.width = (int32_t)width;
    b.height = b.block_height + b.band_height;

    b.x = dots(m, e->x_mm);
    b.y = dots(m, e->y_mm);
    b.x += align_shift(e->align, e->width_mm > 0 ? dots(m, e->width_mm) : label_width_dots(m),
                       quarter ? b.height : b.width);
    if (e->height_mm > 0) b.y += align_shift(ALIGN_CENTER, dots(m, e->height_mm), quarter ? b.width : b.height);

    int32_t first = 0, end = s.module_count;
    while (first < end && !s.modules[first]) first++;
    while (end > first && !s.modules[end - 1]) end--;
    b.bars = {first * b.module, 0, (end - first) * b.module, b.bar_height};
    // Along the symbol's length every bar must be on the label.
    label_rect on_label = label_turn_rect(b.bars, b.width, b.height, b.x, b.y, b.rotation);
    int64_t start = quarter ? on_label.y : on_label.x, run = quarter ? on_label.height : on_label.width;
    if (start < 0 || start + run > length) return ERR_RANGE;
    return ERR_OK;
}

namespace {

// Visits the elements the pass draws, in order, each with its text for the row, until one
// fails: visit(element, text) gives the element's result.
template <typename visitor>
engine_error each_element(const label_model* model, const csv_table* table, int32_t row, uint32_t pass,
                          visitor visit)
{
    int32_t count = model->element_count < LABEL_MAX_ELEMENTS ? model->element_count : LABEL_MAX_ELEMENTS;
    engine_error err = ERR_OK;
    for (int32_t i = 0; i < count && err == ERR_OK; i++) {
        const label_element& e = model->elements[i];
        // Kinds other than text and rule draw as barcodes, as the printer writers send them.
        if (e.kind == LABEL_TEXT ? pass != RENDER_GRAPHICS : pass != RENDER_TEXT)
            err = visit(e, label_element_text(&e, table, row));
    }
    return err;
}

}  // namespace

namespace {

// Draws the pass's elements into a white raster of the label's size.
engine_error draw_elements(const label_model* model, const csv_table* table, int32_t row, raster* out, uint32_t pass)
{
    return each_element(model, table, row, pass, [&](const label_element& e, const char* text) {
        if (e.kind == LABEL_TEXT) return draw_text(out, model, e, text);
        if (e.kind == LABEL_RULE) {
            draw_rule(out, model, e);
            return ERR_OK;
        }
        return draw_barcode(out, model, e, text);
    });
}

}  // namespace

engine_error label_render_pass(const label_model* model, const csv_table* table, int32_t row, raster* out,
                               uint32_t pass)
{
    if (!model || !out) return ERR_INVALID;
    engine_error err = raster_create(out, label_width_dots(model), label_height_dots(model));
    if (err != ERR_OK) return err;
    err = draw_elements(model, table, row, out, pass);
    if (err != ERR_OK) raster_free(out);
    return err;
}

engine_error label_render_over(const label_model* model, const csv_table* table, int32_t row, uint32_t pass,
                               raster* out)
{
    if (!model || !out || !out->bits || out->width != label_width_dots(model) ||
        out->height != label_height_dots(model))
        return ERR_INVALID;
    engine_error err = draw_elements(model, table, row, out, pass);
    if (err != ERR_OK) raster_fill(out, 0);
    return err;
}

engine_error label_check_row(const label_model* model, const csv_table* table, int32_t row)
{
    if (!model) return ERR_INVALID;
    if (!raster_size_fits(label_width_dots(model), label_height_dots(model))) return ERR_RANGE;
    return each_element(model, table, row, RENDER_ALL, [&](const label_element& e, const char* text) {
        label_text_layout t;
        label_barcode_layout b;
        if (e.kind == LABEL_TEXT) return label_layout_text(model, &e, text, &t);
        return e.kind == LABEL_RULE ? ERR_OK : label_layout_barcode(model, &e, text, &b);
    });
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
