// Text fields driven as a user drives them: scripted frames with clicks, drags, keys, typed text
// and a recording clipboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core.h"
#include "qel_headless.h"
#include "editing/text_field.h"
#include "support/qel_inspect.h"

namespace {

// The platform's clipboard and caret reports, recorded.
struct recording_platform {
    std::string clipboard;
    int sets = 0;
    qel_rect caret = {-1, -1, -1, -1};

    qel_platform record()
    {
        qel_platform p = {};
        p.user = this;
        p.set_clipboard = [](void* u, const char* text) {
            ((recording_platform*)u)->clipboard = text;
            ((recording_platform*)u)->sets++;
        };
        p.get_clipboard = [](void* u) -> const char* { return ((recording_platform*)u)->clipboard.c_str(); };
        p.set_text_caret_rect = [](void* u, float x, float y, float w, float h) {
            ((recording_platform*)u)->caret = {x, y, w, h};
        };
        return p;
    }
};

// Two fields, "a" above "b", each 300 wide, in a 400 x 300 window.
struct fields {
    qel_headless h{400, 300};
    recording_platform platform;
    std::vector<char> buffer[2];
    qel_text_input_opts opts[2] = {};
    bool multiline[2] = {};
    uint32_t result[2] = {}, id[2] = {};

    explicit fields(const std::string& text = "", int32_t capacity = 64, bool multi = false)
    {
        for (int i = 0; i < 2; i++) {
            buffer[i].assign((size_t)capacity, 0);
            multiline[i] = multi;
        }
        set_text(text);
        qel_platform p = platform.record();
        qel_ctx_set_platform(h.ctx, &p);
        h.ui = [this](qel_context* ctx) {
            qel_style col = {};
            col.padding = 20;
            col.gap = 10;
            qel_column_begin(ctx, &col);
            for (int i = 0; i < 2; i++) build(ctx, i);
            qel_container_end(ctx);
        };
        h.run(2);  // laid out once, so the areas are known
    }

    void build(qel_context* ctx, int i)
    {
        id[i] = qel_id(ctx, i == 0 ? "a" : "b");
        opts[i].width = {QEL_SIZE_FIXED, 300};
        result[i] = qel_input_text_ex(ctx, id[i], buffer[i].data(), (int32_t)buffer[i].size(), &opts[i], multiline[i],
                                      false, nullptr);
    }

    void set_text(const std::string& text, int i = 0) { memcpy(buffer[i].data(), text.c_str(), text.size() + 1); }
    std::string text(int i = 0) const { return std::string(buffer[i].data()); }
    qel_text_input_state* state(int i = 0)
    {
        return (qel_text_input_state*)qel_state_get(h.ctx, id[i], sizeof(qel_text_input_state));
    }
    qel_rect area(int i = 0) const { return h.rect(qel_text_area_id(id[i])); }
    bool focused(int i = 0) const { return qel_focused_id(h.ctx) == id[i]; }

    // The x at which offset lies in field i's one line of text.
    float x_of(int32_t offset, int i = 0) const
    {
        return area(i).x + qel_text_width(h.ctx, QEL_FONT_BODY, 13, buffer[i].data(), offset, 0);
    }
    float y_mid(int i = 0) const { return area(i).y + area(i).h / 2; }

    // Focuses field i with the caret and anchor where given.
    void focus(int32_t caret, int32_t anchor, int i = 0)
    {
        h.click(area(i).x + 1, y_mid(i));
        state(i)->caret = caret;
        state(i)->anchor = anchor;
    }
    void press(int32_t key, uint32_t mods = 0) { h.tap(key, mods); }
    void type(const char* text)
    {
        h.type(text);
        h.run();
    }
};

constexpr int32_t letter(char c)
{
    return QEL_KEY_A + (c - 'A');
}

// --- Pointer ---

TEST(TextField, ClicksPlaceTheCaretAndSelect)
{
    fields t("green tea leaves");
    t.h.click(t.x_of(3) + 1, t.y_mid());
    EXPECT_TRUE(t.focused());
    EXPECT_EQ(t.state()->caret, 3);
    EXPECT_EQ(t.state()->anchor, 3);  // a click selects nothing
    t.h.key(QEL_KEY_NONE, false, QEL_MOD_SHIFT);
    t.h.click(t.x_of(9) + 1, t.y_mid());
    EXPECT_EQ(t.state()->caret, 9);  // Shift+click extends from the anchor
    EXPECT_EQ(t.state()->anchor, 3);
    t.h.key(QEL_KEY_NONE, false, 0);
    t.h.step = 0.5f;  // apart from the last click
    t.h.run();
    t.h.step = 1.0f / 60;
    t.h.click(t.x_of(7) + 1, t.y_mid());
    t.h.click(t.x_of(7) + 1, t.y_mid());  // double click: the word under the pointer
    EXPECT_EQ(t.state()->anchor, 6);
    EXPECT_EQ(t.state()->caret, 9);
    t.h.click(t.x_of(7) + 1, t.y_mid());  // triple click: everything
    EXPECT_EQ(t.state()->anchor, 0);
    EXPECT_EQ(t.state()->caret, 16);
}

TEST(TextField, DraggingSelectsEvenPastTheField)
{
    fields t("green tea");
    t.h.move(t.x_of(2) + 1, t.y_mid());
    t.h.run();
    t.h.button(0, true);
    t.h.run();
    t.h.move(t.x_of(7) + 1, t.y_mid());
    t.h.run();
    EXPECT_EQ(t.state()->anchor, 2);
    EXPECT_EQ(t.state()->caret, 7);
    t.h.move(390, 5);  // outside the field, right of its text
    t.h.run();
    EXPECT_EQ(t.state()->caret, 9);
    t.h.button(0, false);
    t.h.run();
    EXPECT_EQ(t.state()->dragging, 0);
    t.h.move(t.x_of(4), t.y_mid());
    t.h.run();
    EXPECT_EQ(t.state()->caret, 9);  // released: moving no longer selects
}

// --- Keys ---

TEST(TextField, KeysMoveAndDelete)
{
    const std::string text = "tea caf\xC3\xA9 au lait";  // "tea café au lait", 17 bytes
    const struct {
        const char* what;
        int32_t caret, anchor, key;
        uint32_t mods;
        std::string expect;
        int32_t expect_caret, expect_anchor;
    } cases[] = {
        {"left", 5, 5, QEL_KEY_LEFT, 0, text, 4, 4},
        {"left over a two-byte letter", 9, 9, QEL_KEY_LEFT, 0, text, 7, 7},
        {"right over it", 7, 7, QEL_KEY_RIGHT, 0, text, 9, 9},
        {"left collapses a selection to its start", 9, 4, QEL_KEY_LEFT, 0, text, 4, 4},
        {"right collapses to its end", 4, 9, QEL_KEY_RIGHT, 0, text, 9, 9},
        {"shift extends", 9, 4, QEL_KEY_LEFT, QEL_MOD_SHIFT, text, 7, 4},
        {"ctrl+left to the word start", 9, 9, QEL_KEY_LEFT, QEL_MOD_CTRL, text, 4, 4},
        {"ctrl+right to the word end", 4, 4, QEL_KEY_RIGHT, QEL_MOD_CTRL, text, 9, 9},
        {"home", 9, 9, QEL_KEY_HOME, 0, text, 0, 0},
        {"shift+end", 9, 9, QEL_KEY_END, QEL_MOD_SHIFT, text, 17, 9},
        {"ctrl+a", 3, 3, letter('A'), QEL_MOD_CTRL, text, 17, 0},
        {"backspace a two-byte letter", 9, 9, QEL_KEY_BACKSPACE, 0, "tea caf au lait", 7, 7},
        {"backspace at the start", 0, 0, QEL_KEY_BACKSPACE, 0, text, 0, 0},
        {"ctrl+backspace a word", 9, 9, QEL_KEY_BACKSPACE, QEL_MOD_CTRL, "tea  au lait", 4, 4},
        {"delete", 3, 3, QEL_KEY_DELETE, 0, "teacaf\xC3\xA9 au lait", 3, 3},
        {"ctrl+delete a word", 3, 3, QEL_KEY_DELETE, QEL_MOD_CTRL, "tea au lait", 3, 3},
        {"delete a selection", 4, 10, QEL_KEY_DELETE, 0, "tea au lait", 4, 4},
        {"escape collapses a selection", 4, 10, QEL_KEY_ESCAPE, 0, text, 4, 4},
    };
    for (const auto& c : cases) {
        fields t(text);
        t.focus(c.caret, c.anchor);
        t.press(c.key, c.mods);
        EXPECT_EQ(t.text(), c.expect) << c.what;
        EXPECT_EQ(t.state()->caret, c.expect_caret) << c.what;
        EXPECT_EQ(t.state()->anchor, c.expect_anchor) << c.what;
        EXPECT_TRUE(t.focused()) << c.what;
    }
}

TEST(TextField, RepeatedPressesInOneFrameActEachTime)
{
    fields t("abcdef");
    t.focus(6, 6);
    for (int i = 0; i < 3; i++) t.h.key(QEL_KEY_BACKSPACE, true, 0);  // auto-repeat
    t.h.run();
    EXPECT_EQ(t.text(), "abc");
    t.h.key(QEL_KEY_BACKSPACE, false, 0);
    t.press(letter('Z'), QEL_MOD_CTRL);
    EXPECT_EQ(t.text(), "abcdef");  // one run of deleting, one undo step
}

TEST(TextField, TypingReplacesTheSelectionAndStopsAtTheCapacity)
{
    fields t("tea", 8);
    t.focus(0, 3);
    t.type("\xE2\x82\xAC");  // a euro sign over the selection
    EXPECT_EQ(t.text(), "\xE2\x82\xAC");
    EXPECT_EQ(t.result[0] & QEL_INPUT_CHANGED, QEL_INPUT_CHANGED);
    t.type("ab\xE2\x82\xAC");  // two letters fit, the second euro sign does not
    EXPECT_EQ(t.text(), "\xE2\x82\xAC" "ab");
    EXPECT_EQ(t.state()->caret, 5);
    t.h.key(QEL_KEY_NONE, false, QEL_MOD_CTRL);
    t.type("x");  // with Ctrl held, typed text is a shortcut's, not the field's
    EXPECT_EQ(t.text(), "\xE2\x82\xAC" "ab");
    t.h.key(QEL_KEY_NONE, false, QEL_MOD_CTRL | QEL_MOD_ALT);
    t.type("@");  // Ctrl+Alt types, as AltGr does
    EXPECT_EQ(t.text(), "\xE2\x82\xAC" "ab@");
}

TEST(TextField, EnterSubmitsOrBreaksTheLine)
{
    fields one("tea");
    one.focus(3, 3);
    one.h.key(QEL_KEY_ENTER, true, 0);
    one.h.run();
    EXPECT_EQ(one.result[0], (uint32_t)QEL_INPUT_SUBMITTED);
    EXPECT_EQ(one.text(), "tea");

    fields multi("tea", 64, true);
    multi.focus(3, 3);
    multi.press(QEL_KEY_ENTER);
    EXPECT_EQ(multi.text(), "tea\n");
    multi.h.key(QEL_KEY_ENTER, true, QEL_MOD_CTRL);
    multi.h.run();
    EXPECT_EQ(multi.result[0], (uint32_t)QEL_INPUT_SUBMITTED);
    EXPECT_EQ(multi.text(), "tea\n");
}

TEST(TextField, EscapeCollapsesThenGivesUpTheFocusOnce)
{
    fields t("tea");
    t.focus(0, 3);
    t.press(QEL_KEY_ESCAPE);
    EXPECT_TRUE(t.focused());
    t.h.key(QEL_KEY_ESCAPE, true, 0);
    t.h.run();
    EXPECT_FALSE(t.focused());
    EXPECT_EQ(t.result[0], (uint32_t)QEL_INPUT_FOCUS_LOST);
    t.h.key(QEL_KEY_ESCAPE, false, 0);
    t.h.run();
    EXPECT_EQ(t.result[0], 0u);
}

TEST(TextField, FocusComesAndGoesWithClicksAndTab)
{
    fields t("tea");
    t.h.move(t.x_of(1), t.y_mid());
    t.h.run();
    t.h.button(0, true);
    t.h.run();
    EXPECT_EQ(t.result[0], (uint32_t)QEL_INPUT_FOCUS_GAINED);
    t.h.button(0, false);
    t.press(QEL_KEY_TAB);
    EXPECT_TRUE(t.focused(1));  // Tab leaves the field
    EXPECT_EQ(t.result[0], (uint32_t)QEL_INPUT_FOCUS_LOST);
    EXPECT_EQ(t.result[1], (uint32_t)QEL_INPUT_FOCUS_GAINED);
    // A field that keeps Tab for itself keeps the focus.
    t.h.ui = [&t, ui = t.h.ui](qel_context* ctx) {
        ui(ctx);
        if (t.focused(1)) qel_keep_tab(ctx, t.id[1]);
    };
    t.h.run();
    t.press(QEL_KEY_TAB);
    EXPECT_TRUE(t.focused(1));
}

TEST(TextField, ActivationSelectsTheWholeText)
{
    fields t("green tea");
    qel_text_activate(t.h.ctx, t.id[1]);
    t.set_text("sencha", 1);
    t.h.run();
    EXPECT_TRUE(t.focused(1));
    EXPECT_EQ(t.state(1)->anchor, 0);
    EXPECT_EQ(t.state(1)->caret, 6);
    EXPECT_EQ(inspect_text_fields(t.h.ctx)->select_all, 0u);
}

// --- Clipboard and undo ---

TEST(TextField, ClipboardRoundTrip)
{
    fields t("green tea");
    t.focus(0, 5);
    t.press(letter('C'), QEL_MOD_CTRL);
    EXPECT_EQ(t.platform.clipboard, "green");
    t.press(letter('X'), QEL_MOD_CTRL);
    EXPECT_EQ(t.text(), " tea");
    t.press(QEL_KEY_END);
    t.press(letter('V'), QEL_MOD_CTRL);
    EXPECT_EQ(t.text(), " teagreen");
    t.platform.clipboard = "a\r\nb\tc";  // line ends from another program, in a one-line field
    t.press(letter('V'), QEL_MOD_CTRL);
    EXPECT_EQ(t.text(), " teagreena b c");
    t.press(letter('Z'), QEL_MOD_CTRL);
    t.press(letter('Z'), QEL_MOD_CTRL);
    t.press(letter('Z'), QEL_MOD_CTRL);
    EXPECT_EQ(t.text(), "green tea");
    t.press(letter('Y'), QEL_MOD_CTRL);
    EXPECT_EQ(t.text(), " tea");
    t.press(letter('Z'), QEL_MOD_CTRL | QEL_MOD_SHIFT);
    EXPECT_EQ(t.text(), " teagreen");
}

TEST(TextField, ReadOnlyAndPasswordFieldsGuardTheirText)
{
    fields ro("green tea");
    ro.opts[0].read_only = 1;
    ro.focus(0, 5);
    ro.press(letter('C'), QEL_MOD_CTRL);
    EXPECT_EQ(ro.platform.clipboard, "green");  // selecting and copying still work
    ro.press(letter('X'), QEL_MOD_CTRL);
    ro.press(letter('V'), QEL_MOD_CTRL);
    ro.press(QEL_KEY_BACKSPACE);
    ro.type("x");
    EXPECT_EQ(ro.text(), "green tea");

    fields pw("secret");
    pw.opts[0].password = 1;
    pw.focus(0, 6);
    pw.press(letter('C'), QEL_MOD_CTRL);
    EXPECT_EQ(pw.platform.sets, 0);  // a password is never copied
}

TEST(TextField, WithoutAClipboardCutStillDeletes)
{
    fields t("green tea");
    qel_ctx_set_platform(t.h.ctx, nullptr);
    t.focus(0, 6);
    t.press(letter('X'), QEL_MOD_CTRL);
    t.press(letter('V'), QEL_MOD_CTRL);
    EXPECT_EQ(t.text(), "tea");
}

// --- Multi-line ---

TEST(TextField, MultiLineMovesByLines)
{
    fields t("abc\ndefgh\nij", 128, true);
    t.focus(6, 6);  // in "defgh", after "de"
    t.press(QEL_KEY_UP);
    EXPECT_EQ(t.state()->caret, 2);
    t.press(QEL_KEY_UP);
    EXPECT_EQ(t.state()->caret, 0);  // above the first line
    t.state()->caret = t.state()->anchor = 8;  // "defg|h"
    t.press(QEL_KEY_DOWN);
    EXPECT_EQ(t.state()->caret, 12);  // "ij" is shorter: its end
    t.press(QEL_KEY_DOWN);
    EXPECT_EQ(t.state()->caret, 12);  // below the last line: the end
    t.press(QEL_KEY_HOME);
    EXPECT_EQ(t.state()->caret, 10);
    t.state()->caret = t.state()->anchor = 5;
    t.press(QEL_KEY_END);
    EXPECT_EQ(t.state()->caret, 9);
    t.press(QEL_KEY_END, QEL_MOD_CTRL);
    EXPECT_EQ(t.state()->caret, 12);
    t.press(QEL_KEY_HOME, QEL_MOD_CTRL);
    EXPECT_EQ(t.state()->caret, 0);
}

TEST(TextField, SoftWrappedLinesKeepTheCaretOnThem)
{
    fields t("", 256, true);
    std::string text;  // at least three lines of words
    for (int i = 0; i < 30; i++) text += "teapot ";
    t.set_text(text);
    t.h.run();
    qel_text_line* lines = nullptr;
    int32_t length = (int32_t)text.size();
    int32_t n = qel_text_build_lines(t.h.ctx, QEL_FONT_BODY, 13, text.c_str(), length, t.area().w, &lines);
    ASSERT_GE(n, 3);
    t.focus(0, 0);
    t.press(QEL_KEY_END);
    EXPECT_EQ(t.state()->caret, lines[0].end - 1);  // before the blank of the break
    t.h.click(t.area().x + t.area().w - 1, t.area().y + 2);  // right of the first line's text
    EXPECT_EQ(t.state()->caret, lines[0].end - 1);
    t.press(QEL_KEY_RIGHT);
    t.press(QEL_KEY_DOWN);
    EXPECT_EQ(qel_text_line_index(lines, n, t.state()->caret), 2);
}

TEST(TextField, WheelAndCaretScrollALongText)
{
    std::string text;
    for (int i = 0; i < 20; i++) text += "line " + std::to_string(i) + "\n";
    fields t(text, 256, true);
    float row = 13 * 1.5f, most = 21 * row - t.area().h;
    t.h.move(t.area().x + 5, t.area().y + 5);
    t.h.wheel(0, -1);
    t.h.run();
    EXPECT_FLOAT_EQ(t.state()->scroll_y, 40);
    t.h.wheel(0, -10);
    t.h.run();
    EXPECT_FLOAT_EQ(t.state()->scroll_y, most);
    EXPECT_EQ(inspect_input(t.h.ctx)->wheel_y, 0);
    t.h.wheel(0, 30);
    t.h.run();
    EXPECT_FLOAT_EQ(t.state()->scroll_y, 0);
    t.focus(0, 0);
    t.press(QEL_KEY_END, QEL_MOD_CTRL);  // the caret on the last line pulls the view down
    EXPECT_FLOAT_EQ(t.state()->scroll_y, most);
}

// --- Caret and view ---

TEST(TextField, OneLineKeepsTheCaretInView)
{
    fields t("");
    t.focus(0, 0);
    std::string text(60, 'm');
    t.type(text.c_str());
    float width = qel_text_width(t.h.ctx, QEL_FONT_BODY, 13, text.c_str(), 60, 0);
    ASSERT_GT(width, t.area().w);
    EXPECT_FLOAT_EQ(t.state()->scroll_x, width - t.area().w + 2);
    EXPECT_FLOAT_EQ(t.platform.caret.x, t.area().x + t.area().w - 2);  // the caret at the right edge
    t.press(QEL_KEY_HOME);
    EXPECT_FLOAT_EQ(t.state()->scroll_x, 0);
}

TEST(TextField, PasswordCaretStandsAfterItsBulletsWhateverTheLength)
{
    fields t("", 1024);
    t.opts[0].password = 1;
    std::string pw(400, 'w');  // wide letters, drawn as narrow bullets
    t.set_text(pw);
    t.focus(400, 400);
    t.h.run();
    std::string bullets;
    for (int i = 0; i < 400; i++) bullets += "\xE2\x80\xA2";
    float width = qel_text_width(t.h.ctx, QEL_FONT_BODY, 13, bullets.c_str(), -1, 0);
    EXPECT_FLOAT_EQ(t.platform.caret.x, t.area().x + width - t.state()->scroll_x);
    // A click lands between bullets, not letters.
    t.press(QEL_KEY_HOME);
    float bullet = qel_text_width(t.h.ctx, QEL_FONT_BODY, 13, "\xE2\x80\xA2", -1, 0);
    t.h.click(t.area().x + 3 * bullet + 1, t.y_mid());
    EXPECT_EQ(t.state()->caret, 3);
    t.state()->password_shown = 1;
    t.h.run();
    EXPECT_FLOAT_EQ(t.platform.caret.x, t.area().x + qel_text_width(t.h.ctx, QEL_FONT_BODY, 13, "www", 3, 0));
}

TEST(TextField, TheCaretBlinksWhileAFieldHasTheFocus)
{
    fields t("tea");
    t.h.run();
    EXPECT_LT(qel_wake_timeout(t.h.ctx), 0);
    EXPECT_FALSE(qel_text_edit_active(t.h.ctx));
    t.focus(1, 1);
    t.h.step = 0.1f;
    for (int i = 0; i < 12; i++) {
        t.h.run();
        double since = qel_ctx_time(t.h.ctx) - inspect_text_fields(t.h.ctx)->caret_time;
        float next = (float)(0.53 - fmod(since, 0.53));
        EXPECT_NEAR(qel_wake_timeout(t.h.ctx), next, 1e-4) << i;
        EXPECT_TRUE(qel_text_edit_active(t.h.ctx));
    }
    t.press(QEL_KEY_ESCAPE);
    t.h.run();
    EXPECT_LT(qel_wake_timeout(t.h.ctx), 0);
    EXPECT_FALSE(qel_text_edit_active(t.h.ctx));
}

TEST(TextField, DisabledFieldsTakeNoFocus)
{
    fields t("tea");
    t.focus(1, 1);
    t.opts[0].disabled = 1;
    t.h.run();
    EXPECT_FALSE(t.focused());
    t.h.click(t.x_of(1), t.y_mid());
    EXPECT_FALSE(t.focused());
    t.type("x");
    EXPECT_EQ(t.text(), "tea");
}

TEST(TextField, FontOverrideIsForTheNextFieldOnly)
{
    fields t("tea");
    t.h.ui = [ui = t.h.ui](qel_context* ctx) {
        qel_text_font_override(ctx, QEL_FONT_MONO, 20);
        ui(ctx);
    };
    t.h.run(2);
    EXPECT_FLOAT_EQ(t.area(0).h, 20 * 1.3f);
    EXPECT_FLOAT_EQ(t.area(1).h, 13 * 1.5f);
}

TEST(TextField, BuffersWithoutATerminatorAreCutAtACharacter)
{
    fields t("", 6);
    memcpy(t.buffer[0].data(), "ab\xE2\x82\xAC\xE2", 6);  // no NUL, and a character across the end
    t.h.run();
    EXPECT_EQ(t.text(), "ab\xE2\x82\xAC");
    t.focus(3, 3);  // inside the euro sign
    t.type("x");
    EXPECT_EQ(t.text(), "ab\xE2\x82\xAC");  // full: nothing fits, nothing is broken
    EXPECT_EQ(t.state()->caret, 2);
}

}  // namespace
