#include "engine/catalog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

TEST(Catalog, StocksInOrderWithPortraitOnesTallerThanWide)
{
    ASSERT_EQ(catalog_stock_count(), 6u);
    std::string ids, portrait;
    for (uint32_t i = 0; i < catalog_stock_count(); i++) {
        const stock_def* s = catalog_stock_at(i);
        ids += std::string(s->id) + " ";
        if (s->height_mm > s->width_mm) portrait += std::string(s->id) + " ";
        EXPECT_EQ(catalog_stock_find(s->id), s);
    }
    EXPECT_EQ(ids, "2x1 2.25x1.25 1x2 1.25x2.25 jewelry-tail a4-3x8 ");
    EXPECT_EQ(portrait, "1x2 1.25x2.25 jewelry-tail ");
    EXPECT_EQ(catalog_stock_at(6), nullptr);
    EXPECT_EQ(catalog_stock_find("2X1"), nullptr);
    EXPECT_EQ(catalog_stock_find(nullptr), nullptr);
    EXPECT_STREQ(catalog_stock_at(0)->description, "2 \xC3\x97 1 in, landscape price tag");
    EXPECT_FLOAT_EQ(catalog_stock_find("a4-3x8")->gap_mm, 0.0f);
}

TEST(Catalog, PrinterModels)
{
    ASSERT_EQ(catalog_printer_count(), 10u);
    EXPECT_EQ(catalog_printer_at(10), nullptr);
    EXPECT_EQ(catalog_printer_at((uint32_t)-1), nullptr);
    const printer_def* p = catalog_printer_find("brother-ql-1100");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->dpi, 300u);
    EXPECT_EQ(p->language, PRINTER_LANG_BROTHER_QL);
    EXPECT_FLOAT_EQ(p->max_width_mm, 103.0f);
    EXPECT_STREQ(catalog_printer_at(0)->id, "zebra-zd230");
    EXPECT_STREQ(catalog_printer_at(9)->description, "DYMO LabelWriter 4XL (300 dpi, 4 in)");
    // The DYMO heads as their makers give them: 672 dots at 300 dpi, 1248 on the 4XL.
    for (const char* id : {"dymo-lw-450", "dymo-lw-450-turbo", "dymo-lw-4xl"}) {
        const printer_def* dymo = catalog_printer_find(id);
        ASSERT_NE(dymo, nullptr);
        EXPECT_EQ(dymo->dpi, 300u) << id;
        EXPECT_EQ(lroundf(dymo->max_width_mm * 300 / 25.4f), strcmp(id, "dymo-lw-4xl") == 0 ? 1248 : 672) << id;
    }
    EXPECT_EQ(catalog_printer_find("Zebra-zd230"), nullptr);
}

TEST(Catalog, Templates)
{
    ASSERT_EQ(catalog_layout_count(), 4u);
    EXPECT_STREQ(catalog_layout_id(0), "price");
    EXPECT_STREQ(catalog_layout_id(3), "plain");
    EXPECT_STREQ(catalog_layout_description(2), "Name only");
    EXPECT_STREQ(catalog_layout_description(3), "Name and price, one line");
    EXPECT_EQ(catalog_layout_id(4), nullptr);
    EXPECT_EQ(catalog_layout_description(4), nullptr);
}

TEST(Catalog, PrinterLanguageNames)
{
    const struct {
        const char* text;
        int ok;
        uint32_t lang;
    } cases[] = {
        {"zpl", 1, 0},  {"tspl", 1, 1},    {"brother-ql", 1, 2}, {"brother", 1, 2}, {"dymo", 1, 3},
        {"dymo-lw", 1, 3}, {"Brother", 0, 99}, {"ZPL", 0, 99},     {"", 0, 99},        {"dymo ", 0, 99},
    };
    for (const auto& c : cases) {
        uint32_t out = 99;
        EXPECT_EQ(printer_lang_parse(c.text, &out), c.ok) << c.text;
        EXPECT_EQ(out, c.lang) << c.text;
    }
    uint32_t out = 99;
    EXPECT_EQ(printer_lang_parse(nullptr, &out), 0);
    EXPECT_EQ(printer_lang_parse("zpl", nullptr), 0);
    EXPECT_STREQ(printer_lang_name(2), "brother-ql");
    EXPECT_STREQ(printer_lang_name(3), "dymo-lw");
    EXPECT_STREQ(printer_lang_name(4), "?");
}
