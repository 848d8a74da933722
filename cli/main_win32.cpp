// The program's entry on Windows: the wide command line becomes UTF-8 words, so that paths in
// any script reach the engine intact, and the console shows the UTF-8 output lines as such. A
// job cut short by Ctrl+C or a closed console takes its temporary file with it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "cli/commands.h"
#include "files/file_io.h"

// A heap copy of a UTF-16 word as UTF-8; NULL when there is no memory.
static char* utf8_word(const wchar_t* word)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, word, -1, nullptr, 0, nullptr, nullptr);
    char* text = n > 0 ? (char*)malloc((size_t)n) : nullptr;
    if (text) WideCharToMultiByte(CP_UTF8, 0, word, -1, text, n, nullptr, nullptr);
    return text;
}

// Runs on the console's own thread; the process ends when it returns FALSE.
static BOOL WINAPI on_console_end(DWORD)
{
    file_write_interrupted();
    return FALSE;
}

int wmain(int argc, wchar_t** wargv)
{
    SetConsoleCtrlHandler(on_console_end, TRUE);
    char** argv = (char**)calloc((size_t)argc + 1, sizeof(char*));
    bool ok = argv != nullptr;
    for (int i = 0; ok && i < argc; i++) ok = (argv[i] = utf8_word(wargv[i])) != nullptr;
    int code = CLI_BAD_INPUT;
    if (ok) {
        // The console's code page belongs to the user's session: put it back afterwards.
        UINT code_page = GetConsoleOutputCP();
        SetConsoleOutputCP(CP_UTF8);
        code = cli_main(argc, argv);
        fflush(stdout);
        if (code_page != 0) SetConsoleOutputCP(code_page);
    } else {
        fputs("tagmoor: out of memory\n", stderr);
    }
    for (int i = 0; argv && i < argc; i++) free(argv[i]);
    free(argv);
    return code;
}
