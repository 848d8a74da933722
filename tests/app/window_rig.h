// The main window driven headless as a user drives it: the state after a command line, its frames
// built by app_ui_frame and drawn by the software renderer at the window's size, with clicks on
// the widgets by their ids or texts, and the open and save dialogs answered by the test.
#pragma once

#include <string>
#include <vector>

#include "app/app_ui_frame.h"
#include "app_fixture.h"
#include "support/widget_rig.h"

struct window_rig {
    app_fixture app;
    widget_rig rig;
    app_state* state;
    std::vector<std::string> asked;  // titles of the dialogs asked for, in order
    std::string answer;              // the path the next dialog gives; empty: cancelled

    explicit window_rig(std::vector<const char*> words = {}, uint32_t mode = QEL_THEME_LIGHT);
    ~window_rig();
    window_rig(const window_rig&) = delete;
    window_rig& operator=(const window_rig&) = delete;

    // Frames until the preview has settled.
    void settle(int frames = 4);
    // A click on the widget with the id, or on the widget showing the text; then settles.
    void click_id(const char* label);
    void click_text(const char* text);
    // The machine's print queues as start-up would have listed them (at most 32).
    void set_queues(std::vector<const char*> names);
    // Opens the select with the id and chooses the item showing the text.
    void choose(const char* select, const char* item);
    // Whether the last frame has a text node of exactly this text.
    bool shows(const char* text);
    uint32_t id(const char* label);  // the id of a label at the window's top level
};
