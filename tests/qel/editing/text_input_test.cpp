// The text input widget, the search box and the number stepper as a user drives and sees them:
// scripted frames through the headless driver and pictures from the software renderer.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <string>

#include "qel/qel.h"
#include "editing/text_field.h"
#include "support/widget_rig.h"

namespace {

// Glyph edges come from stb_truetype's float rasteriser, which the two compilers round a little
// apart.
const int TOLERANCE = 2;

struct one_field {
    widget_rig rig;
    char buffer[64] = {};
    qel_text_input_opts opts = {};
    uint32_t result = 0;
    uint32_t id = 0;

    one_field(const char* text, uint32_t mode = QEL_THEME_LIGHT) : rig(400, 200, mode)
    {
        strcpy(buffer, text);
        rig.h.ui = [this](qel_context* ctx) {
            qel_style s = {};
            s.padding = 20;
            qel_column_begin(ctx, &s);
            id = qel_id(ctx, "field");
            result = qel_input_text(ctx, "field", buffer, sizeof buffer, &opts);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    qel_text_input_state* state()
    {
        return (qel_text_input_state*)qel_state_get(rig.h.ctx, id, sizeof(qel_text_input_state));
    }
    // The field's icon buttons, from the last frame's tree.
    int buttons() const
    {
        int n = 0;
        const qel_node* box = node_with_id(rig.h.ctx, id);
        for (int32_t c = box ? box->first_child : -1; c >= 0; c = inspect_node(rig.h.ctx, c)->next_sibling)
            n += inspect_node(rig.h.ctx, c)->id != 0 && inspect_node(rig.h.ctx, c)->id != qel_text_area_id(id);
        return n;
    }
    // The centre of the box's last child: its rightmost button.
    qel_vec2 last_button() const
    {
        const qel_node* box = node_with_id(rig.h.ctx, id);
        const qel_rect& r = inspect_node(rig.h.ctx, box->last_child)->rect;
        return {r.x + r.w / 2, r.y + r.h / 2};
    }
};

// --- The field's parts ---

TEST(TextInput, ClearButtonOnlyForEditableText)
{
    one_field f("green tea");
    EXPECT_EQ(f.buttons(), 0);
    f.opts.clear_button = 1;
    f.rig.h.run();
    EXPECT_EQ(f.buttons(), 1);
    f.opts.read_only = 1;
    f.rig.h.run();
    EXPECT_EQ(f.buttons(), 0);
    f.opts.read_only = 0;
    f.rig.h.run();
    qel_vec2 c = f.last_button();
    f.rig.h.click(c.x, c.y);
    EXPECT_STREQ(f.buffer, "");
    EXPECT_TRUE(qel_focused_id(f.rig.h.ctx) == f.id);  // the field takes the focus
    f.rig.h.run();
    EXPECT_EQ(f.buttons(), 0);  // nothing left to clear
    f.rig.h.tap(QEL_KEY_A + ('Z' - 'A'), QEL_MOD_CTRL);
    EXPECT_STREQ(f.buffer, "green tea");  // clearing is one undo step
}

TEST(TextInput, ClearingReportsAChangeInItsFrame)
{
    one_field f("tea");
    f.opts.clear_button = 1;
    f.rig.h.run();
    qel_vec2 c = f.last_button();
    f.rig.h.move(c.x, c.y);
    f.rig.h.run();
    f.rig.h.button(0, true);
    f.rig.h.run();
    f.rig.h.button(0, false);
    f.rig.h.run();
    EXPECT_TRUE(f.result & QEL_INPUT_CHANGED);
}

TEST(TextInput, RevealButtonShowsThePassword)
{
    one_field f("secret");
    f.opts.password = 1;
    f.rig.h.run();
    ASSERT_EQ(f.buttons(), 1);
    EXPECT_EQ(f.state()->password_shown, 0);
    qel_vec2 c = f.last_button();
    f.rig.h.click(c.x, c.y);
    EXPECT_EQ(f.state()->password_shown, 1);
    f.rig.h.click(c.x, c.y);
    EXPECT_EQ(f.state()->password_shown, 0);
}

TEST(TextInput, LabelAndHintFrameTheBox)
{
    one_field f("");
    f.opts.label = "Product name";
    f.opts.help = "As printed on the label";
    f.rig.h.run(2);
    const qel_node* label = node_with_text(f.rig.h.ctx, "Product name");
    const qel_node* help = node_with_text(f.rig.h.ctx, "As printed on the label");
    qel_rect box = f.rig.h.rect(f.id);
    ASSERT_TRUE(label && help);
    EXPECT_LT(label->rect.y + label->rect.h, box.y);
    EXPECT_GT(help->rect.y, box.y + box.h);
    EXPECT_FLOAT_EQ(box.h, 36);
    f.opts.error = "Required";
    f.rig.h.run();
    EXPECT_TRUE(node_with_text(f.rig.h.ctx, "Required"));  // the error replaces the help
    EXPECT_FALSE(node_with_text(f.rig.h.ctx, "As printed on the label"));
    EXPECT_EQ(node_with_id(f.rig.h.ctx, f.id)->border, qel_theme_color(f.rig.h.ctx, QEL_COLOR_DANGER));
}

TEST(TextInput, GrowingMultiLineFieldIsNeverBelow80)
{
    widget_rig rig(400, 60);  // less room than the field's least height
    char text[64] = "";
    qel_text_input_opts opts = {};
    opts.multiline_height = -1;
    rig.h.ui = [&](qel_context* ctx) { qel_input_multiline(ctx, "notes", text, sizeof text, &opts); };
    rig.h.run(2);
    EXPECT_GE(rig.h.rect(qel_id(rig.h.ctx, "notes")).h, 80);
    widget_rig tall(400, 500);
    tall.h.ui = rig.h.ui;
    tall.h.run(2);
    EXPECT_GT(tall.h.rect(qel_id(tall.h.ctx, "notes")).h, 400);
}

TEST(TextInput, NothingWithoutABuffer)
{
    widget_rig rig;
    char text[4] = "";
    uint32_t got = 1;
    rig.h.ui = [&](qel_context* ctx) {
        got = qel_input_text(ctx, "a", nullptr, 8, nullptr) | qel_input_text(ctx, "b", text, 0, nullptr);
    };
    rig.h.run();
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(inspect_node_count(rig.h.ctx), 1);  // the root alone
}

TEST(TextInput, AutofocusTakesTheFocusOnce)
{
    one_field f("tea");
    EXPECT_EQ(qel_focused_id(f.rig.h.ctx), 0u);  // built without it
    widget_rig rig;
    char text[16] = "";
    qel_text_input_opts opts = {};
    opts.autofocus = 1;
    uint32_t flags = 0;
    rig.h.ui = [&](qel_context* ctx) { flags = qel_input_text(ctx, "q", text, sizeof text, &opts); };
    rig.h.run();
    EXPECT_EQ(qel_focused_id(rig.h.ctx), qel_id(rig.h.ctx, "q"));
    EXPECT_TRUE(flags & QEL_INPUT_FOCUS_GAINED);
    rig.h.tap(QEL_KEY_ESCAPE);
    rig.h.run();
    EXPECT_EQ(qel_focused_id(rig.h.ctx), 0u);
}

TEST(TextInput, SearchBoxDefaults)
{
    widget_rig rig;
    char text[32] = "oolong";
    rig.h.ui = [&](qel_context* ctx) { qel_search_box(ctx, "find", text, sizeof text, nullptr); };
    rig.h.run(2);
    uint32_t id = qel_id(rig.h.ctx, "find");
    const qel_node* box = node_with_id(rig.h.ctx, id);
    ASSERT_TRUE(box);
    const qel_node& clear = *inspect_node(rig.h.ctx, box->last_child);
    EXPECT_NE(clear.id, qel_text_area_id(id));  // the clear button follows the text
    rig.h.move(clear.rect.x + clear.rect.w / 2, clear.rect.y + clear.rect.h / 2);
    rig.h.click(clear.rect.x + clear.rect.w / 2, clear.rect.y + clear.rect.h / 2);
    EXPECT_STREQ(text, "");
}

// --- The number stepper ---

struct stepper {
    widget_rig rig;
    double value;
    double lo, hi;
    qel_number_stepper_opts opts = {};
    bool changed = false;
    uint32_t id = 0;

    stepper(double v, double min, double max) : value(v), lo(min), hi(max)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_style s = {};
            s.padding = 20;
            qel_column_begin(ctx, &s);
            id = qel_id(ctx, "qty");
            changed = qel_number_stepper(ctx, "qty", &value, lo, hi, &opts);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    std::string text() const
    {
        auto* s = (const char*)qel_state_find(rig.h.ctx, id ^ PART_STEPPER_TEXT, 64, false);
        return s ? s : "";
    }
    void focus()
    {
        qel_rect r = rig.h.rect(qel_text_area_id(id));
        rig.h.click(r.x + 1, r.y + r.h / 2);
    }
    // Focuses the field and types text over all of its own.
    void retype(const char* text)
    {
        focus();
        rig.h.tap(QEL_KEY_A, QEL_MOD_CTRL);
        rig.h.type(text);
        rig.h.run();
    }
    // The decrease and increase buttons, the last two children of the field's box.
    qel_vec2 button(bool increase) const
    {
        const qel_node* box = node_with_id(rig.h.ctx, id);
        int32_t before_last = -1;
        for (int32_t c = box->first_child; c != box->last_child; c = inspect_node(rig.h.ctx, c)->next_sibling)
            before_last = c;
        int32_t b = increase ? box->last_child : before_last;
        const qel_rect& r = inspect_node(rig.h.ctx, b)->rect;
        return {r.x + r.w / 2, r.y + r.h / 2};
    }
};

TEST(NumberStepper, TypedTextBecomesTheValueAndLeavingFormatsIt)
{
    stepper s(2, 0, 100);
    s.opts.decimals = 2;
    s.rig.h.run();
    EXPECT_EQ(s.text(), "2");  // made before the decimals changed; not focused, value unchanged
    s.value = 3.5;             // set by the program
    s.rig.h.run();
    EXPECT_EQ(s.text(), "3.50");
    s.retype("12.5");
    EXPECT_DOUBLE_EQ(s.value, 12.5);
    EXPECT_TRUE(s.changed);
    s.rig.h.type("x");  // no longer a number at its end: the number in front still reads
    s.rig.h.run();
    EXPECT_DOUBLE_EQ(s.value, 12.5);
    s.rig.h.tap(QEL_KEY_ENTER);
    EXPECT_EQ(s.text(), "12.5x");  // Enter keeps the typed text
    s.rig.h.tap(QEL_KEY_TAB);
    EXPECT_EQ(s.text(), "12.50");  // leaving shows the value
}

TEST(NumberStepper, TextThatIsNoFiniteNumberLeavesTheValue)
{
    for (const char* typed : {"abc", "nan", "inf", "-inf", "1e999", "", "."}) {
        stepper s(7, -1e308, 1e308);
        s.retype(typed);
        EXPECT_DOUBLE_EQ(s.value, 7) << typed;
        EXPECT_TRUE(std::isfinite(s.value)) << typed;
    }
}

// Numbers in a locale whose decimal separator is a comma: the system's, or one made for the test
// from the locale sources when it has none.
bool comma_locale()
{
    for (const char* name : {"de_DE.UTF-8", "German_Germany.1252"})
        if (setlocale(LC_NUMERIC, name)) return true;
#ifndef _WIN32
    std::string dir = testing::TempDir() + "qel-locales";
    std::string make = "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' 2>/dev/null";
    if (std::system(make.c_str()) != 0) return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
#else
    return false;
#endif
}

TEST(NumberStepper, ReadsAndWritesADecimalPointWhateverTheLocale)
{
    if (!comma_locale()) GTEST_SKIP() << "no locale with a decimal comma here";
    char printed[16];
    snprintf(printed, sizeof printed, "%.2f", 2.5);
    EXPECT_STREQ(printed, "2,50");  // the C library now writes a comma
    stepper s(1.25, 0, 10);
    s.opts.decimals = 2;
    s.value = 2.5;
    s.rig.h.run();
    EXPECT_EQ(s.text(), "2.50");
    s.retype("3.75");
    EXPECT_DOUBLE_EQ(s.value, 3.75);
    setlocale(LC_NUMERIC, "C");
}

TEST(NumberStepper, KeysAndButtonsStepWithinTheRange)
{
    stepper s(1, 0, 10);
    s.opts.step = 0.5;
    s.focus();
    s.rig.h.tap(QEL_KEY_UP);
    EXPECT_DOUBLE_EQ(s.value, 1.5);
    EXPECT_EQ(s.text(), "2");  // stepped while focused, shown with 0 decimals
    s.rig.h.key(QEL_KEY_NONE, false, QEL_MOD_SHIFT);
    s.rig.h.tap(QEL_KEY_DOWN, QEL_MOD_SHIFT);
    EXPECT_DOUBLE_EQ(s.value, 0);  // ten steps down from 1.5, clamped
    s.rig.h.key(QEL_KEY_NONE, false, 0);
    s.rig.h.run();
    qel_vec2 down = s.button(false), up = s.button(true);
    s.rig.h.click(down.x, down.y);
    EXPECT_DOUBLE_EQ(s.value, 0);  // disabled at the minimum
    s.rig.h.click(up.x, up.y);
    EXPECT_DOUBLE_EQ(s.value, 0.5);
    s.value = 10;
    s.rig.h.run();
    s.rig.h.click(up.x, up.y);
    EXPECT_DOUBLE_EQ(s.value, 10);  // disabled at the maximum
    s.rig.h.click(down.x, down.y);
    EXPECT_DOUBLE_EQ(s.value, 9.5);
}

TEST(NumberStepper, RangesTheWrongWayRoundAndOutOfRangeValues)
{
    const struct {
        double value, lo, hi, expect;
    } cases[] = {
        {50, 10, 0, 10},          // a minimum above the maximum: the range the other way round
        {-5, 10, 0, 0},
        {NAN, 1, 5, 1},           // no number at all: the nearest to 0 in range
        {INFINITY, -3, 3, 0},
        {4, NAN, 2, 2},           // a bound that is no number is no bound
        {-1e300, NAN, NAN, -1e300},
    };
    for (const auto& c : cases) {
        stepper s(c.value, c.lo, c.hi);
        EXPECT_DOUBLE_EQ(s.value, c.expect) << c.value << " in " << c.lo << ".." << c.hi;
    }
    stepper big(1e300, -1e308, 1e308);
    big.opts.decimals = 400;  // more than a double shows, and too long for the field written out
    big.value = 2e300;
    big.rig.h.run();
    EXPECT_EQ(big.text(), "2e+300");
}

// --- Pictures ---

// A padded column across the window, as tall as its fields.
void field_column_begin(qel_context* ctx)
{
    qel_style s = {};
    s.padding = 14;
    s.gap = 10;
    s.width = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &s);
}

void field_board(qel_context* ctx, char (*texts)[64])
{
    field_column_begin(ctx);
    qel_text_input_opts o = {};
    o.label = "Product";
    o.placeholder = "Name on the label";
    o.help = "Up to 40 characters";
    qel_input_text(ctx, "empty", texts[0], 64, &o);
    o = {};
    o.clear_button = 1;
    o.prefix = "EUR";
    qel_input_text(ctx, "focused", texts[1], 64, &o);
    o = {};
    o.password = 1;
    o.error = "Too short";
    qel_input_text(ctx, "password", texts[2], 64, &o);
    o = {};
    o.disabled = 1;
    o.suffix = "g";
    qel_input_text(ctx, "disabled", texts[3], 64, &o);
    qel_search_box(ctx, "search", texts[4], 64, nullptr);
    o = {};
    o.multiline_height = 64;
    qel_input_multiline(ctx, "notes", texts[5], 64, &o);
    static double quantity = 12;
    qel_number_stepper_opts n = {};
    n.unit = "pcs";
    qel_number_stepper(ctx, "quantity", &quantity, 0, 500, &n);
    qel_container_end(ctx);
}

TEST(TextInputPictures, FieldsInLightAndDark)
{
    for (uint32_t mode : {QEL_THEME_LIGHT, QEL_THEME_DARK}) {
        widget_rig rig(420, 560, mode);
        char texts[6][64] = {"", "Sencha green tea", "hunter2", "250", "", "Steep 2 min\nat 80 \u00B0C"};
        rig.h.ui = [&](qel_context* ctx) { field_board(ctx, texts); };
        rig.h.run(2);
        uint32_t focused = qel_id(rig.h.ctx, "focused");
        qel_rect area = rig.h.rect(qel_text_area_id(focused));
        rig.h.click(area.x + 1, area.y + area.h / 2);
        rig.h.tap(QEL_KEY_RIGHT, QEL_MOD_CTRL);
        rig.h.tap(QEL_KEY_RIGHT, QEL_MOD_CTRL | QEL_MOD_SHIFT);  // "green" selected
        rig.h.run();
        std::string name = mode == QEL_THEME_DARK ? "qel/text_inputs_dark.png" : "qel/text_inputs_light.png";
        EXPECT_TRUE(picture_matches(rig.shot(), name, TOLERANCE));
    }
}

TEST(TextInputPictures, KeyboardFocusShowsTheRingAndTheCaret)
{
    for (uint32_t mode : {QEL_THEME_LIGHT, QEL_THEME_DARK}) {
        widget_rig rig(300, 130, mode);
        char name[32] = "", notes[64] = "Two lines\nof notes";
        rig.h.ui = [&](qel_context* ctx) {
            field_column_begin(ctx);
            qel_text_input_opts o = {};
            o.placeholder = "Name";
            qel_input_text(ctx, "name", name, sizeof name, &o);
            o.multiline_height = 58;
            qel_input_multiline(ctx, "notes", notes, sizeof notes, &o);
            qel_container_end(ctx);
        };
        rig.h.run(2);
        rig.h.tap(QEL_KEY_TAB);  // the empty field, its caret at the very start
        rig.h.run();
        std::string file = mode == QEL_THEME_DARK ? "qel/text_input_focus_dark.png" : "qel/text_input_focus_light.png";
        EXPECT_TRUE(picture_matches(rig.shot(), file, TOLERANCE));
    }
}

}  // namespace
