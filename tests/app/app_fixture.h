// The windowed program's state as start-up leaves it for a command line, the environment
// variables the program reads, and spreadsheets in scratch files, for the app's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"

// Links the program handed to its opener since the last fixture was made; the opener takes
// them while accept is set. No test opens a real mail client.
struct app_link_log {
    std::vector<std::string> links;
    bool accept = true;
};
app_link_log& app_links();

// The state after "tagmoor-app" and the words; freed at the end of the test. Installs the
// recording link opener first.
struct app_fixture {
    explicit app_fixture(std::vector<const char*> words = {});
    ~app_fixture();
    app_fixture(const app_fixture&) = delete;
    app_fixture& operator=(const app_fixture&) = delete;

    int code = -1;  // what app_start returned
    app_state* state = nullptr;
};

// Sets an environment variable the way the program reads it (UTF-8); null removes it.
void app_set_env(const char* name, const char* value);

// The temporary-folder variables TMPDIR, TEMP and TMP set (null: removed) for one test and put
// back after it; QEL_SCREENSHOT is removed meanwhile.
struct app_temporary_folders {
    app_temporary_folders(const char* tmpdir, const char* temp, const char* tmp);
    ~app_temporary_folders();
    app_temporary_folders(const app_temporary_folders&) = delete;
    app_temporary_folders& operator=(const app_temporary_folders&) = delete;

    std::string kept[3];
    bool had[3] = {};
};

// A scratch spreadsheet with the given text; returns its path.
std::string app_scratch_csv(const std::string& name, const std::string& text);

// Catalog rows by id, as the window's selects choose them; a failure for an unknown id.
uint32_t app_stock_index(const char* id);
uint32_t app_layout_index(const char* id);
uint32_t app_printer_index(const char* id);

// The status line as a string.
std::string app_status(const app_state* state);
