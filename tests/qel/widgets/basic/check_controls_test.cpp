// Checkboxes, switches and radios over scripted frames: clicks and keys flip them only while
// enabled, radios change the selection only to a new value, and the box appears settled on its
// first frame but springs after a click.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

static const qel_check_record* box_record(qel_context* ctx)
{
    const qel_node* n = node_with_draw(ctx, qel_check_draw);
    return n ? (const qel_check_record*)n->draw_user : nullptr;
}

TEST(CheckControls, AClickFlipsTheValueOnlyWhileEnabled)
{
    const struct {
        const char* name;
        bool is_switch;
        uint8_t disabled;
        bool scope;
        bool changes;
    } cases[] = {
        {"checkbox", false, 0, false, true},         {"switch", true, 0, false, true},
        {"disabled checkbox", false, 1, false, false}, {"switch in a disabled scope", true, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        widget_rig rig;
        bool value = false;
        int reports = 0;
        rig.h.ui = [&](qel_context* ctx) {
            qel_check_opts o = {};
            o.disabled = c.disabled;
            o.description = "Printed under the price";
            qel_push_disabled(ctx, c.scope);
            reports += c.is_switch ? qel_toggle_switch(ctx, "Barcode", &value, &o) : qel_checkbox(ctx, "Barcode", &value, &o);
            qel_pop_disabled(ctx);
        };
        rig.h.run(2);
        uint32_t id = qel_id(rig.h.ctx, "Barcode") ^ (c.is_switch ? PART_SWITCH : PART_CHECKBOX);
        rig.h.click(rig.centre(id).x, rig.centre(id).y);
        rig.h.run();
        EXPECT_EQ(value, c.changes);
        EXPECT_EQ(reports, c.changes ? 1 : 0);
        const qel_node* row = node_with_id(rig.h.ctx, id);
        ASSERT_NE(row, nullptr);
        EXPECT_FLOAT_EQ(row->opacity, c.changes ? 1.0f : 0.45f);
        EXPECT_EQ(row->align, QEL_ALIGN_START) << "top-aligned beside a description";
        EXPECT_EQ(box_record(rig.h.ctx)->value, c.changes ? 1.0f : 0.0f);
        EXPECT_NE(node_with_text(rig.h.ctx, "Printed under the price"), nullptr);
    }
}

TEST(CheckControls, TheKeyboardTogglesTheFocusedControl)
{
    widget_rig rig;
    bool value = true;
    rig.h.ui = [&](qel_context* ctx) { qel_toggle_switch(ctx, "Follow", &value, nullptr); };
    rig.h.run(2);
    rig.h.tap(QEL_KEY_TAB);
    rig.h.run();
    EXPECT_EQ(qel_focused_id(rig.h.ctx), qel_id(rig.h.ctx, "Follow") ^ PART_SWITCH);
    rig.h.tap(QEL_KEY_SPACE);
    rig.h.run();
    EXPECT_FALSE(value);
    EXPECT_EQ(box_record(rig.h.ctx)->focus, 1.0f) << "a ring while the keyboard holds the focus";
}

TEST(CheckControls, AppearSettledAndSpringFromTheClickFrame)
{
    widget_rig rig(400, 300, QEL_THEME_LIGHT, false);
    bool value = true;
    bool clicked = false;
    rig.h.ui = [&](qel_context* ctx) { clicked = qel_checkbox(ctx, "Price", &value, nullptr); };
    rig.h.run();
    EXPECT_EQ(box_record(rig.h.ctx)->value, 1.0f) << "no animation on the first frame";
    rig.h.run();
    qel_vec2 c = rig.centre(qel_id(rig.h.ctx, "Price") ^ PART_CHECKBOX);
    rig.h.click(c.x, c.y);
    ASSERT_TRUE(clicked);
    float first = box_record(rig.h.ctx)->value;
    EXPECT_LT(first, 1.0f) << "moving toward unchecked in the click frame";
    EXPECT_GT(first, 0.0f);
    rig.h.run(60);
    EXPECT_NEAR(box_record(rig.h.ctx)->value, 0.0f, 0.01f);
}

TEST(Radio, ChangesTheSelectionOnlyToANewValue)
{
    widget_rig rig;
    int32_t selected = 1;
    int changes = 0;
    rig.h.ui = [&](qel_context* ctx) {
        changes += qel_radio(ctx, "Size", &selected, 1, nullptr);
        changes += qel_radio(ctx, "Size", &selected, 2, nullptr);
    };
    rig.h.run(2);
    uint32_t base = qel_id(rig.h.ctx, "Size") ^ PART_RADIO;
    int32_t one = 1, two = 2;
    uint32_t first = qel_hash_bytes(&one, 4, base), second = qel_hash_bytes(&two, 4, base);
    ASSERT_NE(first, second);
    rig.h.click(rig.centre(first).x, rig.centre(first).y);
    rig.h.run();
    EXPECT_EQ(changes, 0) << "already selected";
    rig.h.click(rig.centre(second).x, rig.centre(second).y);
    rig.h.run();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(selected, 2);
}

TEST(Radio, AGroupSelectsByIndex)
{
    widget_rig rig;
    int32_t selected = 0;
    const char* labels[] = {"Fit", "1:1", "2x"};
    int32_t count = 3;
    bool changed = false;
    rig.h.ui = [&](qel_context* ctx) { changed = qel_radio_group(ctx, "zoom", labels, count, &selected); };
    rig.h.run(2);
    qel_push_id(rig.h.ctx, "zoom");
    int32_t two = 2;
    uint32_t third = qel_hash_bytes(&two, 4, qel_id(rig.h.ctx, "2x") ^ PART_RADIO);
    qel_pop_id(rig.h.ctx);
    rig.h.click(rig.centre(third).x, rig.centre(third).y);
    EXPECT_TRUE(changed);
    EXPECT_EQ(selected, 2);
    int32_t one = 1;
    qel_push_id(rig.h.ctx, "zoom");
    uint32_t second = qel_hash_bytes(&one, 4, qel_id(rig.h.ctx, "1:1") ^ PART_RADIO);
    qel_pop_id(rig.h.ctx);
    qel_rect a = rig.h.rect(second), b = rig.h.rect(third);
    EXPECT_FLOAT_EQ(b.y - (a.y + a.h), 10) << "a column with a 10-unit gap";
    count = 0;
    rig.h.run();
    EXPECT_FALSE(changed);
    EXPECT_EQ(box_record(rig.h.ctx), nullptr) << "an empty group draws no radio";
}
