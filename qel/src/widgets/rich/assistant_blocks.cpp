// The assistant's blocks: the reasoning block that follows its running flag until the user
// toggles it, the tool-call card with its input and output, the plan of steps with its connector
// line, and the elapsed-time pill.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "kit/scopes.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/animated_text.h"
#include "qel/arena.h"
#include "qel/assistant.h"
#include "qel/cards_progress.h"
#include "qel/code_block.h"
#include "qel/collapsibles.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/loader_glow_card.h"
#include "qel/state.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "widgets/rich/assistant_parts.h"

namespace {

const uint32_t FOLD_KEY = 0xF01D5EA7, BODY_KEY = 0xF01D, STEP_KEY = 0x57E9, PLAN_KEY = 0x9A7E5;
const float OPEN_PERIOD = 0.32f, HOVER_SECONDS = 0.14f, PI = 3.14159265f;

// An open reasoning block, for qel_assistant_reasoning_end.
struct reasoning_scope {
    uint32_t id;
    uint8_t open;
};

void shimmer(qel_context* ctx, const char* text, float size, qel_color color)
{
    qel_text_fx_options o = {};
    o.size = size / qel_theme_block_get(ctx)->ui_scale;
    o.color = color;
    o.no_wrap = 1;
    qel_shimmer_text(ctx, text, &o);
}

qel_assistant_fold* fold_of(qel_context* ctx, uint32_t id)
{
    return qel_state_record_of<qel_assistant_fold>(ctx, id ^ FOLD_KEY, "qel_assistant_fold");
}

// A clickable, focusable header row under id.
int32_t header_row(qel_context* ctx, uint32_t id, const qel_interaction& it, bool clickable)
{
    int32_t row = qel_node_sized_pushed(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    if (clickable) qel_node_clickable(ctx, row, id, false);
    qel_focus_ring(ctx, row, it.focused && it.focus_visible ? 1.0f : 0.0f);
    return row;
}

}  // namespace

// --- Reasoning ---

static const char* reasoning_title(qel_context* ctx, const qel_assistant_reasoning_opts& o)
{
    if (o.title) return o.title;
    char text[48];
    if (o.running) {
        if (o.seconds < 1 || o.seconds != o.seconds) return "Thinking";
        std::snprintf(text, sizeof text, "Thinking for %.0fs", std::fmin(o.seconds, 1e9f));
    } else {
        if (o.seconds < 1 || o.seconds != o.seconds) return "Thought for a moment";
        std::snprintf(text, sizeof text, "Thought for %.0fs", std::fmin(o.seconds, 1e9f));
    }
    return qel_arena_strdup(ctx, text, -1);
}

static void rule_draw(qel_context* ctx, const qel_node* node, void*)
{
    qel_rect r = node->rect;
    qel_rect line = {r.x + 7, r.y + 4, 1.5f, r.h - 8};
    if (line.h <= 0) return;
    const float radii[4] = {0.75f, 0.75f, 0.75f, 0.75f};
    qel_draw_rect(ctx, &line, radii, qel_theme_color(ctx, QEL_COLOR_BORDER));
}

bool qel_assistant_reasoning_begin(qel_context* ctx, const char* label, const qel_assistant_reasoning_opts* options)
{
    const qel_assistant_reasoning_opts none = {};
    const qel_assistant_reasoning_opts& o = options ? *options : none;
    uint32_t id = qel_id(ctx, label);
    qel_assistant_fold* s = fold_of(ctx, id);
    bool running = o.running != 0;
    if (!s->initialised) {
        s->initialised = 1;
        s->open = running;
    } else if (running != (s->was_running != 0) && !s->toggled) {
        s->open = running;
    }
    s->was_running = running;
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    if (it.clicked) {
        s->open = !s->open;
        s->toggled = 1;
    }
    float t = qel_unit_clamp(qel_open_spring(ctx, s->spring, &s->started, s->open, OPEN_PERIOD));
    float hover = qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);

    qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    int32_t row = header_row(ctx, id, it, true);
    qel_node* h = qel_node_at(ctx, row);
    h->width = {QEL_SIZE_FIT, 0};
    h->align_self = QEL_ALIGN_START;
    h->pad_top = h->pad_bottom = 4;
    h->pad_right = 8;
    h->gap = 8;
    qel_node_round(h, qel_row_radius(ctx));
    const char* title = reasoning_title(ctx, o);
    qel_color ink =
        qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), qel_theme_color(ctx, QEL_COLOR_TEXT), hover);
    if (running) shimmer(ctx, title, qel_text_small_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    else qel_text_leaf(ctx, title, -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), ink, false, 1.3f);
    qel_chevron_icon(
        ctx, -PI / 2 * (1 - t), 14,
        qel_color_mix(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), qel_theme_color(ctx, QEL_COLOR_TEXT), hover));
    qel_node_pop(ctx);
    if (t <= 0.001f && !s->open) {
        qel_node_pop(ctx);
        return false;
    }
    int32_t body = qel_assistant_body_open(ctx, id ^ BODY_KEY, t, s->open, 20, &s->body_height);
    qel_node_at(ctx, body)->gap = 6;
    qel_node_draw_with(ctx, body, rule_draw, nullptr, 0, false);
    qel_push_id(ctx, label);
    reasoning_scope* r = qel_scope_push<reasoning_scope>(ctx);
    r->id = id;
    r->open = s->open;
    qel_set_last_item(ctx, id);
    return true;
}

void qel_assistant_reasoning_end(qel_context* ctx)
{
    if (!qel_scope_pop<reasoning_scope>(ctx)) return;
    qel_pop_id(ctx);
    qel_assistant_body_close(ctx);
    qel_node_pop(ctx);  // the block
}

// --- Tool call ---

static void tool_section(qel_context* ctx, const char* caption, const char* id, const char* text)
{
    qel_text_leaf(ctx, caption, -1, QEL_FONT_MEDIUM, qel_assistant_xs_size(ctx),
                  qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.3f);
    qel_code_block_opts o = {};
    o.language = qel_assistant_looks_json(text) ? "json" : nullptr;
    o.hide_header = 1;
    o.font_size = 12;
    o.max_height = 180;
    qel_code_block(ctx, id, text, &o);
}

static void tool_header(qel_context* ctx, const char* tool_name, const qel_assistant_tool_call_opts& o, float t,
                        bool expandable)
{
    float xs = qel_assistant_xs_size(ctx), small = qel_text_small_scaled(ctx);
    int32_t icon = qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, 16}, {QEL_SIZE_FIXED, 24}, QEL_DIR_ROW, 0);
    qel_node_push(ctx, icon);
    qel_text_leaf(ctx, o.icon ? o.icon : qel_assistant_glyph(ctx, 0xE181), -1, QEL_FONT_ICON, 14,
                  qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 0);
    qel_node_pop(ctx);
    qel_text_leaf(ctx, tool_name ? tool_name : "", -1, QEL_FONT_MONO, small - 0.5f,
                  qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    if (o.subtitle) {
        int32_t sub = qel_text_leaf(ctx, o.subtitle, -1, QEL_FONT_BODY, small,
                                    qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 0);
        qel_node_at(ctx, sub)->width = {QEL_SIZE_GROW, 1};
    } else {
        qel_spacer(ctx);
    }
    if (o.seconds > 0 && o.status != QEL_ASSISTANT_PENDING) {
        char text[32];
        std::snprintf(text, sizeof text, o.seconds < 10 ? "%.1fs" : "%.0fs", std::fmin(o.seconds, 1e9f));
        qel_assistant_tabular_leaf(ctx, text, QEL_FONT_BODY, xs, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    }
    qel_assistant_status_icon(ctx, o.status, 16);
    if (expandable) qel_chevron_icon(ctx, PI * t, 14, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
}

void qel_assistant_tool_call(qel_context* ctx, const char* label, const char* tool_name,
                             const qel_assistant_tool_call_opts* options)
{
    const qel_assistant_tool_call_opts none = {};
    const qel_assistant_tool_call_opts& o = options ? *options : none;
    uint32_t id = qel_id(ctx, label);
    qel_assistant_fold* s = fold_of(ctx, id);
    bool expandable = o.input || o.output;
    qel_interaction it = {};
    if (expandable) it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    if (it.clicked) s->open = !s->open;
    if (!expandable) s->open = 0;
    float t = qel_unit_clamp(qel_open_spring(ctx, s->spring, &s->started, s->open, OPEN_PERIOD));
    float hover = qel_anim_exp(ctx, &s->hover, it.hovered ? 1.0f : 0.0f, HOVER_SECONDS);
    bool dark = qel_dark_mode(ctx);

    int32_t card = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* c = qel_node_at(ctx, card);
    c->border_width = 1;
    c->border = o.status == QEL_ASSISTANT_ERROR ? qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_DANGER), 0.45f)
                                                : qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER),
                                                                qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), hover);
    c->fill = dark ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT), 0.03f)
                   : qel_theme_color(ctx, QEL_COLOR_SURFACE);
    c->flags |= QEL_NODE_CLIP;
    qel_node_round(c, std::max(0.0f, qel_theme_block_get(ctx)->radius_small - 4));
    int32_t row = header_row(ctx, id, it, expandable);
    qel_node* h = qel_node_at(ctx, row);
    h->gap = 10;
    h->pad_top = h->pad_bottom = 9;
    h->pad_left = h->pad_right = 12;
    if (!expandable) h->flags &= ~(uint32_t)(QEL_NODE_INTERACTIVE | QEL_NODE_FOCUSABLE);
    tool_header(ctx, tool_name, o, t, expandable);
    qel_node_pop(ctx);
    if (t > 0.001f || s->open) {
        int32_t body = qel_assistant_body_open(ctx, id ^ BODY_KEY, t, s->open, 12, &s->body_height);
        qel_node* b = qel_node_at(ctx, body);
        b->pad_top = 2;
        b->pad_right = 12;
        b->pad_bottom = 12;
        qel_push_id(ctx, label);
        if (o.input) tool_section(ctx, "Input", "in", o.input);
        if (o.output) tool_section(ctx, o.status == QEL_ASSISTANT_ERROR ? "Error" : "Output", "out", o.output);
        qel_pop_id(ctx);
        qel_assistant_body_close(ctx);
    }
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
}

// --- Plan ---

namespace {

struct connector_payload {
    uint32_t first, last, reached;  // step ids
    qel_color done, rest;
};

}  // namespace

static void connector_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const connector_payload*)user;
    qel_rect a = qel_id_rect(ctx, p->first), b = qel_id_rect(ctx, p->last);
    if (a.w <= 0 || b.w <= 0 || p->first == p->last) return;
    float x = node->rtl ? a.x + a.w - 10 : a.x + 10, top = a.y + 19, bottom = b.y + 19;
    const float radii[4] = {0.75f, 0.75f, 0.75f, 0.75f};
    float split = top;
    if (p->reached) {
        qel_rect r = qel_id_rect(ctx, p->reached);
        split = std::clamp(r.y + 19, top, bottom);
    }
    qel_rect done = {x - 0.75f, top, 1.5f, split - top}, rest = {x - 0.75f, split, 1.5f, bottom - split};
    if (rest.h > 0) qel_draw_rect(ctx, &rest, radii, p->rest);
    if (done.h > 0) qel_draw_rect(ctx, &done, radii, p->done);
}

static bool plan_step(qel_context* ctx, uint32_t id, const qel_assistant_plan_step& st)
{
    qel_interaction it = qel_interact(ctx, id, 0);
    int32_t row = qel_node_sized_pushed(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_START;
    n->gap = 12;
    n->pad_top = n->pad_bottom = 9;
    qel_node_round(n, 10);
    qel_node_mark_interactive(ctx, row, 0);
    int32_t box = qel_node_centred(ctx, 0, {QEL_SIZE_FIXED, 20}, {QEL_SIZE_FIXED, 20}, QEL_DIR_ROW, 10);
    qel_node_at(ctx, box)->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    qel_node_push(ctx, box);
    qel_assistant_status_icon(ctx, st.status, 18);
    qel_node_pop(ctx);
    int32_t col = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_at(ctx, col)->gap = 2;
    qel_node_at(ctx, col)->pad_top = 1;
    bool quiet = st.status == QEL_ASSISTANT_PENDING || st.status == QEL_ASSISTANT_SKIPPED;
    const char* title = st.title ? st.title : "";
    if (st.status == QEL_ASSISTANT_RUNNING) {
        shimmer(ctx, title, qel_text_small_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    } else {
        qel_text_leaf(ctx, title, -1, st.status == QEL_ASSISTANT_DONE ? QEL_FONT_BODY : QEL_FONT_MEDIUM,
                      qel_text_small_scaled(ctx),
                      qel_theme_color(ctx, quiet ? QEL_COLOR_TEXT_SECONDARY : QEL_COLOR_TEXT), true, 1.4f);
    }
    if (st.detail)
        qel_text_leaf(ctx, st.detail, -1, QEL_FONT_BODY, qel_assistant_xs_size(ctx),
                      qel_theme_color(ctx, st.status == QEL_ASSISTANT_ERROR ? QEL_COLOR_DANGER : QEL_COLOR_TEXT_MUTED),
                      true, 1.4f);
    qel_node_pop(ctx);
    qel_node_pop(ctx);
    return it.clicked;
}

static int32_t plan_header(qel_context* ctx, const char* label, uint32_t id, const char* title, int32_t done,
                           int32_t count)
{
    auto* progress = (float*)qel_state_get(ctx, id ^ PLAN_KEY, sizeof(float));
    float value = qel_anim_exp(ctx, progress, count > 0 ? (float)done / (float)count : 0.0f, 0.4f);
    int32_t row = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 10;
    n->pad_bottom = 8;
    qel_text_leaf(ctx, title, -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT),
                  false, 1.3f);
    char text[32];
    std::snprintf(text, sizeof text, "%d of %d", done, count);
    qel_assistant_tabular_leaf(ctx, text, QEL_FONT_BODY, qel_assistant_xs_size(ctx),
                               qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    qel_progress_opts p = {};
    p.height = 4;
    p.width = {QEL_SIZE_FIXED, 64};
    qel_push_id(ctx, label);
    qel_progress_bar(ctx, value, &p);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    return row;
}

int32_t qel_assistant_plan(qel_context* ctx, const char* label, const qel_assistant_plan_step* steps, int32_t count,
                           const qel_assistant_plan_opts* options)
{
    uint32_t id = qel_id(ctx, label);
    if (!steps || count < 0) count = 0;
    int32_t card = qel_node_sized_pushed(ctx, id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node* c = qel_node_at(ctx, card);
    c->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    c->border = qel_theme_color(ctx, QEL_COLOR_BORDER);
    c->border_width = 1;
    qel_node_round(c, qel_theme_block_get(ctx)->radius_medium);
    c->pad_top = 14, c->pad_right = 16, c->pad_bottom = 10, c->pad_left = 16, c->gap = 2;
    int32_t done = 0, reached = -1;
    for (int32_t i = 0; i < count; i++) {
        if (steps[i].status == QEL_ASSISTANT_DONE || steps[i].status == QEL_ASSISTANT_SKIPPED) done++;
        if (steps[i].status == QEL_ASSISTANT_DONE || steps[i].status == QEL_ASSISTANT_SKIPPED ||
            steps[i].status == QEL_ASSISTANT_RUNNING)
            reached = i;
    }
    plan_header(ctx, label, id, options && options->title ? options->title : "Plan", done, count);
    int32_t clicked = -1;
    if (count > 0) {
        auto step_id = [&](int32_t i) { return qel_hash_bytes(&i, sizeof i, id ^ STEP_KEY); };
        int32_t column = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
        qel_color line = qel_theme_get_accent(ctx) ? qel_theme_color(ctx, QEL_COLOR_ACCENT)
                                                   : qel_theme_color(ctx, QEL_COLOR_SUCCESS);
        connector_payload p = {step_id(0), step_id(count - 1), reached >= 0 ? step_id(reached) : 0, line,
                               qel_theme_color(ctx, QEL_COLOR_BORDER)};
        qel_node_draw_with(ctx, column, connector_draw, &p, sizeof p, false);
        for (int32_t i = 0; i < count; i++)
            if (plan_step(ctx, step_id(i), steps[i])) clicked = i;
        qel_node_pop(ctx);
    }
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return clicked;
}

// --- Elapsed pill ---

void qel_assistant_elapsed(qel_context* ctx, const char* text, const qel_assistant_elapsed_opts* options)
{
    const qel_assistant_elapsed_opts none = {};
    const qel_assistant_elapsed_opts& o = options ? *options : none;
    bool dark = qel_dark_mode(ctx);
    int32_t pill = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_FIT, 0}, {QEL_SIZE_FIT, 0});
    qel_node* n = qel_node_at(ctx, pill);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    n->gap = 8;
    n->pad_top = 6, n->pad_right = 14, n->pad_bottom = 6, n->pad_left = 10;
    qel_node_round(n, 16);
    n->border = qel_theme_color(ctx, QEL_COLOR_BORDER_SUBTLE);
    n->border_width = 1;
    n->fill = dark ? qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), qel_theme_color(ctx, QEL_COLOR_TEXT), 0.06f)
                   : qel_theme_color(ctx, QEL_COLOR_SUBTLE);
    if (o.status == QEL_ASSISTANT_RUNNING) {
        qel_loader_options l = {};
        l.size = 18;
        l.color = qel_assistant_accent_or_text(ctx);
        qel_loader(ctx, &l);
    } else if (o.icon) {
        qel_text_leaf(ctx, o.icon, -1, QEL_FONT_ICON, 14, qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 0);
    } else {
        qel_assistant_status_icon(ctx, o.status, 15);
    }
    const char* words = text ? text : "";
    if (o.status == QEL_ASSISTANT_PENDING || o.status == QEL_ASSISTANT_RUNNING)
        shimmer(ctx, words, qel_text_small_scaled(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY));
    else
        qel_text_leaf(
            ctx, words, -1, QEL_FONT_BODY, qel_text_small_scaled(ctx),
            qel_theme_color(ctx, o.status == QEL_ASSISTANT_ERROR ? QEL_COLOR_DANGER : QEL_COLOR_TEXT_SECONDARY), false,
            1.3f);
    if (o.seconds > 0) {
        qel_assistant_tabular_leaf(ctx, qel_assistant_elapsed_text(ctx, o.seconds), QEL_FONT_BODY,
                                   qel_assistant_xs_size(ctx), qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    }
    qel_node_pop(ctx);
}
