// Sizing and placing the frame's tree: text direction, intrinsic widths, widths, text wrapping
// with intrinsic heights, heights and positions, each a recursive pass over the flat node array.
// The root is laid out over the display; each overlay root on its own, placed against its
// anchor's rectangle of the last frame. Drawing is layout_draw.cpp's.
#include <cmath>

#include "core/core.h"
#include "qel/scroll_container.h"
#include "qel/state.h"
#include "qel/text.h"

static const float SLACK = 0.01f;      // widths within this of the room still fit
static const float EDGE_MARGIN = 8.0f;  // overlays keep this far from the display's edges

static qel_node* node_of(qel_context* ctx, int32_t index)
{
    return &ctx->tree.nodes[index];
}

// The lower bound wins when the bounds cross.
static float clamp_to(float v, float lo, float hi)
{
    return fmaxf(lo, fminf(v, hi));
}

static float inner_width(const qel_node* n)
{
    return fmaxf(0.0f, n->rect.w - n->pad_left - n->pad_right);
}

static float inner_height(const qel_node* n)
{
    return fmaxf(0.0f, n->rect.h - n->pad_top - n->pad_bottom);
}

// One axis of a node, so that widths and heights share their rules.
struct axis {
    qel_size size;
    float lo, hi;           // min and max
    float measured, least;  // measured preferred and minimum
    float* out;             // laid-out size
};

static axis axis_of(qel_node* n, bool horizontal)
{
    if (horizontal) return {n->width, n->min_w, n->max_w, n->measured_w, n->measured_min_w, &n->rect.w};
    return {n->height, n->min_h, n->max_h, n->measured_h, n->measured_min_h, &n->rect.h};
}

static float grow_weight(const qel_size& s)
{
    return s.value > 0.0f ? s.value : 1.0f;
}

// The least a fit or grow child is distributed.
static float floor_of(const axis& a)
{
    return fmaxf(a.least, a.lo);
}

// A node's size by its own rule within room: a floating node's, and a distributed child's before
// grow children share the rest.
static float own_size(const axis& a, float room)
{
    switch (a.size.kind) {
    case QEL_SIZE_FIXED: return clamp_to(a.size.value, a.lo, a.hi);
    case QEL_SIZE_PERCENT: return clamp_to(a.size.value * room / 100.0f, a.lo, a.hi);
    case QEL_SIZE_GROW: return clamp_to(room, a.lo, a.hi);
    default: return clamp_to(a.measured, a.lo, a.hi);
    }
}

// Every pass visits a node's floating children after its children.
template <typename Pass>
static void each_child(qel_context* ctx, const qel_node* n, Pass pass)
{
    for (int32_t c = n->first_child; c >= 0; c = node_of(ctx, c)->next_sibling) pass(ctx, c);
    for (int32_t c = n->first_floating; c >= 0; c = node_of(ctx, c)->next_sibling) pass(ctx, c);
}

// Floating children take their own size on an axis, within the node's inner size.
static void size_floating(qel_context* ctx, const qel_node* n, float inner, bool horizontal)
{
    for (int32_t c = n->first_floating; c >= 0; c = node_of(ctx, c)->next_sibling) {
        axis a = axis_of(node_of(ctx, c), horizontal);
        *a.out = own_size(a, inner);
    }
}

// --- Direction ---

static void resolve_direction(qel_context* ctx, int32_t index, uint8_t inherited)
{
    qel_node* n = node_of(ctx, index);
    n->rtl = n->direction_mode == 2 ? 1 : n->direction_mode == 1 ? 0 : inherited;
    if (!(n->flags & QEL_NODE_TEXT) && n->content_align) {
        switch (n->content_align) {
        case 1: n->justify = QEL_JUSTIFY_CENTER; break;
        case 2: n->justify = n->rtl ? QEL_JUSTIFY_START : QEL_JUSTIFY_END; break;
        case 3: n->justify = n->rtl ? QEL_JUSTIFY_END : QEL_JUSTIFY_START; break;
        case 4: n->justify = QEL_JUSTIFY_END; break;
        default: break;
        }
    }
    uint8_t rtl = n->rtl;
    each_child(ctx, n, [rtl](qel_context* context, int32_t child) { resolve_direction(context, child, rtl); });
}

// --- Intrinsic sizes ---

// What a child adds to its container's preferred and minimum size on an axis.
struct contribution {
    float pref, least;
};

static contribution contribution_of(qel_node* c, bool horizontal)
{
    axis a = axis_of(c, horizontal);
    float pref = a.measured, least = a.least;
    if (a.size.kind == QEL_SIZE_FIXED) pref = least = a.size.value;
    else if (a.size.kind == QEL_SIZE_PERCENT) pref = 0.0f;
    return {clamp_to(pref, a.lo, a.hi), clamp_to(least, a.lo, a.hi)};
}

static int32_t grid_columns_measured(const qel_node* n)
{
    if (n->grid_columns >= 1) return n->grid_columns;
    return n->child_count > 1 ? n->child_count : 1;
}

// A container's preferred and minimum width from its children.
static contribution container_widths(qel_context* ctx, const qel_node* n)
{
    float sum_pref = 0, sum_least = 0, max_pref = 0, max_least = 0, max_hard = 0;
    for (int32_t i = n->first_child; i >= 0; i = node_of(ctx, i)->next_sibling) {
        qel_node* c = node_of(ctx, i);
        contribution k = contribution_of(c, true);
        sum_pref += k.pref;
        sum_least += k.least;
        max_pref = fmaxf(max_pref, k.pref);
        max_least = fmaxf(max_least, k.least);
        float hard = c->width.kind == QEL_SIZE_FIXED ? c->width.value : fminf(c->hard_min_w, c->max_w);
        max_hard = fmaxf(max_hard, hard);
    }
    float gaps = n->child_count > 1 ? (float)(n->child_count - 1) * n->gap : 0.0f;
    contribution r;
    switch (n->direction) {
    case QEL_DIR_ROW: r = {sum_pref + gaps, n->flags & QEL_NODE_WRAP ? max_hard : sum_least + gaps}; break;
    case QEL_DIR_GRID: {
        if (n->grid_cell_width > 0) {
            int32_t cols = grid_columns_measured(n);
            r = {fmaxf(max_pref, n->grid_cell_width) * (float)cols + (float)(cols - 1) * n->gap, max_least};
        } else {
            int32_t cols = n->grid_columns > 1 ? n->grid_columns : 1;
            float g = (float)(cols - 1) * n->gap;
            r = {max_pref * (float)cols + g, max_least * (float)cols + g};
        }
        break;
    }
    default: r = {max_pref, max_least}; break;
    }
    float pad = n->pad_left + n->pad_right;
    r.pref += pad;
    r.least = n->flags & QEL_NODE_SCROLL_X ? pad : r.least + pad;
    return r;
}

static float quarter_up(float w)
{
    return ceilf(w * 4.0f) / 4.0f;
}

static void measure(qel_context* ctx, int32_t index)
{
    qel_node* n = node_of(ctx, index);
    each_child(ctx, n, measure);
    contribution r;
    if (n->flags & QEL_NODE_TEXT) {
        uint8_t tabular = (n->flags & QEL_NODE_TABULAR) != 0;
        float natural = qel_text_width(ctx, (int32_t)n->font, n->font_size, n->text, n->text_length, tabular);
        float least = n->flags & QEL_NODE_WRAP_TEXT
                          ? qel_text_max_word_width(ctx, (int32_t)n->font, n->font_size, n->text, n->text_length)
                          : fminf(natural, 2.5f * n->font_size);
        n->text_w = natural;
        r = {quarter_up(natural), quarter_up(least)};
    } else {
        r = container_widths(ctx, n);
    }
    if (n->width.kind == QEL_SIZE_FIT && n->preferred_width > 0) {
        r.pref = n->preferred_width;
        r.least = fminf(r.least, r.pref);
    }
    float m = n->flags & QEL_NODE_NO_SHRINK ? r.pref : r.least;
    if (n->width.kind == QEL_SIZE_FIXED) {
        r.pref = m = n->width.value;
        n->hard_min_w = fminf(n->width.value, n->max_w);
    } else if (n->flags & QEL_NODE_MIN_FLOOR) {
        n->hard_min_w = fmaxf(fminf(n->min_w, n->max_w), fminf(fminf(m, n->min_w), fminf(r.pref, n->max_w)));
        m = fminf(m, n->min_w);
    } else {
        n->hard_min_w = fminf(m, fminf(r.pref, n->max_w));
    }
    n->measured_w = clamp_to(r.pref, n->min_w, n->max_w);
    n->measured_min_w = clamp_to(fminf(m, n->measured_w), n->min_w, n->max_w);
}

// --- Distribution along one axis ---

// Sizes count children from first over available room: fixed and percent sizes first, then
// grow children share what is left by weight (frozen at their floor or max), then fit and grow
// children give back room in proportion to what they can spare when the sum overflows.
static void distribute(qel_context* ctx, int32_t first, int32_t count, float available, float gap, bool horizontal,
                       bool shrink)
{
    if (count <= 0) return;
    float total = available;
    available -= (float)(count - 1) * gap;
    float weight = 0, sum = 0;
    for (int32_t i = first, k = 0; k < count; i = node_of(ctx, i)->next_sibling, k++) {
        axis a = axis_of(node_of(ctx, i), horizontal);
        float s = 0;
        if (a.size.kind == QEL_SIZE_GROW) weight += grow_weight(a.size);
        else s = own_size(a, total);
        *a.out = s;
        sum += s;
    }
    if (weight > 0) {
        float free_room = fmaxf(0.0f, available - sum);
        uint8_t* frozen = (uint8_t*)qel_arena_alloc(ctx, (size_t)count);
        for (int round = 0; round < 6 && weight > 0; round++) {
            float share = free_room / weight;
            bool froze = false;
            for (int32_t i = first, k = 0; k < count; i = node_of(ctx, i)->next_sibling, k++) {
                axis a = axis_of(node_of(ctx, i), horizontal);
                if (a.size.kind != QEL_SIZE_GROW || frozen[k]) continue;
                float w = grow_weight(a.size), s = share * w;
                float floor = floor_of(a);
                if (s < floor || s > a.hi) {
                    s = s < floor ? floor : a.hi;
                    frozen[k] = 1;
                    free_room -= s;
                    weight -= w;
                    froze = true;
                }
                *a.out = s;
            }
            if (!froze) break;
        }
        sum = 0;
        for (int32_t i = first, k = 0; k < count; i = node_of(ctx, i)->next_sibling, k++)
            sum += *axis_of(node_of(ctx, i), horizontal).out;
    }
    for (int round = 0; shrink && round < 3 && sum - available > SLACK; round++) {
        float room = 0;
        for (int32_t i = first, k = 0; k < count; i = node_of(ctx, i)->next_sibling, k++) {
            axis a = axis_of(node_of(ctx, i), horizontal);
            if (a.size.kind == QEL_SIZE_FIT || a.size.kind == QEL_SIZE_GROW) room += fmaxf(0.0f, *a.out - floor_of(a));
        }
        if (room <= 0) break;
        float factor = fminf(1.0f, (sum - available) / room);
        sum = 0;
        for (int32_t i = first, k = 0; k < count; i = node_of(ctx, i)->next_sibling, k++) {
            axis a = axis_of(node_of(ctx, i), horizontal);
            if (a.size.kind == QEL_SIZE_FIT || a.size.kind == QEL_SIZE_GROW)
                *a.out -= factor * fmaxf(0.0f, *a.out - floor_of(a));
            sum += *a.out;
        }
    }
}

// --- Widths ---

// A child's alignment on its container's cross axis. auto_align is what alignment 0 means there.
static uint32_t child_align(const qel_node* parent, const qel_node* c, uint32_t auto_align)
{
    if (c->align_self && c->align_self != QEL_ALIGN_OWN_SIZE) return c->align_self;
    return parent->align ? parent->align : auto_align;
}

static uint32_t auto_cross_size_align(const qel_node* parent)
{
    switch (parent->direction) {
    case QEL_DIR_ROW: return QEL_ALIGN_CENTER;
    case QEL_DIR_STACK: return QEL_ALIGN_START;
    default: return QEL_ALIGN_STRETCH;
    }
}

static void cross_width(const qel_node* parent, qel_node* c, float inner)
{
    bool scrolls = (parent->flags & QEL_NODE_SCROLL_X) != 0;
    bool stretch = c->align_self != QEL_ALIGN_OWN_SIZE &&
                   child_align(parent, c, auto_cross_size_align(parent)) == QEL_ALIGN_STRETCH;
    float w;
    switch (c->width.kind) {
    case QEL_SIZE_FIXED: w = c->width.value; break;
    case QEL_SIZE_PERCENT: w = c->width.value * inner / 100.0f; break;
    default:
        if (c->width.kind == QEL_SIZE_GROW || stretch) w = scrolls ? fmaxf(inner, c->measured_w) : inner;
        else w = scrolls ? c->measured_w : clamp_to(c->measured_w, c->measured_min_w, inner);
        break;
    }
    c->rect.w = clamp_to(w, c->min_w, c->max_w);
}

// A wrap row child's width when lines are formed.
static float line_width(const qel_node* c, float inner)
{
    float w;
    switch (c->width.kind) {
    case QEL_SIZE_FIXED: w = c->width.value; break;
    case QEL_SIZE_PERCENT: w = c->width.value * inner / 100.0f; break;
    case QEL_SIZE_GROW: w = fmaxf(c->measured_min_w, c->min_w); break;
    default: w = c->measured_w; break;
    }
    return clamp_to(w, c->min_w, c->max_w);
}

static void finish_line(qel_context* ctx, const qel_node* n, int32_t first, int32_t count, float inner)
{
    distribute(ctx, first, count, inner, n->gap, true, true);
    qel_node* c = node_of(ctx, first);
    if (count == 1 && c->rect.w > inner + SLACK) c->rect.w = fmaxf(inner, c->hard_min_w);
}

// Greedy lines: a child that would pass the inner width starts a new line.
static void wrap_widths(qel_context* ctx, const qel_node* n, float inner)
{
    int32_t line_first = -1, count = 0;
    float used = 0;
    for (int32_t i = n->first_child; i >= 0; i = node_of(ctx, i)->next_sibling) {
        qel_node* c = node_of(ctx, i);
        float w = line_width(c, inner);
        if (count > 0 && used + n->gap + w > inner + SLACK) {
            finish_line(ctx, n, line_first, count, inner);
            count = 0;
        }
        if (count == 0) {
            line_first = i;
            used = w;
            c->flags |= QEL_NODE_LINE_START;
        } else {
            used += n->gap + w;
            c->flags &= ~(uint32_t)QEL_NODE_LINE_START;
        }
        count++;
    }
    if (count > 0) finish_line(ctx, n, line_first, count, inner);
}

static void grid_widths(qel_context* ctx, qel_node* n, float inner)
{
    int32_t cols = n->grid_columns > 1 ? n->grid_columns : 1;
    if (n->grid_cell_width > 0) {
        float fit = floorf((inner + n->gap) / (n->grid_cell_width + n->gap));
        float limit = (float)grid_columns_measured(n);
        cols = (int32_t)clamp_to(fminf(fit, limit), 1.0f, limit);
    }
    n->resolved_columns = cols;
    float column = fmaxf(0.0f, (inner - (float)(cols - 1) * n->gap) / (float)cols);
    for (int32_t i = n->first_child; i >= 0; i = node_of(ctx, i)->next_sibling) {
        qel_node* c = node_of(ctx, i);
        if (c->width.kind == QEL_SIZE_FIXED) c->rect.w = c->width.value;
        else if (c->preferred_width > 0) c->rect.w = clamp_to(c->preferred_width, c->measured_min_w, column);
        else c->rect.w = column;
    }
}

static void width_pass(qel_context* ctx, int32_t index)
{
    qel_node* n = node_of(ctx, index);
    float inner = inner_width(n);
    if (n->direction == QEL_DIR_ROW && (n->flags & QEL_NODE_WRAP)) {
        wrap_widths(ctx, n, inner);
    } else if (n->direction == QEL_DIR_ROW) {
        distribute(ctx, n->first_child, n->child_count, inner, n->gap, true, !(n->flags & QEL_NODE_SCROLL_X));
    } else if (n->direction == QEL_DIR_GRID) {
        grid_widths(ctx, n, inner);
    } else {
        for (int32_t c = n->first_child; c >= 0; c = node_of(ctx, c)->next_sibling)
            cross_width(n, node_of(ctx, c), inner);
    }
    size_floating(ctx, n, inner, true);
    each_child(ctx, n, width_pass);
}

// --- Rows of items: grids and wrapped rows ---

bool qel_layout_line_fits(qel_context* ctx, int32_t first, uint32_t container_flags)
{
    if (!(container_flags & QEL_NODE_WRAP)) return false;
    for (int32_t i = first; i >= 0; i = node_of(ctx, i)->next_sibling)
        if (node_of(ctx, i)->flags & QEL_NODE_LINE_START) return true;
    return false;
}

// Whether the k-th child of a grid or wrapped row begins a new row.
static bool starts_row(const qel_node* n, const qel_node* c, int32_t k)
{
    if (k == 0) return false;
    if (n->direction == QEL_DIR_GRID) return k % (n->resolved_columns > 0 ? n->resolved_columns : 1) == 0;
    return (c->flags & QEL_NODE_LINE_START) != 0;
}

static bool laid_in_rows(qel_context* ctx, const qel_node* n)
{
    return n->direction == QEL_DIR_GRID || qel_layout_line_fits(ctx, n->first_child, n->flags);
}

// The number of children from first up to the next row start.
static int32_t row_length(qel_context* ctx, const qel_node* n, int32_t first, int32_t k)
{
    int32_t count = 1;
    for (int32_t i = node_of(ctx, first)->next_sibling; i >= 0; i = node_of(ctx, i)->next_sibling, count++)
        if (starts_row(n, node_of(ctx, i), k + count)) break;
    return count;
}

// The tallest fixed or preferred height among count children from first.
static float row_height(qel_context* ctx, int32_t first, int32_t count, bool laid_out)
{
    float h = 0;
    for (int32_t i = first, k = 0; k < count; i = node_of(ctx, i)->next_sibling, k++) {
        qel_node* c = node_of(ctx, i);
        h = fmaxf(h, laid_out ? c->rect.h : contribution_of(c, false).pref);
    }
    return h;
}

// --- Text and intrinsic heights ---

static const int32_t FIRST_LINE_TABLE = 8;

static int32_t wrap_text(qel_context* ctx, qel_node* n)
{
    float width = n->rect.w + 0.5f;
    qel_text_line* lines = (qel_text_line*)qel_arena_alloc(ctx, FIRST_LINE_TABLE * sizeof(qel_text_line));
    int32_t count = qel_text_wrap(ctx, (int32_t)n->font, n->font_size, n->text, n->text_length, width, lines,
                                  FIRST_LINE_TABLE);
    if (count > FIRST_LINE_TABLE) {
        lines = (qel_text_line*)qel_arena_alloc(ctx, (size_t)count * sizeof(qel_text_line));
        qel_text_wrap(ctx, (int32_t)n->font, n->font_size, n->text, n->text_length, width, lines, count);
    }
    n->lines = lines;
    n->line_count = count;
    return count;
}

static int32_t count_lines(const qel_node* n)
{
    int32_t lines = 1;
    for (int32_t i = 0; i < n->text_length; i++) lines += n->text[i] == '\n';
    return lines;
}

static contribution container_heights(qel_context* ctx, const qel_node* n)
{
    contribution r = {0, 0};
    if (laid_in_rows(ctx, n)) {
        int32_t k = 0, rows = 0;
        for (int32_t i = n->first_child; i >= 0; rows++) {
            int32_t count = row_length(ctx, n, i, k);
            float h = row_height(ctx, i, count, false);
            r.pref += h;
            r.least += h;
            for (int32_t j = 0; j < count; j++) i = node_of(ctx, i)->next_sibling;
            k += count;
        }
        float gaps = rows > 1 ? (float)(rows - 1) * n->gap : 0.0f;
        r.pref += gaps;
        r.least += gaps;
    } else {
        for (int32_t i = n->first_child; i >= 0; i = node_of(ctx, i)->next_sibling) {
            contribution k = contribution_of(node_of(ctx, i), false);
            if (n->direction == QEL_DIR_COLUMN) {
                r.pref += k.pref;
                r.least += k.least;
            } else {
                r.pref = fmaxf(r.pref, k.pref);
                r.least = fmaxf(r.least, k.least);
            }
        }
        if (n->direction == QEL_DIR_COLUMN && n->child_count > 1) {
            r.pref += (float)(n->child_count - 1) * n->gap;
            r.least += (float)(n->child_count - 1) * n->gap;
        }
    }
    float pad = n->pad_top + n->pad_bottom;
    r.pref += pad;
    // A vertical scroll container shows any content in any height.
    r.least = n->flags & QEL_NODE_SCROLL_Y ? pad : r.least + pad;
    return r;
}

static void text_pass(qel_context* ctx, int32_t index)
{
    qel_node* n = node_of(ctx, index);
    each_child(ctx, n, text_pass);
    contribution r;
    if (n->flags & QEL_NODE_TEXT) {
        int32_t lines = n->flags & QEL_NODE_WRAP_TEXT ? wrap_text(ctx, n) : count_lines(n);
        float h = (float)lines * n->font_size * n->line_height;
        r = {h, h};
    } else {
        r = container_heights(ctx, n);
    }
    if (n->height.kind == QEL_SIZE_FIXED) r.pref = r.least = n->height.value;
    n->measured_h = clamp_to(r.pref, n->min_h, n->max_h);
    n->measured_min_h = clamp_to(fminf(r.least, n->measured_h), n->min_h, n->max_h);
}

// --- Heights ---

// A child's height on the cross axis of a row or stack (or a wrapped row's line).
static void cross_height(const qel_node* parent, qel_node* c, float inner)
{
    float h;
    switch (c->height.kind) {
    case QEL_SIZE_FIXED: h = c->height.value; break;
    case QEL_SIZE_PERCENT: h = c->height.value * inner / 100.0f; break;
    case QEL_SIZE_GROW: h = inner; break;
    default: {
        uint32_t align = parent->direction == QEL_DIR_STACK ? c->align_self
                                                            : child_align(parent, c, QEL_ALIGN_CENTER);
        bool stretch = c->align_self != QEL_ALIGN_OWN_SIZE && align == QEL_ALIGN_STRETCH &&
                       !(parent->flags & QEL_NODE_SCROLL_Y);
        h = stretch ? inner : c->measured_h;
        break;
    }
    }
    c->rect.h = clamp_to(h, c->min_h, c->max_h);
}

static void scrolled_column_heights(qel_context* ctx, const qel_node* n, float inner)
{
    for (int32_t i = n->first_child; i >= 0; i = node_of(ctx, i)->next_sibling) {
        qel_node* c = node_of(ctx, i);
        float h = c->height.kind == QEL_SIZE_FIXED ? c->height.value : c->measured_h;
        if (c->height.kind == QEL_SIZE_GROW && n->child_count == 1) h = fmaxf(h, inner);
        c->rect.h = clamp_to(h, c->min_h, c->max_h);
    }
}

// Grid cells keep their own height (each row is as tall as its tallest); a wrapped row's
// children are sized against their line.
static void row_heights(qel_context* ctx, const qel_node* n)
{
    if (n->direction == QEL_DIR_GRID) {
        for (int32_t i = n->first_child; i >= 0; i = node_of(ctx, i)->next_sibling) {
            qel_node* c = node_of(ctx, i);
            float h = c->height.kind == QEL_SIZE_FIXED ? c->height.value : c->measured_h;
            c->rect.h = clamp_to(h, c->min_h, c->max_h);
        }
        return;
    }
    int32_t k = 0;
    for (int32_t i = n->first_child; i >= 0;) {
        int32_t count = row_length(ctx, n, i, k);
        float line = row_height(ctx, i, count, false);
        for (int32_t j = 0; j < count; j++, i = node_of(ctx, i)->next_sibling) cross_height(n, node_of(ctx, i), line);
        k += count;
    }
}

static void height_pass(qel_context* ctx, int32_t index)
{
    qel_node* n = node_of(ctx, index);
    float inner = inner_height(n);
    if (n->direction == QEL_DIR_COLUMN && (n->flags & QEL_NODE_SCROLL_Y)) {
        scrolled_column_heights(ctx, n, inner);
    } else if (n->direction == QEL_DIR_COLUMN) {
        distribute(ctx, n->first_child, n->child_count, inner, n->gap, false, true);
    } else if (laid_in_rows(ctx, n)) {
        row_heights(ctx, n);
    } else {
        for (int32_t c = n->first_child; c >= 0; c = node_of(ctx, c)->next_sibling)
            cross_height(n, node_of(ctx, c), inner);
    }
    size_floating(ctx, n, inner, false);
    each_child(ctx, n, height_pass);
}

// --- Positions ---

static float align_offset(uint32_t align, float room, float size)
{
    switch (align) {
    case QEL_ALIGN_CENTER: return (room - size) * 0.5f;
    case QEL_ALIGN_END: return room - size;
    default: return 0.0f;
    }
}

// Places count children from first one after another along the main axis from the origin,
// justified within main_room and aligned within cross_room; mirrored in right-to-left.
static void place_run(qel_context* ctx, const qel_node* n, int32_t first, int32_t count, qel_vec2 origin,
                      float main_room, float cross_room, bool horizontal)
{
    float sum = 0;
    for (int32_t i = first, k = 0; k < count; i = node_of(ctx, i)->next_sibling, k++)
        sum += horizontal ? node_of(ctx, i)->rect.w : node_of(ctx, i)->rect.h;
    float free_room = main_room - (sum + (float)(count - 1) * n->gap);
    float offset = 0, gap = n->gap;
    if (free_room > 0) {
        switch (n->justify) {
        case QEL_JUSTIFY_CENTER: offset = free_room * 0.5f; break;
        case QEL_JUSTIFY_END: offset = free_room; break;
        case QEL_JUSTIFY_BETWEEN:
            if (count > 1) gap += free_room / (float)(count - 1);
            break;
        case QEL_JUSTIFY_AROUND: {
            float each = free_room / (float)count;
            offset = each * 0.5f;
            gap += each;
            break;
        }
        default: break;
        }
    }
    uint32_t auto_align = horizontal ? QEL_ALIGN_CENTER : QEL_ALIGN_START;
    for (int32_t i = first, k = 0; k < count; i = node_of(ctx, i)->next_sibling, k++) {
        qel_node* c = node_of(ctx, i);
        uint32_t align = child_align(n, c, auto_align);
        if (c->align_self == QEL_ALIGN_OWN_SIZE && align == QEL_ALIGN_STRETCH) align = QEL_ALIGN_START;
        float along = horizontal ? c->rect.w : c->rect.h;
        float across = align_offset(align, cross_room, horizontal ? c->rect.h : c->rect.w);
        if (horizontal) c->rect.x = origin.x + offset, c->rect.y = origin.y + across;
        else c->rect.x = origin.x + across, c->rect.y = origin.y + offset;
        offset += along + gap;
        if (n->rtl) c->rect.x = n->rect.x + n->rect.w - (c->rect.x - n->rect.x) - c->rect.w;
    }
}

// Grids and wrapped rows, row by row.
static void place_rows(qel_context* ctx, const qel_node* n, qel_vec2 origin, float inner_w)
{
    bool grid = n->direction == QEL_DIR_GRID;
    int32_t cols = n->resolved_columns > 0 ? n->resolved_columns : 1;
    float pitch = (inner_w - (float)(cols - 1) * n->gap) / (float)cols + n->gap;
    float y = origin.y;
    int32_t k = 0;
    for (int32_t i = n->first_child; i >= 0;) {
        int32_t count = row_length(ctx, n, i, k);
        float line = row_height(ctx, i, count, true);
        if (grid) {
            for (int32_t j = 0; j < count; j++, i = node_of(ctx, i)->next_sibling) {
                qel_node* c = node_of(ctx, i);
                c->rect.x = origin.x + (float)((k + j) % cols) * pitch;
                c->rect.y = y;
            }
        } else {
            place_run(ctx, n, i, count, {origin.x, y}, inner_w, line, true);
            for (int32_t j = 0; j < count; j++) i = node_of(ctx, i)->next_sibling;
        }
        k += count;
        y += line + n->gap;
    }
}

static void place_stack(qel_context* ctx, const qel_node* n, qel_vec2 origin, float inner_w, float inner_h)
{
    uint32_t vertical = n->justify == QEL_JUSTIFY_CENTER ? QEL_ALIGN_CENTER
                        : n->justify == QEL_JUSTIFY_END  ? QEL_ALIGN_END
                                                         : QEL_ALIGN_START;
    for (int32_t i = n->first_child; i >= 0; i = node_of(ctx, i)->next_sibling) {
        qel_node* c = node_of(ctx, i);
        bool own = c->align_self != 0 && c->align_self != QEL_ALIGN_OWN_SIZE;
        c->rect.x = origin.x + align_offset(own ? c->align_self : n->align, inner_w, c->rect.w);
        c->rect.y = origin.y + align_offset(vertical, inner_h, c->rect.h);
    }
}

static void record_extent(qel_context* ctx, const qel_node* n, qel_vec2 origin)
{
    if (!(n->flags & (QEL_NODE_SCROLL_X | QEL_NODE_SCROLL_Y)) || !n->id) return;
    float right = 0, bottom = 0;
    for (int32_t i = n->first_child; i >= 0; i = node_of(ctx, i)->next_sibling) {
        const qel_node* c = node_of(ctx, i);
        right = fmaxf(right, c->rect.x + c->rect.w - origin.x);
        bottom = fmaxf(bottom, c->rect.y + c->rect.h - origin.y);
    }
    qel_scroll_state* s = (qel_scroll_state*)qel_state_get(ctx, n->id, sizeof(qel_scroll_state));
    s->content_w = right + n->pad_left + n->pad_right;
    s->content_h = bottom + n->pad_top + n->pad_bottom;
    s->view_w = n->rect.w;
    s->view_h = n->rect.h;
}

static void position_pass(qel_context* ctx, int32_t index)
{
    qel_node* n = node_of(ctx, index);
    if (n->id) {
        qel_state_entry* e = qel_state_find_or_add(ctx, n->id);
        e->x = n->rect.x, e->y = n->rect.y, e->w = n->rect.w, e->h = n->rect.h;
        e->rect_valid = 1;
    }
    qel_vec2 origin = {n->rect.x + n->pad_left - n->content_offset_x, n->rect.y + n->pad_top - n->content_offset_y};
    float iw = inner_width(n), ih = inner_height(n);
    if (laid_in_rows(ctx, n)) place_rows(ctx, n, origin, iw);
    else if (n->direction == QEL_DIR_STACK) place_stack(ctx, n, origin, iw, ih);
    else if (n->direction == QEL_DIR_ROW) place_run(ctx, n, n->first_child, n->child_count, origin, iw, ih, true);
    else place_run(ctx, n, n->first_child, n->child_count, origin, ih, iw, false);
    record_extent(ctx, n, origin);
    for (int32_t c = n->first_floating; c >= 0; c = node_of(ctx, c)->next_sibling) {
        qel_node* f = node_of(ctx, c);
        qel_vec2 base = origin;
        if (f->origin >= 0 && f->origin < ctx->tree.count) {
            const qel_rect& o = node_of(ctx, f->origin)->rect;
            base = {o.x, o.y};
        }
        f->rect.x = base.x + f->x;
        f->rect.y = base.y + f->y;
    }
    each_child(ctx, n, position_pass);
}

// --- Overlays ---

static float overlay_extent(const axis& a, float display)
{
    float limit = display - 2 * EDGE_MARGIN;
    float v;
    switch (a.size.kind) {
    case QEL_SIZE_FIXED: v = a.size.value; break;
    case QEL_SIZE_PERCENT: v = a.size.value * display / 100.0f; break;
    case QEL_SIZE_GROW: v = display; break;
    default: v = fminf(a.measured, limit); break;
    }
    return clamp_to(v, a.lo, fminf(a.hi, limit));
}

// Moves a placement to the other side of the anchor when it does not fit and the other does.
static float flip(float pos, float size, float before, float after, float gap, float display, bool forward)
{
    if (forward) {
        if (pos + size > display - EDGE_MARGIN && before - gap - size >= EDGE_MARGIN) return before - gap - size;
    } else if (pos < EDGE_MARGIN && after + gap + size <= display - EDGE_MARGIN) {
        return after + gap;
    }
    return pos;
}

static float keep_inside(float pos, float size, float display)
{
    if (pos < EDGE_MARGIN) return EDGE_MARGIN;
    return roundf(fminf(pos, fmaxf(EDGE_MARGIN, display - EDGE_MARGIN - size)));
}

static void place_overlay(qel_context* ctx, qel_node* n)
{
    float vw = ctx->clock.display_w, vh = ctx->clock.display_h;
    float w = n->rect.w, h = n->rect.h, g = n->anchor_gap;
    qel_rect a = qel_id_rect(ctx, n->anchor);
    float x = EDGE_MARGIN, y = EDGE_MARGIN;
    uint8_t p = n->placement;
    if (p <= QEL_PLACE_ABOVE_END) {
        bool below = p <= QEL_PLACE_BELOW_END;
        y = below ? a.y + a.h + g : a.y - g - h;
        y = flip(y, h, a.y, a.y + a.h, g, vh, below);
        int32_t along = p % 3;
        x = along == 0 ? a.x : along == 1 ? a.x + (a.w - w) * 0.5f : a.x + a.w - w;
    } else if (p <= QEL_PLACE_LEFT_CENTER) {
        bool right = p == QEL_PLACE_RIGHT_TOP || p == QEL_PLACE_RIGHT_CENTER;
        x = right ? a.x + a.w + g : a.x - g - w;
        x = flip(x, w, a.x, a.x + a.w, g, vw, right);
        y = p <= QEL_PLACE_LEFT_TOP ? a.y : a.y + (a.h - h) * 0.5f;
    } else if (p == QEL_PLACE_CENTER) {
        x = (vw - w) * 0.5f;
        y = (vh - h) * 0.5f;
    } else if (p == QEL_PLACE_AT) {
        x = n->x;
        y = n->y;
    }
    n->rect.x = keep_inside(x, w, vw);
    n->rect.y = keep_inside(y, h, vh);
}

static void lay_out_overlay(qel_context* ctx, int32_t index)
{
    float vw = ctx->clock.display_w, vh = ctx->clock.display_h;
    measure(ctx, index);
    qel_node* n = node_of(ctx, index);
    bool fill = n->placement == QEL_PLACE_FILL;
    n->rect.w = fill ? clamp_to(vw, n->min_w, n->max_w) : overlay_extent(axis_of(n, true), vw);
    width_pass(ctx, index);
    text_pass(ctx, index);
    n->rect.h = fill ? vh : overlay_extent(axis_of(n, false), vh);
    if (fill) n->rect.x = n->rect.y = 0;
    else place_overlay(ctx, n);
    height_pass(ctx, index);
    position_pass(ctx, index);
}

void qel_layout_run(qel_context* ctx)
{
    qel_layout_tree* t = &ctx->tree;
    if (t->count == 0) return;
    resolve_direction(ctx, 0, 0);
    for (int32_t k = 0; k < t->overlay_count; k++) {
        int32_t parent = node_of(ctx, t->overlays[k])->parent;
        resolve_direction(ctx, t->overlays[k], node_of(ctx, parent >= 0 ? parent : 0)->rtl);
    }
    qel_node* root = node_of(ctx, 0);
    measure(ctx, 0);
    root->rect = {0, 0, ctx->clock.display_w, 0};
    width_pass(ctx, 0);
    text_pass(ctx, 0);
    root->rect.h = ctx->clock.display_h;
    height_pass(ctx, 0);
    position_pass(ctx, 0);
    for (int32_t k = 0; k < t->overlay_count; k++) lay_out_overlay(ctx, t->overlays[k]);
}
