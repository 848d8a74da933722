// Speed dials over scripted frames: a click opens the stack with action 0 nearest the button,
// at most 16 actions show, choosing one answers and closes it, Escape closes it, and a closing
// stack shows its actions without taking clicks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct dial_scene {
    widget_rig rig;
    std::vector<qel_speed_dial_action> actions;
    std::vector<std::string> names;
    int32_t chosen = -1;

    explicit dial_scene(int32_t count, uint32_t mode = QEL_THEME_LIGHT) : rig(400, 500, mode, false)
    {
        for (int32_t i = 0; i < count; i++) names.push_back("Action " + std::to_string(i));
        for (const std::string& n : names) actions.push_back({QEL_ICON_ARROW_RIGHT, n.c_str()});
        rig.h.ui = [this](qel_context* ctx) {
            qel_style corner = {};
            corner.width = {QEL_SIZE_GROW, 1};
            corner.height = {QEL_SIZE_GROW, 1};
            corner.padding = 20;
            corner.align = QEL_ALIGN_END;
            corner.justify = QEL_JUSTIFY_END;
            qel_column_begin(ctx, &corner);
            int32_t r = qel_speed_dial(ctx, "add", actions.data(), (int32_t)actions.size(), nullptr);
            if (r >= 0) chosen = r;
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    void toggle()
    {
        qel_vec2 c = rig.centre(qel_id(rig.h.ctx, "add"));
        rig.h.click(c.x, c.y);
        rig.h.run(60);
    }
};

TEST(SpeedDial, OpensWithActionZeroNearestAndShowsAtMostSixteen)
{
    dial_scene s(20);
    qel_context* ctx = s.rig.h.ctx;
    EXPECT_EQ(node_with_text(ctx, "Action 0"), nullptr);
    s.toggle();
    EXPECT_NE(node_with_text(ctx, "Action 15"), nullptr);
    EXPECT_EQ(node_with_text(ctx, "Action 16"), nullptr);
    EXPECT_GT(node_with_text(ctx, "Action 0")->rect.y, node_with_text(ctx, "Action 1")->rect.y)
        << "action 0 sits nearest the button below the stack";
    s.rig.h.tap(QEL_KEY_ESCAPE);
    s.rig.h.run(60);
    EXPECT_EQ(node_with_text(ctx, "Action 0"), nullptr) << "Escape closes it";
}

TEST(SpeedDial, ChoosingAnActionAnswersAndClosesWhileAClosingStackTakesNoClicks)
{
    dial_scene s(3);
    qel_context* ctx = s.rig.h.ctx;
    s.toggle();
    const qel_node* chip = node_with_text(ctx, "Action 1");
    ASSERT_NE(chip, nullptr);
    const qel_node* button = inspect_node(ctx, inspect_node(ctx, chip->parent)->next_sibling);
    qel_vec2 at = {button->rect.x + button->rect.w / 2, button->rect.y + button->rect.h / 2};
    s.rig.h.click(at.x, at.y);
    EXPECT_EQ(s.chosen, 1);
    s.chosen = -1;
    s.rig.h.run(60);
    EXPECT_EQ(node_with_text(ctx, "Action 1"), nullptr);

    s.toggle();
    qel_vec2 c = s.rig.centre(qel_id(ctx, "add"));
    s.rig.h.click(c.x, c.y);  // closing
    s.rig.h.click(at.x, at.y);
    EXPECT_NE(node_with_text(ctx, "Action 1"), nullptr) << "still springing shut";
    EXPECT_EQ(s.chosen, -1) << "a closing stack takes no clicks";
}

class SpeedDialPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(SpeedDialPictures, AnOpenStack)
{
    dial_scene s(3, GetParam());
    s.toggle();
    s.rig.h.move(10, 10);
    s.rig.h.run(30);
    EXPECT_TRUE(
        picture_matches(s.rig.shot(), themed_picture("qel/basic_", "speeddial", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, SpeedDialPictures, theme_modes(), theme_name);
