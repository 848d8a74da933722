// The window's two sheets over the main window: the print sheet, with what a print would send
// and its actions, and the problem dialog, with the facts of the last report. Whether they are
// open is the state's; the actions themselves are job_actions' and problem_report's.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "qel/types.h"

// --- The sheets, once a frame ---

// The print sheet while its flag is set; its close, Cancel and each action clear the flag.
void app_print_sheet(qel_context* ctx, app_state* state);

// The problem dialog while its flag is set; Close and the dialog's own close clear it.
void app_problem_dialog(qel_context* ctx, app_state* state);

// --- The quantity column's choices ---

enum { APP_QUANTITY_HEADERS = 16 };  // header names the select lists before the one in use

// The select's items: "One each" and the first header names, and the quantity column in use when
// it lies past them, with each item's column (-1 for "One each") in columns. Returns the count;
// *chosen becomes the item of the quantity column in use.
uint32_t app_quantity_choices(const app_state* state, const char* items[APP_QUANTITY_HEADERS + 2],
                              int32_t columns[APP_QUANTITY_HEADERS + 2], int32_t* chosen);
