// Runs engine jobs listed in a file, one a line, and prints one result line for each, for
// comparison with other programs. Texts are given in hexadecimal so that any byte can pass.
//   modules SYMBOLOGY HEXTEXT      -> "<error> <modules as 0 and 1>"
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/barcode.h"

static std::string from_hex(const char* hex)
{
    std::string text;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
        unsigned byte = 0;
        sscanf(hex + i, "%2x", &byte);
        text += (char)byte;
    }
    return text;
}

static void job_modules(const char* args)
{
    unsigned symbology = 0;
    char hex[4096] = "";
    sscanf(args, "%u %4095s", &symbology, hex);
    barcode_symbol s;
    engine_error e = barcode_encode(symbology, from_hex(hex).c_str(), &s);
    printf("%d ", (int)e);
    for (int i = 0; e == ERR_OK && i < s.module_count; i++) putchar('0' + s.modules[i]);
    putchar('\n');
}

int main(int argc, char** argv)
{
    FILE* jobs = argc == 2 ? fopen(argv[1], "r") : nullptr;
    if (!jobs) return 2;
    char line[8192];
    while (fgets(line, sizeof line, jobs)) {
        char command[32] = "";
        int used = 0;
        if (sscanf(line, "%31s %n", command, &used) < 1) continue;
        if (strcmp(command, "modules") == 0) job_modules(line + used);
        else printf("unknown job %s\n", command);
    }
    fclose(jobs);
    return 0;
}
