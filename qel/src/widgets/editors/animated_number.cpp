// The animated number: the text of the value with its groups, a fixed character leaf for every
// sign and separator, and a digit cell per digit whose spring rolls the short way to its digit.
#include "kit/state_records.h"
#include "qel/animated_number.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "kit/widget_nodes.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/draw.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"
#include "text/number_text.h"
#include "widgets/editors/showcase_parts.h"

enum { DIGIT_SPRINGS = 24, FORMAT_BYTES = 48, GROUPED_CHARS = 46 };

struct animated_number_state {
    float springs[DIGIT_SPRINGS][2];  // from the rightmost digit
    uint8_t started;
};

static const float CELL_LINE = 1.15f;

// The value as shown: through the format into 48 bytes, then grouped and cut at 46.
static void number_text(qel_context* ctx, const qel_animated_number_opts* o, double value, char out[FORMAT_BYTES])
{
    qel_copy_whole_chars(out, qel_format_number(ctx, o->format, value), -1, FORMAT_BYTES - 1);
    if (o->group_thousands) qel_copy_whole_chars(out, qel_group_thousands(ctx, out), -1, GROUPED_CHARS);
}

// Moves a digit's spring toward digit d the short way round. The spring is brought back into
// 0..10 first, its target with it, so that it never wanders off to where the snap tolerance,
// which grows with the target, would swallow a whole roll.
static float roll_digit(qel_context* ctx, float spring[2], int32_t d)
{
    spring[0] -= std::floor(spring[0] / 10) * 10;
    float target = (float)d;
    if (target - spring[0] > 5) target -= 10;
    else if (spring[0] - target > 5) target += 10;
    return qel_anim_spring(ctx, spring, target, 0.55f, 0.05f);
}

void qel_rolling_digit_draw(qel_context* ctx, const qel_node* node, void* user)
{
    auto* p = (const qel_rolling_digit_payload*)user;
    qel_rect r = node->rect;
    float lh = qel_line_height(ctx, (int32_t)p->font, p->size);
    float floor_v = std::floor(p->value);
    qel_draw_push_clip(ctx, &r);
    for (int k = -1; k <= 1; k++) {
        float n = floor_v + (float)k, distance = std::fabs(n - p->value);
        if (!(distance < 1)) continue;
        char digit[2] = {(char)('0' + (((int64_t)n % 10) + 10) % 10), 0};
        float w = qel_text_width(ctx, (int32_t)p->font, p->size, digit, 1, 0);
        qel_draw_text(ctx, (int32_t)p->font, p->size, r.x + (r.w - w) / 2,
                      r.y + (n - p->value) * p->cell_height + (p->cell_height - lh) / 2,
                      qel_color_alpha(p->color, 1 - 0.6f * distance), digit, 1, 0);
    }
    qel_draw_pop_clip(ctx);
}

static bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

void qel_animated_number(qel_context* ctx, const char* label, double value, const qel_animated_number_opts* options)
{
    const qel_animated_number_opts none = {};
    const qel_animated_number_opts* o = options ? options : &none;
    uint32_t id = qel_id(ctx, label);
    auto* s = qel_state_record_of<animated_number_state>(ctx, id, "animated_number_state");
    float size = qel_scaled(ctx, o->size > 0 ? o->size : 32);
    uint32_t font = o->font ? o->font : (uint32_t)QEL_FONT_HEADING;
    qel_color color = qel_color_resolve(ctx, qel_color_arg(o->color, qel_color_token(QEL_COLOR_TEXT)));
    char text[FORMAT_BYTES];
    number_text(ctx, o, value, text);
    int32_t row = qel_node_open(ctx, id);
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->align_self = QEL_ALIGN_OWN_SIZE;
    qel_node_push(ctx, row);
    int32_t length = (int32_t)strlen(text), digits = 0;
    for (int32_t i = 0; i < length; i++) digits += is_digit(text[i]);
    float cell_w = qel_text_width(ctx, (int32_t)font, size, "0", 1, 0), cell_h = CELL_LINE * size;
    for (int32_t i = 0, next; i < length; i = next) {
        next = qel_utf8_next(text, length, i);
        if (!is_digit(text[i])) {
            qel_text_leaf(ctx, text + i, next - i, font, size, color, false, CELL_LINE);
            continue;
        }
        float* spring = s->springs[std::min(--digits, DIGIT_SPRINGS - 1)];
        int32_t d = text[i] - '0';
        if (!s->started) spring[0] = (float)d, spring[1] = 0;
        qel_rolling_digit_payload p = {roll_digit(ctx, spring, d), size, cell_h, font, color};
        int32_t cell = qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, cell_w}, {QEL_SIZE_FIXED, cell_h});
        qel_node_draw_with(ctx, cell, qel_rolling_digit_draw, &p, sizeof p, false);
    }
    s->started = 1;
    qel_node_pop(ctx);
    qel_set_last_item(ctx, id);
}
