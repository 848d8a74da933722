// Where a window of the program lies, for the tests under Wine's virtual desktop, whose windows X
// tools cannot see: waits up to a minute for a top-level window of the given title, then writes
// its outer rectangle, its client size and the work area of its monitor (screen pixels, left top
// right bottom; width height) into the file named second, whole or not at all. With "close" it
// then asks the window to close, as its close box does.
//   window_place TITLE FILE [close]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3 || argc > 4) {
        fputs("usage: window_place TITLE FILE [close]\n", stderr);
        return 2;
    }
    HWND window = nullptr;
    for (int tries = 0; tries < 600 && !window; tries++) {
        window = FindWindowW(L"QELWindow", argv[1]);
        if (!window) Sleep(100);
    }
    if (!window) return 1;
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const std::wstring part = std::wstring(argv[2]) + L".part";
    FILE* f = _wfopen(part.c_str(), L"w");
    if (!f) return 1;
    fprintf(f, "%ld %ld %ld %ld %ld %ld %ld %ld %ld %ld\n", outer.left, outer.top, outer.right, outer.bottom,
            client.right, client.bottom, work.left, work.top, work.right, work.bottom);
    if (fclose(f) != 0 || _wrename(part.c_str(), argv[2]) != 0) return 1;
    if (argc == 4 && wcscmp(argv[3], L"close") == 0) PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
}
