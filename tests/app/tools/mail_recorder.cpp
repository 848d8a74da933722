// A mail client for the tests' Wine prefix: registered for mailto links, it writes the link it is
// handed (its first word, as UTF-8) into the file that TAGMOOR_MAIL_RECORD names, whole or not at
// all, and ends.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/wide_win32.h"

int wmain(int argc, wchar_t** wargv)
{
    const wchar_t* record = _wgetenv(L"TAGMOOR_MAIL_RECORD");
    char* link = argc > 1 ? utf8_from_wide(wargv[1]) : nullptr;
    if (!record || !link) return 2;
    const std::wstring part = std::wstring(record) + L".part";
    FILE* f = _wfopen(part.c_str(), L"wb");
    bool ok = f && fputs(link, f) >= 0;
    if (f) ok = fclose(f) == 0 && ok;
    free(link);
    return ok && _wrename(part.c_str(), record) == 0 ? 0 : 1;
}
