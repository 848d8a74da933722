// The main window, declared once a frame with qel widgets: the header with its actions, the
// settings column, the preview with its toolbar and the status line, and the sheets over them. What the widgets report
// changes the state or starts an action; the state and the actions are the other app modules'.
#pragma once

#include "app/app_state.h"
#include "app/job_actions.h"
#include "qel/types.h"

// --- The frame ---

// Declares the whole window for this frame and reacts to what the user did in the last one.
void app_ui_frame(qel_context* ctx, app_state* state);

// --- Where files are chosen ---

// What the open and save buttons ask for a file; null (the start) chooses nothing, as a
// cancelled dialog does. The program passes the shell's native dialog.
void app_set_file_chooser(app_file_chooser choose, void* user);
