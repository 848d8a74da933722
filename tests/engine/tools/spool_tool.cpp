// Lists print queues and sends job files to them through the engine, for the print-queue test.
//   spool_tool list             prints each queue name on a line
//   spool_tool send QUEUE FILE  sends FILE's bytes; prints the spooler's message, exits with
//                               the engine's result
//   spool_tool paused QUEUE     prints 1 when the queue is paused, else 0
// QUEUE is the name's UTF-8 bytes in hexadecimal: a Windows program's command line arrives in
// the ANSI code page, which cannot carry every name.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/file_io.h"
#include "engine/spool.h"

static bool read_file(const char* path, std::string* bytes)
{
    FILE* f = file_open(path, "rb");
    if (!f) return false;
    char piece[65536];
    size_t n;
    while ((n = fread(piece, 1, sizeof piece, f)) > 0) bytes->append(piece, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

static bool from_hex(const char* hex, std::string* text)
{
    for (; hex[0] && hex[1]; hex += 2) {
        unsigned byte;
        if (sscanf(hex, "%2x", &byte) != 1) return false;
        *text += (char)byte;
    }
    return !hex[0];
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "list") {
        static char names[64][SPOOL_NAME_SIZE];
        int n = spool_list_queues(names, 64);
        for (int i = 0; i < n; i++) printf("%s\n", names[i]);
        return 0;
    }
    std::string queue, job;
    if (argc == 3 && std::string(argv[1]) == "paused" && from_hex(argv[2], &queue)) {
        printf("%d\n", spool_queue_paused(queue.c_str()));
        return 0;
    }
    if (argc != 4 || std::string(argv[1]) != "send" || !from_hex(argv[2], &queue) || !read_file(argv[3], &job)) {
        fprintf(stderr, "usage: spool_tool list | spool_tool send QUEUE-HEX FILE | spool_tool paused QUEUE-HEX\n");
        return 64;
    }
    char msg[256];
    engine_error e = spool_send_raw(queue.c_str(), job.data(), job.size(), msg, sizeof msg);
    printf("%s\n", msg);
    return e;
}
