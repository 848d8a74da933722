// The waveform with its seek drag and keys, and the audio player card with its buttons, times and
// seek bar.
#include "kit/state_records.h"
#include "qel/waveform_player.h"

#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/button.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "widgets/editors/showcase_parts.h"

static const uint32_t SEEK_KEY = 0x5c8b, PLAY_KEY = 0x91a7;

// --- Waveform ---

struct waveform_state {
    float appear[2];
    uint8_t dragging;
};

struct waveform_paint {
    float* bars;  // frame arena, bar_count of them
    int32_t bar_count;
    float bar_width, gap, appear, position, pointer_x;
    uint8_t interactive, hover;  // hover: the pointer is over it and no drag runs
    qel_color played, base, hovered;
};

// The bar width and gap of the options, with the defaults for any that cannot make a pitch.
static void waveform_pitch(const qel_waveform_options& o, float* bw, float* gap)
{
    *bw = o.bar_width > 0 ? o.bar_width : 3;
    *gap = o.bar_gap > 0 ? o.bar_gap : 2;
    if (!std::isfinite(*bw + *gap)) *bw = 3, *gap = 2;
}

// How many bars fit width: whole pitches, at most one per pixel column (of a million at most).
static int32_t waveform_bar_count(float width, float bw, float gap)
{
    if (!(width > 0)) return 0;
    return (int32_t)std::min({std::floor((gap + width) / (bw + gap)), std::floor(width), 1048576.0f});
}

// The largest of samples a..b, 0 when all are below it; NaN never wins. Eight running maxima
// keep the comparisons independent, so a long array is read at the memory's pace.
static float samples_max(const float* samples, int64_t a, int64_t b)
{
    float m[8] = {};
    int64_t k = a;
    for (; k + 8 <= b; k += 8)
        for (int j = 0; j < 8; j++) m[j] = m[j] < samples[k + j] ? samples[k + j] : m[j];
    for (; k < b; k++) m[0] = m[0] < samples[k] ? samples[k] : m[0];
    for (int j = 1; j < 8; j++) m[0] = std::max(m[0], m[j]);
    return m[0];
}

// Bar i takes the samples from i x count / n to the next bar's start (at least one of them) and
// shows the largest, held to 0..1; without samples every bar is 0.
static void waveform_bars(const float* samples, int64_t count, float* bars, int32_t n)
{
    for (int32_t i = 0; i < n; i++) {
        float m = 0;
        if (samples && count > 0) {
            int64_t a = (int64_t)i * count / n, b = std::max((int64_t)(i + 1) * count / n, a + 1);
            m = samples_max(samples, a, b);
        }
        bars[i] = std::min(m, 1.0f);
    }
}

static void qel_waveform_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const waveform_paint*)user;
    qel_rect r = node->rect;
    float pitch = p->bar_width + p->gap;
    int32_t n = std::min(p->bar_count, waveform_bar_count(r.w, p->bar_width, p->gap));
    if (n != waveform_bar_count(r.w, p->bar_width, p->gap)) qel_request_redraw(ctx);  // counted on last frame's width
    float x0 = r.x + (r.w - (pitch * (float)n - p->gap)) / 2, radius = p->bar_width / 2;
    float radii[4] = {radius, radius, radius, radius};
    for (int32_t i = 0; i < n; i++) {
        float factor = qel_unit_clamp(1.8f * p->appear - 0.8f * (float)i / (float)n);
        float h = std::max(p->bar_width, p->bars[i] * r.h * factor);
        float x = x0 + pitch * (float)i, centre = x + p->bar_width / 2;
        qel_rect bar = {x, r.y + (r.h - h) / 2, p->bar_width, h};
        qel_color c = p->base;
        if (p->interactive && p->position * r.w + r.x >= centre) c = p->played;
        else if (p->hover && p->pointer_x >= centre) c = p->hovered;
        qel_draw_rect(ctx, &bar, radii, c);
    }
}

// The seek drag and keys: a press starts the drag, the held pointer inside the window moves the
// position, and any frame with the button up ends it.
static void waveform_seek(qel_context* ctx, waveform_state* s, const qel_interaction& it, qel_rect r, float* position)
{
    if (it.held && qel_mouse_pressed(ctx, 0)) s->dragging = 1;
    if (!qel_mouse_down(ctx, 0) || !it.held) s->dragging = 0;
    if (s->dragging && qel_mouse_in_window(ctx) && r.w > 0)
        *position = qel_unit_clamp((qel_mouse_pos(ctx).x - r.x) / r.w);
    if (it.focused) {
        if (qel_key_take(ctx, QEL_KEY_RIGHT)) *position = qel_unit_clamp(*position + 0.05f);
        if (qel_key_take(ctx, QEL_KEY_LEFT)) *position = qel_unit_clamp(*position - 0.05f);
    }
}

bool qel_waveform(qel_context* ctx, uint32_t id, const float* samples, int32_t count, float* position,
                  const qel_waveform_options* options)
{
    qel_waveform_options o = options ? *options : qel_waveform_options{};
    auto* s = qel_state_record_of<waveform_state>(ctx, id, "waveform_state");
    qel_rect r = qel_id_rect(ctx, id);
    float entry = position ? *position : 0;
    waveform_paint p = {};
    qel_interaction it = {};
    if (position) {
        it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
        waveform_seek(ctx, s, it, r, position);
        if (it.hovered || s->dragging) qel_set_cursor(ctx, QEL_CURSOR_HAND);
        p.played = qel_color_resolve(ctx, qel_color_arg(o.color, qel_accent_or_text(ctx)));
        p.base = qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG);
    } else {
        p.base = qel_color_resolve(ctx, qel_color_arg(o.color, qel_color_token(QEL_COLOR_TEXT_MUTED)));
    }
    p.appear = qel_anim_spring(ctx, s->appear, 1, 0.8f, 0);
    waveform_pitch(o, &p.bar_width, &p.gap);
    float height = o.height > 0 ? o.height : 40;
    qel_size width = o.width.kind ? o.width : qel_size{QEL_SIZE_GROW, 1};
    p.bar_count = waveform_bar_count(r.w > 0 ? r.w : width.kind == QEL_SIZE_FIXED ? width.value : 0, p.bar_width, p.gap);
    p.bars = (float*)qel_arena_alloc(ctx, sizeof(float) * (size_t)std::max(p.bar_count, 1));
    if (!p.bars) p.bar_count = 0;
    waveform_bars(samples, std::max(count, 0), p.bars, p.bar_count);
    p.position = position ? qel_unit_clamp(*position) : 0;
    p.interactive = position != nullptr;
    p.hover = it.hovered && !s->dragging;
    p.pointer_x = qel_mouse_pos(ctx).x;
    p.hovered = qel_color_mix(p.base, p.played, 0.45f);
    int32_t node = qel_node_sized(ctx, id, width, {QEL_SIZE_FIXED, height});
    if (position) qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    qel_node_draw_with(ctx, node, qel_waveform_draw, &p, sizeof p, false);
    return position && !(*position == entry) && !(std::isnan(*position) && std::isnan(entry));
}

// --- Audio player ---

struct player_state {
    uint8_t scrubbing;
    float hover;
    float scrub;  // seconds
    float press[2];
};

struct seek_paint {
    float hover, progress;
    qel_color track, played;
};

// "%d:%02d" of seconds held to 0 .. 10^7 (NaN as 0), so the minutes always fit.
static const char* player_time(qel_context* ctx, const char* sign, float seconds)
{
    int32_t s = (int32_t)(seconds > 0 ? std::min(seconds, 1e7f) : 0);
    return qel_arena_sprintf(ctx, "%s%d:%02d", sign, (int)(s / 60), (int)(s % 60));
}

static void qel_seek_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const seek_paint*)user;
    qel_rect r = node->rect;
    float k = 4 + 2 * p->hover, radii[4] = {k / 2, k / 2, k / 2, k / 2};
    qel_rect track = {r.x, r.y + (r.h - k) / 2, r.w, k};
    qel_draw_rect(ctx, &track, radii, p->track);
    qel_rect played = {r.x, track.y, std::max(k, p->progress * r.w), k};
    qel_draw_rect(ctx, &played, radii, p->played);
    if (p->hover > 0.01f) qel_draw_circle(ctx, {r.x + p->progress * r.w, r.y + r.h / 2}, 6.5f * p->hover, p->played);
}

// The seek bar: scrubbing from a press until the button is up, then the seek is committed.
static int32_t player_seek(qel_context* ctx, player_state* s, uint32_t seek_id, qel_audio_track* t, float duration)
{
    qel_interaction it = qel_interact(ctx, seek_id, QEL_INTERACT_HOLD_OUTSIDE);
    int32_t result = 0;
    if (it.held && qel_mouse_pressed(ctx, 0)) s->scrubbing = 1;
    qel_rect bar = qel_id_rect(ctx, seek_id);
    if (s->scrubbing && it.held && qel_mouse_down(ctx, 0) && qel_mouse_in_window(ctx) && bar.w > 0)
        s->scrub = qel_unit_clamp((qel_mouse_pos(ctx).x - bar.x) / bar.w) * duration;
    if (s->scrubbing && !(it.held && qel_mouse_down(ctx, 0))) {
        s->scrubbing = 0;
        t->position = std::clamp(s->scrub, 0.0f, duration);
        result = QEL_AUDIO_SEEK;
    }
    qel_anim_exp(ctx, &s->hover, it.hovered || s->scrubbing ? 1.0f : 0.0f, 0.14f);
    if (it.hovered || s->scrubbing) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    return result;
}

static void player_cover(qel_context* ctx, const qel_audio_track* t, float side)
{
    int32_t cover = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, side}, {QEL_SIZE_FIXED, side});
    qel_node* n = qel_node_at(ctx, cover);
    qel_node_round(n, 0.2f * side);
    n->fill = qel_color_arg(t->color, qel_color_token(QEL_COLOR_SUBTLE));
    if (t->cover) {
        qel_node_draw_with(ctx, cover, [](qel_context* c, const qel_node* node, void* user) {
            qel_draw_image(c, *(const uint64_t*)user, &node->rect, nullptr, node->radii, 0xFFFFFFFF);
        }, &t->cover, sizeof t->cover, false);
        return;
    }
    n->align = QEL_ALIGN_CENTER;
    n->justify = QEL_JUSTIFY_CENTER;
    qel_node_push(ctx, cover);
    qel_node_text(ctx, QEL_ICON_MUSIC, -1, QEL_FONT_ICON, 0.4f * side, qel_color_alpha(0xFFFFFFFF, 0.85f), false);
    qel_node_pop(ctx);
}

// The play button: a focusable circle whose glyph fades between play and pause.
static int32_t player_play(qel_context* ctx, player_state* s, uint32_t id, qel_audio_track* t, bool compact)
{
    float side = compact ? 36 : 40;
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    int32_t result = 0;
    if (it.clicked) {
        t->playing = !t->playing;
        result = QEL_AUDIO_PLAY_PAUSE;
    }
    float scale = qel_anim_spring(ctx, s->press, it.held ? 0.9f : 1.0f, 0.26f, 0.12f);
    int32_t node = qel_node_centred(ctx, id, {QEL_SIZE_FIXED, side}, {QEL_SIZE_FIXED, side}, QEL_DIR_ROW, side / 2);
    qel_node* n = qel_node_at(ctx, node);
    qel_color text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    n->fill = it.hovered ? qel_color_mix(text, qel_theme_color(ctx, QEL_COLOR_BACKGROUND), 0.12f) : text;
    n->scale = scale;
    qel_node_clickable(ctx, node, id, false);
    qel_node_gloss(ctx, node, 1);
    qel_node_push(ctx, node);
    qel_crossfade_label(ctx, id, t->playing ? QEL_ICON_PAUSE : QEL_ICON_PLAY, 18, qel_color_token(QEL_COLOR_BACKGROUND));
    qel_node_pop(ctx);
    return result;
}

static int32_t player_skip(qel_context* ctx, const char* icon, const char* tooltip, int32_t bit)
{
    qel_button_opts b = {};
    b.variant = QEL_BUTTON_GHOST;
    b.tooltip = tooltip;
    return qel_icon_button(ctx, icon, &b) ? bit : 0;
}

static void player_titles(qel_context* ctx, const qel_audio_track* t)
{
    const qel_theme& th = ctx->theme.current;
    qel_style col = {};
    col.width = {QEL_SIZE_GROW, 1};
    col.gap = 2;
    qel_column_begin(ctx, &col);
    if (t->title)
        qel_text_leaf(ctx, t->title, -1, QEL_FONT_MEDIUM, (th.text_small + 0.5f) * th.ui_scale,
                      qel_color_token(QEL_COLOR_TEXT), false, 1.3f);
    if (t->artist)
        qel_text_leaf(ctx, t->artist, -1, QEL_FONT_BODY, (th.text_xs + 0.5f) * th.ui_scale,
                      qel_color_token(QEL_COLOR_TEXT_SECONDARY), false, 1.3f);
    qel_container_end(ctx);
}

static void player_times(qel_context* ctx, const player_state* s, uint32_t seek_id, float t, float duration)
{
    const qel_theme& th = ctx->theme.current;
    float size = th.text_xs * th.ui_scale;
    qel_color muted = qel_color_token(QEL_COLOR_TEXT_MUTED);
    qel_style row = {};
    row.width = {QEL_SIZE_GROW, 1};
    row.gap = 10;
    row.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &row);
    qel_text_leaf(ctx, player_time(ctx, "", t), -1, QEL_FONT_BODY, size, muted, false, 1.2f);
    seek_paint p = {s->hover, duration > 0 ? qel_unit_clamp(t / duration) : 0,
                    qel_theme_color(ctx, QEL_COLOR_TRACK), qel_theme_color(ctx, QEL_COLOR_TEXT)};
    int32_t bar = qel_node_sized(ctx, seek_id, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 14});
    qel_node_mark_interactive(ctx, bar, 0);
    qel_node_draw_with(ctx, bar, qel_seek_draw, &p, sizeof p, false);
    qel_text_leaf(ctx, player_time(ctx, "-", std::max(duration - t, 0.0f)), -1, QEL_FONT_BODY, size, muted, false, 1.2f);
    qel_container_end(ctx);
}

int32_t qel_audio_player(qel_context* ctx, uint32_t id, qel_audio_track* track, const qel_audio_player_options* options)
{
    if (!track) return 0;
    qel_audio_player_options o = options ? *options : qel_audio_player_options{};
    auto* s = qel_state_record_of<player_state>(ctx, id, "player_state");
    // Times come from finite seconds, and a seek lands within the track.
    float duration = std::isfinite(track->duration) && track->duration > 0 ? track->duration : 0;
    int32_t result = player_seek(ctx, s, id ^ SEEK_KEY, track, duration);
    float t = s->scrubbing ? s->scrub : std::isfinite(track->position) ? track->position : 0;
    bool narrow = qel_id_rect(ctx, id).w < 300, wide = !o.compact && !narrow;
    qel_style card = {};
    card.direction = QEL_DIR_COLUMN;
    card.padding = o.compact ? 10 : 16;
    card.gap = 14;
    card.min_w = o.compact ? 0 : 224;
    card.fill = qel_color_token(QEL_COLOR_SURFACE);
    card.border = qel_color_token(QEL_COLOR_BORDER);
    card.border_width = 1;
    card.radius = ctx->theme.current.radius_medium;
    card.elevation = 1;
    int32_t node = qel_node_open(ctx, id);
    qel_node_apply_style(ctx, node, &card);
    if (o.width.kind) qel_node_at(ctx, node)->width = o.width;
    else qel_node_set_width(qel_node_at(ctx, node), {QEL_SIZE_FIT, 0}, o.compact ? 340 : 360);
    qel_node_push(ctx, node);
    qel_push_id_int(ctx, (int32_t)id);
    qel_style row = {};
    row.width = {QEL_SIZE_GROW, 1};
    row.gap = 12;
    row.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &row);
    player_cover(ctx, track, o.compact ? 44 : narrow ? 48 : 64);
    player_titles(ctx, track);
    if (wide) result |= player_skip(ctx, QEL_ICON_SKIP_BACK, "Previous", QEL_AUDIO_PREVIOUS);
    result |= player_play(ctx, s, id ^ PLAY_KEY, track, o.compact);
    result |= player_skip(ctx, QEL_ICON_SKIP_FORWARD, "Next", QEL_AUDIO_NEXT);
    qel_container_end(ctx);
    player_times(ctx, s, id ^ SEEK_KEY, t, duration);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
    return result;
}
