// The time picker (a trigger field and a popup of scrolling hour, minute and AM/PM columns), the
// wheel picker (drag with fling, wheel notches, keys, a sprung drum drawn in perspective) and the
// clock picker (hour then minute by pointing at a face, a sprung hand). The popup and trigger
// field are the popup layer's; feel and focus rings come from widget_feel.
#include "qel/time_pickers.h"

#include <cmath>
#include <cstdio>

#include "core/core.h"
#include "widgets/pickers/picker_nodes.h"
#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/popup.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/text_widgets.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "kit/state_records.h"
#include "kit/widget_nodes.h"

static const float PI = 3.14159265358979f;
static const float ROW_PITCH = 34.0f;
static const float WHEEL_WIDTH = 84.0f;
static const int32_t MAX_ROWS = 99;
static const float OVERSHOOT_DAMPING = 0.3f, FLING_LIMIT = 40.0f, FLING_SECONDS = 0.12f;
static const float WHEEL_PERIOD = 0.34f, WHEEL_BOUNCE = 0.05f;
static const float ROW_ANGLE = 0.36f, HIDDEN_ANGLE = 1.45f;
static const uint32_t FACE_KEY = 0xFACEu;
static const float CLOCK_SIZE = 248.0f, HAND_PERIOD = 0.3f, ANGLE_BOUNCE = 0.12f;

static int32_t modulo(int64_t value, int32_t count)
{
    int64_t m = value % count;
    return (int32_t)(m < 0 ? m + count : m);
}

static int32_t clamp_index(int64_t value, int32_t count)
{
    return value < 0 ? 0 : value > count - 1 ? count - 1 : (int32_t)value;
}

// An index reached by counting: around the list when it wraps, else stopped at its ends.
static int32_t settle_index(int64_t value, int32_t count, bool wrap)
{
    return wrap ? modulo(value, count) : clamp_index(value, count);
}

// --- Time picker ---

static const uint32_t TIME_POPUP_KEY = 0x7177u, HALF_KEY = 0xA9u;
static const float COLUMN_HEIGHT = 216.0f, COLUMN_END_PAD = 92.0f, TIME_ROW = 32.0f;
static const char CLOCK_GLYPH[] = QEL_ICON_CLOCK;

static int32_t clamp_to(int32_t value, int32_t low, int32_t high)
{
    return value < low ? low : value > high ? high : value;
}

// The fades at the top and bottom of the columns, over the row's content box.
static void column_fades_draw(qel_context* ctx, const qel_node* node, void* user)
{
    qel_color elevated = *(const qel_color*)user, clear = elevated & 0x00FFFFFFu;
    const qel_rect& r = node->rect;
    float x = r.x + node->pad_left, w = r.w - node->pad_left - node->pad_right;
    qel_rect top = {x, r.y + node->pad_top, w, ROW_PITCH};
    qel_rect bottom = {x, r.y + r.h - node->pad_bottom - ROW_PITCH, w, ROW_PITCH};
    qel_draw_rect_gradient(ctx, &top, nullptr, elevated, clear);
    qel_draw_rect_gradient(ctx, &bottom, nullptr, clear, elevated);
}

// A small pickable cell of the popup: the current one filled with the primary colour.
static void time_cell(qel_context* ctx, uint32_t id, const char* text, qel_size width, qel_color fill, uint32_t font,
                      float size, bool current, bool hovered)
{
    int32_t node = qel_node_centred(ctx, id, width, {QEL_SIZE_FIXED, TIME_ROW}, QEL_DIR_ROW, qel_row_radius(ctx));
    qel_node_at(ctx, node)->fill = current ? qel_theme_color(ctx, QEL_COLOR_PRIMARY) : fill;
    qel_node_mark_interactive(ctx, node, 0);
    if (hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    qel_node_push(ctx, node);
    qel_text_leaf(ctx, text, -1, font, size, qel_theme_color(ctx, current ? QEL_COLOR_ON_PRIMARY : QEL_COLOR_TEXT),
                  false, 1.0f);
    qel_node_pop(ctx);
}

// One scrolling column of count values (value i is first + i x step); returns the picked value or
// -1. Scrolled to the current value when asked.
static int32_t time_column(qel_context* ctx, const char* name, int32_t count, int32_t step, int32_t current,
                           bool twelve, bool scroll)
{
    uint32_t column = qel_id(ctx, name);
    if (scroll && current >= 0 && current % step == 0 && current / step < count) {
        auto* st = (qel_scroll_state*)qel_state_get(ctx, column, sizeof(qel_scroll_state));
        st->scroll_y = st->target_y = (float)(current / step) * ROW_PITCH;
    }
    qel_style s = {};
    s.width = {QEL_SIZE_FIXED, 58};
    s.height = {QEL_SIZE_FIXED, COLUMN_HEIGHT};
    s.padding = 4;
    s.padding_top = s.padding_bottom = COLUMN_END_PAD;
    s.gap = 2;
    qel_scroll_begin(ctx, column, &s, false);
    int32_t picked = -1;
    for (int32_t i = 0; i < count; i++) {
        int32_t value = i * step;
        char text[8];
        snprintf(text, sizeof text, twelve ? "%d" : "%02d", twelve && value == 0 ? 12 : value);
        uint32_t id = qel_hash_bytes(&value, sizeof value, column);
        qel_interaction it = qel_interact(ctx, id, 0);
        float flash = qel_anim_flash(ctx, id, it.hovered != 0, 0.1f);
        bool now = value == current;
        time_cell(ctx, id, text, {QEL_SIZE_GROW, 1}, qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_HOVER), flash * 1.3f),
                  now ? QEL_FONT_MEDIUM : QEL_FONT_BODY, qel_text_body_scaled(ctx), now, it.hovered);
        if (it.clicked) picked = value;
    }
    qel_scroll_end(ctx);
    return picked;
}

// AM and PM, the current half standing level with the columns' middle; the other moves the hour
// by twelve.
static bool half_column(qel_context* ctx, uint32_t picker, int32_t* hour)
{
    bool pm = *hour >= 12;
    qel_style s = {};
    s.height = {QEL_SIZE_FIXED, COLUMN_HEIGHT};
    s.padding_left = s.padding_right = 4;
    s.padding_top = pm ? 58.0f : COLUMN_END_PAD;
    s.gap = 2;
    qel_column_begin(ctx, &s);
    bool picked = false;
    static const char* const HALVES[2] = {"AM", "PM"};
    for (int32_t i = 0; i < 2; i++) {
        uint32_t id = qel_hash_bytes(&i, sizeof i, picker ^ HALF_KEY);
        bool current = (i == 1) == pm;
        qel_interaction it = qel_interact(ctx, id, 0);
        time_cell(ctx, id, HALVES[i], {QEL_SIZE_FIXED, 50}, it.hovered ? qel_theme_color(ctx, QEL_COLOR_HOVER) : 0,
                  QEL_FONT_MEDIUM, qel_text_small_scaled(ctx), current, it.hovered);
        if (it.clicked && !current) {
            *hour = (*hour + 12) % 24;
            picked = true;
        }
    }
    qel_container_end(ctx);
    return picked;
}

static bool time_popup(qel_context* ctx, uint32_t id, const qel_popup_slot* slot, int32_t* hour, int32_t* minute,
                       bool twelve, int32_t step)
{
    bool scroll = ctx->clock.frame_count - slot->opened_frame < 3;
    qel_style row = {};
    row.gap = 4;
    row.padding_top = row.padding_bottom = 6;
    row.padding_left = row.padding_right = 4;
    qel_row_begin(ctx, &row);
    qel_color elevated = qel_theme_color(ctx, QEL_COLOR_ELEVATED);
    qel_node_draw_with(ctx, qel_node_parent(ctx), column_fades_draw, &elevated, sizeof elevated, true);
    bool picked = false;
    int32_t p = time_column(ctx, "#h", twelve ? 12 : 24, 1, twelve ? *hour % 12 : *hour, twelve, scroll);
    if (p >= 0) {
        *hour = twelve && *hour >= 12 ? p + 12 : p;
        picked = true;
    }
    qel_divider(ctx);
    p = time_column(ctx, "#m", (59 / step) + 1, step, *minute, false, scroll);
    if (p >= 0) {
        *minute = p;
        picked = true;
    }
    if (twelve) {
        qel_divider(ctx);
        picked |= half_column(ctx, id, hour);
    }
    qel_container_end(ctx);
    return picked;
}

int32_t qel_time_picker(qel_context* ctx, const char* label, int32_t* hour, int32_t* minute,
                        const qel_time_picker_options* options)
{
    if (!hour || !minute) return 0;
    const qel_time_picker_options none = {};
    const qel_time_picker_options* o = options ? options : &none;
    bool twelve = o->twelve_hour != 0;
    int32_t step = o->minute_step <= 0 ? 5 : o->minute_step > 60 ? 60 : o->minute_step;
    qel_picker_field f = qel_picker_field_interact(ctx, label, TIME_POPUP_KEY, sizeof(float));
    qel_popup_slot* slot = f.slot;
    if (slot && f.it.clicked) qel_popup_set_open(ctx, f.popup, !slot->open);
    int32_t shown_hour = clamp_to(*hour, 0, 23), shown_minute = clamp_to(*minute, 0, 59);
    int32_t node = qel_picker_field_begin(ctx, &f, o->label, o->width, 150);
    qel_icon_glyph(ctx, CLOCK_GLYPH, 16, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    const char* text = twelve ? qel_arena_sprintf(ctx, "%d:%02d %s", shown_hour % 12 == 0 ? 12 : shown_hour % 12, shown_minute,
                                                  shown_hour < 12 ? "AM" : "PM")
                              : qel_arena_sprintf(ctx, "%02d:%02d", shown_hour, shown_minute);
    int32_t leaf = qel_text_leaf(ctx, text, -1, QEL_FONT_BODY, qel_text_body_scaled(ctx),
                                 qel_theme_color(ctx, QEL_COLOR_TEXT), false, 1.3f);
    qel_node_at(ctx, leaf)->width = {QEL_SIZE_GROW, 1};
    qel_picker_field_end(ctx, &f, o->label, o->width, node);

    if (!slot || !qel_popup_begin(ctx, f.popup, f.id, QEL_PLACE_BELOW_START, 0, 6, 0, false)) return 0;
    if (slot->open) {
        *hour = shown_hour;
        *minute = shown_minute;
    }
    bool picked = time_popup(ctx, f.id, slot, hour, minute, twelve, step);
    qel_popup_end(ctx);
    return picked ? 1 : 0;
}

// --- Wheel picker ---

struct wheel_state {
    float spring[2];  // position in items (the value drawn) and its velocity
    uint8_t initialised;
    qel_picker_drag drag;  // vertical; its fling in items per second
    float wheel_remainder;
};

struct wheel_payload {
    const char** labels;  // visible parts of the items from first_item on, frame arena
    int32_t first_item, label_count;
    float position;
    int32_t rows;
    uint8_t joined_left, joined_right;
    qel_color band, text, muted;
    float font_size, focus;
};

static int32_t visible_rows_of(const qel_wheel_picker_options* o)
{
    int32_t rows = o->visible_rows < 1 ? 5 : o->visible_rows > MAX_ROWS ? MAX_ROWS : o->visible_rows;
    return rows | 1;
}

static void wheel_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const wheel_payload*)user;
    const qel_rect& r = node->rect;
    float cy = r.y + r.h * 0.5f;
    float left = p->joined_left ? 0.0f : 4.0f, right = p->joined_right ? 0.0f : 4.0f;
    float rl = p->joined_left ? 0.0f : 9.0f, rr = p->joined_right ? 0.0f : 9.0f;
    qel_rect band = {r.x + left, cy - ROW_PITCH * 0.5f, r.w - left - right, ROW_PITCH};
    const float radii[4] = {rl, rr, rr, rl};
    qel_draw_rect(ctx, &band, radii, p->band);
    qel_draw_push_clip(ctx, &r);
    float half = (float)(p->rows / 2);
    for (int32_t k = 0; k < p->label_count; k++) {
        float d = (float)(p->first_item + k) - p->position;
        float a = ROW_ANGLE * d;
        if (!p->labels[k] || fabsf(a) > HIDDEN_ANGLE) continue;
        float y = cy + sinf(a) * (ROW_PITCH / ROW_ANGLE);
        float fade = fminf(cosf(a) * cosf(a) * 1.1f, 1.0f) * fminf(fmaxf((half - fabsf(d)) / 0.9f, 0.0f), 1.0f);
        qel_color c = qel_color_alpha(qel_color_mix(p->muted, p->text, 1.0f - fminf(fabsf(d), 1.0f)), fade);
        qel_draw_text_aligned(ctx, QEL_FONT_BODY, p->font_size, r.x + r.w * 0.5f, y, 1, c, p->labels[k], 0);
    }
    qel_draw_pop_clip(ctx);
    qel_draw_focus_ring(ctx, &r, node->radii, p->focus);
}

// Dragging follows the pointer (damped past the ends of a list that does not wrap) and measures
// the fling; the index follows the nearest row.
static void wheel_drag(qel_context* ctx, wheel_state* s, int32_t count, bool wrap, int32_t* index)
{
    float position = qel_picker_drag_move(ctx, &s->drag, qel_mouse_pos(ctx).y, 1.0f / ROW_PITCH);
    if (!wrap && position < 0) position *= OVERSHOOT_DAMPING;
    if (!wrap && position > (float)(count - 1)) position = (float)(count - 1) + (position - (float)(count - 1)) * OVERSHOOT_DAMPING;
    s->spring[0] = position;
    s->spring[1] = 0;
    *index = settle_index((int64_t)floorf(position + 0.5f), count, wrap);
}

static void wheel_release(wheel_state* s, int32_t count, bool wrap, int32_t* index)
{
    s->drag.dragging = 0;
    float target = s->spring[0] + fminf(fmaxf(s->drag.fling, -FLING_LIMIT), FLING_LIMIT) * FLING_SECONDS;
    if (!wrap) target = fminf(fmaxf(target, 0.0f), (float)(count - 1));
    *index = settle_index((int64_t)roundf(target), count, wrap);
    s->drag.fling = 0;
}

// A notch steps one item at least; the step is the notches' whole part.
static int32_t wheel_notches(qel_context* ctx, wheel_state* s)
{
    float d = ctx->input.wheel_y;
    if (d == 0.0f || !std::isfinite(d)) return 0;
    float r = s->wheel_remainder - d;
    float whole = truncf(fminf(fmaxf(r, -1e6f), 1e6f));
    int32_t step = whole != 0.0f ? (int32_t)whole : r > 0 ? 1 : -1;
    s->wheel_remainder = 0;
    ctx->input.wheel_x = ctx->input.wheel_y = 0;
    return step;
}

static void wheel_node(qel_context* ctx, uint32_t id, const qel_wheel_picker_options* o, const wheel_state* s,
                       const char* const* items, int32_t count, int32_t rows, float focus, bool hovered)
{
    int32_t node = qel_node_sized(ctx, id, o->width.kind ? o->width : qel_size{QEL_SIZE_FIXED, WHEEL_WIDTH},
                                  {QEL_SIZE_FIXED, (float)rows * ROW_PITCH});
    qel_node* n = qel_node_at(ctx, node);
    n->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_round(n, qel_row_radius(ctx));
    qel_node_mark_interactive(ctx, node, QEL_INTERACT_FOCUSABLE);
    if (hovered) qel_set_cursor(ctx, s->drag.dragging ? QEL_CURSOR_RESIZE_NS : QEL_CURSOR_HAND);

    wheel_payload p = {};
    int32_t reach = rows / 2 + 2;
    int64_t centre = (int64_t)roundf(s->spring[0]);
    p.first_item = (int32_t)(centre - reach);
    p.label_count = 2 * reach + 1;
    p.labels = (const char**)qel_arena_alloc(ctx, (size_t)p.label_count * sizeof(const char*));
    for (int32_t k = 0; k < p.label_count; k++) {
        int64_t item = (int64_t)p.first_item + k;
        if (!o->wrap && (item < 0 || item >= count)) continue;
        const char* text = items[modulo(item, count)];
        if (text) p.labels[k] = qel_arena_strdup(ctx, text, qel_label_visible_len(text));
    }
    p.position = s->spring[0];
    p.rows = rows;
    p.joined_left = o->joined_left;
    p.joined_right = o->joined_right;
    p.band = qel_theme_color(ctx, QEL_COLOR_ACTIVE);
    p.text = qel_theme_color(ctx, QEL_COLOR_TEXT);
    p.muted = qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED);
    p.font_size = qel_scaled(ctx, ctx->theme.current.text_body + 2);
    p.focus = focus;
    qel_node_draw_with(ctx, node, wheel_draw, &p, sizeof p, false);
}

int32_t qel_wheel_picker(qel_context* ctx, const char* label, const char* const* items, int32_t count,
                         int32_t* index, const qel_wheel_picker_options* options)
{
    if (count < 1 || !items || !index) return 0;
    const qel_wheel_picker_options none = {};
    const qel_wheel_picker_options* o = options ? options : &none;
    bool wrap = o->wrap != 0;
    int32_t rows = visible_rows_of(o);
    int32_t entry = *index;
    *index = clamp_index(*index, count);
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<wheel_state>(ctx, id, "wheel_state");
    if (!s->initialised) {
        s->spring[0] = (float)*index;
        s->initialised = 1;
    }
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE | QEL_INTERACT_HOLD_OUTSIDE);
    if (it.active && qel_mouse_pressed(ctx, 0)) qel_picker_drag_press(ctx, &s->drag, qel_mouse_pos(ctx).y, s->spring[0]);
    if (s->drag.dragging && it.active && qel_mouse_down(ctx, 0)) wheel_drag(ctx, s, count, wrap, index);
    else if (s->drag.dragging) wheel_release(s, count, wrap, index);

    float target = (float)*index;
    if (wrap) target = (float)*index + (float)count * roundf((s->spring[0] - (float)*index) / (float)count);
    int32_t step = 0;
    if (it.hovered && !s->drag.dragging) step += wheel_notches(ctx, s);
    if (it.focused && qel_key_pressed(ctx, QEL_KEY_DOWN)) step++;
    if (it.focused && qel_key_pressed(ctx, QEL_KEY_UP)) step--;
    if (step != 0) {
        *index = settle_index((int64_t)*index + step, count, wrap);
        target = wrap ? target + (float)step : (float)*index;
    }
    if (!s->drag.dragging) qel_anim_spring(ctx, s->spring, target, WHEEL_PERIOD, WHEEL_BOUNCE);

    wheel_node(ctx, id, o, s, items, count, rows, it.focused && it.focus_visible ? 1.0f : 0.0f, it.hovered != 0);
    qel_set_last_item(ctx, id);
    return *index != entry;
}

// --- Clock picker ---

struct clock_state {
    int32_t mode;  // 0 hours, 1 minutes
    float angle[2], length[2];  // the hand's angle and length factor with their velocities
    uint8_t initialised;
    uint8_t dragging;
};

struct face_payload {
    int32_t mode, hour, minute;
    float angle, length;
    qel_color subtle, text, secondary, accent, on_accent;
};

static qel_vec2 on_circle(qel_vec2 c, float angle, float radius)
{
    return {c.x + sinf(angle) * radius, c.y - cosf(angle) * radius};
}

static void face_label(qel_context* ctx, qel_vec2 at, uint32_t font, float size, qel_color color, int32_t value,
                       bool two_digits)
{
    char text[8];
    snprintf(text, sizeof text, two_digits ? "%02d" : "%d", value);
    qel_draw_text_aligned(ctx, (int32_t)font, size, at.x, at.y, 1, color, text, 0);
}

static void face_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const face_payload*)user;
    const qel_rect& rect = node->rect;
    float r = fminf(rect.w, rect.h) * 0.5f;
    qel_vec2 c = {rect.x + rect.w * 0.5f, rect.y + rect.h * 0.5f};
    qel_draw_circle(ctx, c, r, p->subtle);
    float outer = r - 22, inner = r - 56;
    qel_vec2 e = on_circle(c, p->angle, inner + (outer - inner) * p->length);
    qel_draw_line(ctx, c, e, 2, p->accent);
    qel_draw_circle(ctx, c, 3.5f, p->accent);
    qel_draw_circle(ctx, e, 17, p->accent);
    for (int32_t i = 0; i < 12; i++) {
        float a = (float)i * PI / 6;
        if (p->mode == 0) {
            int32_t hour = i == 0 ? 12 : i, inner_hour = i == 0 ? 0 : i + 12;
            face_label(ctx, on_circle(c, a, outer), QEL_FONT_MEDIUM, 0.13f * r,
                       hour == p->hour ? p->on_accent : p->text, hour, false);
            face_label(ctx, on_circle(c, a, inner), QEL_FONT_BODY, 0.1f * r,
                       inner_hour == p->hour ? p->on_accent : p->secondary, inner_hour, true);
        } else {
            face_label(ctx, on_circle(c, a, outer), QEL_FONT_MEDIUM, 0.13f * r,
                       5 * i == p->minute ? p->on_accent : p->text, 5 * i, true);
        }
    }
    if (p->mode == 1 && p->minute % 5 != 0) qel_draw_circle(ctx, e, 3, p->on_accent);
}

// One of the two segment buttons of the header; a click chooses its mode.
static void clock_segment(qel_context* ctx, uint32_t picker, clock_state* s, int32_t which, int32_t value)
{
    uint32_t id = qel_hash_bytes(&which, sizeof which, picker);
    qel_interaction it = qel_interact(ctx, id, QEL_INTERACT_FOCUSABLE);
    if (it.clicked) s->mode = which;
    qel_widget_motion motion = qel_widget_motion_update(ctx, id, &it, 1.0f);
    bool current = s->mode == which;
    bool accent = qel_theme_get_accent(ctx) != 0;
    qel_color tint = qel_theme_color(ctx, accent ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT);
    qel_color ink = qel_theme_color(ctx, accent ? QEL_COLOR_ACCENT_STRONG : QEL_COLOR_TEXT);

    int32_t node = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, node);
    n->direction = QEL_DIR_ROW;
    n->pad_top = n->pad_bottom = 2;
    n->pad_left = n->pad_right = 10;
    qel_node_round(n, 10);
    if (current) n->fill = qel_color_mix(qel_theme_color(ctx, QEL_COLOR_SURFACE), tint, qel_dark_mode(ctx) ? 0.2f : 0.12f);
    else if (it.hovered) n->fill = qel_theme_color(ctx, QEL_COLOR_HOVER);
    qel_node_clickable(ctx, node, id, false);
    qel_node_push(ctx, node);
    char text[16];
    snprintf(text, sizeof text, "%02d", value);
    qel_text_leaf(ctx, text, -1, QEL_FONT_HEADING, qel_scaled(ctx, 34),
                  current ? ink : qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 1.15f);
    qel_node_pop(ctx);
    qel_focus_ring(ctx, node, motion.focus);
}

// The pointer on the face picks a minute, or an hour on the outer (1..12) or inner (0, 13..23)
// ring.
static void point_at_face(qel_context* ctx, const clock_state* s, qel_rect face, int32_t* hour, int32_t* minute)
{
    qel_vec2 m = qel_mouse_pos(ctx);
    float dx = m.x - (face.x + face.w * 0.5f), dy = m.y - (face.y + face.h * 0.5f);
    float angle = atan2f(dx, -dy);
    if (angle < 0) angle += 2 * PI;
    if (s->mode == 1) {
        *minute = modulo((int64_t)floorf(angle / (2 * PI / 60) + 0.5f), 60);
        return;
    }
    int32_t k = modulo((int64_t)floorf(angle / (PI / 6) + 0.5f), 12);
    bool inner = sqrtf(dx * dx + dy * dy) < fminf(face.w, face.h) * 0.5f - 39;
    *hour = inner ? (k == 0 ? 0 : k + 12) : (k == 0 ? 12 : k);
}

static void aim_hand(qel_context* ctx, clock_state* s, int32_t hour, int32_t minute)
{
    float angle, length = 1;
    if (s->mode == 0) {
        angle = (float)(hour % 12) * PI / 6;
        length = hour >= 1 && hour <= 12 ? 1.0f : 0.0f;
    } else {
        angle = (float)minute * PI / 30;
    }
    if (!s->initialised) {
        s->angle[0] = angle;
        s->length[0] = length;
        s->initialised = 1;
    }
    angle += 2 * PI * roundf((s->angle[0] - angle) / (2 * PI));
    qel_anim_spring(ctx, s->angle, angle, HAND_PERIOD, ANGLE_BOUNCE);
    qel_anim_spring(ctx, s->length, length, HAND_PERIOD, 0);
}

int32_t qel_clock_picker(qel_context* ctx, const char* label, int32_t* hour, int32_t* minute, float size)
{
    if (!hour || !minute) return 0;
    if (!(size > 0)) size = CLOCK_SIZE;
    size = fminf(size, 1e5f);
    int32_t entry_hour = *hour, entry_minute = *minute;
    *hour = clamp_to(*hour, 0, 23);
    *minute = clamp_to(*minute, 0, 59);
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<clock_state>(ctx, id, "clock_state");
    qel_push_id(ctx, label);

    int32_t column = qel_node_open(ctx, 0);
    qel_node* n = qel_node_at(ctx, column);
    n->gap = 14;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_push(ctx, column);

    int32_t header = qel_node_open(ctx, 0);
    n = qel_node_at(ctx, header);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->gap = 4;
    qel_node_push(ctx, header);
    clock_segment(ctx, id, s, 0, *hour);
    qel_text_leaf(ctx, ":", -1, QEL_FONT_HEADING, qel_scaled(ctx, 34),
                  qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), false, 1.15f);
    clock_segment(ctx, id, s, 1, *minute);
    qel_node_pop(ctx);

    uint32_t face_id = id ^ FACE_KEY;
    qel_interaction it = qel_interact(ctx, face_id, QEL_INTERACT_HOLD_OUTSIDE);
    qel_rect face = qel_id_rect(ctx, face_id);
    if (it.active && qel_mouse_down(ctx, 0) && face.w > 0 && face.h > 0) {
        point_at_face(ctx, s, face, hour, minute);
        s->dragging = 1;
    } else if (s->dragging) {
        s->dragging = 0;
        if (s->mode == 0) s->mode = 1;
    }
    aim_hand(ctx, s, *hour, *minute);

    int32_t node = qel_node_sized(ctx, face_id, {QEL_SIZE_FIXED, size}, {QEL_SIZE_FIXED, size});
    qel_node_mark_interactive(ctx, node, 0);
    if (it.hovered) qel_set_cursor(ctx, QEL_CURSOR_HAND);
    bool accent = qel_theme_get_accent(ctx) != 0;
    face_payload p = {s->mode,
                      *hour,
                      *minute,
                      s->angle[0],
                      s->length[0],
                      qel_theme_color(ctx, QEL_COLOR_SUBTLE),
                      qel_theme_color(ctx, QEL_COLOR_TEXT),
                      qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY),
                      qel_theme_color(ctx, accent ? QEL_COLOR_ACCENT : QEL_COLOR_PRIMARY),
                      qel_theme_color(ctx, accent ? QEL_COLOR_ON_ACCENT : QEL_COLOR_ON_PRIMARY)};
    qel_node_draw_with(ctx, node, face_draw, &p, sizeof p, false);

    qel_node_pop(ctx);
    // The face and its numbers read the same in a right-to-left layout.
    n = qel_node_at(ctx, column);
    if (n->direction_mode == 0) n->direction_mode = 1;
    qel_pop_id(ctx);
    return *hour != entry_hour || *minute != entry_minute;
}
