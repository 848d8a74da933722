// The file browser: listing the folder through the lister, the filtered and sorted visible list,
// the history, the toolbar with its path bar, the places, the list with its header, mouse and
// keys, and the actions that move the caller's path. Listing, matching, ordering and path
// arithmetic are dir_list's; the segments are the path bar's.
#include "qel/file_browser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/date_picker.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/lists.h"
#include "qel/path_bar.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"
#include "widgets/pickers/dir_path.h"
#include "widgets/pickers/file_browser_selection.h"

static const uint32_t LIST_KEY = 0x115d, HEADER_KEY = 0x4EAD0, ROW_KEY = 0x20e5;
static const int32_t PATH_CAP = 1024, HISTORY = 16, MAX_SEGMENTS = 64, DEFAULT_ENTRIES = 20000;
static const int32_t ENTRY_LIMIT = 1 << 20;  // keeps the name buffer (40 bytes each) within 40 MiB
static const float ROW_HEIGHT = 30;
static const double TYPE_AHEAD_SECONDS = 1.0;
static const char BACK_ICON[] = QEL_ICON_ARROW_LEFT, FORWARD_ICON[] = QEL_ICON_ARROW_RIGHT, UP_ICON[] = QEL_ICON_ARROW_UP;
static const char DOWN_ICON[] = QEL_ICON_ARROW_DOWN, RELOAD_ICON[] = QEL_ICON_REFRESH_CW, FILTER_ICON[] = QEL_ICON_SEARCH;
static const char FOLDER_ICON[] = QEL_ICON_FOLDER, FILE_ICON[] = QEL_ICON_FILE, HOME_ICON[] = QEL_ICON_HOUSE;
static const char DOWNLOAD_ICON[] = QEL_ICON_DOWNLOAD, DRIVE_ICON[] = QEL_ICON_MONITOR;

struct browser_state {
    char listed[PATH_CAP];
    uint32_t listed_hash;
    size_t listed_length;
    qel_dir_entry* entries;
    int32_t entry_count, entry_capacity;
    char* names;
    uint64_t names_capacity;
    int32_t* visible;
    int32_t visible_count;
    uint32_t view_key;
    int32_t sort_mode;
    uint8_t descending;
    char filter[128];
    int32_t selected;
    char history[HISTORY][PATH_CAP];
    int32_t history_count, history_position;
    char type_ahead[32];
    int32_t type_ahead_length;
    double type_ahead_time;
    uint8_t read_failed, initialised, reload_requested, scroll_to_selection;
};

// What the frame asks to do once everything is built.
struct browser_actions {
    int32_t open = -1, segment = -1;
    const char* typed = nullptr;
    const char* place = nullptr;
    bool up = false, back = false, forward = false, reload = false;
};

static void browser_state_free(qel_context* ctx, void* blob)
{
    auto* s = (browser_state*)blob;
    qel_mem_free(ctx, s->entries);
    qel_mem_free(ctx, s->names);
    qel_mem_free(ctx, s->visible);
    s->entries = nullptr;
    s->names = nullptr;
    s->visible = nullptr;
    s->entry_capacity = 0;
    s->names_capacity = 0;
}

// --- Listing and the visible list ---

static bool is_listed(const browser_state* s, const char* path)
{
    size_t length = strlen(path);
    if (length != s->listed_length || qel_hash_str(path, 0) != s->listed_hash) return false;
    return length >= (size_t)PATH_CAP || strcmp(path, s->listed) == 0;
}

static bool grow(qel_context* ctx, browser_state* s, int32_t capacity)
{
    if (s->entry_capacity >= capacity) return true;
    uint64_t names = (uint64_t)capacity * 40;
    auto* e = (qel_dir_entry*)qel_mem_realloc(ctx, s->entries, (size_t)capacity * sizeof(qel_dir_entry));
    if (e) s->entries = e;
    auto* v = (int32_t*)qel_mem_realloc(ctx, s->visible, (size_t)capacity * sizeof(int32_t));
    if (v) s->visible = v;
    auto* n = (char*)qel_mem_realloc(ctx, s->names, (size_t)names);
    if (n) s->names = n;
    if (!e || !v || !n) return false;
    s->entry_capacity = capacity;
    s->names_capacity = names;
    return true;
}

static void relist(qel_context* ctx, browser_state* s, const char* path, const qel_file_browser_options& o)
{
    int32_t max = o.max_entries < 1 ? DEFAULT_ENTRIES : std::min(o.max_entries, ENTRY_LIMIT);
    size_t length = strlen(path);
    int32_t n = -1;
    // A path longer than the browser keeps is never cut into another folder's name.
    if (length < (size_t)PATH_CAP && grow(ctx, s, max)) {
        qel_dir_lister lister = o.lister ? o.lister : qel_dir_list;
        n = lister(o.lister_user, path, s->entries, max, s->names, s->names_capacity, o.show_hidden != 0);
    }
    s->read_failed = n < 0;
    s->entry_count = std::clamp(n, 0, max);
    memcpy(s->listed, path, std::min(length + 1, (size_t)PATH_CAP));
    s->listed[PATH_CAP - 1] = 0;
    s->listed_length = length;
    s->listed_hash = qel_hash_str(path, 0);
    s->reload_requested = 0;
    s->view_key = 0;
    s->selected = -1;
}

// True when name matches one of the ',' or ';' separated parts of pattern, spaces around parts
// ignored.
static bool pattern_matches(const char* pattern, const char* name)
{
    const char* p = pattern;
    while (*p) {
        while (*p == ' ') p++;
        const char* end = p;
        while (*end && *end != ',' && *end != ';') end++;
        const char* last = end;
        while (last > p && last[-1] == ' ') last--;
        if (last > p && qel_wildcard_match(p, last, name)) return true;
        p = *end ? end + 1 : end;
    }
    return false;
}

static void rebuild_view(browser_state* s, const qel_file_browser_options& o)
{
    uint32_t key = ((uint32_t)o.folders_only << 12) ^ ((uint32_t)s->entry_count * 0x9E3779B1u) ^
                   ((uint32_t)s->sort_mode * 0x61u) ^ (s->descending ? 0x51u : 0u) ^ qel_hash_str(s->filter, 0xf11) ^
                   qel_hash_str(o.pattern ? o.pattern : "", 0xf12);
    if (key == 0) key = 1;
    if (key == s->view_key || !s->visible) return;
    s->visible_count = 0;
    for (int32_t i = 0; i < s->entry_count; i++) {
        const qel_dir_entry& e = s->entries[i];
        if (!e.is_dir && (o.folders_only || (o.pattern && o.pattern[0] && !pattern_matches(o.pattern, e.name))))
            continue;
        if (s->filter[0] && !qel_str_contains_nocase(e.name, s->filter)) continue;
        s->visible[s->visible_count++] = i;
    }
    qel_dir_sort_view view = {s->entries, s->sort_mode, s->descending};
    qel_file_browser_sort(&view, s->visible, s->visible_count);
    s->view_key = key;
}

// --- History ---

// Goes to a new path, keeping history; false (nothing changes) when it is empty, the current one,
// or does not fit whole in the caller's buffer or a history entry.
static bool qel_file_browser_navigate(browser_state* s, char* path, int32_t capacity, const char* to)
{
    size_t length = to ? strlen(to) : 0;
    if (!length || strcmp(to, path) == 0 || length >= (size_t)capacity || length >= (size_t)PATH_CAP) return false;
    if (s->history_count == 0) {
        qel_utf8_copy(s->history[0], PATH_CAP, path);
        s->history_position = 0;
    }
    if (s->history_position == HISTORY - 1) {
        memmove(s->history[0], s->history[1], sizeof s->history[0] * (HISTORY - 1));
    } else {
        s->history_position++;
    }
    memcpy(s->history[s->history_position], to, length + 1);
    s->history_count = s->history_position + 1;
    memcpy(path, to, length + 1);
    return true;
}

static void history_step(browser_state* s, char* path, int32_t capacity, int32_t step)
{
    int32_t to = s->history_position + step;
    if (to < 0 || to >= s->history_count || strlen(s->history[to]) >= (size_t)capacity) return;
    s->history_position = to;
    strcpy(path, s->history[to]);
}

// --- Texts ---

static const char* extension_icon(const char* name)
{
    static const struct {
        const char* ext;
        const char* icon;
    } table[] = {
        {"png", QEL_ICON_IMAGE}, {"jpg", QEL_ICON_IMAGE},  {"jpeg", QEL_ICON_IMAGE}, {"gif", QEL_ICON_IMAGE},
        {"webp", QEL_ICON_IMAGE}, {"svg", QEL_ICON_IMAGE}, {"bmp", QEL_ICON_IMAGE},  {"c", QEL_ICON_CODE},
        {"h", QEL_ICON_CODE},   {"cpp", QEL_ICON_CODE},  {"js", QEL_ICON_CODE},   {"ts", QEL_ICON_CODE},
        {"py", QEL_ICON_CODE},  {"rs", QEL_ICON_CODE},   {"go", QEL_ICON_CODE},   {"json", QEL_ICON_CODE},
        {"txt", QEL_ICON_FILE_TEXT}, {"md", QEL_ICON_FILE_TEXT},   {"pdf", QEL_ICON_FILE_TEXT},  {"zip", QEL_ICON_ARCHIVE},
        {"gz", QEL_ICON_ARCHIVE},  {"tar", QEL_ICON_ARCHIVE},  {"7z", QEL_ICON_ARCHIVE},   {"mp3", QEL_ICON_MUSIC},
        {"wav", QEL_ICON_MUSIC}, {"flac", QEL_ICON_MUSIC}, {"mp4", QEL_ICON_VIDEO},  {"mov", QEL_ICON_VIDEO},
        {"db", QEL_ICON_DATABASE},  {"sqlite", QEL_ICON_DATABASE},
    };
    const char* dot = strrchr(name, '.');
    if (!dot) return FILE_ICON;
    size_t length = strlen(dot + 1);
    for (const auto& row : table)
        if (strlen(row.ext) == length && qel_starts_with_nocase(dot + 1, row.ext, (int32_t)length)) return row.icon;
    return FILE_ICON;
}

static const char* size_text(qel_context* ctx, const qel_dir_entry& e)
{
    static const char* const units[] = {"KB", "MB", "GB", "TB"};
    if (e.is_dir) return "\xE2\x80\x94";
    double v = (double)e.size;
    if (v < 1000) return qel_arena_sprintf(ctx, "%.0f bytes", v);
    int32_t unit = 0;
    v /= 1000;
    while (v >= 1000 && unit < 3) {
        v /= 1000;
        unit++;
    }
    return qel_arena_sprintf(ctx, v < 10 ? "%.1f %s" : "%.0f %s", v, units[unit]);
}

// Empty for no time, and for one the local clock cannot show (before 1970 or past year 9999).
static const char* date_text(qel_context* ctx, int64_t mtime, const tm& now)
{
    if (mtime <= 0 || mtime > 253402300799LL) return "";
    time_t t = (time_t)mtime;
    const tm* p = localtime(&t);
    if (!p) return "";
    tm d = *p;
    if (d.tm_year == now.tm_year && d.tm_yday == now.tm_yday)
        return qel_arena_sprintf(ctx, "%s, %d:%02d", qel_today_label(ctx), d.tm_hour, d.tm_min);
    const char* month = qel_month_name_short(ctx, d.tm_mon);
    if (d.tm_year == now.tm_year)
        return qel_arena_sprintf(ctx, "%s %d, %d:%02d", month, d.tm_mday, d.tm_hour, d.tm_min);
    return qel_arena_sprintf(ctx, "%s %d, %d", month, d.tm_mday, d.tm_year + 1900);
}

// --- Segments ---

// Splits path into at most 64 segments (arena copies) and where each ends in path.
static int32_t split_path(qel_context* ctx, const char* path, const char** segments, int32_t* ends)
{
    int32_t count = 0, length = (int32_t)strlen(path), i = 0;
    auto is_sep = [](char c) { return c == '/' || c == '\\'; };
    int32_t root = is_sep(path[0]) ? 1 : 0;
    if (!root && length >= 2 && path[1] == ':') root = length >= 3 && is_sep(path[2]) ? 3 : 2;
    if (root) {
        segments[count] = qel_arena_strdup(ctx, path, root);
        ends[count++] = root;
        i = root;
    }
    while (i < length && count < MAX_SEGMENTS) {
        while (i < length && is_sep(path[i])) i++;
        int32_t start = i;
        while (i < length && !is_sep(path[i])) i++;
        if (i == start) break;
        segments[count] = qel_arena_strdup(ctx, path + start, i - start);
        ends[count++] = i;
    }
    if (count == 0) {
        segments[0] = qel_arena_strdup(ctx, path, -1);
        ends[count++] = length;
    }
    return count;
}

// --- Building ---

static bool tool_button(qel_context* ctx, const char* icon, const char* tooltip, bool disabled)
{
    qel_button_opts b = {};
    b.variant = QEL_BUTTON_GHOST;
    b.size = 1;
    b.tooltip = tooltip;
    b.disabled = disabled;
    return qel_icon_button(ctx, icon, &b);
}

struct browser_frame {
    uint32_t id;
    browser_state* s;
    const qel_file_browser_options* o;
    char* path;
    bool compact, narrow, list_focused;
    browser_actions act;
};

static void toolbar(qel_context* ctx, browser_frame& f)
{
    browser_state* s = f.s;
    qel_style row = {};
    row.align = QEL_ALIGN_CENTER;
    row.gap = 4;
    row.width = {QEL_SIZE_GROW, 1};
    qel_row_begin(ctx, &row);
    f.act.back |= tool_button(ctx, BACK_ICON, "Back", s->history_position <= 0);
    f.act.forward |= tool_button(ctx, FORWARD_ICON, "Forward", s->history_position >= s->history_count - 1);
    f.act.up |= tool_button(ctx, UP_ICON, "Up", false);
    const char* segments[MAX_SEGMENTS];
    int32_t ends[MAX_SEGMENTS];
    int32_t count = split_path(ctx, f.path, segments, ends);
    qel_path_bar_options p = {};
    p.size = 1;
    p.full_path = f.path;
    qel_path_bar_result bar = qel_path_bar(ctx, "path", segments, count, &p);
    if (bar.clicked >= 0 && bar.clicked < count - 1)
        f.act.segment = std::max(ends[bar.clicked], 1);
    f.act.typed = bar.typed_path;
    if (!f.narrow) {
        qel_text_input_opts t = {};
        t.placeholder = "Filter";
        t.clear_button = 1;
        t.size = 1;
        t.width = {QEL_SIZE_FIXED, f.compact ? 120.0f : 180.0f};
        qel_input_text_ex(ctx, qel_id(ctx, "filter"), s->filter, sizeof s->filter, &t, false, false, FILTER_ICON);
    }
    f.act.reload |= tool_button(ctx, RELOAD_ICON, "Reload (F5)", false);
    qel_container_end(ctx);
}

static void place_row(qel_context* ctx, browser_frame& f, int32_t index, const char* label, const char* folder,
                      const char* icon)
{
    qel_push_id_int(ctx, index);
    uint32_t id = qel_id(ctx, "place");
    qel_pop_id(ctx);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    bool current = strcmp(folder, f.path) == 0;
    int32_t row = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 28});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_left = n->pad_right = 8;
    n->gap = 8;
    qel_node_round(n, ctx->theme.current.radius_small);
    n->fill = current ? qel_theme_color(ctx, QEL_COLOR_ACTIVE)
                      : it.hovered ? qel_theme_color(ctx, QEL_COLOR_HOVER) : 0;
    qel_node_clickable(ctx, row, id, false);
    if (it.focused && it.focus_visible) qel_focus_ring(ctx, row, 1);
    qel_node_push(ctx, row);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_icon_glyph(ctx, icon, 15, current ? text : qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    qel_text_leaf_scaled(ctx, label, current ? QEL_FONT_MEDIUM : QEL_FONT_BODY, ctx->theme.current.text_small, text,
                         1.3f);
    qel_node_pop(ctx);
    if (it.clicked) f.act.place = qel_arena_strdup(ctx, folder, -1);
}

static void places(qel_context* ctx, browser_frame& f)
{
    qel_style col = {};
    col.gap = 1;
    col.width = {QEL_SIZE_FIXED, 150};
    qel_column_begin(ctx, &col);
    if (f.o->places && f.o->place_count > 0) {
        for (int32_t i = 0; i < std::min(f.o->place_count, 6); i++) {
            const char* folder = f.o->places[i] ? f.o->places[i] : "";
            place_row(ctx, f, i, qel_file_browser_base_name(folder), folder, FOLDER_ICON);
        }
    } else {
        const char* home = getenv("HOME");
        if (!home || !home[0]) home = getenv("USERPROFILE");
        if (home && home[0]) {
            static const char* const names[] = {"Desktop", "Documents", "Downloads"};
            static const char* const icons[] = {FOLDER_ICON, FOLDER_ICON, DOWNLOAD_ICON};
            place_row(ctx, f, 0, "Home", home, HOME_ICON);
            for (int32_t i = 0; i < 3; i++) {
                char joined[PATH_CAP];
                if (qel_path_join(joined, sizeof joined, home, names[i])) place_row(ctx, f, i + 1, names[i], joined, icons[i]);
            }
        }
        const char* root = qel_dir_system_root();
        place_row(ctx, f, 4, root, root, DRIVE_ICON);
    }
    qel_container_end(ctx);
}

static void header_cell(qel_context* ctx, browser_frame& f, int32_t column, const char* name, qel_size width)
{
    uint32_t id = f.id ^ (HEADER_KEY + (uint32_t)column);
    qel_interaction it = qel_interact(ctx, id, 0);
    int32_t cell = qel_node_sized(ctx, id, width, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, cell);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 4;
    if (column == 2) n->justify = QEL_JUSTIFY_END;
    qel_node_mark_interactive(ctx, cell, 0);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    bool sorted = f.s->sort_mode == column;
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    qel_node_push(ctx, cell);
    qel_text_leaf_scaled(ctx, name, QEL_FONT_BODY, ctx->theme.current.text_xs,
                         sorted || it.hovered ? text : qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), 1.3f);
    if (sorted) qel_icon_glyph(ctx, f.s->descending ? DOWN_ICON : UP_ICON, 12, text);
    qel_node_pop(ctx);
    if (!it.clicked) return;
    f.s->descending = sorted ? !f.s->descending : 0;
    f.s->sort_mode = column;
}

static int32_t row_node(qel_context* ctx, uint32_t id, float height, float pad)
{
    int32_t row = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, height});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_left = n->pad_right = pad;
    n->gap = 12;
    return row;
}

static void entry_row(qel_context* ctx, browser_frame& f, int32_t row_index, const tm& now)
{
    browser_state* s = f.s;
    int32_t index = s->visible[row_index];
    const qel_dir_entry& e = s->entries[index];
    uint32_t id = qel_hash_bytes(&index, 4, f.id ^ ROW_KEY);
    qel_interaction it = qel_interact(ctx, id, 0);
    if (it.hovered && qel_mouse_pressed(ctx, 0)) {
        s->selected = index;
        qel_set_focus(ctx, f.id ^ LIST_KEY, false);
    }
    if (it.double_clicked) f.act.open = index;
    int32_t row = row_node(ctx, id, ROW_HEIGHT, 12);
    qel_node* n = qel_node_at(ctx, row);
    qel_color surface = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    bool neutral = qel_theme_get_accent(ctx) == QEL_ACCENT_NEUTRAL;
    if (s->selected == index) {
        n->fill = !f.list_focused ? qel_theme_color(ctx, QEL_COLOR_ACTIVE)
                  : neutral      ? qel_color_mix(surface, qel_theme_color(ctx, QEL_COLOR_TEXT), 0.08f)
                                 : qel_color_mix(surface, qel_theme_color(ctx, QEL_COLOR_ACCENT), 0.16f);
    } else if (it.hovered) {
        n->fill = qel_theme_color(ctx, QEL_COLOR_HOVER);
    }
    qel_node_mark_interactive(ctx, row, 0);
    qel_node_push(ctx, row);
    qel_style name_cell = {};
    name_cell.align = QEL_ALIGN_CENTER;
    name_cell.gap = 8;
    name_cell.width = {QEL_SIZE_GROW, 1};
    qel_row_begin(ctx, &name_cell);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT), secondary = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    qel_icon_glyph(ctx, e.is_dir ? FOLDER_ICON : extension_icon(e.name), 15, e.is_dir ? text : secondary);
    qel_text_leaf_scaled(ctx, e.name, QEL_FONT_BODY, ctx->theme.current.text_small, text, 1.3f);
    qel_container_end(ctx);
    float xs = ctx->theme.current.text_xs;
    if (!f.compact) {
        int32_t c = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 150}, {QEL_SIZE_FIT, 0});
        qel_node_push(ctx, c);
        qel_text_leaf_scaled(ctx, date_text(ctx, e.mtime, now), QEL_FONT_BODY, xs, secondary, 1.3f);
        qel_node_pop(ctx);
    }
    if (!f.narrow) {
        int32_t c = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, 76}, {QEL_SIZE_FIT, 0});
        qel_node_at(ctx, c)->direction = QEL_DIR_ROW;
        qel_node_at(ctx, c)->justify = QEL_JUSTIFY_END;
        qel_node_push(ctx, c);
        qel_text_leaf_scaled(ctx, size_text(ctx, e), QEL_FONT_BODY, xs, secondary, 1.3f);
        qel_node_pop(ctx);
    }
    qel_node_pop(ctx);
}

static void list_body(qel_context* ctx, browser_frame& f)
{
    browser_state* s = f.s;
    uint32_t list_id = f.id ^ LIST_KEY;
    qel_interact(ctx, list_id, QEL_INTERACT_FOCUSABLE);
    int32_t list = qel_node_sized(ctx, list_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
    qel_node* n = qel_node_at(ctx, list);
    n->direction = QEL_DIR_COLUMN;
    qel_node_focusable_panel(ctx, list);
    qel_node_focus_ring_full(ctx, list, f.list_focused);
    qel_node_push(ctx, list);

    int32_t header = row_node(ctx, 0, 30, 12);
    qel_node_at(ctx, header)->fill = qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    qel_node_push(ctx, header);
    header_cell(ctx, f, 0, "Name", {QEL_SIZE_GROW, 1});
    if (!f.compact) header_cell(ctx, f, 1, "Date modified", {QEL_SIZE_FIXED, 150});
    if (!f.narrow) header_cell(ctx, f, 2, "Size", {QEL_SIZE_FIXED, 76});
    qel_node_pop(ctx);
    qel_divider(ctx);

    if (s->read_failed || s->visible_count == 0) {
        const char* message = s->read_failed ? "This folder could not be read"
                              : s->filter[0] ? "Nothing matches the filter"
                                             : "This folder is empty";
        int32_t box = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_GROW, 1});
        qel_node_at(ctx, box)->align = QEL_ALIGN_CENTER;
        qel_node_at(ctx, box)->justify = QEL_JUSTIFY_CENTER;
        qel_node_push(ctx, box);
        qel_text_leaf_scaled(ctx, message, QEL_FONT_BODY, ctx->theme.current.text_small,
                             qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), 1.3f);
        qel_node_pop(ctx);
    } else {
        time_t clock = time(nullptr);
        const tm* local = localtime(&clock);
        tm now = local ? *local : tm{};
        int32_t first = 0, last = 0;
        qel_virtual_list_begin(ctx, "rows", s->visible_count, ROW_HEIGHT, {QEL_SIZE_GROW, 1}, &first, &last);
        for (int32_t i = first; i < last; i++) entry_row(ctx, f, i, now);
        qel_virtual_list_end(ctx);
    }
    qel_node_pop(ctx);
}

// --- Keys ---

static int32_t visible_row(const browser_state* s, int32_t entry)
{
    for (int32_t i = 0; i < s->visible_count; i++)
        if (s->visible[i] == entry) return i;
    return -1;
}

static int32_t type_ahead(qel_context* ctx, browser_state* s, int32_t current)
{
    const qel_input* in = &ctx->input;
    if (in->text_length == 0 || (in->modifiers & (QEL_MOD_CTRL | QEL_MOD_ALT))) return -1;
    if (ctx->clock.time - s->type_ahead_time > TYPE_AHEAD_SECONDS) s->type_ahead_length = 0;
    for (int32_t i = 0; i < in->text_length && s->type_ahead_length < 31; i++)
        s->type_ahead[s->type_ahead_length++] = in->text[i];
    s->type_ahead[s->type_ahead_length] = 0;
    s->type_ahead_time = ctx->clock.time;
    int32_t start = std::max(current, 0) + (s->type_ahead_length == 1 && current >= 0 ? 1 : 0);
    for (int32_t k = 0; k < s->visible_count; k++) {
        int32_t row = (start + k) % s->visible_count;
        if (qel_starts_with_nocase(s->entries[s->visible[row]].name, s->type_ahead, s->type_ahead_length)) return row;
    }
    return -1;
}

// The row the movement keys ask for, unclamped; false when none was pressed.
static bool key_target(qel_context* ctx, int32_t current, int32_t page, int32_t count, int32_t* to)
{
    int32_t from = std::max(current, 0);
    if (qel_key_pressed(ctx, QEL_KEY_DOWN)) *to = current < 0 ? 0 : current + 1;
    else if (qel_key_pressed(ctx, QEL_KEY_UP)) *to = current < 0 ? 0 : current - 1;
    else if (qel_key_pressed(ctx, QEL_KEY_PAGE_DOWN)) *to = from + page;
    else if (qel_key_pressed(ctx, QEL_KEY_PAGE_UP)) *to = from - page;
    else if (qel_key_pressed(ctx, QEL_KEY_HOME)) *to = 0;
    else if (qel_key_pressed(ctx, QEL_KEY_END)) *to = count - 1;
    else return false;
    return true;
}

static void keys(qel_context* ctx, browser_frame& f, float height)
{
    browser_state* s = f.s;
    if (f.list_focused || qel_focused_id(ctx) == 0) {
        bool alt = qel_modifiers(ctx) == QEL_MOD_ALT;
        f.act.back |= alt && qel_key_pressed(ctx, QEL_KEY_LEFT);
        f.act.forward |= alt && qel_key_pressed(ctx, QEL_KEY_RIGHT);
        f.act.reload |= qel_key_pressed(ctx, QEL_KEY_F1 + 4);
    }
    if (!f.list_focused || qel_modifiers(ctx) & QEL_MOD_ALT) return;
    int32_t page = std::max(1, (int32_t)((height - 80) / ROW_HEIGHT));
    int32_t current = visible_row(s, s->selected), to = 0;
    bool moved = s->visible_count > 0 && key_target(ctx, current, page, s->visible_count, &to);
    int32_t found = s->visible_count > 0 ? type_ahead(ctx, s, current) : -1;
    if (found >= 0) {
        to = found;
        moved = true;
    }
    if (moved) {
        to = std::clamp(to, 0, s->visible_count - 1);
        s->selected = s->visible[to];
        s->scroll_to_selection = 1;
    }
    if (qel_key_pressed(ctx, QEL_KEY_ENTER) && current >= 0) f.act.open = s->selected;
    f.act.up |= qel_key_pressed(ctx, QEL_KEY_BACKSPACE);
}

static void scroll_to_selection(qel_context* ctx, browser_frame& f)
{
    browser_state* s = f.s;
    if (!s->scroll_to_selection) return;
    s->scroll_to_selection = 0;
    int32_t row = visible_row(s, s->selected);
    if (row < 0) return;
    auto* scroll = (qel_scroll_state*)qel_state_get(ctx, qel_id(ctx, "rows"), sizeof(qel_scroll_state));
    float view = scroll->view_h > 0 ? scroll->view_h : 300, top = row * ROW_HEIGHT;
    if (top < scroll->target_y) scroll->target_y = top;
    else if (top + ROW_HEIGHT > scroll->target_y + view) scroll->target_y = top + ROW_HEIGHT - view;
}

// --- Actions ---

const char* qel_file_browser_joined(qel_context* ctx, const char* dir, const char* name)
{
    size_t capacity = strlen(dir) + strlen(name) + 2;
    char* out = (char*)qel_arena_alloc(ctx, capacity);
    return out && qel_path_join(out, capacity, dir, name) ? out : nullptr;
}

static void apply(qel_context* ctx, browser_frame& f, int32_t capacity, qel_file_browser_result* r)
{
    browser_state* s = f.s;
    char* path = f.path;
    const browser_actions& a = f.act;
    if (a.open >= 0) {
        const qel_dir_entry& e = s->entries[a.open];
        const char* full = qel_file_browser_joined(ctx, path, e.name);
        if (full && e.is_dir) qel_file_browser_navigate(s, path, capacity, full);
        else if (full) r->opened = full;
    }
    if (a.segment > 0) qel_file_browser_navigate(s, path, capacity, qel_arena_strdup(ctx, path, a.segment));
    if (a.typed) qel_file_browser_navigate(s, path, capacity, a.typed);
    if (a.place) qel_file_browser_navigate(s, path, capacity, a.place);
    if (a.up) {
        char* parent = qel_arena_strdup(ctx, path, -1);
        if (parent && qel_path_parent(parent)) qel_file_browser_navigate(s, path, capacity, parent);
    }
    if (a.back) history_step(s, path, capacity, -1);
    if (a.forward) history_step(s, path, capacity, 1);
    if (a.reload) s->reload_requested = 1;
}

qel_file_browser_result qel_file_browser(qel_context* ctx, const char* label, char* path, int32_t capacity,
                                         const qel_file_browser_options* options)
{
    qel_file_browser_result r = {};
    if (!path || capacity < 2) return r;
    static const qel_file_browser_options defaults = {};
    const qel_file_browser_options* o = options ? options : &defaults;
    if (!label) label = "files";
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<browser_state>(ctx, id, "browser_state");
    qel_state_set_destructor(ctx, id, browser_state_free);
    if (!s->initialised) {
        s->selected = -1;
        s->initialised = 1;
    }
    if (!path[0]) strcpy(path, ".");
    const char* start = qel_arena_strdup(ctx, path, -1);
    if (s->reload_requested || !is_listed(s, path)) relist(ctx, s, path, *o);
    rebuild_view(s, *o);

    qel_rect last = qel_id_rect(ctx, id);
    browser_frame f = {id, s, o, path, last.w > 0 && last.w < 560, last.w > 0 && last.w < 380,
                       qel_focused_id(ctx) == (id ^ LIST_KEY), {}};
    qel_push_id(ctx, label);
    keys(ctx, f, last.h);
    scroll_to_selection(ctx, f);

    int32_t outer = qel_node_sized(ctx, id, o->width.kind ? o->width : qel_size{QEL_SIZE_GROW, 1},
                                   o->height.kind ? o->height : qel_size{QEL_SIZE_FIXED, 380});
    qel_node* n = qel_node_at(ctx, outer);
    n->direction = QEL_DIR_COLUMN;
    n->gap = 8;
    n->align_self = QEL_ALIGN_STRETCH;
    qel_node_push(ctx, outer);
    toolbar(ctx, f);
    qel_style body = {};
    body.gap = 8;
    body.width = {QEL_SIZE_GROW, 1};
    body.height = {QEL_SIZE_GROW, 1};
    body.align = QEL_ALIGN_STRETCH;
    qel_row_begin(ctx, &body);
    if (!o->hide_places && !f.compact) places(ctx, f);
    list_body(ctx, f);
    qel_container_end(ctx);
    qel_node_pop(ctx);
    qel_pop_id(ctx);

    apply(ctx, f, capacity, &r);
    if (strcmp(path, start) != 0) {
        r.navigated = 1;
        s->filter[0] = 0;
    } else if (s->selected >= 0 && s->selected < s->entry_count && !s->read_failed) {
        r.selected = qel_file_browser_joined(ctx, path, s->entries[s->selected].name);
    }
    r.read_failed = s->read_failed;
    qel_set_last_item(ctx, id ^ LIST_KEY);
    return r;
}

const char* qel_file_browser_base_name(const char* path)
{
    const char* cut = std::max(strrchr(path, '/'), strrchr(path, '\\'));
    return cut ? cut + 1 : path;
}

bool qel_file_browser_selected_is_dir(qel_context* ctx, uint32_t browser_id)
{
    auto* s = (const browser_state*)qel_state_find(ctx, browser_id, sizeof(browser_state), false);
    return s && s->selected >= 0 && s->selected < s->entry_count && s->entries[s->selected].is_dir;
}
