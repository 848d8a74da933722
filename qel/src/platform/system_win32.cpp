// What the window asks of the system: clipboard text, the native open, save and folder dialogs,
// and opening a URL with the user's program for it.
#include "platform/shell_win32.h"

#include <commdlg.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/platform_text.h"

static const int32_t DIALOG_TITLE_UNITS = 256, FILTER_UNITS = 511, PATH_UNITS = 1040, URL_UNITS = 4096;

// --- The shell's and COM's calls ---

template <typename F>
static void shell_bind(const wchar_t* module, const char* name, F* out)
{
    *out = qel_win32_find_function<F>(module, name, true);
}

const qel_win32_shell_calls* qel_win32_shell()
{
    static const qel_win32_shell_calls calls = [] {
        qel_win32_shell_calls c = {};
        shell_bind(L"shell32.dll", "DragAcceptFiles", &c.drag_accept_files);
        shell_bind(L"shell32.dll", "DragQueryFileW", &c.drag_query_file);
        shell_bind(L"shell32.dll", "DragQueryPoint", &c.drag_query_point);
        shell_bind(L"shell32.dll", "DragFinish", &c.drag_finish);
        shell_bind(L"shell32.dll", "ShellExecuteW", &c.shell_execute);
        shell_bind(L"shell32.dll", "SHBrowseForFolderW", &c.browse_for_folder);
        shell_bind(L"shell32.dll", "SHGetPathFromIDListW", &c.path_from_id_list);
        shell_bind(L"ole32.dll", "CoInitializeEx", &c.co_initialize);
        shell_bind(L"ole32.dll", "CoUninitialize", &c.co_uninitialize);
        shell_bind(L"ole32.dll", "CoTaskMemFree", &c.co_task_mem_free);
        return c;
    }();
    return &calls;
}

// --- Clipboard ---

void qel_win32_clipboard_set(void* user, const char* utf8)
{
    auto* app = (qel_app*)user;
    if (!utf8) return;
    size_t units = strlen(utf8) + 1;  // never fewer units than bytes
    if (units > INT32_MAX) return;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, units * sizeof(uint16_t));
    if (!block) return;
    auto* text = (uint16_t*)GlobalLock(block);
    if (!text) {
        GlobalFree(block);
        return;
    }
    qel_utf16_from_utf8(utf8, text, (int32_t)units, nullptr);
    GlobalUnlock(block);
    if (!OpenClipboard(app->window->window)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    CloseClipboard();
}

// The clipboard's UTF-16 text as UTF-8 with LF line ends, in a block of our own, or null.
static char* clipboard_text(HANDLE data)
{
    const auto* text = (const uint16_t*)GlobalLock(data);
    if (!text) return nullptr;
    char* utf8 = qel_utf8_alloc_from_utf16(text, wcsnlen((const wchar_t*)text, GlobalSize(data) / sizeof(uint16_t)));
    if (utf8) qel_text_unix_line_ends(utf8);
    GlobalUnlock(data);
    return utf8;
}

const char* qel_win32_clipboard_get(void* user)
{
    auto* app = (qel_app*)user;
    if (!OpenClipboard(app->window->window)) return nullptr;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    char* text = data ? clipboard_text(data) : nullptr;
    CloseClipboard();
    if (!text) return nullptr;
    const char* stored = qel_app_clipboard_store(app, text);
    free(text);
    return stored;
}

// --- Dialogs ---

static bool choose_folder(HWND owner, const uint16_t* title, uint16_t* path)
{
    const qel_win32_shell_calls* shell = qel_win32_shell();
    if (!shell->co_initialize || !shell->co_uninitialize || !shell->co_task_mem_free || !shell->browse_for_folder ||
        !shell->path_from_id_list)
        return false;
    HRESULT com = shell->co_initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = (LPCWSTR)title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = shell->browse_for_folder(&info);
    bool ok = false;
    if (chosen) {
        ok = shell->path_from_id_list(chosen, (LPWSTR)path);
        shell->co_task_mem_free(chosen);
    }
    if (SUCCEEDED(com)) shell->co_uninitialize();
    return ok;
}

typedef BOOL(WINAPI* file_dialog_fn)(LPOPENFILENAMEW);

// The dialogs' library is loaded when a dialog is first shown: loading it takes a good part of
// the program's start under Wine, and most runs never open a dialog.
static BOOL show_file_dialog(bool save, OPENFILENAMEW* ofn)
{
    auto show = qel_win32_find_function<file_dialog_fn>(L"comdlg32.dll", save ? "GetSaveFileNameW" : "GetOpenFileNameW",
                                                        true);
    return show && show(ofn);
}

static bool choose_file(HWND owner, const qel_file_dialog_spec* dialog, const uint16_t* title, uint16_t* path)
{
    uint16_t filter[FILTER_UNITS];
    qel_file_filter_build(dialog->filter_name, dialog->extensions, filter, FILTER_UNITS);
    bool fits;
    qel_utf16_from_utf8(dialog->default_name, path, PATH_UNITS, &fits);
    if (!fits) path[0] = 0;
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = (LPCWSTR)filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = (LPWSTR)path;
    ofn.nMaxFile = PATH_UNITS;
    ofn.lpstrTitle = (LPCWSTR)title;
    if (dialog->kind == QEL_FILE_SAVE) {
        ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
        return show_file_dialog(true, &ofn);
    }
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    return show_file_dialog(false, &ofn);
}

bool qel_win32_file_dialog(qel_app*, const qel_file_dialog_spec* dialog, char* out, size_t capacity)
{
    const char* title = dialog->title ? dialog->title : dialog->kind == QEL_FILE_SAVE ? "Save" : "Open";
    uint16_t wide_title[DIALOG_TITLE_UNITS];
    qel_utf16_from_utf8(title, wide_title, DIALOG_TITLE_UNITS, nullptr);
    uint16_t path[PATH_UNITS] = {};
    HWND owner = GetActiveWindow();
    bool chosen = dialog->kind == QEL_FILE_FOLDER ? choose_folder(owner, wide_title, path)
                                                : choose_file(owner, dialog, wide_title, path);
    if (!chosen) return false;
    bool fits;
    qel_utf8_from_utf16(path, -1, out, capacity > INT32_MAX ? INT32_MAX : (int32_t)capacity, &fits);
    if (!fits) out[0] = 0;  // half a path names another file
    return fits;
}

bool qel_win32_open_url(const char* utf8)
{
    uint16_t url[URL_UNITS];
    bool fits;
    qel_utf16_from_utf8(utf8, url, URL_UNITS, &fits);
    if (!fits || !qel_win32_shell()->shell_execute) return false;
    auto result =
        (INT_PTR)qel_win32_shell()->shell_execute(nullptr, L"open", (LPCWSTR)url, nullptr, nullptr, SW_SHOWNORMAL);
    return result > 32;
}
