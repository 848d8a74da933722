// The form layout driven over scripted frames: the label column's first width and its splitter's
// limits, labels stacked above fields below 380 units, sections that spring shut with their
// fields inert while they close, label scrubbing by steps and tenths, and the text and
// enumeration fields.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "qel/form_layout.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

struct form_rig {
    widget_rig rig;
    float width;
    qel_form_options opts = {};
    std::function<void(qel_context*)> fields;

    explicit form_rig(float w, bool reduced_motion = true) : rig(800, 600, QEL_THEME_LIGHT, reduced_motion), width(w)
    {
        rig.h.ui = [this](qel_context* ctx) {
            opts.width = {QEL_SIZE_FIXED, width};
            qel_form_begin(ctx, "props", &opts);
            if (fields) fields(ctx);
            qel_form_end(ctx);
        };
    }
    uint32_t form() { return qel_id(rig.h.ctx, "props"); }
    uint32_t label_cell(const char* row)
    {
        qel_push_id(rig.h.ctx, "props");
        qel_push_id(rig.h.ctx, row);
        uint32_t id = qel_id(rig.h.ctx, "#label");
        qel_pop_id(rig.h.ctx);
        qel_pop_id(rig.h.ctx);
        return id;
    }
    void drag(uint32_t id, float dx, uint32_t mods = 0)
    {
        qel_vec2 c = rig.centre(id);
        rig.h.move(c.x, c.y);
        rig.h.run();
        rig.h.key(QEL_KEY_NONE, false, mods);
        rig.h.button(0, true);
        rig.h.run();
        rig.h.move(c.x + dx, c.y);
        rig.h.run();
        rig.h.button(0, false);
        rig.h.run();
        rig.h.key(QEL_KEY_NONE, false, 0);
    }
};

static void name_row(qel_context* ctx)
{
    static char name[32] = "Jasmine";
    qel_form_text(ctx, "Name", name, sizeof name, nullptr);
}

TEST(FormLayout, TheLabelColumnStartsAtItsShareAndTheSplitterKeepsBothColumns)
{
    form_rig f(600);
    f.fields = name_row;
    f.rig.h.run(3);
    EXPECT_FLOAT_EQ(f.rig.h.rect(f.label_cell("Name")).w, roundf(0.38f * 600));
    uint32_t splitter = f.form() ^ PART_FORM_SPLITTER;
    ASSERT_GT(f.rig.h.rect(splitter).h, 0);
    f.drag(splitter, 72);
    f.rig.h.run();
    EXPECT_FLOAT_EQ(f.rig.h.rect(f.label_cell("Name")).w, 300);
    f.width = 500;  // the share is kept as the form narrows
    f.rig.h.run(2);
    EXPECT_FLOAT_EQ(f.rig.h.rect(f.label_cell("Name")).w, 250);
    f.drag(splitter, 1000);
    f.rig.h.run();
    EXPECT_FLOAT_EQ(f.rig.h.rect(f.label_cell("Name")).w, 500 - 160);
    f.drag(splitter, -1000);
    f.rig.h.run();
    EXPECT_FLOAT_EQ(f.rig.h.rect(f.label_cell("Name")).w, 56);

    form_rig given(500);
    given.opts.label_width = 150;
    given.fields = name_row;
    given.rig.h.run(3);
    EXPECT_FLOAT_EQ(given.rig.h.rect(given.label_cell("Name")).w, 150);
}

TEST(FormLayout, NarrowFormsStackLabelsAboveFieldsWithoutASplitter)
{
    for (float w : {379.0f, 380.0f}) {
        form_rig f(w);
        f.fields = name_row;
        f.rig.h.run(3);
        qel_rect label = f.rig.h.rect(f.label_cell("Name"));
        bool stacked = w < 380;
        EXPECT_EQ(label.w == w, stacked) << w;
        EXPECT_EQ(node_with_id(f.rig.h.ctx, f.form() ^ PART_FORM_SPLITTER) == nullptr, stacked) << w;
    }
}

TEST(FormLayout, ACollapsingSectionShrinksToNothingAndItsFieldsTakeNoInput)
{
    form_rig f(500, false);
    static uint8_t open = 1;
    static char text[32] = "";
    static int32_t shown = 0;
    f.fields = [](qel_context* ctx) {
        shown = qel_form_section(ctx, "Label", &open);
        if (shown) qel_form_text(ctx, "Title", text, sizeof text, nullptr);
        qel_form_section(ctx, "Fixed", nullptr);
        name_row(ctx);
    };
    f.rig.h.run(30);
    qel_push_id(f.rig.h.ctx, "props");
    uint32_t header = qel_id(f.rig.h.ctx, "Label") ^ PART_FORM_SECTION_HEADER, body = qel_id(f.rig.h.ctx, "Label") ^ PART_FORM_SECTION_BODY;
    qel_push_id(f.rig.h.ctx, "Label");
    qel_push_id(f.rig.h.ctx, "Title");
    uint32_t input = qel_id(f.rig.h.ctx, "##v");
    qel_pop_id(f.rig.h.ctx);
    qel_pop_id(f.rig.h.ctx);
    qel_pop_id(f.rig.h.ctx);
    float full = f.rig.h.rect(body).h;
    ASSERT_GT(full, 36);
    qel_vec2 c = f.rig.centre(header);
    f.rig.h.click(c.x, c.y);
    EXPECT_EQ(open, 0);
    f.rig.h.run(3);
    EXPECT_EQ(shown, 1) << "still closing";
    qel_set_focus(f.rig.h.ctx, input, true);
    f.rig.h.type("x");
    f.rig.h.run();
    EXPECT_STREQ(text, "") << "a closing section's fields are inert";
    f.rig.h.run(60);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(node_with_id(f.rig.h.ctx, body), nullptr);
    f.rig.h.tap(QEL_KEY_TAB);
    f.rig.h.run();
    ASSERT_EQ(qel_focused_id(f.rig.h.ctx), header);
    f.rig.h.tap(QEL_KEY_RIGHT);
    f.rig.h.run(60);
    EXPECT_EQ(open, 1);
    EXPECT_FLOAT_EQ(f.rig.h.rect(body).h, full);
}

TEST(FormLayout, ScrubbingTheLabelMovesByStepsOrTenthsWithShift)
{
    const struct {
        float dx;
        uint32_t mods;
        float expected;
    } cases[] = {{7, 0, 17}, {-7, 0, 3}, {3, 0, 10}, {7, QEL_MOD_SHIFT, 10.7f}, {500, 0, 50}, {-500, 0, 0}};
    for (const auto& c : cases) {
        form_rig f(500);
        static float value;
        value = 10;
        f.fields = [](qel_context* ctx) {
            uint32_t cell = qel_form_row(ctx, "Size", nullptr, 1);
            qel_form_drag_value(ctx, cell, &value, 0, 50, 1);
            qel_node_pop(ctx);
            qel_pop_disabled(ctx);
            qel_pop_id(ctx);
            qel_node_pop(ctx);
        };
        f.rig.h.run(3);
        f.drag(f.label_cell("Size"), c.dx, c.mods);
        EXPECT_NEAR(value, c.expected, 1e-4f) << c.dx << " with " << c.mods;
    }
}

TEST(FormLayout, TextAndEnumerationFieldsReportTheirChanges)
{
    form_rig f(500);
    static char name[8] = "";
    static int32_t kind = 0, changes = 0;
    static const char* const kinds[] = {"Price", "Barcode", "Name"};
    f.fields = [](qel_context* ctx) {
        qel_form_field_options o = {};
        o.placeholder = "Label name";
        changes += qel_form_text(ctx, "Name", name, sizeof name, &o);
        changes += qel_form_enum(ctx, "Template", kinds, 3, &kind, nullptr);
        changes += qel_form_text(ctx, "None", nullptr, 0, nullptr);
    };
    f.rig.h.run(3);
    qel_push_id(f.rig.h.ctx, "props");
    qel_push_id(f.rig.h.ctx, "Name");
    uint32_t input = qel_id(f.rig.h.ctx, "##v");
    qel_pop_id(f.rig.h.ctx);
    qel_pop_id(f.rig.h.ctx);
    f.rig.h.click(f.rig.centre(input).x, f.rig.centre(input).y);
    f.rig.h.type("Sencha leaves");
    f.rig.h.run();
    EXPECT_STREQ(name, "Sencha ") << "never past the capacity";
    EXPECT_EQ(changes, 1);
    EXPECT_NE(node_with_text(f.rig.h.ctx, "Price"), nullptr);
}

TEST(FormLayout, ColoursAndHelpTooltips)
{
    form_rig f(500);
    static qel_color colour = 0xFF3366CCu;
    f.fields = [](qel_context* ctx) {
        qel_form_field_options o = {};
        o.help = "The colour the label is printed in";
        qel_form_color(ctx, "Ink", &colour, &o);
    };
    f.rig.h.run(3);
    EXPECT_NE(node_with_text(f.rig.h.ctx, "#CC6633"), nullptr);
    f.rig.move_to(f.label_cell("Ink"));
    f.rig.h.run(90);
    EXPECT_NE(node_with_text(f.rig.h.ctx, "The colour the label is printed in"), nullptr);
}

TEST(FormLayout, NumberFieldsDeriveStepAndFormatFromTheirBounds)
{
    const struct {
        float min, max, step;
        float value;
        const char* text;
    } cases[] = {{0, 1, 0, 0.5f, "0.50"}, {0, 1000, 0, 250, "250"}, {0, 0, 0, 2.25f, "2.2"}, {0, 10, 0.25f, 2.25f, "2.2"}};
    for (const auto& c : cases) {
        form_rig f(500);
        static qel_form_field_options o;
        static float value;
        o = {};
        o.min = c.min;
        o.max = c.max;
        o.step = c.step;
        value = c.value;
        f.fields = [](qel_context* ctx) { qel_form_float(ctx, "Size", &value, &o); };
        f.rig.h.run(3);
        EXPECT_NE(node_with_text(f.rig.h.ctx, c.text), nullptr) << c.min << ".." << c.max << " step " << c.step;
    }
}

TEST(FormLayout, IntegersScrubByWholeStepsAndStayExact)
{
    const struct {
        float min, max;
        int32_t start;
        float dx;
        uint32_t mods;
        int32_t expected;
    } cases[] = {
        {0, 50, 10, 7, 0, 17},                        // step max(1, round(0.5)) = 1
        {0, 50, 10, 7, QEL_MOD_SHIFT, 11},            // 0.7 rounds to 1
        {0, 1000, 100, 3, 0, 100},                    // no drag yet: 3 units is within the threshold
        {0, 1000, 100, 5, 0, 150},                    // step 10
        {0, 0, 2147483000, 7, 0, 2147483007},         // exact beyond a float's 24 bits
        {0, 0, 2147483000, 900, 0, 2147483520},       // clamped to the unbounded range
        {0, 0, -2147483000, -900, 0, -2147483520},
    };
    for (const auto& c : cases) {
        form_rig f(500);
        static qel_form_field_options o;
        static int32_t value;
        o = {};
        o.min = c.min;
        o.max = c.max;
        value = c.start;
        f.fields = [](qel_context* ctx) { qel_form_int(ctx, "Copies", &value, &o); };
        f.rig.h.run(3);
        f.drag(f.label_cell("Copies"), c.dx, c.mods);
        EXPECT_EQ(value, c.expected) << c.start << " by " << c.dx;
    }
}

// A float holds 24 bits: the field shows the stored integer, not its nearest float.
TEST(FormLayout, IntegersAreShownExactly)
{
    for (int32_t start : {2147483000, -2147483000, 16777217}) {
        form_rig f(500);
        static int32_t value;
        value = start;
        f.fields = [](qel_context* ctx) { qel_form_int(ctx, "Copies", &value, nullptr); };
        f.rig.h.run(3);
        EXPECT_NE(node_with_text(f.rig.h.ctx, std::to_string(start).c_str()), nullptr) << start;
        EXPECT_EQ(value, start);
    }
}

TEST(FormLayout, VectorsBoolsAndColoursReportTheirChanges)
{
    form_rig f(500);
    static float xyz[4] = {1, 2, 3, 4};
    static uint8_t on = 0, ticked = 0;
    static qel_color colour = 0xFF3366CCu;
    static int32_t changes = 0, count = 3;
    f.fields = [](qel_context* ctx) {
        changes += qel_form_vector(ctx, "Offset", xyz, count, nullptr);
        changes += qel_form_bool(ctx, "Cut", &on, nullptr);
        qel_form_field_options box = {};
        box.use_checkbox = 1;
        changes += qel_form_bool(ctx, "Peel", &ticked, &box);
        changes += qel_form_color(ctx, "Ink", &colour, nullptr);
    };
    f.rig.h.run(3);
    for (const char* letter : {"X", "Y", "Z"}) EXPECT_NE(node_with_text(f.rig.h.ctx, letter), nullptr) << letter;
    EXPECT_EQ(node_with_text(f.rig.h.ctx, "W"), nullptr);
    count = 9;
    f.rig.h.run();
    EXPECT_NE(node_with_text(f.rig.h.ctx, "W"), nullptr) << "at most four components";
    qel_push_id(f.rig.h.ctx, "props");
    qel_push_id(f.rig.h.ctx, "Cut");
    uint32_t cut = qel_id(f.rig.h.ctx, "##v") ^ PART_SWITCH;  // the switch's key
    qel_pop_id(f.rig.h.ctx);
    qel_push_id(f.rig.h.ctx, "Peel");
    uint32_t peel = qel_id(f.rig.h.ctx, "##v") ^ PART_CHECKBOX;  // the check box's key
    qel_pop_id(f.rig.h.ctx);
    qel_pop_id(f.rig.h.ctx);
    f.rig.h.click(f.rig.centre(cut).x, f.rig.centre(cut).y);
    f.rig.h.click(f.rig.centre(peel).x, f.rig.centre(peel).y);
    EXPECT_EQ(on, 1);
    EXPECT_EQ(ticked, 1);
    EXPECT_EQ(changes, 2);

    qel_push_id(f.rig.h.ctx, "props");
    qel_push_id(f.rig.h.ctx, "Offset");
    uint32_t y = qel_id(f.rig.h.ctx, "Y##1");
    qel_pop_id(f.rig.h.ctx);
    qel_pop_id(f.rig.h.ctx);
    f.drag(y, 30);
    EXPECT_GT(xyz[1], 2.0f) << "dragging a component's box moves that component";
    EXPECT_EQ(xyz[0], 1.0f);
    EXPECT_EQ(xyz[2], 3.0f);
    EXPECT_EQ(changes, 3);
}
