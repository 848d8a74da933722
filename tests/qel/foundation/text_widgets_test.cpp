// Text and icon leaves: each kind of text in its role, size, colour, wrapping and line height;
// the defaults and null cases of icons, hints and headings; chips; the link as a user drives it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "qel/qel.h"
#include "support/widget_rig.h"

// The theme's sizes at UI scale 2, so a size that forgets the scale shows.
static const float UI = 2.0f;

TEST(TextWidgets, EachKindHasItsLook)
{
    widget_rig rig;
    qel_theme* t = qel_theme_block_get(rig.h.ctx);
    t->ui_scale = UI;
    const struct {
        const char* name;
        std::function<void(qel_context*)> build;
        const char* shown;
        uint32_t font;
        float size;
        uint32_t color_slot;
        bool wrap;
        float line_height;
    } cases[] = {
        {"ex, defaults", [](qel_context* c) { qel_text_ex(c, "Hello##x", nullptr); }, "Hello##x", 0, 13 * UI,
         QEL_COLOR_TEXT, true, 1.45f},
        {"formatted", [](qel_context* c) { qel_textf(c, "%d labels", 46); }, "46 labels", 0, 13 * UI, QEL_COLOR_TEXT,
         true, 1.45f},
        {"sized", [](qel_context* c) { qel_text_sized(c, "Ab##id", 3, 20, qel_color_token(QEL_COLOR_DANGER)); },
         "Ab", 3, 20, QEL_COLOR_DANGER, false, 1.3f},
        {"medium", [](qel_context* c) { qel_text_medium(c, "Md##1"); }, "Md", 1, 13 * UI, QEL_COLOR_TEXT, true, 1.35f},
        {"muted", [](qel_context* c) { qel_text_muted(c, "Mu##1"); }, "Mu##1", 0, 13 * UI, QEL_COLOR_TEXT_SECONDARY,
         true, 1.45f},
        {"small", [](qel_context* c) { qel_text_small(c, "Sm"); }, "Sm", 0, 12 * UI, QEL_COLOR_TEXT_MUTED, true, 1.45f},
        {"field label", [](qel_context* c) { qel_field_label(c, "Name##f"); }, "Name", 1, 13 * UI, QEL_COLOR_TEXT,
         false, 1.35f},
        {"help", [](qel_context* c) { qel_field_hint(c, "Help", ""); }, "Help", 0, 12 * UI, QEL_COLOR_TEXT_SECONDARY,
         true, 1.4f},
        {"error wins", [](qel_context* c) { qel_field_hint(c, "Help", "Bad"); }, "Bad", 0, 12 * UI, QEL_COLOR_DANGER,
         true, 1.4f},
        {"heading 1", [](qel_context* c) { qel_heading(c, "H", 1); }, "H", 2, 36 * UI, QEL_COLOR_TEXT, true, 1.15f},
        {"heading 0 is 1", [](qel_context* c) { qel_heading(c, "H", 0); }, "H", 2, 36 * UI, QEL_COLOR_TEXT, true,
         1.15f},
        {"heading 3", [](qel_context* c) { qel_heading(c, "H", 3); }, "H", 1, 22 * UI, QEL_COLOR_TEXT, true, 1.3f},
        {"heading 9 is 4", [](qel_context* c) { qel_heading(c, "H", 9); }, "H", 1, 17 * UI, QEL_COLOR_TEXT, true,
         1.3f},
        {"icon, defaults", [](qel_context* c) { qel_icon(c, QEL_ICON_ARROW_LEFT, 0, 0); }, QEL_ICON_ARROW_LEFT, 4, 16, QEL_COLOR_TEXT, false,
         1.0f},
        {"code chip", [](qel_context* c) { qel_code_chip(c, "x=1"); }, "x=1", 3, 12 * UI, QEL_COLOR_TEXT, false, 1.4f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig.h.ui = c.build;
        rig.h.run();
        const qel_node* n = node_with_text(rig.h.ctx, c.shown);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->font, c.font);
        EXPECT_FLOAT_EQ(n->font_size, c.size);
        EXPECT_EQ(n->text_color, qel_theme_color(rig.h.ctx, (int32_t)c.color_slot));
        EXPECT_EQ((n->flags & QEL_NODE_WRAP_TEXT) != 0, c.wrap);
        EXPECT_FLOAT_EQ(n->line_height, c.line_height);
    }
}

// Nodes the frame function added under the root.
static int32_t nodes_added(widget_rig& rig, std::function<void(qel_context*)> build)
{
    rig.h.ui = build;
    rig.h.run();
    return inspect_node_count(rig.h.ctx) - 1;
}

TEST(TextWidgets, NothingToShowAddsNoNode)
{
    widget_rig rig;
    EXPECT_EQ(nodes_added(rig, [](qel_context* c) { qel_icon(c, nullptr, 0, 0); }), 0);
    EXPECT_EQ(nodes_added(rig, [](qel_context* c) { qel_icon_glyph(c, nullptr, 16, 0xFF000000); }), 0);
    EXPECT_EQ(nodes_added(rig, [](qel_context* c) { qel_field_label(c, ""); }), 0);
    EXPECT_EQ(nodes_added(rig, [](qel_context* c) { qel_field_label(c, nullptr); }), 0);
    EXPECT_EQ(nodes_added(rig, [](qel_context* c) { qel_field_hint(c, "", nullptr); }), 0);
    EXPECT_EQ(nodes_added(rig, [](qel_context* c) { qel_icon(c, "", 0, 0); }), 1) << "an empty icon is still a leaf";
}

TEST(TextWidgets, WordChipsOnePerWord)
{
    widget_rig rig;
    const struct {
        const char* text;
        int chips;
    } cases[] = {{"  a  b ", 2}, {"zpl", 1}, {"", 0}, {"   ", 0}, {nullptr, 0}};
    for (const auto& c : cases) {
        int32_t added = nodes_added(rig, [&](qel_context* ctx) { qel_word_chips(ctx, c.text); });
        EXPECT_EQ(added, 1 + 2 * c.chips) << (c.text ? c.text : "null");  // the row, then a chip and its word each
        const qel_node* row = inspect_node(rig.h.ctx, 1);
        EXPECT_EQ(row->direction_mode, c.chips ? 1 : 0);
    }
    rig.h.ui = [](qel_context* c) { qel_word_chips(c, "  a  b "); };
    rig.h.run(2);
    EXPECT_TRUE(node_with_text(rig.h.ctx, "a") && node_with_text(rig.h.ctx, "b"));
    EXPECT_EQ(inspect_node(rig.h.ctx, 2)->rect.h, 20);
    EXPECT_EQ(inspect_node(rig.h.ctx, 2)->rect.w, 20) << "a one-letter chip keeps its least width";
}

TEST(TextWidgets, AlignedTextStretchesUnlessAWidthIsGiven)
{
    widget_rig rig;
    const struct {
        uint32_t align;
        qel_size width;
        float expected_width;
    } cases[] = {{0, {}, 0}, {3, {}, 0}, {1, {}, 400}, {2, {}, 400}, {4, {}, 400}, {1, {QEL_SIZE_FIXED, 120}, 120}};
    for (const auto& c : cases) {
        rig.h.ui = [&](qel_context* ctx) {
            qel_style column = {};
            column.align = QEL_ALIGN_START;
            column.width = {QEL_SIZE_GROW, 1};
            qel_column_begin(ctx, &column);
            qel_text_opts o = {};
            o.align = c.align;
            o.width = c.width;
            o.single_line = 1;
            o.tabular = 1;
            qel_text_ex(ctx, "12", &o);
            qel_container_end(ctx);
        };
        rig.h.run();
        const qel_node* n = node_with_text(rig.h.ctx, "12");
        ASSERT_NE(n, nullptr);
        EXPECT_TRUE(n->flags & QEL_NODE_TABULAR);
        EXPECT_FALSE(n->flags & QEL_NODE_WRAP_TEXT);
        EXPECT_EQ(n->content_align, c.align);
        if (c.expected_width > 0) EXPECT_EQ(n->rect.w, c.expected_width) << c.align;
        else EXPECT_LT(n->rect.w, 100) << c.align;
    }
}

TEST(TextWidgets, LinkAsAUserDrivesIt)
{
    widget_rig rig(400, 300, QEL_THEME_LIGHT, false);
    int clicks = 0;
    rig.h.ui = [&](qel_context* ctx) { clicks += qel_link(ctx, "Open the folder##link"); };
    rig.h.run(2);
    uint32_t id = qel_id(rig.h.ctx, "Open the folder##link") ^ PART_LINK;
    ASSERT_NE(node_with_text(rig.h.ctx, "Open the folder"), nullptr);
    EXPECT_EQ(node_with_text(rig.h.ctx, "Open the folder")->id, id);
    EXPECT_EQ(qel_state_find(rig.h.ctx, id, 1, false), nullptr) << "an idle link keeps no state";

    rig.move_to(id);
    rig.h.run(20);
    EXPECT_EQ(qel_requested_cursor(rig.h.ctx), QEL_CURSOR_HAND);
    EXPECT_EQ(qel_last_item_id(rig.h.ctx), id);
    const float* hover = (const float*)qel_state_find(rig.h.ctx, id, sizeof(float), false);
    ASSERT_NE(hover, nullptr);
    EXPECT_EQ(*hover, 1.0f) << "the underline has grown in full";

    qel_vec2 c = rig.centre(id);
    rig.h.click(c.x, c.y);
    EXPECT_EQ(clicks, 1);
    rig.h.tap(QEL_KEY_ENTER);
    rig.h.run();
    EXPECT_EQ(clicks, 2) << "the focused link answers Enter";
}
