// A dockspace named "work" driven over scripted frames: the panels it declares each frame, the
// ones whose contents were drawn, and the ids of its tabs, groups and splits.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

struct dock_panel_spec {
    std::string label;
    bool closable = false;
    bool open = true;
    const char* icon = nullptr;
};

struct dock_rig {
    widget_rig rig;
    std::vector<dock_panel_spec> panels;
    qel_dockspace_options opts = {};
    std::vector<std::string> drawn;  // of the last frame

    explicit dock_rig(float width = 600, float height = 400, uint32_t mode = QEL_THEME_LIGHT) : rig(width, height, mode)
    {
        rig.h.ui = [this](qel_context* c) { frame(c); };
    }
    void add(const char* label, bool closable = false)
    {
        dock_panel_spec p;
        p.label = label;
        p.closable = closable;
        panels.push_back(p);
    }
    void frame(qel_context* c)
    {
        drawn.clear();
        qel_dockspace_begin(c, "work", &opts);
        for (dock_panel_spec& p : panels) {
            qel_dock_panel_options po = {};
            po.icon = p.icon;
            if (!qel_dock_panel_begin(c, p.label.c_str(), p.closable ? &p.open : nullptr, &po)) continue;
            drawn.push_back(p.label);
            qel_text_muted(c, p.label.c_str());
            qel_dock_panel_end(c);
        }
        qel_dockspace_end(c);
    }
    qel_context* ctx() { return rig.h.ctx; }
    qel_dockspace* ds() { return qel_dockspace_get(ctx(), "work", nullptr); }
    void run(int frames = 1) { rig.h.run(frames); }
    std::string saved()
    {
        char buf[4096];
        qel_dock_layout_save(ctx(), "work", buf, sizeof buf);
        return buf;
    }
    bool load(const char* text) { return qel_dock_layout_load(ctx(), "work", text) == 1; }
    int32_t panel(const char* name) { return qel_dock_panel_find(ds(), name); }
    int32_t leaf_of(const char* name) { return ds()->panels[panel(name)].node; }
    // The id of a tab titled title in the strip of a serial.
    uint32_t tab_in(uint32_t serial, const char* title)
    {
        char scope[16];
        snprintf(scope, sizeof scope, "t%u", serial);
        qel_push_id(ctx(), "work");
        qel_push_id(ctx(), scope);
        uint32_t id = qel_id(ctx(), title);
        qel_pop_id(ctx());
        qel_pop_id(ctx());
        return id;
    }
    // The tab of a panel (by name) in its group, or in the narrow strip.
    uint32_t tab(const char* name, bool narrow = false)
    {
        const qel_dock_panel& p = ds()->panels[panel(name)];
        return tab_in(narrow ? 49319u : ds()->nodes[p.node].serial, p.title);
    }
    qel_rect tab_rect(const char* name, bool narrow = false) { return rig.h.rect(tab(name, narrow)); }
    // The seed inside the dockspace is its own id, as the name opens the scope.
    uint32_t leaf_id(int32_t leaf)
    {
        uint32_t serial = ds()->nodes[leaf].serial;
        return qel_hash_bytes(&serial, sizeof serial, qel_id(ctx(), "work") ^ 0x1eaf);
    }
    qel_rect leaf_rect(int32_t leaf) { return rig.h.rect(leaf_id(leaf)); }
    qel_rect dock_rect() { return rig.h.rect(qel_id(ctx(), "work")); }
    // Presses on a panel's tab, leaves the strip, and moves to the point over a few frames; the
    // button stays down.
    void drag_to(const char* name, float x, float y)
    {
        qel_rect t = tab_rect(name);
        float grab = t.x + std::min(t.w / 2, 12.0f);  // a narrow group shows only a tab's start
        rig.h.move(grab, t.y + t.h / 2);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
        rig.h.move(grab, t.y + t.h + 40);
        rig.h.run();
        rig.h.move(x, y);
        rig.h.run(2);
    }
    void drop_at(const char* name, float x, float y)
    {
        drag_to(name, x, y);
        rig.h.button(0, false);
        rig.h.run(2);
    }
    // A point of a group's content area at fractions of its width and height.
    qel_vec2 in_body(const char* name, float fx, float fy)
    {
        uint32_t serial = ds()->nodes[leaf_of(name)].serial;
        uint32_t body = qel_hash_bytes(&serial, sizeof serial, qel_id(ctx(), "work") ^ 0x1eaf) ^ 0xb0d1;
        qel_rect r = rig.h.rect(body);
        return {r.x + r.w * fx, r.y + r.h * fy};
    }
    bool was_drawn(const char* label) const
    {
        for (const std::string& d : drawn)
            if (d == label) return true;
        return false;
    }
};
