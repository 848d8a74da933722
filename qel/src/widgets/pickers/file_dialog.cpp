// The file dialog: the browser in a core dialog, the file-name field or the pattern text, Cancel
// and the primary button, and which path a choice finishes with. Listing and navigating are the
// browser's; the modal layer is the dialog's.
#include "qel/file_dialog.h"

#include <algorithm>
#include <cstring>

#include "core/core.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/file_browser.h"
#include "qel/id.h"
#include "qel/sheet.h"
#include "qel/state.h"
#include "qel/text_input.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"
#include "widgets/pickers/file_browser_selection.h"

static const int32_t FOLDER_CAP = 1024, NAME_CAP = 256;

struct file_dialog_state {
    char folder[FOLDER_CAP];
    char name[NAME_CAP];
    uint32_t selection_key;
    uint8_t opened;
};

// Copies text whole into a buffer of capacity bytes, or leaves the buffer alone and says false.
static bool copy_whole(char* out, size_t capacity, const char* text)
{
    size_t length = strlen(text);
    if (length >= capacity) return false;
    memcpy(out, text, length + 1);
    return true;
}

static void start(file_dialog_state* s, const qel_file_dialog_options& o)
{
    if (!o.start_folder || !o.start_folder[0] || !copy_whole(s->folder, FOLDER_CAP, o.start_folder))
        strcpy(s->folder, ".");
    if (!o.default_name || !copy_whole(s->name, NAME_CAP, o.default_name)) s->name[0] = 0;
    s->selection_key = 0;
    s->opened = 1;
}

// The bottom row; true when the primary button (or Enter in the name field) was pressed.
static bool bottom_row(qel_context* ctx, file_dialog_state* s, const qel_file_dialog_options& o, uint8_t* open,
                       bool have_selection)
{
    qel_style row = {};
    row.align = QEL_ALIGN_CENTER;
    row.gap = 8;
    row.width = {QEL_SIZE_GROW, 1};
    row.wrap = 1;
    qel_row_begin(ctx, &row);
    bool primary = false;
    if (o.save) {
        qel_text_input_opts t = {};
        t.placeholder = "File name";
        t.width = {QEL_SIZE_GROW, 1};
        uint32_t got = qel_input_text_ex(ctx, qel_id(ctx, "name"), s->name, NAME_CAP, &t, false, false, nullptr);
        qel_node* field = qel_node_at(ctx, qel_node_at(ctx, qel_node_parent(ctx))->last_child);
        field->min_w = std::max(field->min_w, 160.0f);
        primary = (got & QEL_INPUT_SUBMITTED) && s->name[0];
    } else {
        const char* text = o.folder ? "" : o.description ? o.description : o.pattern ? o.pattern : "";
        int32_t leaf = qel_text_leaf_scaled(ctx, text, QEL_FONT_BODY, ctx->theme.current.text_small,
                                            qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), 0);
        qel_node_at(ctx, leaf)->width = {QEL_SIZE_GROW, 1};
    }
    if (qel_button(ctx, "Cancel", nullptr)) *open = 0;
    qel_button_opts b = {};
    b.variant = QEL_BUTTON_PRIMARY;
    b.disabled = (o.save && !s->name[0]) || (!o.save && !o.folder && !have_selection);
    primary |= qel_button(ctx, o.save ? "Save" : o.folder ? "Choose" : "Open", &b);
    qel_container_end(ctx);
    return primary;
}

// The path a choice finishes with, or null when it does nothing (or would not fit).
static const char* choice(qel_context* ctx, file_dialog_state* s, const qel_file_dialog_options& o,
                          const qel_file_browser_result& b, bool primary, uint32_t browser)
{
    if (b.opened && o.save) {
        copy_whole(s->name, NAME_CAP, qel_file_browser_base_name(b.opened));
        return nullptr;
    }
    if (b.opened && !o.folder) return b.opened;
    if (!primary) return nullptr;
    if (o.save) return qel_file_browser_joined(ctx, s->folder, s->name);
    if (o.folder) return b.selected ? b.selected : s->folder;
    if (b.selected && qel_file_browser_selected_is_dir(ctx, browser)) {
        copy_whole(s->folder, FOLDER_CAP, b.selected);
        return nullptr;
    }
    return b.selected;
}

bool qel_file_dialog(qel_context* ctx, const char* label, uint8_t* open, char* out, int32_t out_capacity,
                     const qel_file_dialog_options* options)
{
    if (!open) return false;
    static const qel_file_dialog_options defaults = {};
    const qel_file_dialog_options& o = options ? *options : defaults;
    if (!label) label = "file-dialog";
    auto* s = qel_state_record_of<file_dialog_state>(ctx, qel_id(ctx, label), "file_dialog_state");
    if (!*open) s->opened = 0;
    else if (!s->opened) start(s, o);

    const char* title = o.title ? o.title : o.save ? "Save" : o.folder ? "Choose a folder" : "Open";
    qel_vec2 display = qel_ctx_display_size(ctx);
    qel_dialog_options d = {};
    d.width = std::min(display.x - 24, 780.0f);
    if (!qel_dialog_begin(ctx, qel_arena_sprintf(ctx, "%s##%s", title, label), open, &d)) return false;
    qel_file_browser_options bo = {};
    bo.pattern = o.pattern;
    bo.folders_only = o.folder;
    bo.lister = o.lister;
    bo.lister_user = o.lister_user;
    bo.height = {QEL_SIZE_FIXED, std::min(display.y - 260, 400.0f)};
    qel_file_browser_result b = qel_file_browser(ctx, "browser", s->folder, FOLDER_CAP, &bo);
    uint32_t browser = qel_id(ctx, "browser");
    uint32_t key = b.selected ? qel_hash_str(b.selected, 1505) : 0;
    if (key != s->selection_key) {
        s->selection_key = key;
        if (o.save && b.selected && !qel_file_browser_selected_is_dir(ctx, browser))
            copy_whole(s->name, NAME_CAP, qel_file_browser_base_name(b.selected));
    }
    bool primary = bottom_row(ctx, s, o, open, b.selected != nullptr);
    const char* chosen = choice(ctx, s, o, b, primary, browser);
    qel_dialog_end(ctx);
    if (!chosen || !out || !copy_whole(out, (size_t)std::max(out_capacity, 0), chosen)) return false;
    *open = 0;
    return true;
}
