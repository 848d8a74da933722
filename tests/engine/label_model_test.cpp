#include "engine/label_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/catalog.h"

static csv_table table_of(const std::string& text)
{
    csv_table t = {};
    EXPECT_EQ(csv_parse(&t, text.data(), text.size(), nullptr, 0), ERR_OK);
    return t;
}

TEST(LabelModel, InitAndElementDefaults)
{
    label_model m;
    memset(&m, 0x5A, sizeof m);
    label_model_init(&m, "tag", 50.8f, 25.4f, 0);
    EXPECT_STREQ(m.description, "tag");
    EXPECT_EQ(m.dpi, 203);
    EXPECT_EQ(m.gap_mm, 0.0f);
    EXPECT_EQ(m.element_count, 0);
    label_model_init(&m, "tag", 50.8f, 25.4f, 600);
    EXPECT_EQ(m.dpi, 600);
    label_model_init(nullptr, "tag", 1, 1, 1);

    label_element* e = label_add_element(&m, LABEL_BARCODE);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e, &m.elements[0]);
    EXPECT_EQ(e->kind, (uint32_t)LABEL_BARCODE);
    EXPECT_EQ(e->size_mm, 3.0f);
    EXPECT_EQ(e->module_mm, 0.25f);
    EXPECT_EQ(e->human_readable, 1);
    EXPECT_EQ(e->column, -1);
    EXPECT_EQ(e->x_mm + e->y_mm + e->width_mm + e->height_mm, 0.0f);
    EXPECT_EQ(e->bold | (int)e->align | (int)e->symbology | e->rotation_deg | e->max_lines, 0);
    EXPECT_STREQ(e->text, "");

    for (int i = 1; i < LABEL_MAX_ELEMENTS; i++) ASSERT_NE(label_add_element(&m, LABEL_RULE), nullptr);
    label_model before = m;
    EXPECT_EQ(label_add_element(&m, LABEL_TEXT), nullptr);
    EXPECT_EQ(memcmp(&before, &m, sizeof m), 0);
    EXPECT_EQ(label_add_element(nullptr, LABEL_TEXT), nullptr);
}

TEST(LabelModel, LayoutIdsAreExactAndUnknownOnesLeaveNoElements)
{
    label_model m;
    label_model_init(&m, "x", 50.8f, 25.4f, 203);
    EXPECT_EQ(layout_build(nullptr, "price", nullptr), ERR_INVALID);
    EXPECT_EQ(layout_build(&m, nullptr, nullptr), ERR_INVALID);
    for (uint32_t i = 0; i < catalog_layout_count(); i++) {
        EXPECT_EQ(layout_build(&m, catalog_layout_id(i), nullptr), ERR_OK) << catalog_layout_id(i);
        EXPECT_GT(m.element_count, 0);
    }
    EXPECT_EQ(layout_build(&m, "Price", nullptr), ERR_INVALID);
    EXPECT_EQ(m.element_count, 0);
    EXPECT_EQ(layout_build(&m, "", nullptr), ERR_INVALID);
}

// Element boxes worked out by hand from the template rules for the 2x1 stock (s = 25.4,
// margin 1.524, inner width 47.752) and the jewelry tail (margin 1), at 203 dpi.
TEST(LabelModel, TemplateGeometry)
{
    const struct {
        const char* stock;
        const char* layout;
        int index;
        uint32_t kind;
        float x, y, width, height, size;
        uint32_t align;
        int bold, rotation, max_lines;
    } cases[] = {
        // price, landscape: name 2.921 mm snaps to 24 px, price 7.62 mm to 60 px
        {"2x1", "price", 0, LABEL_TEXT, 1.524f, 11.136f, 24.831f, 0, 3.003f, ALIGN_LEFT, 0, 0, 2},
        {"2x1", "price", 1, LABEL_TEXT, 26.416f, 8.946f, 22.860f, 0, 7.507f, ALIGN_RIGHT, 1, 0, 0},
        // barcode: the name 2.667 mm snaps to 20 px (2.502 mm); bars at most 10 mm
        {"2x1", "barcode", 0, LABEL_TEXT, 1.524f, 1.219f, 47.752f, 0, 2.502f, ALIGN_LEFT, 0, 0, 2},
        {"2x1", "barcode", 1, LABEL_BARCODE, 1.524f, 5.985f, 47.752f, 18.196f, 10, ALIGN_CENTER, 0, 0, 0},
        // name: 4.572 mm snaps to 34 px (4.254 mm, line 35 px = 4.379 mm)
        {"2x1", "name", 0, LABEL_TEXT, 1.524f, 10.510f, 47.752f, 0, 4.254f, ALIGN_CENTER, 0, 0, 2},
        // plain: 2.54 mm snaps to 20 px, 4.064 mm to 34 px
        {"2x1", "plain", 0, LABEL_TEXT, 1.524f, 1.219f, 29.464f, 0, 2.502f, ALIGN_LEFT, 0, 0, 0},
        {"2x1", "plain", 1, LABEL_TEXT, 29.464f, 1.219f, 19.812f, 0, 4.254f, ALIGN_RIGHT, 1, 0, 0},
        // jewelry tail, portrait: margin 1; the name 2.2 mm snaps to 17 px (2.127 mm), the price
        // 4 mm to 34 px (4.254 mm, line 4.379 mm)
        {"jewelry-tail", "price", 0, LABEL_TEXT, 1, 0.8f, 10.7f, 0, 2.127f, ALIGN_LEFT, 0, 0, 2},
        {"jewelry-tail", "price", 1, LABEL_TEXT, 1, 45.202f, 10.7f, 0, 4.254f, ALIGN_RIGHT, 1, 0, 0},
        // barcode turned a quarter: the name 2 mm snaps to 17 px; y = 1.6 * 2.127 + 1.3
        {"jewelry-tail", "barcode", 1, LABEL_BARCODE, 0.6f, 4.704f, 11.5f, 45.296f, 10, ALIGN_CENTER, 0, 90, 0},
    };
    for (const auto& c : cases) {
        const stock_def* stock = catalog_stock_find(c.stock);
        label_model m;
        label_model_init(&m, stock->description, stock->width_mm, stock->height_mm, 203);
        ASSERT_EQ(layout_build(&m, c.layout, nullptr), ERR_OK);
        const label_element& e = m.elements[c.index];
        std::string where = std::string(c.stock) + " " + c.layout + " " + std::to_string(c.index);
        EXPECT_EQ(e.kind, c.kind) << where;
        EXPECT_NEAR(e.x_mm, c.x, 1e-3) << where;
        EXPECT_NEAR(e.y_mm, c.y, 1e-3) << where;
        EXPECT_NEAR(e.width_mm, c.width, 1e-3) << where;
        EXPECT_NEAR(e.height_mm, c.height, 1e-3) << where;
        EXPECT_NEAR(e.size_mm, c.size, 1e-3) << where;
        EXPECT_EQ(e.align, c.align) << where;
        EXPECT_EQ(e.bold, c.bold) << where;
        EXPECT_EQ(e.rotation_deg, c.rotation) << where;
        EXPECT_EQ(e.max_lines, c.max_lines) << where;
        if (c.kind == LABEL_BARCODE) {
            EXPECT_EQ(e.symbology, (uint32_t)SYMBOLOGY_CODE128);
            EXPECT_EQ(e.module_mm, 0.25f);
            EXPECT_EQ(e.human_readable, 1);
        }
    }
}

TEST(LabelModel, HeaderSynonyms)
{
    const struct {
        const char* header;
        int name, price, barcode;
    } cases[] = {
        {"Product;Retail;EAN\n", 0, 1, 2},
        {"Item,Name\n", 1, -1, -1},  // "name" comes before "item"
        {"code,sell price,sku name\n", 2, 1, 0},
        {"MSRP,GTIN,Title\n", 2, 0, 1},
        {"\xE5\x95\x86\xE5\x93\x81\xE5\x90\x8D,\xE5\x94\xAE\xE4\xBB\xB7,\xE6\x9D\xA1\xE7\xA0\x81\n", 0, 1, 2},
        {"qty,colour\n", -1, -1, -1},
    };
    for (const auto& c : cases) {
        csv_table t = table_of(c.header);
        label_model m;
        label_model_init(&m, "x", 50.8f, 25.4f, 203);
        ASSERT_EQ(layout_build(&m, "price", &t), ERR_OK);
        EXPECT_EQ(m.elements[0].column, c.name) << c.header;
        EXPECT_EQ(m.elements[1].column, c.price) << c.header;
        EXPECT_STREQ(m.elements[0].text, c.name < 0 ? "{Name}" : "") << c.header;
        EXPECT_STREQ(m.elements[1].text, c.price < 0 ? "{Price}" : "") << c.header;
        EXPECT_STREQ(layout_missing_role(&m), c.name < 0 ? "name" : c.price < 0 ? "price" : nullptr) << c.header;
        ASSERT_EQ(layout_build(&m, "barcode", &t), ERR_OK);
        EXPECT_EQ(m.elements[1].column, c.barcode) << c.header;
        EXPECT_STREQ(m.elements[1].text, c.barcode < 0 ? "{Barcode}" : "") << c.header;
        EXPECT_STREQ(layout_missing_role(&m), c.name < 0 ? "name" : c.barcode < 0 ? "barcode" : nullptr) << c.header;
        csv_table_clear(&t);
    }
}
