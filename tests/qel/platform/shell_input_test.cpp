// Window messages posted to the shell's own hidden window, and what reaches the toolkit: typed
// characters, keys with modifiers, both wheels, the pointer, dropped files, the minimum size and
// the clipboard. The display scale is 2, so positions arrive halved.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core.h"
#include "platform/shell_win32.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

class ShellInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        _putenv_s("QEL_SCALE", "2");
        qel_app_config config = {};
        config.start_hidden = 1;
        config.continuous = 1;  // every step runs a frame, so none waits for input
        app = qel_app_create(&config);
        ASSERT_NE(app, nullptr);
        ctx = qel_app_context(app);
        window = (HWND)qel_app_native_handle(app);
        ASSERT_TRUE(qel_app_frame(app));
    }

    void TearDown() override
    {
        qel_app_destroy(app);
        _putenv_s("QEL_SCALE", "");
        BYTE keys[256] = {};
        SetKeyboardState(keys);
    }

    void post(UINT message, WPARAM wparam, LPARAM lparam) { ASSERT_TRUE(PostMessageW(window, message, wparam, lparam)); }

    // Ends the frame, lets the loop dispatch what was posted, and begins the frame that sees it.
    bool step() { return qel_app_frame(app) != 0; }

    qel_app* app = nullptr;
    qel_context* ctx = nullptr;
    HWND window = nullptr;
};

// Holds the given virtual keys down in this thread's key state, as GetKeyState reads it.
void hold_keys(std::initializer_list<int> held)
{
    BYTE keys[256] = {};
    for (int k : held) keys[k] = 0x80;
    SetKeyboardState(keys);
}

// A drop of the given paths at a client point, as the shell hands it to a window.
HDROP make_drop(const std::vector<std::wstring>& paths, POINT at)
{
    size_t units = 1;
    for (const std::wstring& p : paths) units += p.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* header = (DROPFILES*)GlobalLock(block);
    header->pFiles = sizeof(DROPFILES);
    header->pt = at;
    header->fWide = TRUE;
    auto* out = (wchar_t*)(header + 1);
    for (const std::wstring& p : paths) {
        memcpy(out, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
        out += p.size() + 1;
    }
    GlobalUnlock(block);
    return (HDROP)block;
}

}  // namespace

TEST_F(ShellInput, CharactersArriveAsUtf8WithSurrogatePairsJoined)
{
    for (WPARAM unit : {(WPARAM)'a', (WPARAM)0xD83D, (WPARAM)0xDE00, (WPARAM)0xDE01, (WPARAM)1, (WPARAM)0xE9})
        post(WM_CHAR, unit, 1);
    ASSERT_TRUE(step());
    EXPECT_EQ(std::string(ctx->input.text, (size_t)ctx->input.text_length), "a\xF0\x9F\x98\x80\xC3\xA9");
    ASSERT_TRUE(step());
    EXPECT_EQ(ctx->input.text_length, 0) << "typed text lasts one frame";
}

TEST_F(ShellInput, KeysCarryTheModifiersHeld)
{
    hold_keys({VK_CONTROL, VK_SHIFT});
    post(WM_KEYDOWN, 'S', 1);  // its control character from TranslateMessage is dropped
    post(WM_KEYDOWN, VK_OEM_2, 1);
    post(WM_KEYDOWN, VK_NUMLOCK, 1);
    ASSERT_TRUE(step());
    EXPECT_TRUE(qel_shortcut_pressed(ctx, QEL_MOD_CTRL | QEL_MOD_SHIFT, QEL_KEY_A + ('S' - 'A')));
    EXPECT_TRUE(qel_key_pressed(ctx, QEL_KEY_SLASH));
    EXPECT_EQ(qel_modifiers(ctx), (uint32_t)(QEL_MOD_CTRL | QEL_MOD_SHIFT));
    EXPECT_EQ(ctx->input.text_length, 0);

    hold_keys({});
    post(WM_KEYUP, 'S', 1);
    post(WM_KEYUP, VK_CONTROL, 1);  // a modifier-only event takes the modifiers
    ASSERT_TRUE(step());
    EXPECT_FALSE(qel_key_down(ctx, QEL_KEY_A + ('S' - 'A')));
    EXPECT_EQ(qel_modifiers(ctx), 0u);
}

TEST_F(ShellInput, AltF4IsAKeyAndClosesTheWindow)
{
    hold_keys({VK_MENU});
    post(WM_SYSKEYDOWN, VK_F4, 1 | 1 << 29);  // bit 29: Alt is down
    EXPECT_FALSE(step()) << "the close request stops the loop";
    EXPECT_TRUE(qel_key_down(ctx, QEL_KEY_F1 + 3));
    EXPECT_EQ(qel_modifiers(ctx), (uint32_t)QEL_MOD_ALT);
}

TEST_F(ShellInput, WheelsPointerAndButtons)
{
    post(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    post(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-60), 0);  // a touchpad's half notch
    post(WM_MOUSEHWHEEL, MAKEWPARAM(0, 120), 0);      // to the right
    post(WM_MOUSEMOVE, 0, MAKELPARAM(50, 40));
    post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 30));
    ASSERT_TRUE(step());
    EXPECT_FLOAT_EQ(ctx->input.wheel_y, 0.5f);
    EXPECT_FLOAT_EQ(ctx->input.wheel_x, -1.0f);
    qel_vec2 at = qel_mouse_pos(ctx);
    EXPECT_FLOAT_EQ(at.x, 30.0f);
    EXPECT_FLOAT_EQ(at.y, 15.0f);
    EXPECT_TRUE(qel_mouse_pressed(ctx, 0));

    post(WM_KILLFOCUS, 0, 0);  // focus lost with the button down: released, nothing stuck
    ASSERT_TRUE(step());
    EXPECT_FALSE(qel_mouse_down(ctx, 0));
    EXPECT_TRUE(ctx->input.released[0]);
}

TEST_F(ShellInput, DroppedFilesUpTo64)
{
    std::vector<std::wstring> paths = {L"C:\\labels\\pr\u00e9sent.csv"};
    for (int i = 1; i < 100; i++) paths.push_back(L"C:\\labels\\sheet" + std::to_wstring(i) + L".csv");
    post(WM_DROPFILES, (WPARAM)make_drop(paths, {80, 60}), 0);
    ASSERT_TRUE(step());
    ASSERT_EQ(qel_dropped_file_count(ctx), 64);
    EXPECT_STREQ(qel_dropped_file_path(ctx, 0), "C:\\labels\\pr\xC3\xA9sent.csv");
    EXPECT_STREQ(qel_dropped_file_path(ctx, 63), "C:\\labels\\sheet63.csv");
    qel_vec2 at = qel_mouse_pos(ctx);
    EXPECT_FLOAT_EQ(at.x, 40.0f);
    EXPECT_FLOAT_EQ(at.y, 30.0f);
}

TEST_F(ShellInput, MinimumSizeIsScaled)
{
    MINMAXINFO info = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    RECT r = {0, 0, 720, 560};  // 360 x 280 at scale 2
    AdjustWindowRectEx(&r, (DWORD)GetWindowLongW(window, GWL_STYLE), FALSE, 0);
    EXPECT_EQ(info.ptMinTrackSize.x, r.right - r.left);
    EXPECT_EQ(info.ptMinTrackSize.y, r.bottom - r.top);
}

TEST_F(ShellInput, TitleAndSize)
{
    std::string title;
    for (int i = 0; i < 200; i++) title += "\xC3\xA9";  // 400 bytes: cut to 127 whole characters
    qel_app_set_title(app, title.c_str());
    wchar_t shown[300] = {};
    GetWindowTextW(window, shown, 300);
    EXPECT_EQ(std::wstring(shown), std::wstring(127, L'\u00e9'));

    qel_app_set_size(app, 400, 300);
    qel_vec2 size = qel_app_logical_size(app);
    EXPECT_FLOAT_EQ(size.x, 400.0f);
    EXPECT_FLOAT_EQ(size.y, 300.0f);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
}

TEST_F(ShellInput, FileDialogRefusesWhatItCannotFill)
{
    char out[8] = "x";
    EXPECT_FALSE(qel_app_file_dialog(app, nullptr, nullptr, 8));
    EXPECT_FALSE(qel_app_file_dialog(app, nullptr, out, 0));
    EXPECT_STREQ(out, "x");
    qel_app_destroy(app);
    app = nullptr;
    EXPECT_FALSE(qel_app_file_dialog(nullptr, nullptr, out, sizeof out)) << "no current application";
}

TEST_F(ShellInput, ClipboardRoundTripWithLineFeeds)
{
    ctx->platform.set_clipboard(ctx->platform.user, "line one\nl\xC3\xADnea \xF0\x9F\x98\x80");
    ASSERT_TRUE(OpenClipboard(window));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::wstring((const wchar_t*)GlobalLock(data)), L"line one\nl\u00ednea \U0001F600");
    GlobalUnlock(data);

    const wchar_t windows_text[] = L"a\r\nb\rc\r\n";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof windows_text);
    memcpy(GlobalLock(block), windows_text, sizeof windows_text);
    GlobalUnlock(block);
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    EXPECT_STREQ(ctx->platform.get_clipboard(ctx->platform.user), "a\nb\nc\n");
}

// The prefix's theme setting as it was before a test, put back however the test ends.
struct saved_theme_setting {
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    DWORD value = 0, size = sizeof value;
    bool present = RegGetValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value,
                                &size) == ERROR_SUCCESS;
    ~saved_theme_setting()
    {
        if (present) RegSetKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme", REG_DWORD, &value, sizeof value);
        else RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme");
    }
};

TEST(ShellTheme, FollowsTheSystemSettingWhenAsked)
{
    saved_theme_setting saved;
    const wchar_t* key = saved.key;
    DWORD light = 0;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme", REG_DWORD, &light, sizeof light),
              ERROR_SUCCESS);
    EXPECT_EQ(qel_win32_system_dark(), 1);
    qel_app_config config = {};
    config.start_hidden = 1;
    config.follow_system_theme = 1;
    qel_app* app = qel_app_create(&config);
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(qel_theme_get_mode(app->ctx), (uint32_t)QEL_THEME_DARK);

    light = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme", REG_DWORD, &light, sizeof light);
    HWND window = (HWND)qel_app_native_handle(app);
    SendMessageW(window, WM_SETTINGCHANGE, 0, 0);  // no area named: nothing to read
    SendMessageW(window, WM_SETTINGCHANGE, 0, (LPARAM)L"Policy");
    EXPECT_EQ(qel_theme_get_mode(app->ctx), (uint32_t)QEL_THEME_DARK);
    SendMessageW(window, WM_SETTINGCHANGE, 0, (LPARAM)L"ImmersiveColorSet");
    EXPECT_EQ(qel_theme_get_mode(app->ctx), (uint32_t)QEL_THEME_LIGHT);
    qel_app_destroy(app);

    RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme");
    EXPECT_EQ(qel_win32_system_dark(), -1);
}
