// Chevrons, collapsing headers and tree nodes: their nodes, their open and hover motion per id,
// and their records on the scope stack that pair each begin with its end. Open flags are the
// caller's; the row look and focus ring are shared with the list rows through widget_nodes.
#include "qel/collapsibles.h"

#include <cmath>

#include "core/core.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/scopes.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float PI = 3.14159265f;
static const float HOVER_SECONDS = 0.14f;
static const float HEADER_PERIOD = 0.4f, TREE_PERIOD = 0.32f;
static const uint32_t HEADER_KEY = 0xacc00006u, BODY_KEY = 0xacc000c6u, TREE_KEY = 0x7eee0007u;
static const uint32_t TREE_CLICK_ID = 0x7eee0c11u;
static const char LEAF_GLYPH[] = QEL_ICON_FILE;
static const char OPEN_BRANCH_GLYPH[] = QEL_ICON_FOLDER_OPEN;
static const char BRANCH_GLYPH[] = QEL_ICON_FOLDER;

namespace {

// An open collapsible body; a closing one sits in a disabled scope that its pop ends.
struct body_scope {
    uint8_t closing;
};

// An open tree node: their count indents the rows inside.
struct tree_scope {
    uint8_t unused;
};

}  // namespace

// Whether the latest tree node of a frame was clicked, kept under a fixed id.
struct tree_click {
    uint64_t frame;
    uint8_t clicked;
};

float qel_open_spring(qel_context* ctx, float spring[2], uint8_t* started, bool open, float period)
{
    float target = open ? 1.0f : 0.0f;
    if (!*started) {
        spring[0] = target, spring[1] = 0;
        *started = 1;
    }
    return qel_anim_spring(ctx, spring, target, period, 0);
}

// --- Chevron ---

struct chevron_payload {
    float angle;
    qel_color color;
    float size;
};

void qel_chevron_icon(qel_context* ctx, float angle, float size, qel_color color)
{
    int32_t index = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    qel_node_at(ctx, index)->align_self = QEL_ALIGN_CENTER;
    chevron_payload p = {angle, color, size};
    qel_node_draw_with(ctx, index, qel_chevron_draw, &p, sizeof p, false);
}

void qel_chevron_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const chevron_payload*)user;
    float cx = node->rect.x + node->rect.w * 0.5f, cy = node->rect.y + node->rect.h * 0.5f;
    float k = 0.22f * p->size, c = cosf(p->angle), s = sinf(p->angle);
    const float shape[3][2] = {{-1.6f * k, -0.8f * k}, {0, 0.8f * k}, {1.6f * k, -0.8f * k}};
    qel_vec2 points[3];
    for (int i = 0; i < 3; i++) {
        float u = shape[i][0], v = shape[i][1];
        points[i] = {cx + u * c - v * s, cy + u * s + v * c};
    }
    qel_draw_polyline(ctx, points, 3, 1.6f, p->color, 0);
}

// --- Collapsing header ---

struct header_state {
    float open[2];  // spring value and velocity
    float hover;
    float body_height;  // of the last frame that laid the body out
    uint8_t started;
};

static void header_row(qel_context* ctx, uint32_t id, const char* label, float t, float hover, bool ring)
{
    const qel_theme* th = &ctx->theme.current;
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->pad_top = n->pad_bottom = 14;
    n->gap = 12;
    qel_node_round(n, qel_row_radius(ctx));
    qel_node_clickable(ctx, index, id, false);
    qel_node_focus_ring_full(ctx, index, ring);
    qel_node_push(ctx, index);
    int32_t text = qel_text_leaf(ctx, label, qel_label_visible_len(label), QEL_FONT_MEDIUM,
                                 (th->text_body + 1) * th->ui_scale, qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.35f);
    qel_node_at(ctx, text)->width = {QEL_SIZE_GROW, 1};
    qel_chevron_icon(ctx, PI * t, 16,
                     qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), qel_theme_color(ctx, QEL_COLOR_TEXT), hover));
    qel_node_pop(ctx);
}

bool qel_collapsing_header(qel_context* ctx, const char* label, bool* open)
{
    bool none = false;
    if (!open) open = &none;
    uint32_t id = qel_id(ctx, label), header = id ^ HEADER_KEY, body = id ^ BODY_KEY;
    auto* s = (header_state*)qel_state_get(ctx, header, sizeof(header_state));
    qel_interaction it = qel_interact(ctx, header, QEL_INTERACT_FOCUSABLE);
    if (it.clicked) *open = !*open;
    float t = qel_unit_clamp(qel_open_spring(ctx, s->open, &s->started, *open, HEADER_PERIOD));
    float hover = qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);

    const qel_node* parent = qel_node_at(ctx, qel_node_parent(ctx));
    bool follows_sibling = parent && parent->child_count > 0;
    int32_t wrapper = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_at(ctx, wrapper)->align_self = QEL_ALIGN_STRETCH;
    if (follows_sibling) {
        int32_t line = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
        qel_node_at(ctx, line)->fill = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    }
    header_row(ctx, header, label, t, hover, it.focused && it.focus_visible);

    if (t <= 0.001f && !*open) {
        qel_node_pop(ctx);
        return false;
    }
    int32_t inner = qel_collapsible_body_open(ctx, body, t, 0.25f + 0.75f * t, &s->body_height);
    qel_node* b = qel_node_at(ctx, inner);
    b->gap = 8;
    b->pad_bottom = 16;

    qel_collapsible_body_push(ctx, !*open);
    return true;
}

void qel_collapsible_body_push(qel_context* ctx, bool closing)
{
    qel_scope_push<body_scope>(ctx)->closing = closing;
    if (closing) qel_push_disabled(ctx, true);  // the closing body is shown but does not react
}

int32_t qel_collapsible_body_open(qel_context* ctx, uint32_t body, float t, float opacity, float* height)
{
    float laid_out = qel_id_rect(ctx, body).h;
    if (laid_out > 0) *height = laid_out;
    int32_t clip = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* c = qel_node_at(ctx, clip);
    c->flags |= QEL_NODE_CLIP;
    if (t < 0.999f && *height > 0) c->height = {QEL_SIZE_FIXED, *height * t};
    c->opacity = opacity;
    return qel_node_sized_pushed(ctx, body, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
}

void qel_collapsible_body_pop(qel_context* ctx)
{
    const body_scope* b = qel_scope_find<body_scope>(ctx);
    if (!b) return;
    qel_scope_pop<body_scope>(ctx);
    if (b->closing) qel_pop_disabled(ctx);
}

void qel_collapsing_header_end(qel_context* ctx)
{
    qel_collapsible_body_pop(ctx);
    qel_node_pop(ctx);  // body
    qel_node_pop(ctx);  // clip
    qel_node_pop(ctx);  // wrapper
}

// --- Tree node ---

struct tree_state {
    float open[2];
    float hover;
    uint8_t started;
};

static const char* tree_icon(const qel_tree_node_opts* o, bool open)
{
    if (o->icon) return o->icon;
    if (o->leaf) return LEAF_GLYPH;
    return open ? OPEN_BRANCH_GLYPH : BRANCH_GLYPH;
}

static void tree_row(qel_context* ctx, uint32_t id, const char* label, const qel_tree_node_opts* o, bool open,
                     float motion, float hover, bool ring)
{
    bool selected = o->selected != 0;
    int32_t index = qel_node_sized(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 30});
    qel_node* n = qel_node_at(ctx, index);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_STRETCH;
    n->gap = 6;
    n->pad_right = 8;
    n->pad_left = (float)qel_scope_count<tree_scope>(ctx) * 16 + 6;
    qel_node_selectable_row(ctx, index, id, selected, hover, ring);
    qel_node_push(ctx, index);
    if (o->leaf) qel_gap(ctx, 14);
    else qel_chevron_icon(ctx, PI * motion * 0.5f - PI * 0.5f, 14, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    qel_icon_glyph(ctx, tree_icon(o, open), 16,
                   qel_theme_color(ctx, selected ? QEL_COLOR_TEXT : QEL_COLOR_TEXT_SECONDARY));
    int32_t text = qel_text_leaf(ctx, label, qel_label_visible_len(label), selected ? QEL_FONT_MEDIUM : QEL_FONT_BODY,
                                 qel_text_body_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_node_at(ctx, text)->width = {QEL_SIZE_GROW, 1};
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
}

bool qel_tree_node(qel_context* ctx, const char* label, bool* open, const qel_tree_node_opts* options)
{
    const qel_tree_node_opts zero = {};
    const qel_tree_node_opts* o = options ? options : &zero;
    uint32_t id = qel_id(ctx, label) ^ TREE_KEY;
    auto* s = qel_state_record_of<tree_state>(ctx, id, "tree_state");
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    bool ring = it.focused && it.focus_visible;
    *(tree_click*)qel_state_get(ctx, TREE_CLICK_ID, sizeof(tree_click)) = {ctx->clock.frame_count, it.clicked};
    bool branch = open && !o->leaf;
    if (branch) {
        if (it.clicked) *open = !*open;
        if (ring && qel_key_pressed(ctx, QEL_KEY_RIGHT)) *open = true;
        if (ring && qel_key_pressed(ctx, QEL_KEY_LEFT)) *open = false;
    }
    bool is_open = branch && *open;
    float motion = qel_open_spring(ctx, s->open, &s->started, is_open, TREE_PERIOD);
    float hover = qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);
    tree_row(ctx, id, label, o, is_open, motion, hover, ring);
    if (!is_open) return false;

    qel_push_id(ctx, label);
    qel_scope_push<tree_scope>(ctx);
    int32_t children = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, children);
    n->gap = 1;
    float shown = qel_unit_clamp(motion);
    n->opacity = 0.3f + 0.7f * shown;
    n->translate_y = -4.0f * (1.0f - shown);
    return true;
}

void qel_tree_node_end(qel_context* ctx)
{
    qel_node_pop(ctx);
    qel_scope_pop<tree_scope>(ctx);
    qel_pop_id(ctx);
}

uint8_t qel_tree_node_clicked(qel_context* ctx)
{
    const auto* latest = (const tree_click*)qel_state_find(ctx, TREE_CLICK_ID, sizeof(tree_click), false);
    return latest && latest->frame == ctx->clock.frame_count ? latest->clicked : 0;
}
