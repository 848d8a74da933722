// The JSON view: the parse of each frame, the folds kept per id, the tree's rows with their
// chevrons and summaries, and the error line.
#include "qel/json_view.h"

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

void mono(qel_context* ctx, const char* text, int32_t length, qel_color color)
{
    qel_text_leaf(ctx, text, length, QEL_FONT_MONO, qel_scaled(ctx, 13), color, false, 1.3f);
}

// The value's text: a scalar as written, a container's opener or its folded summary.
void value_text(qel_context* ctx, const qel_json_parser* p, const qel_json_node* n, bool is_folded,
                const qel_color* palette)
{
    const char* text = p->text + n->value_start;
    switch (n->kind) {
    case QEL_JSON_NUMBER: mono(ctx, text, n->value_length, palette[QEL_CODE_NUMBER]); return;
    case QEL_JSON_STRING: mono(ctx, text, n->value_length, palette[QEL_CODE_STRING]); return;
    case QEL_JSON_NULL:
    case QEL_JSON_BOOL: mono(ctx, text, n->value_length, palette[QEL_CODE_LITERAL]); return;
    default: break;
    }
    bool array = n->kind == QEL_JSON_ARRAY;
    const char* plural = n->child_count == 1 ? "" : "s";
    const char* summary = !is_folded ? (array ? "[" : "{")
                          : array    ? qel_arena_sprintf(ctx, "[ %d item%s ]", n->child_count, plural)
                                     : qel_arena_sprintf(ctx, "{ %d key%s }", n->child_count, plural);
    mono(ctx, summary, -1, palette[QEL_CODE_PUNCT]);
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

}  // namespace

void qel_json_tree(qel_context* ctx, uint32_t view_id, const qel_json_parser* parser, uint8_t* collapsed,
                   int32_t index, const qel_color* palette, bool last)
{
    const qel_json_node* n = &parser->nodes[index];
    uint32_t id = qel_hash_bytes(&index, 4, view_id);
    bool foldable = container(n);
    bool can_fold = foldable && index < QEL_JSON_VIEW_NODES;
    float hover = 0;
    if (foldable) {
        qel_interaction in = qel_interact(ctx, id, 0);
        if (in.clicked && can_fold) collapsed[index >> 3] ^= (uint8_t)(1u << (index & 7));
        if (in.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
        hover = qel_anim_flash(ctx, id, in.hovered, 0.1f);
    }
    bool is_folded = folded(collapsed, index);
    // A scalar's row has no chevron: its place and the gap after it are padding, which keeps
    // large trees to few nodes.
    float pad = (float)n->depth * INDENT + 8;
    int32_t row = row_begin(ctx, id, foldable ? pad : pad + 12 + 4);
    qel_node_at(ctx, row)->fill = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), hover);
    if (foldable) {
        qel_node_mark_interactive(ctx, row, 0);
        qel_chevron_icon(ctx, is_folded ? -std::numbers::pi_v<float> / 2 : 0, 12,
                         qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
        qel_gap(ctx, 4);
    }
    if (n->parent >= 0 && parser->nodes[n->parent].kind == QEL_JSON_OBJECT) {
        mono(ctx, qel_arena_sprintf(ctx, "\"%.*s\"", n->key_length, parser->text + n->key_start), -1,
             palette[QEL_CODE_FUNCTION]);
        mono(ctx, ": ", 2, palette[QEL_CODE_PUNCT]);
    }
    value_text(ctx, parser, n, is_folded, palette);
    bool open = foldable && !is_folded;
    if (!last && !open) mono(ctx, ",", 1, palette[QEL_CODE_PUNCT]);
    qel_node_pop(ctx);
    if (!open) return;
    for (int32_t child = n->first_child; child >= 0; child = parser->nodes[child].next_sibling)
        qel_json_tree(ctx, view_id, parser, collapsed, child, palette, parser->nodes[child].next_sibling < 0);
    row_begin(ctx, 0, (float)n->depth * INDENT + 24);
    const char* closer = n->kind == QEL_JSON_ARRAY ? "]," : "},";
    mono(ctx, closer, last ? 1 : 2, palette[QEL_CODE_PUNCT]);
    qel_node_pop(ctx);
}

int32_t qel_json_view(qel_context* ctx, const char* label, const char* text, const qel_json_view_options* options)
{
    const qel_json_view_options none = {};
    const qel_json_view_options* o = options ? options : &none;
    if (!text) text = "";
    uint32_t id = qel_id(ctx, label);
    auto* st = (view_state*)qel_state_get(ctx, id, sizeof(view_state));
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
    int32_t scroller = qel_scroll_begin(ctx, id ^ 0x15011, &style, false);
    qel_node* s = qel_node_at(ctx, scroller);
    s->height = {QEL_SIZE_FIT, 0};
    if (o->max_height > 0) s->max_h = o->max_height;
    if (valid) {
        qel_push_id(ctx, label);
        qel_json_tree(ctx, id, &parser, st->collapsed, 0, palette, true);
        qel_pop_id(ctx);
    } else {
        error_row(ctx, &parser);
    }
    qel_scroll_end(ctx);
    qel_viewer_box_end(ctx, box, id);
    return valid;
}
