// The status bar driven over scripted frames: nothing overflows in the first frame, items with
// an icon drop their text and others are left out whole when the bar is too narrow, clickable
// items click only while enabled, share an id without a name and show a dropped label as their
// tooltip, and progress values clamp.
#include <gtest/gtest.h>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct status_rig {
    widget_rig rig;
    bool item_disabled = false;
    int clicks = 0;
    float progress = 0.4f;

    explicit status_rig(float width) : rig(width, 100)
    {
        rig.h.ui = [this](qel_context* ctx) {
            qel_statusbar_begin(ctx, "status", nullptr);
            qel_status_text_opts rows = {};
            rows.icon = QEL_ICON_ARROW_LEFT;
            qel_status_text(ctx, "20 rows", &rows);
            qel_status_text(ctx, "2x1 in, 203 dpi", nullptr);
            qel_status_spacer(ctx);
            qel_status_item_opts printer = {};
            printer.icon = QEL_ICON_ARROW_RIGHT;
            printer.kind = QEL_SEMANTIC_SUCCESS;
            printer.disabled = item_disabled;
            clicks += qel_status_item(ctx, "Printer ready", &printer);
            qel_status_progress_opts p = {};
            p.label = "Sending";
            qel_status_progress(ctx, progress, &p);
            qel_statusbar_end(ctx);
        };
    }
    qel_context* ctx() { return rig.h.ctx; }
};

static uint32_t scoped(qel_context* ctx, const char* label)
{
    qel_push_id(ctx, "status");
    uint32_t id = qel_id(ctx, label);
    qel_pop_id(ctx);
    return id;
}

TEST(StatusBar, ANarrowBarDropsTextsAndThenItems)
{
    status_rig wide(700);
    wide.rig.h.run(2);
    EXPECT_NE(node_with_text(wide.ctx(), "20 rows"), nullptr);
    EXPECT_NE(node_with_text(wide.ctx(), "Printer ready"), nullptr);
    EXPECT_NE(node_with_text(wide.ctx(), "Sending"), nullptr);

    status_rig narrow(260);
    narrow.rig.h.run();
    EXPECT_NE(node_with_text(narrow.ctx(), "2x1 in, 203 dpi"), nullptr) << "the first frame never overflows";
    narrow.rig.h.run();
    EXPECT_EQ(node_with_text(narrow.ctx(), "20 rows"), nullptr) << "an item with an icon keeps the icon";
    EXPECT_NE(node_with_text(narrow.ctx(), QEL_ICON_ARROW_LEFT), nullptr);
    EXPECT_EQ(node_with_text(narrow.ctx(), "Printer ready"), nullptr);
    EXPECT_NE(node_with_id(narrow.ctx(), scoped(narrow.ctx(), "Printer ready")), nullptr);
    // Whatever is built fits the bar.
    qel_rect bar = narrow.rig.h.rect(qel_id(narrow.ctx(), "status"));
    const qel_node* row = node_with_id(narrow.ctx(), qel_id(narrow.ctx(), "status"));
    const qel_node& last = *inspect_node(narrow.ctx(), row->last_child);
    EXPECT_LE(last.rect.x + last.rect.w, bar.x + bar.w);
}

TEST(StatusBar, ItemsClickOnlyWhileEnabled)
{
    status_rig s(700);
    s.rig.h.run(2);
    uint32_t item = scoped(s.ctx(), "Printer ready");
    qel_vec2 c = s.rig.centre(item);
    s.rig.h.click(c.x, c.y);
    EXPECT_EQ(s.clicks, 1);
    EXPECT_EQ(qel_last_item_id(s.ctx()), item);
    s.item_disabled = true;
    s.rig.h.run();
    s.rig.h.click(c.x, c.y);
    EXPECT_EQ(s.clicks, 1);
    EXPECT_EQ(node_with_id(s.ctx(), item)->opacity, 0.45f);
}

TEST(StatusBar, UnnamedItemsShareOneId)
{
    widget_rig rig(500, 100);
    rig.h.ui = [](qel_context* ctx) {
        qel_statusbar_begin(ctx, "status", nullptr);
        qel_status_item_opts icon = {};
        icon.icon = QEL_ICON_ARROW_LEFT;
        qel_status_item(ctx, nullptr, &icon);
        qel_status_item(ctx, "", &icon);
        icon.tooltip = "Sync";
        qel_status_item(ctx, nullptr, &icon);
        qel_statusbar_end(ctx);
    };
    rig.h.run(2);
    const qel_node* row = node_with_id(rig.h.ctx, qel_id(rig.h.ctx, "status"));
    const qel_node& a = *inspect_node(rig.h.ctx, row->first_child);
    const qel_node& b = *inspect_node(rig.h.ctx, a.next_sibling);
    const qel_node& c = *inspect_node(rig.h.ctx, b.next_sibling);
    EXPECT_EQ(a.id, scoped(rig.h.ctx, "#status-item"));
    EXPECT_EQ(b.id, a.id);
    EXPECT_EQ(c.id, scoped(rig.h.ctx, "Sync"));
}

TEST(StatusBar, ProgressValuesAreClampedBeforeTheyAnimate)
{
    const struct {
        float value, shown;
    } cases[] = {{-2, 0}, {0.25f, 0.25f}, {7, 1}};
    for (const auto& c : cases) {
        status_rig s(700);
        s.progress = c.value;
        s.rig.h.run(2);
        const qel_node* bar = node_with_draw(s.ctx(), qel_status_progress_draw);
        ASSERT_NE(bar, nullptr);
        EXPECT_FLOAT_EQ(*(const float*)bar->draw_user, c.shown) << c.value;
        EXPECT_EQ(bar->rect.w, 64);
    }
}

TEST(StatusBar, ACompactItemShowsItsLabelAsItsTooltip)
{
    status_rig narrow(260);
    narrow.rig.h.run(2);
    ASSERT_EQ(node_with_text(narrow.ctx(), "Printer ready"), nullptr);
    narrow.rig.move_to(scoped(narrow.ctx(), "Printer ready"));
    narrow.rig.h.run(60);
    EXPECT_NE(node_with_text(narrow.ctx(), "Printer ready"), nullptr);
}
