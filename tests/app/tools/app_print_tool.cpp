// Prints as the windowed program does, for the print-queue test: start-up with the program's
// own command line, then the printer model and queue a user picks, then Print.
//   app_print_tool PRINTER-ID QUEUE-HEX [tagmoor-app words...]
// prints the status line and exits with 0 for information, 1 for an error, or start-up's code.
// QUEUE is the name's UTF-8 bytes in hexadecimal: a Windows program's command line arrives in
// the ANSI code page, which cannot carry every name.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/job_actions.h"
#include "app/startup.h"
#include "engine/catalog.h"

static bool from_hex(const char* hex, std::string* text)
{
    for (; hex[0] && hex[1]; hex += 2) {
        unsigned byte;
        if (sscanf(hex, "%2x", &byte) != 1) return false;
        *text += (char)byte;
    }
    return !hex[0];
}

// The index of the queue named so among those start-up listed.
static bool choose_queue(app_state* state, const std::string& name)
{
    for (int32_t i = 0; i < state->queue_count; i++) {
        if (name != state->queue_names[i]) continue;
        state->queue = (uint32_t)i;
        return true;
    }
    return false;
}

int main(int argc, char** argv)
{
    std::string queue;
    if (argc < 3 || !catalog_printer_find(argv[1]) || !from_hex(argv[2], &queue)) {
        fprintf(stderr, "usage: app_print_tool PRINTER-ID QUEUE-HEX [tagmoor-app words...]\n");
        return 64;
    }
    app_state* state = nullptr;
    // The program's words follow the two of the tool.
    argv[2] = argv[0];
    int code = app_start(argc - 2, argv + 2, &state);
    if (code != APP_EXIT_OK) return code;
    for (uint32_t i = 0; i < catalog_printer_count(); i++)
        if (strcmp(catalog_printer_at(i)->id, argv[1]) == 0) state->printer = i;
    if (!choose_queue(state, queue)) {
        fprintf(stderr, "app_print_tool: no queue %s among %d\n", queue.c_str(), state->queue_count);
        app_state_free(state);
        return 64;
    }
    app_print(state);
    printf("%s\n", state->status_text);
    code = state->status_kind == APP_STATUS_INFO ? 0 : 1;
    app_state_free(state);
    return code;
}
