// The windowed program's entry on Windows: the wide command line becomes UTF-8 words, so that
// paths and names in any script reach the program intact.
#include <cstdlib>

#include "app/app_main.h"
#include "files/wide_win32.h"

int wmain(int argc, wchar_t** wargv)
{
    char** argv = (char**)calloc((size_t)argc + 1, sizeof(char*));
    bool ok = argv != nullptr;
    for (int i = 0; ok && i < argc; i++) ok = (argv[i] = utf8_from_wide(wargv[i])) != nullptr;
    int code = ok ? app_main(argc, argv) : 1;
    for (int i = 0; argv && i < argc; i++) free(argv[i]);
    free(argv);
    return code;
}
