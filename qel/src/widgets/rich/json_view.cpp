// The JSON view: the parse of each frame, the folds kept per id, the tree's rows with their
// chevrons and summaries, and the error line.
#include "kit/state_records.h"
#include "qel/json_view.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/code.h"
#include "qel/collapsibles.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "viewer_box.h"

namespace {

const float ROW_HEIGHT = 24, INDENT = 16;

struct view_state {
    uint8_t collapsed[QEL_JSON_VIEW_NODES / 8];
    uint8_t initialised;
};

bool container(const qel_json_node* n)
{
    return n->kind == QEL_JSON_ARRAY || n->kind == QEL_JSON_OBJECT;
}

bool folded(const uint8_t* collapsed, int32_t index)
{
    return index < QEL_JSON_VIEW_NODES && (collapsed[index >> 3] >> (index & 7) & 1);
}

int32_t row_begin(qel_context* ctx, uint32_t id, float pad_left)
{
    int32_t row = qel_node_sized_pushed(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, ROW_HEIGHT});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_left = pad_left;
    qel_node_round(n, 6);
    return row;
}

// Up to four runs of monospace text make a row: key, colon, value and comma.
struct row_text {
    struct {
        const char* text;
        int32_t length;
        qel_color color;
    } runs[4];
    int32_t count;
};

void add_run(row_text* t, const char* text, int32_t length, qel_color color)
{
    t->runs[t->count++] = {text, length < 0 ? (int32_t)strlen(text) : length, color};
}

// The value's text: a scalar as written, a container's opener or its folded summary.
void add_value(qel_context* ctx, row_text* t, const qel_json_parser* p, const qel_json_node* n, bool is_folded,
               const qel_color* palette)
{
    const char* text = p->text + n->value_start;
    switch (n->kind) {
    case QEL_JSON_NUMBER: add_run(t, text, n->value_length, palette[QEL_CODE_NUMBER]); return;
    case QEL_JSON_STRING: add_run(t, text, n->value_length, palette[QEL_CODE_STRING]); return;
    case QEL_JSON_NULL:
    case QEL_JSON_BOOL: add_run(t, text, n->value_length, palette[QEL_CODE_LITERAL]); return;
    default: break;
    }
    bool array = n->kind == QEL_JSON_ARRAY;
    const char* plural = n->child_count == 1 ? "" : "s";
    const char* summary = !is_folded ? (array ? "[" : "{")
                          : array    ? qel_arena_sprintf(ctx, "[ %d item%s ]", n->child_count, plural)
                                     : qel_arena_sprintf(ctx, "{ %d key%s }", n->child_count, plural);
    add_run(t, summary, -1, palette[QEL_CODE_PUNCT]);
}

// Rows are ROW_HEIGHT apart from the first, so which of them may show is known before the
// layout; the others keep their place and widths but are laid out without their children.
struct tree_walk {
    uint32_t view_id;
    const qel_json_parser* parser;
    uint8_t* collapsed;
    const qel_color* palette;
    int32_t row;                    // rows declared so far
    float shown_top, shown_bottom;  // from the first row's top
};

// The rows the scroller shows with its offset of this frame: within its greatest height, and
// within two screens of the display around where it was laid out last frame (a view that moves
// further in one frame shows its rows from the next).
void shown_rows(qel_context* ctx, uint32_t scroller_id, const qel_node* scroller, float max_height, tree_walk* w)
{
    float first = scroller->pad_top - scroller->content_offset_y;  // the first row's top, from the scroller's
    if (max_height > 0) {
        w->shown_top = -first - ROW_HEIGHT;
        w->shown_bottom = max_height - first + ROW_HEIGHT;
    }
    if (!qel_id_seen(ctx, scroller_id)) return;
    float screen = qel_id_rect(ctx, scroller_id).y + first, reach = 2 * ctx->clock.display_h;
    w->shown_top = fmaxf(w->shown_top, -screen - reach);
    w->shown_bottom = fminf(w->shown_bottom, ctx->clock.display_h - screen + reach);
}

bool next_row_shown(tree_walk& w)
{
    float top = (float)w.row++ * ROW_HEIGHT;
    return top + ROW_HEIGHT > w.shown_top && top < w.shown_bottom;
}

// The text leaves of a row that may show; for one that cannot, the widths they would give it
// (lead is what comes before them), measured and rounded as the layout does a text leaf.
void row_runs(qel_context* ctx, int32_t row, const row_text& t, bool shown, float lead)
{
    float size = qel_scaled(ctx, 13);
    if (shown) {
        for (int32_t k = 0; k < t.count; k++)
            qel_text_leaf(ctx, t.runs[k].text, t.runs[k].length, QEL_FONT_MONO, size, t.runs[k].color, false, 1.3f);
        return;
    }
    auto quarter_up = [](float w) { return ceilf(w * 4.0f) / 4.0f; };
    float pref = lead, least = lead;
    for (int32_t k = 0; k < t.count; k++) {
        float natural = qel_text_width(ctx, QEL_FONT_MONO, size, t.runs[k].text, t.runs[k].length, 0);
        pref += quarter_up(natural);
        least += quarter_up(fminf(natural, 2.5f * size));
    }
    qel_node* n = qel_node_at(ctx, row);
    n->width = {QEL_SIZE_FIT, 0};
    n->preferred_width = n->pad_left + pref;
    n->min_w = n->pad_left + least;
    n->flags |= QEL_NODE_MIN_FLOOR;
}

void error_row(qel_context* ctx, const qel_json_parser* p)
{
    int32_t line = 1, column = 1;
    qel_json_line_column(p->text, p->error_position, &line, &column);
    int32_t row = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 8;
    n->pad_top = n->pad_bottom = n->pad_left = 6;
    qel_color danger = qel_theme_color(ctx, QEL_COLOR_DANGER);
    qel_icon_glyph(ctx, QEL_ICON_CIRCLE_ALERT, 16, danger);
    const char* text = qel_arena_sprintf(ctx, "Invalid JSON: %s (line %d, column %d)", p->error ? p->error : "error",
                                         line, column);
    int32_t leaf = qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx), danger, true, 1.4f);
    qel_node_at(ctx, leaf)->width = {QEL_SIZE_GROW, 1};
    qel_node_pop(ctx);
}

void json_rows(qel_context* ctx, tree_walk& w, int32_t index, bool last)
{
    const qel_json_parser* parser = w.parser;
    const qel_color* palette = w.palette;
    const qel_json_node* n = &parser->nodes[index];
    uint32_t id = qel_hash_bytes(&index, 4, w.view_id);
    bool foldable = container(n);
    bool can_fold = foldable && index < QEL_JSON_VIEW_NODES;
    float hover = 0;
    if (foldable) {
        qel_interaction in = qel_interact(ctx, id, 0);
        if (in.clicked && can_fold) w.collapsed[index >> 3] ^= (uint8_t)(1u << (index & 7));
        if (in.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
        hover = qel_anim_flash(ctx, id, in.hovered, 0.1f);
    }
    bool is_folded = folded(w.collapsed, index);
    bool shown = next_row_shown(w);
    // A scalar's row has no chevron: its place and the gap after it are padding, which keeps
    // large trees to few nodes.
    float pad = (float)n->depth * INDENT + 8;
    int32_t row = row_begin(ctx, id, foldable ? pad : pad + 12 + 4);
    qel_node_at(ctx, row)->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), hover);
    if (foldable) {
        qel_node_mark_interactive(ctx, row, 0);
        if (shown) {
            qel_chevron_icon(ctx, is_folded ? -std::numbers::pi_v<float> / 2 : 0, 12,
                             qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
            qel_gap(ctx, 4);
        }
    }
    row_text t = {};
    // The key with its quotes is where the text has it.
    if (n->parent >= 0 && parser->nodes[n->parent].kind == QEL_JSON_OBJECT) {
        add_run(&t, parser->text + n->key_start - 1, n->key_length + 2, palette[QEL_CODE_FUNCTION]);
        add_run(&t, ": ", 2, palette[QEL_CODE_PUNCT]);
    }
    add_value(ctx, &t, parser, n, is_folded, palette);
    bool open = foldable && !is_folded;
    if (!last && !open) add_run(&t, ",", 1, palette[QEL_CODE_PUNCT]);
    row_runs(ctx, row, t, shown, foldable ? 12 + 4 : 0);
    qel_node_pop(ctx);
    if (!open) return;
    for (int32_t child = n->first_child; child >= 0; child = parser->nodes[child].next_sibling)
        json_rows(ctx, w, child, parser->nodes[child].next_sibling < 0);
    shown = next_row_shown(w);
    row = row_begin(ctx, 0, (float)n->depth * INDENT + 24);
    row_text closer = {};
    add_run(&closer, n->kind == QEL_JSON_ARRAY ? "]," : "},", last ? 1 : 2, palette[QEL_CODE_PUNCT]);
    row_runs(ctx, row, closer, shown, 0);
    qel_node_pop(ctx);
}

}  // namespace

void qel_json_tree(qel_context* ctx, uint32_t view_id, const qel_json_parser* parser, uint8_t* collapsed,
                   int32_t index, const qel_color* palette, bool last)
{
    tree_walk w = {view_id, parser, collapsed, palette, 0, -INFINITY, INFINITY};
    json_rows(ctx, w, index, last);
}

int32_t qel_json_view(qel_context* ctx, const char* label, const char* text, const qel_json_view_options* options)
{
    const qel_json_view_options none = {};
    const qel_json_view_options* o = options ? options : &none;
    if (!text) text = "";
    uint32_t id = qel_id(ctx, label);
    auto* st = qel_state_record_of<view_state>(ctx, id, "view_state");
    auto* nodes = (qel_json_node*)qel_arena_alloc(ctx, sizeof(qel_json_node) * QEL_JSON_VIEW_NODES);
    qel_json_parser parser;
    int32_t valid = qel_json_parse(&parser, text, strlen(text), nodes, QEL_JSON_VIEW_NODES);
    if (valid && !st->initialised) {
        int32_t expand = o->expand_depth < 1 ? 2 : o->expand_depth;
        for (int32_t i = 0; i < parser.count; i++)
            if (container(&nodes[i]) && nodes[i].depth >= expand) st->collapsed[i >> 3] |= (uint8_t)(1u << (i & 7));
        st->initialised = 1;
    }
    qel_color palette[QEL_CODE_CLASS_COUNT];
    qel_code_palette(ctx, palette);

    int32_t box = qel_viewer_box_begin(ctx, id);
    qel_style style = {};
    style.width = {QEL_SIZE_GROW, 1};
    style.padding = 8;
    uint32_t scroller_id = id ^ 0x15011;
    int32_t scroller = qel_scroll_begin(ctx, scroller_id, &style, false);
    qel_node* s = qel_node_at(ctx, scroller);
    s->height = {QEL_SIZE_FIT, 0};
    if (o->max_height > 0) s->max_h = o->max_height;
    if (valid) {
        qel_push_id(ctx, label);
        tree_walk w = {id, &parser, st->collapsed, palette, 0, -INFINITY, INFINITY};
        shown_rows(ctx, scroller_id, s, o->max_height, &w);
        json_rows(ctx, w, 0, true);
        qel_pop_id(ctx);
    } else {
        error_row(ctx, &parser);
    }
    qel_scroll_end(ctx);
    qel_viewer_box_end(ctx, box, id);
    return valid;
}
