// Countdowns over scripted frames: the units shown for a time left (zeros for negative or NaN,
// saturated when huge), the wake-up that lands right after each whole second, and the digit roll
// that runs under the animation clock.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

// The texts of the countdown's boxes, the current value of each last, joined by spaces.
static std::string shown_digits(qel_context* ctx)
{
    std::string out;
    for (int32_t i = 0; i < inspect_node_count(ctx); i++) {
        const qel_node& n = *inspect_node(ctx, i);
        if (!(n.flags & QEL_NODE_TEXT) || !(n.flags & QEL_NODE_TABULAR) || n.next_sibling >= 0) continue;
        out += (out.empty() ? "" : " ") + std::string(n.text);
    }
    return out;
}

TEST(Countdown, UnitsAndWakeUps)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct row {
        double seconds;
        uint8_t no_days;
        const char* digits;
        float wake;  // < 0: none
    } rows[] = {
        {90061.5, 0, "01 01 01 01", 0.505f},
        {90061.5, 1, "25 01 01", 0.505f},
        {59, 0, "00 00 00 59", 1.005f},
        {-3, 0, "00 00 00 00", -1},
        {nan, 0, "00 00 00 00", -1},
        {inf, 0, "24855 03 14 07", 1.005f},
        {1e300, 1, "596523 14 07", 1.005f},
    };
    for (const row& r : rows) {
        widget_rig rig(500, 200);
        rig.h.ui = [&](qel_context* ctx) {
            qel_countdown_options o = {};
            o.no_days = r.no_days;
            qel_countdown(ctx, "sale", r.seconds, &o);
        };
        rig.h.run(2);
        qel_context* ctx = rig.h.ctx;
        EXPECT_EQ(shown_digits(ctx), r.digits) << r.seconds;
        if (r.wake < 0)
            EXPECT_LT(qel_wake_timeout(ctx), 0) << r.seconds;
        else
            EXPECT_NEAR(qel_wake_timeout(ctx), r.wake, 1e-4) << r.seconds;
        EXPECT_EQ(node_with_text(ctx, "Days") != nullptr, !r.no_days) << r.seconds;
    }
}

TEST(Countdown, DigitsRollOverAboutAThirdOfASecond)
{
    widget_rig rig(500, 200, QEL_THEME_LIGHT, false);
    double left = 5;
    rig.h.ui = [&](qel_context* ctx) { qel_countdown(ctx, "sale", left, nullptr); };
    rig.h.run(2);
    qel_context* ctx = rig.h.ctx;
    EXPECT_EQ(node_with_text(ctx, "05")->translate_y, 0);
    left = 4;
    rig.h.run(3);
    const qel_node* old_seconds = node_with_text(ctx, "05");
    ASSERT_NE(old_seconds, nullptr);
    EXPECT_LT(old_seconds->translate_y, 0) << "the old digits roll up";
    EXPECT_GT(inspect_node(ctx, old_seconds->next_sibling)->translate_y, 0) << "the new ones come in from below";
    EXPECT_LT(old_seconds->opacity, 1);
    rig.h.run(60);
    EXPECT_EQ(shown_digits(ctx), "00 00 00 04");
    EXPECT_EQ(node_with_text(ctx, "05"), nullptr);
    EXPECT_EQ(node_with_text(ctx, "04")->translate_y, 0);
}

TEST(Countdown, CompactBoxesHaveColonsAndNoCaptions)
{
    widget_rig rig(500, 200);
    rig.h.ui = [&](qel_context* ctx) {
        qel_countdown_options o = {};
        o.compact = 1;
        qel_countdown(ctx, "sale", 3725, &o);
    };
    rig.h.run(2);
    qel_context* ctx = rig.h.ctx;
    EXPECT_EQ(shown_digits(ctx), "00 01 02 05");
    EXPECT_EQ(node_with_text(ctx, "Hours"), nullptr);
    const qel_node* box = inspect_node(ctx, node_with_text(ctx, "05")->parent);
    EXPECT_EQ(box->rect.w, 44);
    EXPECT_EQ(box->rect.h, 44);
    int colons = 0;
    for (int32_t i = 0; i < inspect_node_count(ctx); i++)
        colons += (inspect_node(ctx, i)->flags & QEL_NODE_TEXT) && std::string(inspect_node(ctx, i)->text) == ":";
    EXPECT_EQ(colons, 3);
}

// Onboarding checklists: the ring and subtitle follow the steps done, clicking a circle toggles its
// step, only the first unfinished step opens and only its action answers.
TEST(Checklist, ProgressFollowsTheStepsAndOnlyTheOpenStepActs)
{
    widget_rig rig(420, 420);
    qel_checklist_item items[3] = {{"Add a printer", "Pick the printer labels go to.", "Add printer", 1},
                                   {"Open a spreadsheet", "Labels come from its rows.", "Open", 0},
                                   {"Print a test label", nullptr, "Print", 0}};
    int32_t acted = -1;
    rig.h.ui = [&](qel_context* ctx) {
        int32_t r = qel_onboarding_checklist(ctx, "start", items, 3, nullptr);
        if (r >= 0) acted = r;
    };
    rig.h.run(3);
    qel_context* ctx = rig.h.ctx;
    auto ring = [&] { return ((const qel_ring_record*)node_with_draw(ctx, qel_ring_draw)->draw_user)->value; };
    EXPECT_NE(node_with_text(ctx, "Get started"), nullptr);
    EXPECT_NE(node_with_text(ctx, "1 of 3 complete"), nullptr);
    EXPECT_NEAR(ring(), 1.0f / 3, 1e-6);
    EXPECT_NE(node_with_text(ctx, "Labels come from its rows."), nullptr) << "the first unfinished step is open";
    EXPECT_EQ(node_with_text(ctx, "Pick the printer labels go to."), nullptr);

    const qel_node* open = node_with_text(ctx, "Open");
    ASSERT_NE(open, nullptr);
    qel_vec2 at = {open->rect.x + open->rect.w / 2, open->rect.y + open->rect.h / 2};
    rig.h.click(at.x, at.y);
    EXPECT_EQ(acted, 1);

    int32_t second = 1;
    uint32_t circle = qel_hash_bytes(&second, sizeof second, qel_id(ctx, "start")) ^ PART_TIMELINE_CIRCLE;
    qel_vec2 c = rig.centre(circle);
    rig.h.click(c.x, c.y);
    rig.h.run(3);
    EXPECT_EQ(items[1].done, 1);
    EXPECT_NE(node_with_text(ctx, "2 of 3 complete"), nullptr);
    EXPECT_NEAR(ring(), 2.0f / 3, 1e-6);
    EXPECT_EQ(node_with_text(ctx, "Labels come from its rows."), nullptr);
    EXPECT_NE(node_with_text(ctx, "Print"), nullptr) << "the next step opens";
}

TEST(Checklist, NoStepsShowAnEmptyRing)
{
    widget_rig rig;
    qel_checklist_options o = {"Set up", "Nothing to do"};
    rig.h.ui = [&](qel_context* ctx) { EXPECT_EQ(qel_onboarding_checklist(ctx, "start", nullptr, 0, &o), -1); };
    rig.h.run(2);
    EXPECT_NE(node_with_text(rig.h.ctx, "Set up"), nullptr);
    EXPECT_EQ(((const qel_ring_record*)node_with_draw(rig.h.ctx, qel_ring_draw)->draw_user)->value, 0);
}

// Whether the action fits beside the message is judged at the size the action is drawn, so a
// larger UI scale stacks a strip that fits side by side at scale 1.
TEST(Banner, TheStackingFollowsTheUiScale)
{
    for (float scale : {1.0f, 2.0f}) {
        SCOPED_TRACE(scale);
        widget_rig rig(540, 300);
        qel_theme_block_get(rig.h.ctx)->ui_scale = scale;
        rig.h.ui = [&](qel_context* ctx) {
            qel_banner_options o = {};
            o.action = "Update the printer driver";
            o.icon = QEL_ICON_ARROW_LEFT;
            qel_dismissible_banner(ctx, "New", nullptr, &o);
        };
        rig.h.run(3);
        const qel_node* message = node_with_text(rig.h.ctx, "New");
        const qel_node* update = node_with_text(rig.h.ctx, "Update the printer driver");
        ASSERT_NE(message, nullptr);
        ASSERT_NE(update, nullptr);
        bool stacked = update->rect.y >= message->rect.y + message->rect.h - 1;
        EXPECT_EQ(stacked, scale > 1);
    }
}

// A step circle under keyboard focus still shows its state: the ring is drawn with it, not
// instead of it.
TEST(Checklist, AFocusedStepCircleKeepsItsFill)
{
    widget_rig rig(420, 420);
    qel_checklist_item items[2] = {{"Add a printer", nullptr, "Add printer", 1}, {"Open a spreadsheet", nullptr, "Open", 0}};
    rig.h.ui = [&](qel_context* ctx) { qel_onboarding_checklist(ctx, "start", items, 2, nullptr); };
    rig.h.run(3);
    qel_context* ctx = rig.h.ctx;
    int32_t first = 0;
    uint32_t circle = qel_hash_bytes(&first, sizeof first, qel_id(ctx, "start")) ^ PART_TIMELINE_CIRCLE;
    qel_vec2 c = rig.centre(circle);
    // Inside the filled disc, clear of the check mark.
    auto fill_at = [&] {
        picture p = rig.shot();
        size_t at = 4 * ((size_t)(c.y - 5) * (size_t)p.width + (size_t)(c.x - 5));
        return std::vector<uint8_t>(p.rgba.begin() + (long)at, p.rgba.begin() + (long)at + 3);
    };
    std::vector<uint8_t> unfocused = fill_at();
    EXPECT_GT(unfocused[1], unfocused[0] + 40) << "a done step is filled green";
    qel_set_focus(ctx, circle, true);
    rig.h.run(3);
    EXPECT_EQ(fill_at(), unfocused);
    EXPECT_EQ(qel_focused_id(ctx), circle);
}

// Banners: there at once when first shown, shrinking away after the close button, and stacking
// the action under the message when the strip is narrow.
TEST(Banner, ShowsAtOnceAndShrinksAwayWhenDismissed)
{
    widget_rig rig(500, 200, QEL_THEME_LIGHT, false);
    uint8_t visible = 1;
    int actions = 0;
    rig.h.ui = [&](qel_context* ctx) {
        qel_banner_options o = {};
        o.action = "Update";
        o.dismissible = 1;
        actions += qel_dismissible_banner(ctx, "A new driver is ready##drv", &visible, &o);
    };
    rig.h.run(2);
    qel_context* ctx = rig.h.ctx;
    uint32_t outer = qel_id(ctx, "A new driver is ready##drv") ^ PART_BANNER;
    float full = rig.h.rect(outer).h;
    EXPECT_GT(full, 20) << "shown at once";
    const qel_node* update = node_with_text(ctx, "Update");
    ASSERT_NE(update, nullptr);
    rig.h.click(update->rect.x + 3, update->rect.y + 3);
    EXPECT_EQ(actions, 1);
    const qel_node* message = node_with_text(ctx, "A new driver is ready");
    EXPECT_LT(message->rect.y + message->rect.h, update->rect.y + update->rect.h + 20) << "side by side when wide";

    const qel_node* strip = node_with_id(ctx, qel_id(ctx, "A new driver is ready##drv") ^ PART_BANNER_STRIP);
    ASSERT_NE(strip, nullptr);
    // The close button is the strip's last child.
    const qel_node* close = inspect_node(ctx, strip->last_child);
    rig.h.click(close->rect.x + close->rect.w / 2, close->rect.y + close->rect.h / 2);
    EXPECT_EQ(visible, 0);
    rig.h.run(4);
    float shrinking = rig.h.rect(outer).h;
    EXPECT_GT(shrinking, 0);
    EXPECT_LT(shrinking, full);
    rig.h.run(90);
    EXPECT_EQ(node_with_id(ctx, outer), nullptr) << "a hidden banner draws nothing";
}

TEST(Banner, ANarrowStripStacksTheActionUnderTheMessage)
{
    widget_rig rig(300, 200);
    rig.h.ui = [&](qel_context* ctx) {
        qel_banner_options o = {};
        o.action = "Update";
        o.icon = QEL_ICON_ARROW_LEFT;
        qel_dismissible_banner(ctx, "A new driver is ready", nullptr, &o);
    };
    rig.h.run(3);
    qel_context* ctx = rig.h.ctx;
    const qel_node* message = node_with_text(ctx, "A new driver is ready");
    const qel_node* update = node_with_text(ctx, "Update");
    EXPECT_GE(update->rect.y, message->rect.y + message->rect.h - 1);
}
