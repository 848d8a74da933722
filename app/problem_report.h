// The problem report: a fresh folder under the temporary folder with the job of every row and
// the text report (the engine writes both), and a mail draft about it opened in the user's mail
// client. Nothing is sent: what the user does with the draft is theirs.
#pragma once

#include <cstddef>

#include "app/app_state.h"

// --- Records ---

#define APP_SUPPORT_ADDRESS "support@tagmoor.example"

enum { APP_MAIL_LINK_SIZE = 4096 };  // the longest link the shell is handed, terminator included

// Opens a link in the program the user has for it; true when one took it.
typedef bool (*app_link_opener)(const char* url);

// --- The action ---

// Writes the report of the current table and printer into a new folder, opens the problem
// dialog and a mail draft (none while QEL_SCREENSHOT is set), and says how it went.
void app_report_problem(app_state* state);

// --- Its parts ---

// Makes the report's folder: "tagmoor-report-" and the time in seconds under TMPDIR, TEMP or
// TMP (the first set and not empty) or "/tmp", with "-2", "-3"... when the name is taken.
// False when no folder could be made; folder then holds the last name tried.
bool app_report_folder(char* folder, size_t capacity);

// The mailto link of the report: to the support address, with the subject and body
// percent-encoded as UTF-8 (line feeds as CR LF), or the subject alone when the body would make
// the link longer than capacity. False when not even that fits.
bool app_mail_link(const problem_report* report, char* link, size_t capacity);

// Replaces what opens the mail link; null brings back the system's.
void app_set_link_opener(app_link_opener opener);
