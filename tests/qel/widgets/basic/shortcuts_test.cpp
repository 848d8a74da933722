// Key names, shortcut text and the shortcut recorder over scripted frames: arming by click or
// keys, capturing a chord with its modifiers, cancelling, clearing and disarming.
#include <gtest/gtest.h>

#include <string>

#include "qel/icons.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

TEST(KeyNames, NameEveryKeyAndNothingElse)
{
    const struct {
        int32_t key;
        const char* name;
    } names[] = {{0, ""},           {QEL_KEY_TAB, "Tab"}, {QEL_KEY_ESCAPE, "Esc"}, {QEL_KEY_PAGE_DOWN, "PgDn"},
                 {QEL_KEY_A, "A"},  {QEL_KEY_Z, "Z"},     {QEL_KEY_0, "0"},        {QEL_KEY_SLASH, "/"},
                 {QEL_KEY_F1, "F1"}, {QEL_KEY_F12, "F12"}, {68, ""},               {-1, ""}};
    for (const auto& n : names) EXPECT_STREQ(qel_key_name(n.key), n.name) << n.key;
}

TEST(ShortcutText, ListsModifiersInOrderThenTheKey)
{
    widget_rig rig;
    qel_context* ctx = rig.h.ctx;
    uint32_t all = QEL_MOD_SHIFT | QEL_MOD_CTRL | QEL_MOD_ALT | QEL_MOD_SUPER;
    EXPECT_STREQ(qel_shortcut_text(ctx, qel_shortcut_make(QEL_MOD_CTRL | QEL_MOD_SHIFT, QEL_KEY_A + 10)),
                 "Ctrl Shift K");
    EXPECT_STREQ(qel_shortcut_text(ctx, qel_shortcut_make(all, QEL_KEY_F1 + 4)), "Ctrl Win Alt Shift F5");
    EXPECT_STREQ(qel_shortcut_text(ctx, qel_shortcut_make(QEL_MOD_CTRL, 0)), "") << "no key, no modifiers shown";
    EXPECT_STREQ(qel_shortcut_text(ctx, qel_shortcut_make(QEL_MOD_ALT, 90)), "Alt ");
}

// A recorder "Print" whose shortcut and change reports are open to the test.
struct recorder_rig {
    widget_rig rig{400, 120};
    qel_shortcut shortcut = 0;
    int changes = 0;
    uint32_t id = 0;

    recorder_rig()
    {
        rig.h.ui = [this](qel_context* ctx) { changes += qel_shortcut_recorder(ctx, "Print", &shortcut, nullptr); };
        rig.h.run(2);
        id = qel_id(rig.h.ctx, "Print");
    }
    bool armed() { return node_with_draw(rig.h.ctx, qel_record_dot_draw) != nullptr; }
    void arm()
    {
        rig.h.click(rig.centre(id).x, rig.centre(id).y);
        rig.h.run();
        ASSERT_TRUE(armed());
    }
    void press(int32_t key, uint32_t mods)
    {
        if (mods) rig.h.key(QEL_KEY_NONE, true, mods);
        rig.h.tap(key, mods);
        rig.h.run();
    }
};

TEST(ShortcutRecorder, CapturesAChordWithItsModifiers)
{
    recorder_rig r;
    EXPECT_NE(node_with_text(r.rig.h.ctx, "Click to record"), nullptr);
    r.arm();
    r.rig.h.key(QEL_KEY_NONE, true, QEL_MOD_CTRL | QEL_MOD_SUPER | QEL_MOD_ALT | QEL_MOD_SHIFT);
    r.rig.h.run();
    EXPECT_NE(node_with_text(r.rig.h.ctx, "Ctrl Super Alt Shift "), nullptr) << "the held modifiers, live";
    r.rig.h.key(QEL_KEY_NONE, false, 0);
    r.press((QEL_KEY_A + 15), QEL_MOD_CTRL | QEL_MOD_SHIFT);
    EXPECT_EQ(r.shortcut, qel_shortcut_make(QEL_MOD_CTRL | QEL_MOD_SHIFT, (QEL_KEY_A + 15)));
    EXPECT_EQ(r.changes, 1);
    EXPECT_FALSE(r.armed());
    EXPECT_NE(node_with_text(r.rig.h.ctx, "Ctrl"), nullptr) << "shown as word chips";
    r.arm();
    r.press((QEL_KEY_A + 15), QEL_MOD_CTRL | QEL_MOD_SHIFT);
    EXPECT_EQ(r.changes, 1) << "the same chord again is no change";
}

TEST(ShortcutRecorder, EscapeTabBackspaceAndDeleteAloneAreCommands)
{
    const struct {
        const char* name;
        int32_t key;
        uint32_t mods;
        qel_shortcut before, after;
        int changes;
    } cases[] = {
        {"Escape cancels", QEL_KEY_ESCAPE, 0, qel_shortcut_make(0, (QEL_KEY_F1 + 4)), qel_shortcut_make(0, (QEL_KEY_F1 + 4)), 0},
        {"Shift+Escape records", QEL_KEY_ESCAPE, QEL_MOD_SHIFT, 0, qel_shortcut_make(QEL_MOD_SHIFT, QEL_KEY_ESCAPE), 1},
        {"Tab cancels", QEL_KEY_TAB, 0, 0, 0, 0},
        {"Ctrl+Tab records", QEL_KEY_TAB, QEL_MOD_CTRL, 0, qel_shortcut_make(QEL_MOD_CTRL, QEL_KEY_TAB), 1},
        {"Backspace clears", QEL_KEY_BACKSPACE, 0, qel_shortcut_make(QEL_MOD_ALT, (QEL_KEY_A + 23)), 0, 1},
        {"Delete on nothing is no change", QEL_KEY_DELETE, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        recorder_rig r;
        r.shortcut = c.before;
        r.rig.h.run();
        r.arm();
        r.press(c.key, c.mods);
        EXPECT_EQ(r.shortcut, c.after);
        EXPECT_EQ(r.changes, c.changes);
        EXPECT_FALSE(r.armed());
    }
}

TEST(ShortcutRecorder, ArmsFromTheKeyboardAndDisarmsOnAPressElsewhere)
{
    recorder_rig r;
    r.rig.h.tap(QEL_KEY_TAB);
    r.rig.h.run();
    r.rig.h.tap(QEL_KEY_ENTER);
    r.rig.h.run();
    EXPECT_TRUE(r.armed()) << "Enter arms and is not recorded";
    EXPECT_EQ(r.shortcut, 0u);
    r.rig.h.click(390, 110);
    r.rig.h.run();
    EXPECT_FALSE(r.armed());
    EXPECT_EQ(r.changes, 0);
}

TEST(ShortcutRecorder, TheClearButtonEmptiesIt)
{
    recorder_rig r;
    r.shortcut = qel_shortcut_make(QEL_MOD_CTRL, (QEL_KEY_A + 18));
    r.rig.h.run(2);
    qel_push_id(r.rig.h.ctx, "Print");
    uint32_t clear = qel_hash_str(QEL_ICON_X, qel_id(r.rig.h.ctx, "Clear"));
    qel_pop_id(r.rig.h.ctx);
    r.rig.h.click(r.rig.centre(clear).x, r.rig.centre(clear).y);
    r.rig.h.run();
    EXPECT_EQ(r.shortcut, 0u);
    EXPECT_EQ(r.changes, 1);
    EXPECT_FALSE(r.armed()) << "clearing does not arm";
}
