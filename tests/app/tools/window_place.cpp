// Runs a program on Wine's virtual desktop for the tests, whose windows X tools cannot see: starts
// it, waits up to a minute for its window to show, and writes the window's outer rectangle, its client
// size and the work area of its monitor (screen pixels, left top right bottom; width height)
// into FILE, whole or not at all. Once FILE.close exists (within ten minutes) it asks the window
// to close, as its close box does, and ends with the program's exit code (1 when no window came,
// 2 for a bad command line).
//   window_place FILE PROGRAM [WORDS...]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct search {
    DWORD process;
    HWND window;
};

BOOL CALLBACK find_window(HWND window, LPARAM arg)
{
    auto* s = (search*)arg;
    DWORD process = 0;
    wchar_t name[32];
    GetWindowThreadProcessId(window, &process);
    // Shown: sized and placed by then.
    if (process != s->process || !IsWindowVisible(window) || !GetClassNameW(window, name, 32) ||
        wcscmp(name, L"QELWindow") != 0)
        return TRUE;
    s->window = window;
    return FALSE;
}

bool write_place(HWND window, const std::wstring& path)
{
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const std::wstring part = path + L".part";
    FILE* f = _wfopen(part.c_str(), L"w");
    if (!f) return false;
    fprintf(f, "%ld %ld %ld %ld %ld %ld %ld %ld %ld %ld\n", outer.left, outer.top, outer.right, outer.bottom,
            client.right, client.bottom, work.left, work.top, work.right, work.bottom);
    return fclose(f) == 0 && _wrename(part.c_str(), path.c_str()) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        fputs("usage: window_place FILE PROGRAM [WORDS...]\n", stderr);
        return 2;
    }
    std::wstring line;
    for (int i = 2; i < argc; i++) line += (i > 2 ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION program = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &program)) return 1;
    search s = {program.dwProcessId, nullptr};
    for (int tries = 0; tries < 600 && !s.window; tries++) {
        EnumWindows(find_window, (LPARAM)&s);
        if (!s.window) Sleep(100);
    }
    DWORD code = 1;
    if (s.window && write_place(s.window, argv[1])) {
        const std::wstring close = std::wstring(argv[1]) + L".close";
        for (int tries = 0; tries < 6000 && GetFileAttributesW(close.c_str()) == INVALID_FILE_ATTRIBUTES; tries++)
            Sleep(100);
        PostMessageW(s.window, WM_CLOSE, 0, 0);
        WaitForSingleObject(program.hProcess, 60000);
        GetExitCodeProcess(program.hProcess, &code);
    } else {
        TerminateProcess(program.hProcess, 1);
    }
    CloseHandle(program.hProcess);
    CloseHandle(program.hThread);
    return (int)code;
}
