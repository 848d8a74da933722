// The guided tour driven over scripted frames: steps past the end, untargeted cards over a full
// scrim, clicks through the spotlight's hole, the counter and dots, the keys, the card's width;
// and its pictures in light and dark.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/core.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

struct tour_rig {
    widget_rig rig;
    std::vector<qel_tour_step> steps;
    qel_tour_options options = {};
    int32_t current = 0;
    qel_tour_action last = QEL_TOUR_NONE;
    int32_t open_clicks = 0, other_clicks = 0;
    uint32_t open_id = 0, other_id = 0;
    bool target_open = true, second_on_other = false;

    explicit tour_rig(int32_t count, float width = 640, float height = 420, uint32_t mode = QEL_THEME_LIGHT,
                      bool reduced_motion = true)
        : rig(width, height, mode, reduced_motion), steps((size_t)count)
    {
        for (int32_t i = 0; i < count; i++) steps[(size_t)i] = {0, "Print labels", "Pick a printer, then print.", QEL_PLACE_BELOW_START};
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            row_begin(ctx, 12);
            open_clicks += qel_button(ctx, "Open", nullptr);
            open_id = qel_last_item_id(ctx);
            other_clicks += qel_button(ctx, "Other", nullptr);
            other_id = qel_last_item_id(ctx);
            qel_container_end(ctx);
            qel_container_end(ctx);
            for (qel_tour_step& s : steps) s.target = target_open ? open_id : 0;
            if (second_on_other) steps[1].target = other_id;
            last = qel_tour(ctx, "tour", steps.data(), (int32_t)steps.size(), &current, &options);
        };
        rig.h.run(3);
    }
    uint32_t id() { return qel_id(rig.h.ctx, "tour"); }
    qel_rect card() { return rig.h.rect(id() ^ PART_TOUR_CARD); }
    uint32_t dot(int32_t i) { return qel_hash_bytes(&i, sizeof i, id() ^ PART_TOUR_DOT); }
    // A button of the card, by its label, inside the tour's id scope.
    uint32_t button(const char* label)
    {
        qel_push_id(rig.h.ctx, "tour");
        uint32_t b = qel_id(rig.h.ctx, label);
        qel_pop_id(rig.h.ctx);
        return b;
    }
    qel_tour_action tap(int32_t key)
    {
        rig.h.key(key, true);
        rig.h.run();
        qel_tour_action a = last;
        rig.h.key(key, false);
        rig.h.run();
        return a;
    }
};

}  // namespace

TEST(Tour, StepPastTheEndShowsTheLastWithDone)
{
    tour_rig t(3);
    t.current = 5;
    t.rig.h.run(2);
    EXPECT_EQ(t.current, 2);
    EXPECT_GT(t.rig.h.rect(t.button("Done")).w, 0);
    EXPECT_GT(t.rig.h.rect(t.button("Back")).w, 0);
    t.rig.click_on(t.button("Done"));
    t.rig.h.run();
    EXPECT_EQ(t.current, -1);
    t.rig.click_on(qel_id(t.rig.h.ctx, "Other"));
    EXPECT_EQ(t.other_clicks, 1);  // inactive: no scrim is left
}

TEST(Tour, TheHoleLetsClicksThroughAndTheScrimDoesNot)
{
    tour_rig t(2);
    t.rig.h.run(30);
    t.rig.click_on(t.open_id);
    t.rig.click_on(qel_id(t.rig.h.ctx, "Other"));
    EXPECT_EQ(t.open_clicks, 1);
    EXPECT_EQ(t.other_clicks, 0);

    // Blocked targets and steps without one block everything; the card then sits centred.
    t.options.block_target = 1;
    t.rig.click_on(t.open_id);
    EXPECT_EQ(t.open_clicks, 1);
    t.options.block_target = 0;
    t.target_open = false;
    t.rig.h.run(30);
    t.rig.click_on(t.open_id);
    EXPECT_EQ(t.open_clicks, 1);
    qel_rect c = t.card();
    EXPECT_NEAR(c.x + c.w / 2, 320, 1);
    EXPECT_NEAR(c.y + c.h / 2, 210, 1);
}

TEST(Tour, DotsCounterAndWidth)
{
    tour_rig twelve(12);
    EXPECT_GT(twelve.rig.h.rect(twelve.dot(11)).w, 0);
    EXPECT_FLOAT_EQ(twelve.rig.h.rect(twelve.dot(0)).w, 14);
    EXPECT_FLOAT_EQ(twelve.card().w, 300);
    tour_rig thirteen(13);
    EXPECT_EQ(thirteen.rig.h.rect(thirteen.dot(0)).w, 0);

    tour_rig wide(2, 600, 420);
    wide.options.width = 1000;
    wide.rig.h.run(2);
    EXPECT_FLOAT_EQ(wide.card().w, 576);
    wide.options.width = NAN;
    wide.rig.h.run(2);
    EXPECT_FLOAT_EQ(wide.card().w, 300);
    tour_rig tiny(2, 20, 200);
    EXPECT_EQ(tiny.card().w, 0);
}

TEST(Tour, Keys)
{
    tour_rig t(3);
    EXPECT_EQ(t.tap(QEL_KEY_LEFT), QEL_TOUR_NONE);  // nothing before the first step
    EXPECT_EQ(t.current, 0);
    EXPECT_EQ(t.tap(QEL_KEY_RIGHT), QEL_TOUR_NEXT);
    EXPECT_EQ(t.current, 1);
    EXPECT_EQ(t.tap(QEL_KEY_LEFT), QEL_TOUR_BACK);
    EXPECT_EQ(t.current, 0);
    EXPECT_EQ(t.tap(QEL_KEY_ESCAPE), QEL_TOUR_END);
    EXPECT_EQ(t.current, -1);
}

TEST(Tour, CounterFormatNeedsTwoInts)
{
    struct {
        const char* format;
        const char* shown;
    } cases[] = {{"Step %d / %d", "Step 1 / 2"}, {"%s of %d", "1 of 2"}, {"%d", "1 of 2"}, {"%d%d%d", "1 of 2"},
                 {"%d%% of %d", "1% of 2"}};
    for (const auto& c : cases) {
        tour_rig t(2);
        t.options.counter_format = c.format;
        t.rig.h.run(2);
        bool found = false;
        for (int32_t i = 0; i < t.rig.h.ctx->tree.count && !found; i++) {
            const qel_node& n = t.rig.h.ctx->tree.nodes[i];
            found = n.text && std::string(n.text, (size_t)std::max(0, n.text_length)) == c.shown;
        }
        EXPECT_TRUE(found) << c.format;
    }
}

TEST(Tour, TheSpotlightSpringsToTheNextTarget)
{
    tour_rig t(2, 640, 420, QEL_THEME_LIGHT, false);
    t.second_on_other = true;
    t.rig.h.run(40);
    // The blocker left of the hole is as wide as the hole's left edge.
    uint32_t left = t.id() ^ 0x7b2u;
    float from = t.rig.h.rect(t.open_id).x - 6, to = t.rig.h.rect(t.other_id).x - 6;
    EXPECT_FLOAT_EQ(t.rig.h.rect(left).w, from);
    t.tap(QEL_KEY_RIGHT);
    float between = t.rig.h.rect(left).w;
    EXPECT_GT(between, from);
    EXPECT_LT(between, to);
    t.rig.h.run(90);
    EXPECT_FLOAT_EQ(t.rig.h.rect(left).w, to);
}

class TourPictures : public themed_pictures {
protected:
    TourPictures() : themed_pictures("qel/tour_") {}
};

TEST_P(TourPictures, SpotlightAndCard)
{
    tour_rig t(4, 640, 420, GetParam());
    t.current = 1;
    t.rig.h.run(3);
    EXPECT_TRUE(shows(t.rig, "spotlight"));
}

INSTANTIATE_TEST_SUITE_P(Themes, TourPictures, theme_modes(), theme_name);
