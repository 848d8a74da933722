// The program's run: the state before the window, the window and its frames, the end.
#include "app/app_main.h"

#include <cstdio>

#include "app/app_ui_frame.h"
#include "app/startup.h"
#include "qel/app.h"

// The shell of the one window, which the open and save dialogs belong to.
static qel_app* program_shell = nullptr;

static bool shell_dialog(void*, const qel_file_dialog_spec* dialog, char* path, size_t capacity)
{
    return qel_app_file_dialog(program_shell, dialog, path, capacity);
}

int app_main(int argc, char** argv)
{
    app_state* state = nullptr;
    int code = app_start_unlisted(argc, argv, &state);
    if (code != APP_EXIT_OK) return code;
    qel_app_config config;
    app_window_config(&config);
    program_shell = qel_app_create(&config);
    if (!program_shell) {
        fputs("tagmoor: cannot open a window\n", stderr);
        app_state_free(state);
        return APP_EXIT_FAILED;
    }
    app_set_file_chooser(shell_dialog, nullptr);
    for (int frames = 0; qel_app_frame(program_shell); frames++) {
        // The second call presented the first frame: the queues join from the next one on.
        if (frames == 1) app_list_queues(state);
        app_ui_frame(qel_app_context(program_shell), state);
    }
    app_set_file_chooser(nullptr, nullptr);
    // The preview's texture goes with the renderer that made it.
    qel_app_destroy(program_shell);
    program_shell = nullptr;
    app_state_free(state);
    return APP_EXIT_OK;
}
