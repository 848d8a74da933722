// Label models and the template builder. Template geometry is computed in single precision from
// the label size so that every stock gets its own proportions.
#include "label_model.h"

#include <cstdio>
#include <cstring>

#include "bitmap_font.h"

void label_model_init(label_model* model, const char* description, float width_mm, float height_mm, int32_t dpi)
{
    if (!model) return;
    memset(model, 0, sizeof *model);
    model->description = description;
    model->width_mm = width_mm;
    model->height_mm = height_mm;
    model->dpi = dpi < 1 ? 203 : dpi;
}

label_element* label_add_element(label_model* model, uint32_t kind)
{
    if (!model || model->element_count < 0 || model->element_count >= LABEL_MAX_ELEMENTS) return nullptr;
    label_element* e = &model->elements[model->element_count++];
    memset(e, 0, sizeof *e);
    e->kind = kind;
    e->size_mm = 3.0f;
    e->module_mm = 0.25f;
    e->human_readable = 1;
    e->column = -1;
    return e;
}

int32_t label_text_line_limit(const label_element* element)
{
    return element->max_lines < 1 ? 2 : element->max_lines;
}

namespace {

enum layout_role { ROLE_NAME, ROLE_PRICE, ROLE_BARCODE };

const char* const name_synonyms[] = {
    "name", "product", "item", "title", "description", "variant", "sku name",
    "\xE5\x90\x8D\xE7\xA7\xB0",                          // 名称
    "\xE5\x93\x81\xE5\x90\x8D",                          // 品名
    "\xE5\x95\x86\xE5\x93\x81\xE5\x90\x8D",              // 商品名
    "\xE5\x95\x86\xE5\x93\x81\xE5\x90\x8D\xE7\xA7\xB0",  // 商品名称
    "\xE5\x95\x86\xE5\x93\x81",                          // 商品
    "\xE4\xBA\xA7\xE5\x93\x81",                          // 产品
    "\xE4\xBA\xA7\xE5\x93\x81\xE5\x90\x8D",              // 产品名
    "\xE5\x90\x8D\xE5\xAD\x97",                          // 名字
    nullptr,
};
const char* const price_synonyms[] = {
    "price", "retail", "amount", "unit price", "sell price", "msrp",
    "\xE4\xBB\xB7\xE6\xA0\xBC",              // 价格
    "\xE5\x94\xAE\xE4\xBB\xB7",              // 售价
    "\xE5\x8D\x95\xE4\xBB\xB7",              // 单价
    "\xE4\xBB\xB7\xE9\x92\xB1",              // 价钱
    "\xE9\x9B\xB6\xE5\x94\xAE\xE4\xBB\xB7",  // 零售价
    "\xE5\xAE\x9A\xE4\xBB\xB7",              // 定价
    "\xE9\x87\x91\xE9\xA2\x9D",              // 金额
    nullptr,
};
const char* const barcode_synonyms[] = {
    "barcode", "ean", "upc", "sku", "code", "gtin", "isbn",
    "\xE6\x9D\xA1\xE7\xA0\x81",                          // 条码
    "\xE6\x9D\xA1\xE5\xBD\xA2\xE7\xA0\x81",              // 条形码
    "\xE6\x9D\xA1\xE5\x9E\x8B\xE7\xA0\x81",              // 条型码
    "\xE7\xBC\x96\xE7\xA0\x81",                          // 编码
    "\xE5\x95\x86\xE5\x93\x81\xE7\xBC\x96\xE7\xA0\x81",  // 商品编码
    "\xE8\xB4\xA7\xE5\x8F\xB7",                          // 货号
    nullptr,
};

const struct {
    const char* const* synonyms;
    const char* placeholder;
    const char* name;
} roles[] = {
    {name_synonyms, "{Name}", "name"},
    {price_synonyms, "{Price}", "price"},
    {barcode_synonyms, "{Barcode}", "barcode"},
};

// The shared quantities of every template, in millimetres.
struct layout_frame {
    label_model* model;
    const csv_table* table;
    float w, h, s, m, iw;
};

float clampf(float v, float lo, float hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

// A length in dots at the label's resolution, in millimetres.
float mm_of_dots(const layout_frame& f, int dots)
{
    return (float)dots * 25.4f / (float)f.model->dpi;
}

// A text size snapped to the font ladder.
float snap(const layout_frame& f, float v)
{
    return mm_of_dots(f, bitmap_font_size_for_mm(v, f.model->dpi));
}

// The line height of a text size, in millimetres.
float lines(const layout_frame& f, float v)
{
    return mm_of_dots(f, bitmap_font_line_height(bitmap_font_size_for_mm(v, f.model->dpi)));
}

// An element bound to the role's column, or carrying the role's placeholder.
label_element* add_role(layout_frame& f, uint32_t kind, layout_role role, float x, float y, float width)
{
    label_element* e = label_add_element(f.model, kind);
    for (const char* const* name = roles[role].synonyms; *name && e->column < 0; name++)
        e->column = csv_find_column(f.table, *name);
    if (e->column < 0) snprintf(e->text, sizeof e->text, "%s", roles[role].placeholder);
    e->x_mm = x;
    e->y_mm = y;
    e->width_mm = width;
    return e;
}

label_element* add_text(layout_frame& f, layout_role role, float x, float y, float width, float size, uint32_t align,
                        int bold)
{
    label_element* e = add_role(f, LABEL_TEXT, role, x, y, width);
    e->size_mm = size;
    e->align = align;
    e->bold = bold;
    return e;
}

void layout_price(layout_frame& f)
{
    float ns = snap(f, clampf(0.115f * f.s, 2.2f, 4.5f));
    float ps = snap(f, clampf(0.3f * f.s, 4, 12));
    label_element* name;
    if (f.w < f.h) {
        name = add_text(f, ROLE_NAME, f.m, 0.8f * f.m, f.iw, ns, ALIGN_LEFT, 0);
        add_text(f, ROLE_PRICE, f.m, f.h - f.m - 1.05f * lines(f, ps), f.iw, ps, ALIGN_RIGHT, 1);
    } else {
        name = add_text(f, ROLE_NAME, f.m, (f.h - lines(f, ns)) / 2, 0.52f * f.iw, ns, ALIGN_LEFT, 0);
        add_text(f, ROLE_PRICE, 0.52f * f.w, (f.h - lines(f, ps)) / 2, f.w - 0.52f * f.w - f.m, ps, ALIGN_RIGHT, 1);
    }
    name->max_lines = 2;
}

void layout_barcode(layout_frame& f)
{
    float ns = snap(f, clampf(0.105f * f.s, 2, 4.5f));
    add_text(f, ROLE_NAME, f.m, 0.8f * f.m, f.iw, ns, ALIGN_LEFT, 0)->max_lines = 2;
    float y = 1.6f * ns + 0.8f * f.m + 0.5f * f.m;
    bool portrait = f.h > f.w;
    label_element* b = add_role(f, LABEL_BARCODE, ROLE_BARCODE, portrait ? 0.6f * f.m : f.m, y,
                                portrait ? f.w - 1.2f * f.m : f.iw);
    b->symbology = SYMBOLOGY_CODE128;
    b->align = ALIGN_CENTER;
    b->height_mm = f.h - y - 0.8f * f.m;
    b->size_mm = clampf(0.62f * b->height_mm, 4, 10);
    b->rotation_deg = portrait ? 90 : 0;
}

void layout_name(layout_frame& f)
{
    float ns = snap(f, clampf(0.18f * f.s, 2.5f, 8));
    add_text(f, ROLE_NAME, f.m, (f.h - lines(f, ns)) / 2, f.iw, ns, ALIGN_CENTER, 0)->max_lines = 2;
}

void layout_plain(layout_frame& f)
{
    add_text(f, ROLE_NAME, f.m, 0.8f * f.m, 0.58f * f.w, snap(f, clampf(0.1f * f.s, 2, 3.5f)), ALIGN_LEFT, 0);
    add_text(f, ROLE_PRICE, 0.58f * f.w, 0.8f * f.m, 0.42f * f.w - f.m, snap(f, clampf(0.16f * f.s, 3, 6)),
             ALIGN_RIGHT, 1);
}

const struct {
    const char* id;
    void (*build)(layout_frame&);
} layouts[] = {
    {"price", layout_price},
    {"barcode", layout_barcode},
    {"name", layout_name},
    {"plain", layout_plain},
};

}  // namespace

engine_error layout_build(label_model* model, const char* template_id, const csv_table* table)
{
    if (!model || !template_id) return ERR_INVALID;
    model->element_count = 0;
    for (const auto& layout : layouts) {
        if (strcmp(layout.id, template_id) != 0) continue;
        layout_frame f = {model, table, model->width_mm, model->height_mm, 0, 0, 0};
        f.s = f.w < f.h ? f.w : f.h;
        f.m = clampf(0.06f * f.s, 1, 3);
        f.iw = f.w - 2 * f.m;
        layout.build(f);
        return ERR_OK;
    }
    return ERR_INVALID;
}

const char* layout_missing_role(const label_model* model)
{
    for (int32_t i = 0; model && i < model->element_count && i < LABEL_MAX_ELEMENTS; i++) {
        const label_element& e = model->elements[i];
        for (const auto& role : roles)
            if (e.column < 0 && strcmp(e.text, role.placeholder) == 0) return role.name;
    }
    return nullptr;
}
