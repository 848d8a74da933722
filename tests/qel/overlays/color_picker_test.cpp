// The colour picker driven as a user drives it: hex text to colour and back, HSV round trips and
// the wrap of hue 360, dragging the square and the bar (the hue kept through black, the alpha
// kept until an edit, the bar's far end short of 360), and the preset swatches.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "qel/qel.h"
#include "support/widget_rig.h"

static qel_color from_hex(const char* hex)
{
    unsigned long v = strtoul(hex + 1, nullptr, 16);
    return 0xFF000000u | (uint32_t)(v & 0xFF) << 16 | (uint32_t)(v & 0xFF00) | (uint32_t)(v >> 16 & 0xFF);
}

TEST(ColorConversions, RoundTripAndWrapTheHue)
{
    for (const char* hex : {"#000000", "#FFFFFF", "#7747FF", "#0562EF", "#00864B", "#F3AD20", "#808080", "#FF0001"}) {
        qel_color c = from_hex(hex);
        float h, s, v;
        qel_rgb_to_hsv(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF, &h, &s, &v);
        EXPECT_GE(h, 0.0f);
        EXPECT_LT(h, 360.0f);
        EXPECT_EQ(qel_hsv_to_rgb(h, s, v), c) << hex;
    }
    EXPECT_EQ(qel_hsv_to_rgb(360, 1, 1), qel_hsv_to_rgb(0, 1, 1));
    EXPECT_EQ(qel_hsv_to_rgb(0, 1, 1), 0xFF0000FFu);
    EXPECT_EQ(qel_hsv_to_rgb(-120, 1, 1), qel_hsv_to_rgb(240, 1, 1));
    qel_rgb_to_hsv(10, 10, 10, nullptr, nullptr, nullptr);
}

struct picker_rig {
    widget_rig rig;
    qel_color colour;
    int changes = 0;

    explicit picker_rig(qel_color c) : rig(400, 400), colour(c)
    {
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            changes += qel_color_picker(ctx, "ink", &colour);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    qel_context* ctx() { return rig.h.ctx; }
    uint32_t popup() { return qel_id(ctx(), "ink") ^ PART_COLOR_POPUP; }
    void open()
    {
        qel_vec2 c = rig.centre(qel_id(ctx(), "ink"));
        rig.h.click(c.x, c.y);
        rig.h.run();
    }
    qel_rect part(const char* name)
    {
        qel_push_id_int(ctx(), (int32_t)popup());
        uint32_t id = qel_id(ctx(), name);
        qel_pop_id(ctx());
        return rig.h.rect(id);
    }
    // Presses at (fx, fy) of the part's rectangle, drags to (tx, ty), releases.
    void drag(const char* name, float fx, float fy, float tx, float ty)
    {
        qel_rect r = part(name);
        rig.h.move(r.x + r.w * fx, r.y + r.h * fy);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
        rig.h.move(r.x + r.w * tx, r.y + r.h * ty);
        rig.h.run();
        rig.h.button(0, false);
        rig.h.run();
    }
};

TEST(ColorPicker, ShowsItsHexAndOpensFromElsewhere)
{
    picker_rig p(from_hex("#0562EF") & 0x80FFFFFFu);
    EXPECT_NE(node_with_text(p.ctx(), "#0562EF"), nullptr) << "upper case, never the alpha";
    qel_color_picker_open(p.ctx(), qel_id(p.ctx(), "ink"), p.colour);
    p.rig.h.run(2);
    EXPECT_GT(p.part("#sv").w, 0.0f);
}

TEST(ColorPicker, DragsKeepTheHueAndMakeTheColourOpaque)
{
    picker_rig p(from_hex("#7747FF") & 0x80FFFFFFu);
    p.open();
    EXPECT_EQ(p.colour >> 24, 0x80u) << "opening keeps the alpha";
    p.drag("#sv", 0.5f, 0.5f, 0.9f, 1.5f);
    EXPECT_EQ(p.colour, 0xFF000000u) << "dragged below the square: black, opaque";
    p.drag("#sv", 0.5f, 0.5f, 1.0f, 0.0f);
    float h;
    qel_rgb_to_hsv(p.colour & 0xFF, p.colour >> 8 & 0xFF, p.colour >> 16 & 0xFF, &h, nullptr, nullptr);
    EXPECT_NEAR(h, 256.3f, 1.0f) << "the hue came back from black";
    p.drag("#hue", 0.5f, 0.5f, 2.0f, 0.5f);
    EXPECT_EQ(p.colour, qel_hsv_to_rgb(359.964f, 1, 1)) << "the bar's far end stops short of 360";
}

TEST(ColorPicker, SwatchesSetTheColourAndTheCurrentOneChangesNothing)
{
    picker_rig p(from_hex("#00864B"));
    p.open();
    uint32_t popup = p.popup();
    auto swatch = [&](int32_t i) { return qel_hash_bytes(&i, sizeof i, popup); };
    qel_vec2 same = p.rig.centre(swatch(3));
    p.rig.h.click(same.x, same.y);
    EXPECT_EQ(p.changes, 0);
    qel_vec2 other = p.rig.centre(swatch(1));
    p.rig.h.click(other.x, other.y);
    EXPECT_EQ(p.colour, from_hex("#7747FF"));
    EXPECT_EQ(p.changes, 1);
    p.rig.h.run();
    EXPECT_NE(node_with_text(p.ctx(), "#7747FF"), nullptr);

    p.colour = from_hex("#7747FF") & 0x40FFFFFFu;
    p.rig.h.run();
    p.rig.h.click(other.x, other.y);
    EXPECT_EQ(p.changes, 2) << "the same swatch makes a translucent colour opaque";
}
