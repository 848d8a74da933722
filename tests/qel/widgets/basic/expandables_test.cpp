// Show-more text and expandable cards over scripted frames: the link appears only when the text
// runs past its lines, expanding springs the height open and back, and a card opens at once when
// first drawn expanded, toggles by click and key, and keeps drawing its body, disabled, until shut.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const float LINE = 1.45f;  // line height factor of the paragraph

static float body_height(qel_context* ctx, const char* label)
{
    return node_with_id(ctx, qel_id(ctx, label) ^ PART_SHOW_MORE)->rect.h;
}

TEST(ShowMore, TheLinkAppearsOnlyPastTheLines)
{
    struct row {
        const char* text;
        bool link;
    } rows[] = {{"One\nTwo\nThree", false}, {"1\n2\n3\n4", true}, {"Short", false}};
    for (const row& r : rows) {
        widget_rig rig;
        rig.h.ui = [&](qel_context* ctx) { qel_show_more_text(ctx, "about", r.text, nullptr); };
        rig.h.run();
        qel_context* ctx = rig.h.ctx;
        float h = LINE * qel_theme_block_get(ctx)->text_body * qel_theme_block_get(ctx)->ui_scale;
        EXPECT_FLOAT_EQ(body_height(ctx, "about"), 3 * h) << "before the first layout: " << r.text;
        EXPECT_EQ(node_with_text(ctx, "Show more"), nullptr) << r.text;
        rig.h.run(2);
        EXPECT_EQ(node_with_text(ctx, "Show more") != nullptr, r.link) << r.text;
        if (r.link) {
            EXPECT_FLOAT_EQ(body_height(ctx, "about"), 3 * h + 2) << r.text;
        }
    }
}

TEST(ShowMore, ExpandsAndCollapsesWithTheSpring)
{
    widget_rig rig(400, 300, QEL_THEME_LIGHT, false);
    int clicks = 0;
    rig.h.ui = [&](qel_context* ctx) { clicks += qel_show_more_text(ctx, "about", "1\n2\n3\n4\n5\n6", nullptr); };
    rig.h.run(3);
    qel_context* ctx = rig.h.ctx;
    float h = LINE * qel_theme_block_get(ctx)->text_body * qel_theme_block_get(ctx)->ui_scale;
    auto link = [&](const char* text) { return node_with_text(ctx, text); };
    ASSERT_NE(link("Show more"), nullptr);
    rig.h.click(link("Show more")->rect.x + 4, link("Show more")->rect.y + 4);
    EXPECT_EQ(clicks, 1);
    rig.h.run(3);
    float midway = body_height(ctx, "about");
    EXPECT_GT(midway, 3 * h + 2);
    EXPECT_LT(midway, 6 * h);
    EXPECT_TRUE(inspect_redraw_requested(ctx));
    rig.h.run(90);
    EXPECT_FLOAT_EQ(body_height(ctx, "about"), 6 * h);
    ASSERT_NE(link("Show less"), nullptr);
    rig.h.click(link("Show less")->rect.x + 4, link("Show less")->rect.y + 4);
    rig.h.run(90);
    EXPECT_EQ(clicks, 2);
    EXPECT_FLOAT_EQ(body_height(ctx, "about"), 3 * h + 2);
    EXPECT_FALSE(inspect_redraw_requested(ctx));
}

TEST(ExpandableCard, OpensAtOnceTogglesAndShutsAfterItsBodyCloses)
{
    widget_rig rig(400, 300, QEL_THEME_LIGHT, false);
    uint8_t expanded = 1;
    bool built = false, body_disabled = false;
    rig.h.ui = [&](qel_context* ctx) {
        built = qel_expandable_card(ctx, "Printer", &expanded, nullptr);
        if (!built) return;
        body_disabled = qel_is_disabled(ctx);
        qel_text_medium(ctx, "Darkness 12");
        qel_expandable_card_end(ctx);
    };
    rig.h.run();
    qel_context* ctx = rig.h.ctx;
    uint32_t header = qel_id(ctx, "Printer") ^ PART_EXPANDABLE_HEADER;
    ASSERT_TRUE(built);
    rig.h.run();
    float open_height = node_with_id(ctx, qel_id(ctx, "Printer"))->rect.h;
    EXPECT_GT(open_height, node_with_id(ctx, header)->rect.h + 20) << "open without animating";
    EXPECT_FALSE(body_disabled);

    rig.move_to(header);
    rig.h.button(0, true);
    rig.h.run();
    rig.h.button(0, false);
    rig.h.run();
    EXPECT_EQ(expanded, 0);
    rig.h.run(2);
    EXPECT_TRUE(built) << "the body is drawn while it closes";
    EXPECT_TRUE(body_disabled);
    rig.h.run(90);
    EXPECT_FALSE(built);
    EXPECT_EQ(node_with_text(ctx, "Darkness 12"), nullptr);

    rig.h.tap(QEL_KEY_TAB);
    rig.h.tap(QEL_KEY_ENTER);
    EXPECT_EQ(expanded, 1) << "Enter on the focused header opens it";
    rig.h.run(90);
    EXPECT_NEAR(node_with_id(ctx, qel_id(ctx, "Printer"))->rect.h, open_height, 0.5f);
}
