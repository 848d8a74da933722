// The Markdown viewer: options, colours and the wrap width, the splitting into lines, the block
// renderer (code, headings, rules, quotes, lists, tables, paragraphs with their gaps) and the
// write-back of toggled task boxes.
#include "qel/markdown.h"

#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"
#include "kit/widget_nodes.h"
#include "markdown_render.h"
#include "qel/arena.h"
#include "qel/code_block.h"
#include "qel/color.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/theme.h"
#include "qel/widget_feel.h"

namespace {

const int32_t MAX_DEPTH = 12;

enum block_kind { KIND_NONE, KIND_PARAGRAPH, KIND_HEADING, KIND_CODE, KIND_LIST, KIND_QUOTE, KIND_RULE, KIND_TABLE };

bool space_or_tab(char c)
{
    return c == ' ' || c == '\t';
}

qel_markdown_line after_indent(const qel_markdown_line& line, int32_t* columns)
{
    int32_t bytes = 0;
    *columns = qel_markdown_indent(&line, &bytes);
    return {line.text + bytes, line.length - bytes, line.offset + bytes};
}

// The line less up to columns of indentation.
qel_markdown_line less_indent(const qel_markdown_line& line, int32_t columns)
{
    int32_t col = 0, i = 0;
    while (i < line.length && col < columns && space_or_tab(line.text[i])) {
        col = line.text[i] == '\t' ? (col / 4 + 1) * 4 : col + 1;
        i++;
    }
    return {line.text + i, line.length - i, line.offset + i};
}

struct fence {
    char ch;
    int32_t run;
    const char* language;
    int32_t language_length;
};

// An opening fence at the start of rest.
bool opening_fence(const qel_markdown_line& rest, fence* f)
{
    if (rest.length < 3 || (rest.text[0] != '`' && rest.text[0] != '~')) return false;
    f->ch = rest.text[0];
    f->run = 0;
    while (f->run < rest.length && rest.text[f->run] == f->ch) f->run++;
    if (f->run < 3) return false;
    int32_t s = f->run, e = rest.length;
    while (s < e && space_or_tab(rest.text[s])) s++;
    while (e > s && space_or_tab(rest.text[e - 1])) e--;
    if (f->ch == '`' && memchr(rest.text + s, '`', (size_t)(e - s))) return false;
    int32_t l = s;
    while (l < e && !space_or_tab(rest.text[l])) l++;
    f->language = rest.text + s;
    f->language_length = l - s;
    return true;
}

bool closing_fence(const qel_markdown_line& line, const fence& f)
{
    int32_t columns = 0;
    qel_markdown_line rest = after_indent(line, &columns);
    if (columns > 3) return false;
    int32_t run = 0;
    while (run < rest.length && rest.text[run] == f.ch) run++;
    if (run < f.run) return false;
    for (int32_t i = run; i < rest.length; i++)
        if (!space_or_tab(rest.text[i])) return false;
    return true;
}

// An ATX heading's level (0 when none) and trimmed content.
int32_t atx_heading(const qel_markdown_line& rest, const char** text, int32_t* length)
{
    int32_t level = 0;
    while (level < rest.length && rest.text[level] == '#') level++;
    if (level < 1 || level > 6 || (level < rest.length && !space_or_tab(rest.text[level]))) return 0;
    int32_t s = level, e = rest.length;
    while (s < e && space_or_tab(rest.text[s])) s++;
    while (e > s && space_or_tab(rest.text[e - 1])) e--;
    int32_t h = e;
    while (h > s && rest.text[h - 1] == '#') h--;
    if (h < e && (h == s || space_or_tab(rest.text[h - 1]))) {
        e = h;
        while (e > s && space_or_tab(rest.text[e - 1])) e--;
    }
    *text = rest.text + s;
    *length = e - s;
    return level;
}

bool quote_line(const qel_markdown_line& line)
{
    int32_t columns = 0;
    qel_markdown_line rest = after_indent(line, &columns);
    return columns <= 3 && rest.length > 0 && rest.text[0] == '>';
}

// A quote line less its ">" and one space or tab after it.
qel_markdown_line quoted(const qel_markdown_line& line)
{
    int32_t columns = 0;
    qel_markdown_line rest = after_indent(line, &columns);
    int32_t skip = rest.length > 1 && space_or_tab(rest.text[1]) ? 2 : 1;
    return {rest.text + skip, rest.length - skip, rest.offset + skip};
}

// A setext underline: level 1 for "=", 2 for "-", 0 none.
int32_t setext_level(const qel_markdown_line& line)
{
    int32_t columns = 0;
    qel_markdown_line rest = after_indent(line, &columns);
    int32_t e = rest.length;
    while (e > 0 && space_or_tab(rest.text[e - 1])) e--;
    if (columns > 3 || e < 1 || (rest.text[0] != '=' && rest.text[0] != '-')) return 0;
    for (int32_t i = 0; i < e; i++)
        if (rest.text[i] != rest.text[0]) return 0;
    return rest.text[0] == '=' ? 1 : 2;
}

float gap_before(const qel_markdown_render* r, int32_t previous, int32_t kind, int32_t level, bool tight)
{
    if (previous == KIND_NONE) return 0;
    bool c = r->compact;
    if (kind == KIND_RULE || previous == KIND_RULE) return c ? 10 : 16;
    if (kind == KIND_HEADING) {
        if (level <= 2) return c ? 12 : 24;
        return c ? 12 : 18;
    }
    if (previous == KIND_HEADING) return c ? 4 : 8;
    if (tight) return 4;
    return c ? 8 : 12;
}

void spacer(qel_markdown_render* r, float units)
{
    if (units > 0) qel_node_sized(r->ctx, 0, {QEL_SIZE_FIXED, 1}, {QEL_SIZE_FIXED, units * r->unit});
}

float code_block(qel_markdown_render* r, const qel_markdown_line* lines, int32_t count, const char* language,
                 int32_t language_length)
{
    qel_context* ctx = r->ctx;
    size_t total = 1;
    for (int32_t i = 0; i < count; i++) total += (size_t)lines[i].length + 1;
    char* code = (char*)qel_arena_alloc(ctx, total);
    size_t n = 0;
    for (int32_t i = 0; i < count; i++) {
        memcpy(code + n, lines[i].text, (size_t)lines[i].length);
        n += (size_t)lines[i].length;
        if (i + 1 < count) code[n++] = '\n';
    }
    char* lang = (char*)"text";
    if (language_length >= 1 && language_length <= 23) {
        lang = qel_arena_strdup(ctx, language, language_length);
        for (char* c = lang; *c; c++)
            if (*c >= 'A' && *c <= 'Z') *c = (char)(*c - 'A' + 'a');
    }
    qel_code_block_opts o = {};
    o.language = lang;
    float size = r->size * qel_theme_block_get(ctx)->ui_scale;
    o.font_size = size;
    qel_code_block(ctx, qel_arena_sprintf(ctx, "code%d", r->code_blocks++), code, &o);
    if (!r->fit) return 0;
    float widest = 0;
    for (int32_t i = 0; i < count; i++) {
        float w = qel_text_width(ctx, QEL_FONT_MONO, size, lines[i].text, lines[i].length, 0);
        if (w > widest) widest = w;
    }
    return widest + 42;
}

// Lines of an indented code block from i: less 4 columns, trailing blank lines left out.
int32_t indented_code(qel_markdown_render* r, const qel_markdown_line* lines, int32_t count, int32_t i, float* natural)
{
    int32_t last = i, bytes = 0;
    for (int32_t j = i + 1; j < count; j++) {
        if (qel_markdown_blank(&lines[j])) continue;
        if (qel_markdown_indent(&lines[j], &bytes) < 4) break;
        last = j;
    }
    int32_t n = last - i + 1;
    auto* code = (qel_markdown_line*)qel_arena_alloc(r->ctx, sizeof(qel_markdown_line) * (size_t)n);
    for (int32_t j = 0; j < n; j++) code[j] = less_indent(lines[i + j], 4);
    *natural = code_block(r, code, n, "", 0);
    return n;
}

int32_t fenced_code(qel_markdown_render* r, const qel_markdown_line* lines, int32_t count, int32_t i, int32_t indent,
                    const fence& f, float* natural)
{
    int32_t j = i + 1;
    while (j < count && !closing_fence(lines[j], f)) j++;
    int32_t n = j - i - 1;
    auto* code = (qel_markdown_line*)qel_arena_alloc(r->ctx, sizeof(qel_markdown_line) * (size_t)(n > 0 ? n : 1));
    for (int32_t k = 0; k < n; k++) code[k] = less_indent(lines[i + 1 + k], indent);
    *natural = code_block(r, code, n, f.language, f.language_length);
    return (j < count ? j + 1 : j) - i;
}

int32_t quote(qel_markdown_render* r, const qel_markdown_block_ctx* block, const qel_markdown_line* lines,
              int32_t count, int32_t i, float* natural)
{
    qel_context* ctx = r->ctx;
    // Counted first, so each quote of a long document takes memory for its own lines only.
    int32_t end = i;
    bool had_content = false;
    for (; end < count; end++) {
        const qel_markdown_line& line = lines[end];
        if (quote_line(line)) {
            qel_markdown_line inner = quoted(line);
            had_content = !qel_markdown_blank(&inner);
        } else if (!had_content || qel_markdown_blank(&line) || qel_markdown_starts_block(&line)) {
            break;
        }
    }
    int32_t n = end - i;
    auto* inner = (qel_markdown_line*)qel_arena_alloc(ctx, sizeof(qel_markdown_line) * (size_t)n);
    for (int32_t j = 0; j < n; j++) inner[j] = quote_line(lines[i + j]) ? quoted(lines[i + j]) : lines[i + j];
    float u = r->unit;
    int32_t node = qel_node_sized_pushed(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIT, 0});
    qel_node_at(ctx, node)->pad_left = 14 * u;
    qel_node_draw_with(ctx, node, qel_markdown_draw_quote_bar, &r->quote_bar, sizeof r->quote_bar, false);
    qel_markdown_block_ctx b = {block->width - 14 * u, block->depth + 1, 0, r->muted};
    *natural = 14 * u + qel_markdown_blocks(r, inner, n, &b);
    qel_node_pop(ctx);
    return n;
}

// A paragraph from i, or a setext heading: the lines it takes.
int32_t paragraph(qel_markdown_render* r, const qel_markdown_block_ctx* block, const qel_markdown_line* lines,
                  int32_t count, int32_t i, int32_t previous, float* natural, int32_t* kind)
{
    uint8_t alignments[QEL_MARKDOWN_MAX_CELLS];
    int32_t j = i + 1, level = 0, bytes = 0;
    for (; j < count; j++) {
        const qel_markdown_line& line = lines[j];
        if (qel_markdown_blank(&line)) break;
        if (qel_markdown_indent(&line, &bytes) >= 4) continue;
        level = setext_level(line);
        if (level) break;
        if (qel_markdown_starts_block(&line) || qel_markdown_table_start(r, lines, count, j, alignments)) break;
    }
    bool underline = level != 0;
    if (level && r->streaming && lines[j].offset + lines[j].length >= r->trimmed) level = 0;
    *kind = level ? KIND_HEADING : KIND_PARAGRAPH;
    spacer(r, gap_before(r, previous, *kind, level, block->tight));
    if (level) {
        int32_t length = 0;
        const char* text = qel_markdown_join_lines(r, lines + i, j - i, &length);
        *natural = qel_markdown_heading(r, block->width, block->color, level, text, length, false);
    } else {
        *natural = qel_markdown_paragraph(r, block, lines + i, j - i);
    }
    return j - i + (underline ? 1 : 0);
}

// Deeper than the nesting limit: the non-blank lines as one paragraph.
float flat_paragraph(qel_markdown_render* r, const qel_markdown_line* lines, int32_t count,
                     const qel_markdown_block_ctx* block)
{
    auto* kept = (qel_markdown_line*)qel_arena_alloc(r->ctx, sizeof(qel_markdown_line) * (size_t)(count ? count : 1));
    int32_t n = 0;
    for (int32_t i = 0; i < count; i++)
        if (!qel_markdown_blank(&lines[i])) kept[n++] = lines[i];
    return n ? qel_markdown_paragraph(r, block, kept, n) : 0;
}

int32_t trimmed_length(const char* text, int32_t length)
{
    while (length > 0 && (text[length - 1] == 0 || strchr(" \t\n\r", text[length - 1]))) length--;
    return length;
}

qel_markdown_line* split_lines(qel_context* ctx, const char* text, int32_t length, int32_t* count)
{
    int32_t feeds = 0;
    for (int32_t i = 0; i < length; i++) feeds += text[i] == '\n';
    auto* lines = (qel_markdown_line*)qel_arena_alloc(ctx, sizeof(qel_markdown_line) * (size_t)(feeds + 1));
    int32_t n = 0, start = 0;
    for (int32_t i = 0; i <= length; i++) {
        if (i < length && text[i] != '\n') continue;
        if (i == length && start == length) break;
        int32_t l = i - start;
        if (l > 0 && text[start + l - 1] == '\r') l--;
        lines[n++] = {text + start, l, start};
        start = i + 1;
    }
    *count = n;
    return lines;
}

void colours(qel_markdown_render* r, qel_color given)
{
    qel_context* ctx = r->ctx;
    r->custom_color = qel_color_arg(given, 0) != 0;
    if (r->custom_color) {
        qel_color c = qel_color_resolve(ctx, given);
        r->text_color = c;
        r->muted = qel_color_alpha(c, 0.78f);
        r->link = c;
        r->code_background = qel_color_alpha(c, 0.14f);
        r->marker = qel_color_alpha(c, 0.7f);
        r->rule = qel_color_alpha(c, 0.22f);
        r->quote_bar = qel_color_alpha(c, 0.35f);
        return;
    }
    r->text_color = qel_theme_color(ctx, QEL_COLOR_TEXT);
    r->muted = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    r->link = qel_theme_color(ctx, qel_theme_get_accent(ctx) == QEL_ACCENT_NEUTRAL ? QEL_COLOR_TEXT : QEL_COLOR_ACCENT_STRONG);
    r->code_background = qel_theme_color(ctx, QEL_COLOR_ACTIVE);
    r->marker = qel_theme_color(ctx, QEL_COLOR_TEXT_SECONDARY);
    r->rule = qel_theme_color(ctx, QEL_COLOR_BORDER);
    r->quote_bar =
        qel_color_mix(qel_theme_color(ctx, QEL_COLOR_BORDER), qel_theme_color(ctx, QEL_COLOR_BORDER_STRONG), 0.45f);
}

// One block from the non-blank line at i, after the gap its kind takes behind previous; returns
// the lines it took.
int32_t one_block(qel_markdown_render* r, const qel_markdown_line* lines, int32_t count, int32_t i,
                  const qel_markdown_block_ctx* block, int32_t previous, int32_t* kind_out, float* natural)
{
    qel_context* ctx = r->ctx;
    const qel_markdown_line& line = lines[i];
    uint8_t alignments[QEL_MARKDOWN_MAX_CELLS];
    int32_t columns = 0, kind = KIND_PARAGRAPH, used = 1, level = 0, length = 0;
    qel_markdown_line rest = after_indent(line, &columns);
    float w = 0;
    fence f;
    const char* heading = nullptr;
    qel_markdown_list_marker_info m;
    if (columns >= 4) {
        spacer(r, gap_before(r, previous, kind = KIND_CODE, 0, block->tight));
        used = indented_code(r, lines, count, i, &w);
    } else if (opening_fence(rest, &f)) {
        spacer(r, gap_before(r, previous, kind = KIND_CODE, 0, block->tight));
        used = fenced_code(r, lines, count, i, columns, f, &w);
    } else if ((level = atx_heading(rest, &heading, &length)) > 0) {
        spacer(r, gap_before(r, previous, kind = KIND_HEADING, level, block->tight));
        bool streaming = r->streaming && line.offset + line.length >= r->trimmed;
        w = qel_markdown_heading(r, block->width, block->color, level, heading, length, streaming);
    } else if (qel_markdown_rule(&line)) {
        spacer(r, gap_before(r, previous, kind = KIND_RULE, 0, block->tight));
        int32_t rule = qel_node_sized(ctx, 0, {QEL_SIZE_GROW, 1}, {QEL_SIZE_FIXED, 1});
        qel_node_at(ctx, rule)->fill = r->rule;
    } else if (rest.length && rest.text[0] == '>') {
        spacer(r, gap_before(r, previous, kind = KIND_QUOTE, 0, block->tight));
        used = quote(r, block, lines, count, i, &w);
    } else if (qel_markdown_list_marker(rest.text, rest.length, &m)) {
        spacer(r, gap_before(r, previous, kind = KIND_LIST, 0, block->tight));
        w = qel_markdown_list(r, block, lines, count, i, &used);
    } else if (qel_markdown_table_start(r, lines, count, i, alignments)) {
        spacer(r, gap_before(r, previous, kind = KIND_TABLE, 0, block->tight));
        w = qel_markdown_table(r, block, lines, count, i, &used);
    } else {
        used = paragraph(r, block, lines, count, i, previous, &w, &kind);
    }
    *kind_out = kind;
    *natural = w;
    return used;
}

// --- Blocks far from the display ---
// A long document is laid out whole, yet only a screenful shows. While the text and everything
// its layout depends on stay as they were, the top-level blocks far above or below the display
// take their height from the last frame and stand in as one spacer, neither parsed nor built.

// A top-level block as the last frame laid it out.
struct top_block {
    int32_t used, kind;
    int32_t links, code_blocks, tables;  // what it takes from the render's counters
    float natural;
    float bottom;  // from the root's top; below 0 while not laid out
    float min_w;   // the widest least width of its nodes
};

// What the layout of the blocks depends on besides the text.
struct cull_key {
    float wrap, size, ui_scale, body, large, heading[4];
    int32_t streaming, compact;  // no padding: keys compare as bytes
};

// Kept under the widget's id: the key, the text and the blocks of the last frame.
struct cull_cache {
    cull_key key;
    char* text;
    int32_t length;
    top_block* blocks;
    int32_t count, capacity;
};

// The frame's side: the nodes of each block under the root, read back once laid out.
struct cull_frame {
    cull_cache* cache;
    int32_t root;
    int32_t* first_node;  // per block; -1 when it made none, STOOD_IN
    int32_t* last_node;
};

const uint32_t CULL_SEED = 0x6d2c1;
const int32_t STOOD_IN = -2;

void cull_cache_free(qel_context* ctx, void* blob)
{
    auto* c = (cull_cache*)blob;
    qel_mem_free(ctx, c->text);
    qel_mem_free(ctx, c->blocks);
}

cull_key key_of(const qel_markdown_render* r, float wrap)
{
    const qel_theme& th = r->ctx->theme.current;
    cull_key k = {};
    k.wrap = wrap;
    k.size = r->size;
    k.ui_scale = th.ui_scale;
    k.body = th.text_body;
    k.large = th.text_large;
    for (int32_t i = 0; i < 4; i++) k.heading[i] = th.heading[i];
    k.streaming = r->streaming;
    k.compact = r->compact;
    return k;
}

// The widget's cache; *same tells whether the last frame laid out this very text the same way and
// every block's bottom is known. Otherwise the cache starts over with this frame's text.
cull_cache* cull_cache_for(qel_markdown_render* r, float wrap, bool* same)
{
    qel_context* ctx = r->ctx;
    uint32_t id = r->id ^ CULL_SEED;
    auto* c = (cull_cache*)qel_state_get(ctx, id, sizeof(cull_cache));
    qel_state_set_destructor(ctx, id, cull_cache_free);
    cull_key k = key_of(r, wrap);
    *same = c->text && c->length == r->length && memcmp(&c->key, &k, sizeof k) == 0 &&
            memcmp(c->text, r->text, (size_t)r->length) == 0;
    for (int32_t b = 0; *same && b < c->count; b++) *same = c->blocks[b].bottom >= 0;
    if (!*same) {
        c->key = k;
        qel_mem_free(ctx, c->text);
        c->text = (char*)qel_mem_alloc(ctx, (size_t)r->length + 1);
        memcpy(c->text, r->text, (size_t)r->length);
        c->length = r->length;
        c->count = 0;
    }
    return c;
}

top_block* next_record(qel_context* ctx, cull_cache* c)
{
    c->blocks = qel_array_grow(ctx, c->blocks, &c->capacity, c->count + 1ll);
    return &c->blocks[c->count++];
}

// The top-level blocks: with the last frame's blocks known, those far from the display stand in
// as one spacer per stretch.
float top_blocks(qel_markdown_render* r, const qel_markdown_line* lines, int32_t count,
                 const qel_markdown_block_ctx* block, cull_frame* cf, bool known)
{
    qel_context* ctx = r->ctx;
    cull_cache* c = cf->cache;
    qel_rect root_last = qel_id_rect(ctx, r->id);
    bool stand = known && qel_markdown_may_stand_in(ctx, root_last);
    int32_t capacity = known ? c->count : 0;
    for (int32_t i = 0; !known && i < count; i++) capacity += !qel_markdown_blank(&lines[i]);
    cf->first_node = (int32_t*)qel_arena_alloc(ctx, sizeof(int32_t) * (size_t)(capacity + 1));
    cf->last_node = (int32_t*)qel_arena_alloc(ctx, sizeof(int32_t) * (size_t)(capacity + 1));
    int32_t blocks = 0, previous = KIND_NONE;
    float natural = 0, from = -1, widest = 1;  // from: the top of the stretch standing in
    for (int32_t i = 0; i <= count;) {
        bool end = i == count;
        if (!end && qel_markdown_blank(&lines[i])) {
            i++;
            continue;
        }
        if (!end && stand && blocks < c->count) {
            const top_block& b = c->blocks[blocks];
            float top = blocks ? c->blocks[blocks - 1].bottom : 0;
            if (qel_markdown_beyond(ctx, root_last.y + top, root_last.y + b.bottom, ctx->clock.display_h)) {
                if (from < 0) from = top;
                if (b.min_w > widest) widest = b.min_w;
                r->links += b.links;
                r->code_blocks += b.code_blocks;
                r->tables += b.tables;
                if (b.natural > natural) natural = b.natural;
                previous = b.kind;
                cf->first_node[blocks] = cf->last_node[blocks] = STOOD_IN;
                blocks++;
                i += b.used;
                continue;
            }
        }
        if (from >= 0) {
            float h = c->blocks[blocks - 1].bottom - from;
            qel_node_sized(ctx, 0, {QEL_SIZE_FIXED, widest}, {QEL_SIZE_FIXED, h});
            from = -1;
            widest = 1;
        }
        if (end) break;
        int32_t before = qel_node_at(ctx, cf->root)->last_child;
        int32_t links = r->links, code_blocks = r->code_blocks, tables = r->tables, kind = 0;
        float w = 0;
        int32_t used = one_block(r, lines, count, i, block, previous, &kind, &w);
        if (!known) {
            top_block* b = next_record(ctx, c);
            *b = {used, kind, r->links - links, r->code_blocks - code_blocks, r->tables - tables, w, -1, 0};
        }
        const qel_node* root = qel_node_at(ctx, cf->root);
        cf->first_node[blocks] = before >= 0 ? qel_node_at(ctx, before)->next_sibling : root->first_child;
        cf->last_node[blocks] = root->last_child;
        blocks++;
        if (w > natural) natural = w;
        previous = kind;
        i += used;
    }
    return natural;
}

// Once laid out: each built block's bottom and least width, for the next frame. A block that
// stood in but shows after a jump of the view is built in the next frame.
void record_blocks(qel_context* ctx, const qel_node* root, const cull_frame* cf)
{
    cull_cache* c = cf->cache;
    float bottom = 0;
    for (int32_t b = 0; b < c->count; b++) {
        if (cf->first_node[b] == STOOD_IN) {
            if (!qel_markdown_beyond(ctx, root->rect.y + bottom, root->rect.y + c->blocks[b].bottom, 0))
                qel_request_redraw(ctx);
            bottom = c->blocks[b].bottom;
            continue;
        }
        float min_w = 0;
        for (int32_t n = cf->first_node[b]; n >= 0;) {
            const qel_node* node = qel_node_at(ctx, n);
            if (node->measured_min_w > min_w) min_w = node->measured_min_w;
            bottom = node->rect.y + node->rect.h - root->rect.y;
            n = n == cf->last_node[b] ? -1 : node->next_sibling;
        }
        c->blocks[b].bottom = bottom;
        c->blocks[b].min_w = min_w;
    }
}

struct root_payload {
    float wrap;
    cull_frame cull;
};

void draw_root(qel_context* ctx, const qel_node* node, void* payload)
{
    auto* p = (root_payload*)payload;
    qel_markdown_check_width(ctx, node, &p->wrap);
    record_blocks(ctx, node, &p->cull);
}

}  // namespace

int32_t qel_markdown_indent(const qel_markdown_line* line, int32_t* bytes)
{
    int32_t col = 0, i = 0;
    while (i < line->length && space_or_tab(line->text[i])) {
        col = line->text[i] == '\t' ? (col / 4 + 1) * 4 : col + 1;
        i++;
    }
    *bytes = i;
    return col;
}

bool qel_markdown_blank(const qel_markdown_line* line)
{
    for (int32_t i = 0; i < line->length; i++)
        if (!space_or_tab(line->text[i])) return false;
    return true;
}

bool qel_markdown_rule(const qel_markdown_line* line)
{
    int32_t columns = 0;
    qel_markdown_line rest = after_indent(*line, &columns);
    if (columns > 3 || rest.length < 1 || !rest.text[0] || !strchr("*-_", rest.text[0])) return false;
    int32_t marks = 0;
    for (int32_t i = 0; i < rest.length; i++) {
        if (rest.text[i] == rest.text[0]) marks++;
        else if (!space_or_tab(rest.text[i])) return false;
    }
    return marks >= 3;
}

bool qel_markdown_starts_block(const qel_markdown_line* line)
{
    int32_t columns = 0, length = 0;
    qel_markdown_line rest = after_indent(*line, &columns);
    if (columns > 3) return false;
    fence f;
    const char* heading;
    qel_markdown_list_marker_info m;
    if (opening_fence(rest, &f) || atx_heading(rest, &heading, &length) || (rest.length && rest.text[0] == '>') ||
        qel_markdown_rule(line))
        return true;
    if (!qel_markdown_list_marker(rest.text, rest.length, &m) || (m.ordered && m.number != 1)) return false;
    qel_markdown_line content = {rest.text + m.length, rest.length - m.length, 0};
    return !qel_markdown_blank(&content);
}

bool qel_markdown_may_stand_in(qel_context* ctx, qel_rect area)
{
    const qel_interaction_state* s = &ctx->interaction;
    if (s->focus_visible || s->focus_request) return false;
    if (!s->focused) return true;
    qel_rect f = qel_id_rect(ctx, s->focused);
    return f.y + f.h < area.y || f.y > area.y + area.h;
}

bool qel_markdown_beyond(qel_context* ctx, float top, float bottom, float d)
{
    return bottom < -d || top > ctx->clock.display_h + d;
}

float qel_markdown_blocks(qel_markdown_render* r, const qel_markdown_line* lines, int32_t count,
                          const qel_markdown_block_ctx* block)
{
    if (block->depth > MAX_DEPTH) return flat_paragraph(r, lines, count, block);
    int32_t previous = KIND_NONE;
    float natural = 0;
    for (int32_t i = 0; i < count;) {
        if (qel_markdown_blank(&lines[i])) {
            i++;
            continue;
        }
        int32_t kind = KIND_NONE;
        float w = 0;
        i += one_block(r, lines, count, i, block, previous, &kind, &w);
        if (w > natural) natural = w;
        previous = kind;
    }
    return natural;
}

qel_markdown_result qel_markdown(qel_context* ctx, const char* label, const char* text,
                                 const qel_markdown_options* options)
{
    const qel_markdown_options none = {};
    const qel_markdown_options* o = options ? options : &none;
    if (!label) label = "markdown";
    if (!text) text = "";
    qel_markdown_result result = {};
    result.task_offset = -1;

    qel_markdown_render r = {};
    r.ctx = ctx;
    r.id = qel_id(ctx, label);
    r.text = text;
    r.length = o->length >= 1 ? o->length : (int32_t)strlen(text);
    r.trimmed = trimmed_length(text, r.length);
    r.streaming = o->streaming != 0;
    r.compact = o->compact != 0;
    r.fit = o->fit != 0;
    r.size = o->font_size > 0 ? o->font_size : qel_theme_block_get(ctx)->text_body;
    r.unit = r.size / 13;
    r.result = &result;
    colours(&r, o->color);

    float wrap = 0;
    qel_rect last = qel_id_rect(ctx, r.id);
    if (o->width.kind == QEL_SIZE_FIXED) {
        wrap = o->width.value;
    } else if (qel_id_seen(ctx, r.id) && last.w > 0) {
        wrap = last.w;
    } else {
        wrap = ctx->clock.display_w < 640 ? ctx->clock.display_w : 640;
        qel_request_redraw(ctx);
    }

    int32_t root = qel_node_open(ctx, r.id);
    qel_node* n = qel_node_at(ctx, root);
    if (r.fit) n->width = {QEL_SIZE_FIT, 0};
    else if (o->width.kind != QEL_SIZE_FIT) n->width = o->width;
    else n->width = {QEL_SIZE_GROW, 1};
    n->height = {QEL_SIZE_FIT, 0};
    qel_node_draw_with(ctx, root, qel_markdown_check_width, &wrap, sizeof wrap, false);
    qel_node_push(ctx, root);
    qel_push_id(ctx, label);

    int32_t count = 0;
    qel_markdown_line* lines = split_lines(ctx, text, r.length, &count);
    qel_markdown_block_ctx top = {wrap, 0, 0, r.text_color};
    float natural = 0;
    if (r.fit) {
        natural = qel_markdown_blocks(&r, lines, count, &top);
    } else {
        bool known = false;
        root_payload p = {wrap, {cull_cache_for(&r, wrap, &known), root, nullptr, nullptr}};
        top_blocks(&r, lines, count, &top, &p.cull, known);
        qel_node_draw_with(ctx, root, draw_root, &p, sizeof p, false);
    }

    qel_pop_id(ctx);
    qel_node_pop(ctx);
    qel_set_last_item(ctx, r.id);
    if (r.fit) {
        float preferred = natural < 1 ? 1 : natural > 1000000 ? 1000000 : natural;
        qel_node_set_width(qel_node_at(ctx, root), {QEL_SIZE_FIT, 0}, preferred);
    }
    return result;
}

bool qel_markdown_toggle_task(char* source, const qel_markdown_result* result)
{
    if (!source || !result || result->task_offset < 1) return false;
    for (int32_t i = 0; i <= result->task_offset; i++)
        if (!source[i]) return false;
    char* at = source + result->task_offset;
    if (at[-1] != '[' || at[1] != ']' || !strchr("xX ", at[0])) return false;
    *at = result->task_checked ? 'x' : ' ';
    return true;
}
