// The window's small recurring pieces.
#include "app/ui_parts.h"

#include "app/app_ui_frame.h"
#include "app/data_source.h"
#include "engine/quantity.h"
#include "qel/qel.h"

const qel_size app_grow = {QEL_SIZE_GROW, 1};

static app_file_chooser file_chooser = nullptr;
static void* file_chooser_user = nullptr;

void app_set_file_chooser(app_file_chooser choose, void* user)
{
    file_chooser = choose;
    file_chooser_user = user;
}

bool app_ui_choose_file(void*, const qel_file_dialog_spec* dialog, char* path, size_t capacity)
{
    path[0] = '\0';
    return file_chooser && file_chooser(file_chooser_user, dialog, path, capacity);
}

void app_column_begin(qel_context* ctx, float gap)
{
    qel_style s = {};
    s.width = app_grow;
    s.gap = gap;
    qel_column_begin(ctx, &s);
}

void app_centred_row_begin(qel_context* ctx, float gap)
{
    qel_style s = {};
    s.width = app_grow;
    s.gap = gap;
    s.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &s);
}

void app_spread_row_begin(qel_context* ctx, float gap, uint32_t justify)
{
    qel_style s = {};
    s.width = app_grow;
    s.gap = gap;
    s.justify = justify;
    qel_row_begin(ctx, &s);
}

void app_small_badge(qel_context* ctx, const char* text, uint32_t kind, bool dot)
{
    qel_badge_opts o = {};
    o.kind = kind;
    o.dot = dot;
    o.size = 1;
    qel_badge(ctx, text, &o);
}

bool app_small_button(qel_context* ctx, const char* label, uint32_t variant, bool disabled)
{
    qel_button_opts o = {};
    o.variant = variant;
    o.size = 1;
    o.disabled = disabled;
    return qel_button(ctx, label, &o);
}

void app_keep_width(qel_context* ctx)
{
    const qel_node* parent = qel_node_at(ctx, qel_node_parent(ctx));
    qel_node* last = parent ? qel_node_at(ctx, parent->last_child) : nullptr;
    if (last) last->flags |= QEL_NODE_NO_SHRINK;
}

void app_caption_row(qel_context* ctx, const char* caption, const char* text)
{
    app_spread_row_begin(ctx, 8, QEL_JUSTIFY_BETWEEN);
    qel_text_muted(ctx, caption);
    qel_textf(ctx, "%s", text);
    qel_container_end(ctx);
}

const char* app_plural(int32_t n)
{
    return n == 1 ? "" : "s";
}

int32_t app_label_total(const app_state* state)
{
    if (!state->loaded) return 0;
    job_options options;
    app_make_job_options(&options, state);
    int32_t total = quantity_job_total(&state->table, 0, state->table.rows, &options, nullptr, 0, nullptr, nullptr);
    return total > 0 ? total : 0;
}
