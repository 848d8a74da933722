// The editable title and the currency field over scripted frames: commit, cancel and the saved
// copy of a long title; the currency text in and out of focus, the typing filter and rounding.
#include <gtest/gtest.h>

#include <string>

#include "qel/qel.h"
#include "support/widget_rig.h"

// A title "name" over a buffer of the test's size.
struct title_rig {
    widget_rig rig{600, 100};
    std::string buffer;
    qel_title_opts opts = {};
    int changes = 0;
    uint32_t id = 0;

    explicit title_rig(const std::string& text, size_t capacity = 64) : buffer(capacity, '\0')
    {
        buffer.replace(0, text.size(), text);
        rig.h.ui = [this](qel_context* ctx) {
            changes += qel_editable_title(ctx, "name", buffer.data(), buffer.size(), &opts);
        };
        rig.h.run(2);
        id = qel_id(rig.h.ctx, "name");
    }
    std::string text() const { return buffer.c_str(); }
    bool editing() { return node_with_id(rig.h.ctx, id ^ PART_TITLE_EDIT) != nullptr; }
    void open()
    {
        rig.h.click(rig.centre(id).x, rig.centre(id).y);
        rig.h.run();
        ASSERT_TRUE(editing());
    }
    void finish(int32_t key)
    {
        rig.h.tap(key);
        rig.h.run(2);
    }
};

TEST(EditableTitle, CommitsAChangeAndReportsOnlyADifference)
{
    title_rig t("Tea labels");
    t.open();
    t.rig.h.type("Coffee labels");
    t.rig.h.run();
    t.finish(QEL_KEY_ENTER);
    EXPECT_EQ(t.text(), "Coffee labels");
    EXPECT_EQ(t.changes, 1);
    EXPECT_FALSE(t.editing());
    EXPECT_EQ(qel_focused_id(t.rig.h.ctx), t.id);
    t.open();
    t.finish(QEL_KEY_ENTER);
    EXPECT_EQ(t.changes, 1) << "committed unchanged";
}

TEST(EditableTitle, EscapeRestoresEvenALongTitleWhole)
{
    std::string long_title(900, 'x');
    long_title += " end";
    title_rig t(long_title, 1200);
    t.open();
    t.rig.h.type("short");
    t.rig.h.run();
    EXPECT_EQ(t.text(), "short");
    t.finish(QEL_KEY_ESCAPE);
    EXPECT_EQ(t.text(), long_title);
    EXPECT_EQ(t.changes, 0);
    EXPECT_FALSE(t.editing());
    EXPECT_EQ(qel_focused_id(t.rig.h.ctx), t.id);
}

TEST(EditableTitle, AnEmptyTitleShowsItsPlaceholder)
{
    title_rig t("");
    const qel_node* shown = node_with_text(t.rig.h.ctx, "Untitled");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text_color, qel_theme_color(t.rig.h.ctx, QEL_COLOR_TEXT_MUTED));
    t.opts.placeholder = "Name this sheet";
    t.rig.h.run();
    EXPECT_NE(node_with_text(t.rig.h.ctx, "Name this sheet"), nullptr);
}

// A currency field "price" with the value and decimals open to the test.
struct currency_rig {
    widget_rig rig{400, 120};
    double value = 0;
    qel_currency_opts opts = {};
    int changes = 0;
    uint32_t id = 0;

    currency_rig(double start, int32_t decimals)
    {
        value = start;
        opts.decimals = decimals;
        rig.h.ui = [this](qel_context* ctx) { changes += qel_currency_input(ctx, "price", &value, &opts); };
        rig.h.run(2);
        id = qel_id(rig.h.ctx, "price");
    }
    std::string text() { return ((const char*)qel_state_get(rig.h.ctx, id ^ PART_CURRENCY_TEXT, 64)); }
    void focus()
    {
        rig.h.click(rig.centre(id).x, rig.centre(id).y);
        rig.h.run();
    }
};

TEST(CurrencyInput, ShowsGroupedDigitsOutOfFocus)
{
    const struct {
        double value;
        int32_t decimals;
        const char* shown;
    } cases[] = {{1234567.5, 0 /* 2 */, "1,234,567.50"}, {-1234, -1, "-1,234"}, {999, 2, "999.00"}, {0.125, 1, "0.1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        currency_rig r(c.value, c.decimals);
        EXPECT_EQ(r.text(), c.shown);
        EXPECT_EQ(r.changes, 0);
    }
}

TEST(CurrencyInput, FiltersTypingAndRoundsOnLeaving)
{
    currency_rig r(0, 0);
    r.focus();
    EXPECT_EQ(r.text(), "") << "a zero value opens empty";
    r.rig.h.type("-12,345");
    r.rig.h.run();
    EXPECT_EQ(r.text(), "12.34") << "no minus, the comma is the point, two decimals";
    EXPECT_DOUBLE_EQ(r.value, 12.34);
    r.rig.h.click(390, 110);
    r.rig.h.run();
    EXPECT_EQ(r.text(), "12.34");
    EXPECT_DOUBLE_EQ(r.value, 12.34);

    currency_rig whole(5, -1);
    whole.focus();
    EXPECT_EQ(whole.text(), "5");
    whole.rig.h.type(".7x8");
    whole.rig.h.run();
    EXPECT_EQ(whole.text(), "578") << "no point at all without decimals";
    EXPECT_DOUBLE_EQ(whole.value, 578);
}

TEST(CurrencyInput, AnEmptiedFieldReadsZero)
{
    currency_rig r(42.5, 2);
    r.focus();
    EXPECT_EQ(r.text(), "42.50");
    r.rig.h.key(QEL_KEY_A, true, QEL_MOD_CTRL);
    r.rig.h.run();
    r.rig.h.key(QEL_KEY_A, false, 0);
    r.rig.h.tap(QEL_KEY_BACKSPACE);
    r.rig.h.run();
    r.rig.h.click(390, 110);
    r.rig.h.run();
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(r.text(), "0.00");
    EXPECT_GE(r.changes, 1);
}
