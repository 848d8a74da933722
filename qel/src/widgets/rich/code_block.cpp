// The read-only code block: measuring the lines, the header with its copy button, the scrolled
// body and the drawing of numbered, highlighted lines.
#include "qel/code_block.h"

#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "core/draw_list.h"
#include "kit/widget_nodes.h"
#include "qel/action_buttons.h"
#include "qel/arena.h"
#include "qel/badges_avatars.h"
#include "qel/code.h"
#include "qel/code_doc.h"
#include "qel/color.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/layout.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_widgets.h"
#include "qel/widget_feel.h"
#include "qel/theme.h"
#include "viewer_box.h"

namespace {

const float BODY_PAD = 16;

struct block_payload {
    const char* text;
    int32_t length;
    qel_code_lang lang;
    uint8_t json, numbers;
    int32_t first, last;
    float size, line_height, gutter, left_pad, char_width;
    qel_color palette[QEL_CODE_CLASS_COUNT];
    qel_color number_color, highlight;
};

// The line count (a final line feed starts no line; the empty text is one line) and the
// widest line in columns, a tab counting four.
int32_t measure_lines(const char* text, int32_t length, int32_t* widest)
{
    int32_t lines = 0, start = 0;
    *widest = 0;
    for (int32_t i = 0; i <= length; i++) {
        if (i < length && text[i] != '\n') continue;
        if (i == length && start == length && lines > 0) break;
        int32_t columns = qel_code_columns(text + start, i - start, 0);
        if (columns > *widest) *widest = columns;
        lines++;
        start = i + 1;
    }
    return lines;
}

int32_t digit_count(int32_t n)
{
    int32_t digits = 1;
    for (; n >= 10; n /= 10) digits++;
    return digits;
}

void header(qel_context* ctx, const char* label, const char* code, const char* title, const char* language)
{
    float small = ctx->theme.current.radius_small;
    int32_t row = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 40});
    qel_node* n = qel_node_at(ctx, row);
    n->direction = QEL_DIR_ROW;
    n->align = QEL_ALIGN_CENTER;
    n->fill = qel_theme_color(ctx, QEL_COLOR_SURFACE);
    n->radii[0] = n->radii[1] = small;
    n->pad_left = 14;
    n->pad_right = 6;
    n->gap = 8;
    qel_icon_glyph(ctx, title ? QEL_ICON_FILE_TEXT : QEL_ICON_CODE, 14, qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED));
    int32_t caption = qel_text_leaf(ctx, title ? title : language, -1, QEL_FONT_MEDIUM, qel_text_small_scaled(ctx),
                                    qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY), false, 1.3f);
    qel_node_at(ctx, caption)->width = {QEL_SIZE_GROW, 1};
    if (title && language) {
        qel_badge_opts badge = {};
        badge.size = 1;
        qel_badge(ctx, language, &badge);
    }
    qel_push_id(ctx, label);
    qel_copy_button(ctx, "copy", code);
    qel_pop_id(ctx);
    qel_node_pop(ctx);
    int32_t divider = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
    qel_node_at(ctx, divider)->fill = qel_theme_color(ctx, QEL_COLOR_BORDER);
}

// One line of the block: its highlight band, its number and its tokens.
void draw_line(qel_context* ctx, const block_payload* p, qel_rect r, int32_t number, int32_t start, int32_t end,
               float top, uint8_t* state)
{
    if (number >= p->first && p->first >= 1 && number <= p->last) {
        qel_rect band = {r.x, top - 1, r.w, p->line_height};
        qel_draw_rect(ctx, &band, nullptr, p->highlight);
    }
    float text_top = top - 1 + (p->line_height - qel_line_height(ctx, QEL_FONT_MONO, p->size)) / 2;
    if (p->numbers) {
        char digits[16];
        int32_t n = snprintf(digits, sizeof digits, "%d", number);
        float w = qel_text_width(ctx, QEL_FONT_MONO, p->size, digits, n, 0);
        qel_draw_text(ctx, QEL_FONT_MONO, p->size, r.x + p->gutter - w, text_top, p->number_color, digits, n, 0);
    }
    qel_code_line_style style = {&p->lang, p->json, p->size, p->char_width, 0, p->palette, -1e30f, 1e30f};
    qel_code_draw_line(ctx, &style, p->text + start, end - start, state, r.x + p->gutter + p->left_pad, text_top);
}

}  // namespace

void qel_code_block(qel_context* ctx, const char* label, const char* code, const qel_code_block_opts* options)
{
    const qel_code_block_opts none = {};
    const qel_code_block_opts* o = options ? options : &none;
    if (!code) code = "";
    uint32_t id = qel_id(ctx, label);
    block_payload p = {};
    p.length = (int32_t)strlen(code);
    p.text = qel_arena_strdup(ctx, code, p.length);
    p.json = qel_code_json_name(o->language);
    p.lang = qel_code_language(p.json ? nullptr : o->language);
    p.numbers = o->show_line_numbers != 0;
    p.first = o->highlight_first;
    p.last = o->highlight_last < 1 ? o->highlight_first : o->highlight_last;
    p.size = (o->font_size > 0 ? o->font_size : 13) * ctx->theme.current.ui_scale;
    p.line_height = 1.6f * p.size;
    p.char_width = qel_viewer_char_width(ctx, p.size);
    p.left_pad = BODY_PAD;
    int32_t widest = 0;
    int32_t lines = measure_lines(code, p.length, &widest);
    // Sized to the line count's digits, so four-digit numbers stay inside it.
    int32_t digits = digit_count(lines) < 2 ? 2 : digit_count(lines);
    p.gutter = p.numbers ? (float)digits * p.char_width + 20 : 0;
    qel_code_palette(ctx, p.palette);
    p.number_color = qel_color_alpha(qel_theme_color(ctx, QEL_COLOR_TEXT_MUTED), 0.7f);
    bool accent = qel_theme_get_accent(ctx) != QEL_ACCENT_NEUTRAL;
    p.highlight = qel_color_alpha(qel_theme_color(ctx, accent ? QEL_COLOR_ACCENT : QEL_COLOR_TEXT),
                                  qel_dark_mode(ctx) ? 0.12f : 0.08f);

    int32_t box = qel_viewer_box_begin(ctx, id);
    if ((o->title || o->language) && !o->hide_header) header(ctx, label, code, o->title, o->language);

    float content = (float)lines * p.line_height + 2 * BODY_PAD;
    uint32_t scroll_id = id ^ 0x5c0d;
    auto* ss = (qel_scroll_state*)qel_state_get(ctx, scroll_id, sizeof(qel_scroll_state));
    ss->fade_color = qel_inherited_background(ctx);
    qel_style style = {};
    style.width = {QEL_SIZE_GROW, 1};
    int32_t scroller = qel_scroll_begin(ctx, scroll_id, &style, true);
    qel_node* s = qel_node_at(ctx, scroller);
    if (o->max_height > 0 && content > o->max_height) {
        s->height = {QEL_SIZE_FIXED, o->max_height};
    } else {
        s->height = {QEL_SIZE_FIT, 0};
        s->min_h = 0;
    }
    int32_t leaf = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, content});
    qel_node_at(ctx, leaf)->min_w = p.gutter + (float)widest * p.char_width + 40;
    qel_node_draw_with(ctx, leaf, qel_code_block_draw, &p, sizeof p, false);
    qel_scroll_end(ctx);
    qel_viewer_box_end(ctx, box, id);
}

void qel_code_block_draw(qel_context* ctx, const qel_node* node, void* user)
{
    const auto* p = (const block_payload*)user;
    qel_rect r = node->rect;
    float top = r.y + p->left_pad;
    uint8_t state = 0;
    int32_t start = 0, number = 1;
    while (true) {
        int32_t end = start;
        while (end < p->length && p->text[end] != '\n') end++;
        // Lines the clip hides only carry the comment state on.
        if (!qel_draw_culled(ctx, r.x, top - 1, r.x + r.w, top - 1 + p->line_height))
            draw_line(ctx, p, r, number, start, end, top, &state);
        else if (p->lang.block_comments)
            state = qel_code_doc_comment_state(&p->lang, p->text, start, end, state);
        if (end >= p->length) break;
        start = end + 1;
        if (start == p->length) break;  // a final line feed starts no line
        top += p->line_height;
        number++;
    }
}
