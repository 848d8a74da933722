// What the log viewer's and the terminal's tests share: a rig whose platform records every
// clipboard write.
#pragma once

#include <string>
#include <vector>

#include "support/widget_rig.h"

struct clipboard_rig {
    widget_rig rig;
    std::vector<std::string> clipboard;

    clipboard_rig(float width, float height, uint32_t mode = QEL_THEME_LIGHT) : rig(width, height, mode)
    {
        qel_platform p = {};
        p.user = &clipboard;
        p.set_clipboard = [](void* user, const char* utf8) { ((std::vector<std::string>*)user)->push_back(utf8); };
        qel_ctx_set_platform(rig.h.ctx, &p);
    }
    std::string last_copy() const { return clipboard.empty() ? "" : clipboard.back(); }
};
