// The date names and the date picker driven as a user drives them: names that wrap and fall back
// to English, months of the right length starting on the right weekday, picks that move the view,
// month steps across year ends, and callers' dates out of range that are brought into it.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(DateNames, WrapAndFallBackToEnglish)
{
    widget_rig rig;
    qel_context* ctx = rig.h.ctx;
    EXPECT_STREQ(qel_month_name(ctx, -1), "December");
    EXPECT_STREQ(qel_weekday_name(ctx, 7), "Monday");
    EXPECT_STREQ(qel_weekday_name_narrow(ctx, -1), "Su");
    const char* table[QEL_DATE_NAME_COUNT] = {};
    table[2] = "März";
    table[45] = "Heute";
    qel_date_names_set(ctx, table);
    EXPECT_EQ(qel_date_names_get(ctx), table);
    EXPECT_STREQ(qel_month_name(ctx, 2), "März");
    EXPECT_STREQ(qel_month_name_short(ctx, 2), "Mar") << "a null entry falls back";
    EXPECT_STREQ(qel_today_label(ctx), "Heute");
    qel_date_names_set(ctx, nullptr);
    EXPECT_STREQ(qel_today_label(ctx), "Today");
    qel_date today = {};
    EXPECT_EQ(qel_today(&today).year, today.year);
    EXPECT_GE(today.month, 1);
    EXPECT_LE(today.month, 12);
}

// A calendar "cal" on the board, editing date (or none).
struct calendar_rig {
    widget_rig rig;
    qel_date date;
    qel_date* given;
    int picks = 0;

    explicit calendar_rig(qel_date d, bool with_date = true) : rig(400, 400), date(d), given(with_date ? &date : nullptr)
    {
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            picks += qel_date_picker_calendar(ctx, "cal", given);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t cell(qel_date d)
    {
        int32_t n = qel_days_from_civil(d);
        return qel_hash_bytes(&n, sizeof n, qel_id(ctx(), "cal"));
    }
    bool outside(qel_date d)
    {
        const qel_node* n = node_with_id(ctx(), cell(d));
        return n && inspect_node(ctx(), n->first_child)->text_color ==
                        qel_color_resolve(ctx(), qel_color_token(QEL_COLOR_TEXT_MUTED));
    }
    void step(const char* glyph, const char* tip)
    {
        qel_push_id(ctx(), "cal");
        uint32_t id = qel_hash_str(glyph, qel_id(ctx(), tip));
        qel_pop_id(ctx());
        qel_vec2 c = rig.centre(id);
        rig.h.click(c.x, c.y);
        rig.h.run();  // the title was built before the button moved the view
    }
};

TEST(Calendar, MonthsHaveTheirLengthAndStartOnTheirWeekday)
{
    struct month_case {
        qel_date last_inside, first_outside;
    };
    const month_case cases[] = {{{2024, 2, 29}, {2024, 3, 1}}, {{1900, 2, 28}, {1900, 3, 1}}, {{2000, 2, 29}, {2000, 3, 1}}};
    for (const month_case& m : cases) {
        calendar_rig c({m.last_inside.year, 2, 10});
        EXPECT_FALSE(c.outside(m.last_inside)) << m.last_inside.year;
        EXPECT_TRUE(c.outside(m.first_outside)) << m.last_inside.year;
    }
    calendar_rig march({2026, 3, 10});
    qel_rect feb23 = march.rig.h.rect(march.cell({2026, 2, 23}));
    qel_rect mar1 = march.rig.h.rect(march.cell({2026, 3, 1}));
    EXPECT_TRUE(march.outside({2026, 2, 23}));
    EXPECT_FLOAT_EQ(feb23.y, mar1.y) << "1 March 2026, a Sunday, closes the first row";
    EXPECT_GT(mar1.x, feb23.x + 5 * feb23.w);
    EXPECT_EQ(node_with_id(march.ctx(), march.cell({2026, 2, 22})), nullptr);
}

TEST(Calendar, StepsAcrossYearEndsAndPicksMoveTheView)
{
    calendar_rig c({2026, 12, 5});
    c.step(QEL_ICON_CHEVRON_RIGHT, "Next month");
    EXPECT_NE(node_with_text(c.ctx(), "January 2027"), nullptr);
    c.step(QEL_ICON_CHEVRON_LEFT, "Previous month");
    c.step(QEL_ICON_CHEVRON_LEFT, "Previous month");
    EXPECT_NE(node_with_text(c.ctx(), "November 2026"), nullptr);
    EXPECT_EQ(c.picks, 0);

    qel_vec2 dec3 = c.rig.centre(c.cell({2026, 12, 3}));
    c.rig.h.click(dec3.x, dec3.y);
    c.rig.h.run();
    EXPECT_EQ(c.picks, 1);
    EXPECT_EQ(c.date.month, 12);
    EXPECT_EQ(c.date.day, 3);
    EXPECT_NE(node_with_text(c.ctx(), "December 2026"), nullptr) << "an outside day moves the view";
    c.date = {2026, 6, 1};
    c.rig.h.run();
    EXPECT_NE(node_with_text(c.ctx(), "December 2026"), nullptr) << "the view does not follow the caller";
}

// A widget of another kind given the same label (a slider, say) leaves a record of its own under
// the calendar's id: the calendar starts afresh rather than read a month and year out of it.
TEST(Calendar, ARecordOfAnotherKindUnderItsIdIsNotTrusted)
{
    for (uint8_t fill : {0x00, 0x7F, 0xFF}) {
        calendar_rig r({2026, 3, 14});
        r.rig.h.ui = [&](qel_context* ctx) {
            board_begin(ctx);
            auto* foreign = (uint8_t*)qel_state_get(ctx, qel_id(ctx, "When"), 36);
            memset(foreign, fill, 36);
            r.picks += qel_date_picker_calendar(ctx, "When", &r.date);
            qel_container_end(ctx);
        };
        r.rig.h.run(3);
        EXPECT_NE(node_with_text(r.ctx(), "March 2026"), nullptr) << (int)fill;
        EXPECT_EQ(r.picks, 0);
    }
}

TEST(Calendar, CallersDatesAreBroughtIntoRangeAndNoDateShowsToday)
{
    calendar_rig wrapped({2026, 14, 3});
    EXPECT_NE(node_with_text(wrapped.ctx(), "February 2026"), nullptr);
    calendar_rig far({INT_MAX, 12, 31});
    EXPECT_NE(node_with_text(far.ctx(), "December 5000000"), nullptr);
    far.step(QEL_ICON_CHEVRON_RIGHT, "Next month");
    EXPECT_NE(node_with_text(far.ctx(), "December 5000000"), nullptr);
    calendar_rig early({-3, 1, 1});
    EXPECT_NE(node_with_text(early.ctx(), "January 1"), nullptr);
    early.step(QEL_ICON_CHEVRON_LEFT, "Previous month");
    EXPECT_NE(node_with_text(early.ctx(), "January 1"), nullptr);

    calendar_rig none({0, 0, 0}, false);
    qel_date today = qel_today(nullptr);
    std::string title = std::string(qel_month_name(none.ctx(), today.month - 1)) + " " + std::to_string(today.year);
    EXPECT_NE(node_with_text(none.ctx(), title.c_str()), nullptr);
    qel_vec2 c = none.rig.centre(none.cell(today));
    none.rig.h.click(c.x, c.y);
    EXPECT_EQ(none.picks, 0);
}

TEST(DatePicker, APickShowsInTheFieldAndClosesThePopup)
{
    widget_rig rig(400, 420);
    qel_date date = {2026, 3, 10};
    int picks = 0;
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        picks += qel_date_picker(ctx, "due", &date, nullptr);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    qel_context* ctx = rig.h.ctx;
    EXPECT_NE(node_with_text(ctx, "Mar 10, 2026"), nullptr);
    qel_vec2 field = rig.centre(qel_id(ctx, "due"));
    rig.h.click(field.x, field.y);
    uint32_t popup = qel_id(ctx, "due") ^ PART_DATE_POPUP;
    ASSERT_TRUE(qel_popup_find(ctx, popup, false)->open);
    rig.h.run();
    qel_push_id_int(ctx, (int32_t)popup);
    uint32_t cal = qel_id(ctx, "#cal");
    qel_pop_id(ctx);
    int32_t april1 = qel_days_from_civil({2026, 4, 1});
    qel_vec2 c = rig.centre(qel_hash_bytes(&april1, sizeof april1, cal));
    rig.h.click(c.x, c.y);
    EXPECT_EQ(picks, 1);
    EXPECT_FALSE(qel_popup_find(ctx, popup, false)->open);
    rig.h.run();
    EXPECT_NE(node_with_text(ctx, "Apr 1, 2026"), nullptr);
}
