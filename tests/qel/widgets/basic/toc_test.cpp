// Tables of contents over scripted frames: the active entry follows the page as it scrolls (the
// last once at the end), a click glides the page to the section and answers with its index, and
// levels indent the entries.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const qel_toc_entry ENTRIES[4] = {
    {"Columns", "columns", 1}, {"Prices", "prices", 2}, {"Barcodes", "codes", 6}, {"Printing", "print", 0}};

struct toc_scene {
    widget_rig rig;
    int32_t result = -2;

    explicit toc_scene(uint32_t mode = QEL_THEME_LIGHT) : rig(500, 300, mode)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_style row = {};
            row.width = {QEL_SIZE_GROW, 1};
            row.height = {QEL_SIZE_GROW, 1};
            row.align = QEL_ALIGN_START;
            row.padding = 14;
            row.gap = 16;
            qel_row_begin(ctx, &row);
            qel_style side = {};
            side.width = {QEL_SIZE_FIXED, 160};
            qel_column_begin(ctx, &side);
            result = qel_toc(ctx, "page", ENTRIES, 4);
            qel_container_end(ctx);
            qel_scroll_area_options page = {};
            page.name = "page";
            page.height = {QEL_SIZE_FIXED, 200};
            page.width = {QEL_SIZE_GROW, 1};
            qel_scroll_area_begin(ctx, &page);
            for (const qel_toc_entry& e : ENTRIES) {
                qel_toc_anchor(ctx, e.anchor);
                qel_heading(ctx, e.title, 3);
                qel_gap(ctx, 160);
            }
            qel_scroll_area_end(ctx);
            qel_container_end(ctx);
        };
        rig.h.run(3);
    }
    void scroll_by(float dy)
    {
        qel_rect r = rig.h.rect(qel_id(rig.h.ctx, "page"));
        rig.h.move(r.x + r.w / 2, r.y + r.h / 2);
        rig.h.wheel(0, dy);
        rig.h.run(40);
    }
};

TEST(TableOfContents, TheActiveEntryFollowsTheScrolledPage)
{
    toc_scene s;
    EXPECT_EQ(s.result, 0);
    s.scroll_by(-5);
    int32_t after_some = s.result;
    EXPECT_GT(after_some, 0) << "a scrolled page moves the active entry on";
    s.scroll_by(-40);
    EXPECT_EQ(s.result, 3) << "the end of the page makes the last entry active";
}

TEST(TableOfContents, AClickGlidesThePageToTheSection)
{
    toc_scene s;
    qel_context* ctx = s.rig.h.ctx;
    const qel_node* entry = node_with_text(ctx, "Barcodes");
    ASSERT_NE(entry, nullptr);
    s.rig.h.move(entry->rect.x + 5, entry->rect.y + 5);
    s.rig.h.button(0, true);
    s.rig.h.run();
    s.rig.h.button(0, false);
    s.rig.h.run();
    EXPECT_EQ(s.result, 2) << "the clicked entry is the answer of that frame";
    s.rig.h.move(490, 290);
    s.rig.h.run(60);
    qel_rect page = s.rig.h.rect(qel_id(ctx, "page"));
    qel_rect anchor = s.rig.h.rect(qel_hash_str("codes", 0x70C0A7u));
    EXPECT_NEAR(anchor.y - page.y, 12, 1.0f);
    EXPECT_EQ(s.result, 2);
}

TEST(TableOfContents, LevelsIndentAndNoEntriesGiveMinusOne)
{
    toc_scene s;
    qel_context* ctx = s.rig.h.ctx;
    float left = inspect_node(ctx, node_with_text(ctx, "Printing")->parent)->rect.x;
    struct row {
        const char* title;
        float indent;
    } rows[] = {{"Columns", 12}, {"Prices", 24}, {"Barcodes", 48}, {"Printing", 0}};
    for (const row& r : rows)
        EXPECT_EQ(node_with_text(ctx, r.title)->rect.x - left, r.indent) << r.title;

    widget_rig empty;
    empty.h.ui = [](qel_context* c) { EXPECT_EQ(qel_toc(c, "page", nullptr, 0), -1); };
    empty.h.run(2);
}

class TocPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(TocPictures, ContentsBesideAScrolledPage)
{
    toc_scene s(GetParam());
    s.scroll_by(-5);
    s.rig.h.move(490, 290);
    s.rig.h.run(30);
    EXPECT_TRUE(picture_matches(s.rig.shot(), themed_picture("qel/basic_", "toc", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, TocPictures, theme_modes(), theme_name);
