// The hex viewer driven as a user drives it: fitting to narrow widths, offset digits, typing hex
// digits, copying as hex and as text, scroll requests past the data, the region tooltip, hit
// tests outside the cells, a terabyte of reserved memory, and its pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include "qel/hex_view.h"
#include "qel/qel.h"
#include "support/qel_inspect.h"
#include "support/widget_rig.h"
#include "widgets/rich/hex_view_parts.h"

namespace {

struct hex_clipboard {
    std::string text;
    static void set(void* user, const char* utf8) { ((hex_clipboard*)user)->text = utf8; }
};

struct hex_rig {
    widget_rig rig;
    std::vector<uint8_t> bytes;
    const uint8_t* data = nullptr;
    uint64_t size = 0;
    qel_hex_view_options opts = {};
    qel_hex_selection sel = {};
    qel_hex_view_result result = {};
    hex_clipboard clipboard;

    explicit hex_rig(std::vector<uint8_t> b, float width = 640, float height = 400)
        : rig(width, height), bytes(std::move(b)), data(bytes.data()), size(bytes.size())
    {
        qel_platform p = {};
        p.user = &clipboard;
        p.set_clipboard = hex_clipboard::set;
        qel_ctx_set_platform(rig.h.ctx, &p);
        rig.h.ui = [this](qel_context* ctx) { result = qel_hex_view(ctx, "hex", data, size, &sel, &opts); };
        rig.h.run(3);
    }
    uint32_t list_id() { return qel_id(rig.h.ctx, "hex") ^ 0x4e5b0d1; }
    // The hex layout the viewer uses at its current width, as the fit chooses it.
    qel_hex_layout layout()
    {
        float c = qel_text_width(rig.h.ctx, QEL_FONT_MONO, 12, "0000000000000000", 16, 0) / 16;
        return qel_hex_fit(c, qel_hex_offset_digits(0, size), 16, true, rig.h.rect(list_id()).w);
    }
    qel_vec2 byte_point(uint64_t offset)
    {
        qel_hex_layout l = layout();
        qel_rect r = rig.h.rect(list_id());
        auto col = (int32_t)(offset % (uint64_t)l.per_row);
        auto row = (float)(offset / (uint64_t)l.per_row);
        return {r.x + qel_hex_byte_x(&l, col) + l.c, r.y + 4 + (row + 0.5f) * roundf(1.7f * 12)};
    }
    void click_byte(uint64_t offset)
    {
        qel_vec2 p = byte_point(offset);
        rig.h.click(p.x, p.y);
        rig.h.run(2);
    }
    void tap(int32_t key, uint32_t mods = 0)
    {
        rig.h.tap(key, mods);
        rig.h.run(2);
    }
    void type(const char* text)
    {
        rig.h.type(text);
        rig.h.run(2);
    }
};

TEST(HexView, FitsNarrowWidths)
{
    const float c = 7;
    struct fit_case {
        float width;
        int32_t per_row;
        bool ascii, compact;
    };
    qel_hex_layout wide = qel_hex_layout_for(c, 4, 16, true, false);
    qel_hex_layout eight = qel_hex_layout_for(c, 4, 8, true, false);
    qel_hex_layout bare = qel_hex_layout_for(c, 4, 8, false, false);
    qel_hex_layout compact = qel_hex_layout_for(c, 4, 8, false, true);
    const fit_case cases[] = {
        {wide.width, 16, true, false},       {wide.width - 1, 8, true, false},
        {eight.width - 1, 8, false, false},  {bare.width - 1, 8, false, true},
        {compact.width - 1, 4, false, true}, {10, 4, false, true},
    };
    for (const fit_case& k : cases) {
        qel_hex_layout l = qel_hex_fit(c, 4, 16, true, k.width);
        EXPECT_EQ(l.per_row, k.per_row) << k.width;
        EXPECT_EQ(l.ascii, k.ascii) << k.width;
        EXPECT_EQ(l.compact, k.compact) << k.width;
    }
    // Through the widget: a narrow window drops to 8 bytes a row.
    hex_rig h(std::vector<uint8_t>(64), 380, 300);
    EXPECT_LT(h.layout().per_row, 16);
    EXPECT_EQ(qel_hex_offset_digits(0, 0x10001), 6);
    EXPECT_EQ(qel_hex_offset_digits(0, 100), 4);
    EXPECT_EQ(qel_hex_offset_digits(UINT64_MAX - 4, 16), 16);
}

TEST(HexView, TypingDigitsEditsBytes)
{
    hex_rig h(std::vector<uint8_t>(32, 0));
    h.opts.editable = h.bytes.data();
    h.click_byte(2);
    ASSERT_EQ(qel_focused_id(h.rig.h.ctx), h.list_id());
    ASSERT_EQ(h.sel.cursor, 2u);
    h.type("4");
    EXPECT_EQ(h.bytes[2], 0x40);
    EXPECT_TRUE(h.result.edited || h.bytes[2] == 0x40);
    h.type("1");
    EXPECT_EQ(h.bytes[2], 0x41);
    EXPECT_EQ(h.sel.cursor, 3u);
    h.type("4");
    h.tap(QEL_KEY_RIGHT);
    EXPECT_EQ(h.bytes[3], 0x40);
    h.type("1");
    EXPECT_EQ(h.bytes[4], 0x10);  // the pending digit was dropped: a fresh high nibble
    EXPECT_EQ(h.sel.cursor, 4u);
}

TEST(HexView, CopiesAsHexAndAsText)
{
    hex_rig h({0x00, 0x41, 0x0A, 0x7F, 0x20});
    h.click_byte(0);
    h.rig.h.key(QEL_KEY_NONE, true, QEL_MOD_SHIFT);
    h.click_byte(2);
    h.rig.h.key(QEL_KEY_NONE, false, 0);
    EXPECT_EQ(h.sel.start, 0u);
    EXPECT_EQ(h.sel.length, 3u);
    h.rig.h.run();
    h.tap(QEL_KEY_A + ('C' - 'A'), QEL_MOD_CTRL);
    EXPECT_EQ(h.clipboard.text, "00 41 0A");  // bytes([0, 0x41, 10]).hex(' ').upper()
    h.tap(QEL_KEY_A + ('C' - 'A'), QEL_MOD_CTRL | QEL_MOD_SHIFT);
    EXPECT_EQ(h.clipboard.text, ".A.");
    h.tap(QEL_KEY_A, QEL_MOD_CTRL);
    EXPECT_EQ(h.sel.length, 5u);
    EXPECT_EQ(h.sel.cursor, 4u);
    h.tap(QEL_KEY_A + ('C' - 'A'), QEL_MOD_CTRL | QEL_MOD_SHIFT);
    EXPECT_EQ(h.clipboard.text, ".A.. ");
    h.tap(QEL_KEY_ESCAPE);
    EXPECT_EQ(h.sel.length, 0u);
}

TEST(HexView, KeysMoveAndExtend)
{
    hex_rig h(std::vector<uint8_t>(100));
    h.click_byte(17);
    h.tap(QEL_KEY_DOWN);
    EXPECT_EQ(h.sel.cursor, 33u);
    h.tap(QEL_KEY_RIGHT, QEL_MOD_SHIFT);
    h.tap(QEL_KEY_RIGHT, QEL_MOD_SHIFT);
    EXPECT_EQ(h.sel.start, 33u);
    EXPECT_EQ(h.sel.length, 3u);
    h.tap(QEL_KEY_END, QEL_MOD_CTRL);
    EXPECT_EQ(h.sel.cursor, 99u);
    EXPECT_EQ(h.sel.length, 1u);
    h.tap(QEL_KEY_UP);
    EXPECT_EQ(h.sel.cursor, 83u);
    h.tap(QEL_KEY_HOME);
    EXPECT_EQ(h.sel.cursor, 80u);
    h.tap(QEL_KEY_HOME, QEL_MOD_CTRL);
    EXPECT_EQ(h.sel.cursor, 0u);
}

TEST(HexView, DragSelectsWithinTheColumnItStarted)
{
    hex_rig h(std::vector<uint8_t>(64));
    qel_hex_layout l = h.layout();
    qel_rect r = h.rig.h.rect(h.list_id());
    float y = r.y + 4 + 1.5f * roundf(1.7f * 12);
    h.rig.h.move(r.x + qel_hex_byte_x(&l, 3) + l.c, y);
    h.rig.h.button(0, true);
    h.rig.h.run();
    h.rig.h.move(r.x + qel_hex_byte_x(&l, 9) + l.c, y);
    h.rig.h.run();
    EXPECT_EQ(h.sel.start, 19u);
    EXPECT_EQ(h.sel.length, 7u);
    h.rig.h.button(0, false);
    h.rig.h.run();
    // Started in the characters, the drag keeps to them: over the hex block it holds the row's first.
    h.rig.h.move(r.x + qel_hex_ascii_x(&l, 6) + l.c / 2, y);
    h.rig.h.button(0, true);
    h.rig.h.run();
    h.rig.h.move(r.x + qel_hex_byte_x(&l, 12) + l.c, y);
    h.rig.h.run();
    h.rig.h.button(0, false);
    h.rig.h.run();
    EXPECT_EQ(h.sel.cursor, 16u);
    EXPECT_EQ(h.sel.start, 16u);
    EXPECT_EQ(h.sel.length, 7u);
}

TEST(HexView, ScrollToPastTheDataAndTheRegionTooltip)
{
    hex_rig h(std::vector<uint8_t>(64, 0x11));
    qel_hex_view_scroll_to(h.rig.h.ctx, "hex", 1000);
    h.rig.h.run(2);
    EXPECT_EQ(h.sel.cursor, 63u);
    EXPECT_EQ(h.sel.length, 1u);
    const qel_hex_region regions[] = {{0, UINT64_MAX, QEL_SEMANTIC_INFO, "all"},
                                      {3, 1, QEL_SEMANTIC_WARNING, "flag"},
                                      {500, 4, QEL_SEMANTIC_DANGER, "past"}};
    h.opts.regions = regions;
    h.opts.region_count = 3;
    qel_vec2 p = h.byte_point(3);
    h.rig.h.move(p.x, p.y);
    h.rig.h.run(60);
    EXPECT_EQ(h.result.hovered, 3);
    EXPECT_NE(node_with_text(h.rig.h.ctx, "flag, 1 byte"), nullptr);
    p = h.byte_point(5);
    h.rig.h.move(p.x, p.y);
    h.rig.h.run(60);
    EXPECT_NE(node_with_text(h.rig.h.ctx, "all, 64 bytes"), nullptr);
    h.opts.region_count = -1;
    h.rig.h.run(2);
}

TEST(HexView, NoDataResetsTheSelection)
{
    hex_rig h(std::vector<uint8_t>(8));
    h.sel = {5, 9, 40};
    h.rig.h.run();
    EXPECT_EQ(h.sel.cursor, 7u);
    EXPECT_EQ(h.sel.length, 3u);
    h.size = 0;
    h.rig.h.run(2);
    EXPECT_NE(node_with_text(h.rig.h.ctx, "No data"), nullptr);
    EXPECT_EQ(h.sel.start, 0u);
    EXPECT_EQ(h.sel.cursor, 0u);
    EXPECT_EQ(h.result.hovered, -1);
}

TEST(HexView, HitsOutsideTheCellsGiveNoOffset)
{
    qel_hex_layout l = qel_hex_layout_for(7, 4, 16, true, false);
    bool ascii = false;
    float mid_y = 4 + 10;
    EXPECT_EQ(qel_hex_hit(&l, 0, 20, qel_hex_byte_x(&l, 3) + 7, mid_y, 100, false, &ascii), 3);
    EXPECT_EQ(qel_hex_hit(&l, 0, 20, qel_hex_ascii_x(&l, 5) + 3, mid_y + 20, 100, false, &ascii), 21);
    EXPECT_TRUE(ascii);
    EXPECT_EQ(qel_hex_hit(&l, 0, 20, qel_hex_byte_x(&l, 3), 1, 100, false, &ascii), -1);       // above the rows
    EXPECT_EQ(qel_hex_hit(&l, 0, 20, l.width + 40, mid_y, 100, false, &ascii), -1);            // past the last cell
    EXPECT_EQ(qel_hex_hit(&l, 0, 20, qel_hex_byte_x(&l, 8), 4 + 6 * 20 + 5, 100, false, &ascii), -1);  // past the data
    EXPECT_EQ(qel_hex_hit(&l, 0, 20, qel_hex_byte_x(&l, 8), 4 + 6 * 20 + 5, 100, true, &ascii), 99);
    EXPECT_EQ(qel_hex_hit(&l, 0, 20, -50, -50, 100, true, &ascii), 0);
}

#if defined(__linux__)
TEST(HexView, TerabyteOfReservedMemory)
{
    const uint64_t size = (uint64_t)1 << 40;
    void* block = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED) GTEST_SKIP() << "no room for a reserved terabyte";
    hex_rig h({0});
    h.data = (const uint8_t*)block;
    h.size = size;
    h.rig.h.run(2);
    qel_hex_view_scroll_to(h.rig.h.ctx, "hex", size - 1);
    h.rig.h.run(3);
    EXPECT_EQ(h.sel.cursor, size - 1);
    qel_set_focus(h.rig.h.ctx, h.list_id(), false);
    h.tap(QEL_KEY_UP);
    EXPECT_EQ(h.sel.cursor, size - 17);
    h.tap(QEL_KEY_PAGE_UP);
    EXPECT_LT(h.sel.cursor, size - 17);
    munmap(block, size);
}
#endif

// --- Pictures ---

void hex_board(qel_context* ctx)
{
    static uint8_t bytes[120];
    for (int32_t i = 0; i < 120; i++) bytes[i] = (uint8_t)(i < 8 ? "\x89PNG\r\n\x1a\n"[i] : (i * 37) & 0xFF);
    memcpy(bytes + 40, "label text", 10);
    static const qel_hex_region regions[] = {{0, 8, QEL_SEMANTIC_INFO, "signature"},
                                             {8, 16, QEL_SEMANTIC_VIOLET, "header"},
                                             {40, 10, QEL_SEMANTIC_SUCCESS, "text"}};
    static qel_hex_selection sel = {19, 6, 24};
    board_begin(ctx);
    qel_hex_view_options o = {};
    o.regions = regions;
    o.region_count = 3;
    o.base_offset = 0x1000;
    qel_hex_view(ctx, "hex", bytes, sizeof bytes, &sel, &o);
    qel_container_end(ctx);
}

class HexPictures : public themed_pictures {
protected:
    HexPictures() : themed_pictures("qel/hex_") {}
};

TEST_P(HexPictures, RegionsSelectionAndCursor)
{
    EXPECT_TRUE(board_matches(hex_board, 640, 280, "regions", 3));
}

INSTANTIATE_TEST_SUITE_P(Themes, HexPictures, theme_modes(), theme_name);

}  // namespace
