// The dock layout: the dockspace record under its name's id, the tree edits, and the layout
// text's writer and parser. The parser reads outside text: every read is checked against the
// text's length, and its recursion stops at the depth the grammar allows.
#include "kit/state_records.h"
#include "qel/dock_layout.h"

#include <cmath>
#include <cstring>

#include "qel/context.h"
#include "qel/id.h"
#include "qel/state.h"
#include "qel/text_units.h"

static const uint32_t DOCKSPACE_SEED = 0x0d0c5a11;
static const float RATIO_LOW = 0.01f, RATIO_HIGH = 0.99f;
static const int32_t RATIO_DIGITS = 6;

static const char* dock_name(const char* name)
{
    return name ? name : "dock";
}

void qel_dockspace_setup(qel_dockspace* ds)
{
    memset(ds, 0, sizeof *ds);
    ds->initialised = 1;
    ds->root = -1;
    ds->next_serial = 1;
    ds->focus_leaf = ds->focus_panel = ds->narrow_panel = -1;
    for (qel_dock_panel& p : ds->panels) {
        p.pending_open = 255;
        p.node = -1;
    }
    ds->drag.target = -1;
}

qel_dockspace* qel_dockspace_get(qel_context* ctx, const char* name, bool* created)
{
    uint32_t id = qel_hash_str(dock_name(name), DOCKSPACE_SEED);
    auto* ds = qel_state_record_of<qel_dockspace>(ctx, id, "qel_dockspace");
    bool fresh = !ds->initialised;
    if (fresh) qel_dockspace_setup(ds);
    if (created) *created = fresh;
    return ds;
}

// --- Tree edits ---

int32_t qel_dock_node_alloc(qel_dockspace* ds, uint8_t kind)
{
    for (int32_t i = 0; i < QEL_DOCK_MAX_NODES; i++) {
        qel_dock_node& n = ds->nodes[i];
        if (n.kind != QEL_DOCK_FREE) continue;
        n = {kind, 0, 0.5f, -1, -1, -1, -1, ds->next_serial++};
        return i;
    }
    return -1;
}

int32_t qel_dock_panel_alloc(qel_dockspace* ds, const char* name)
{
    for (int32_t i = 0; i < QEL_DOCK_MAX_PANELS; i++) {
        qel_dock_panel& p = ds->panels[i];
        if (p.used) continue;
        memset(&p, 0, sizeof p);
        p.used = 1;
        p.node = -1;
        p.pending_open = 255;
        qel_utf8_copy(p.name, sizeof p.name, name);
        qel_utf8_copy(p.title, sizeof p.title, name);
        return i;
    }
    return -1;
}

int32_t qel_dock_panel_find(const qel_dockspace* ds, const char* name)
{
    for (int32_t i = 0; i < QEL_DOCK_MAX_PANELS; i++)
        if (ds->panels[i].used && strcmp(ds->panels[i].name, name) == 0) return i;
    return -1;
}

int32_t qel_dock_leaf_panels(const qel_dockspace* ds, int32_t leaf, int32_t* out, int32_t exclude)
{
    int32_t count = 0;
    for (int32_t i = 0; i < QEL_DOCK_MAX_PANELS; i++) {
        const qel_dock_panel& p = ds->panels[i];
        if (!p.used || p.node != leaf || i == exclude) continue;
        int32_t at = count++;
        for (; at > 0 && ds->panels[out[at - 1]].tab_order > p.tab_order; at--) out[at] = out[at - 1];
        out[at] = i;
    }
    return count;
}

void qel_dock_panel_insert(qel_dockspace* ds, int32_t panel, int32_t leaf, int32_t before)
{
    int32_t list[QEL_DOCK_MAX_PANELS + 1];
    int32_t count = qel_dock_leaf_panels(ds, leaf, list, panel);
    int32_t at = count;
    for (int32_t i = 0; i < count; i++)
        if (list[i] == before) at = i;
    memmove(&list[at + 1], &list[at], (size_t)(count - at) * sizeof list[0]);
    list[at] = panel;
    ds->panels[panel].node = leaf;
    for (int32_t i = 0; i <= count; i++) ds->panels[list[i]].tab_order = i;
}

// The split's place in its parent (or the root) goes to node.
static void replace_child(qel_dockspace* ds, int32_t old_node, int32_t node)
{
    int32_t parent = ds->nodes[old_node].parent;
    if (node >= 0) ds->nodes[node].parent = parent;
    if (parent < 0) {
        ds->root = node;
        return;
    }
    qel_dock_node& p = ds->nodes[parent];
    (p.first == old_node ? p.first : p.second) = node;
}

static void remove_leaf(qel_dockspace* ds, int32_t leaf)
{
    qel_dock_node& n = ds->nodes[leaf];
    if (ds->focus_leaf == leaf) ds->focus_leaf = -1;
    int32_t split = n.parent;
    n.kind = QEL_DOCK_FREE;
    if (split < 0) {
        ds->root = -1;
        return;
    }
    qel_dock_node& s = ds->nodes[split];
    replace_child(ds, split, s.first == leaf ? s.second : s.first);
    s.kind = QEL_DOCK_FREE;
}

void qel_dock_panel_detach(qel_dockspace* ds, int32_t panel)
{
    qel_dock_panel& p = ds->panels[panel];
    int32_t leaf = p.node;
    p.node = -1;
    if (leaf < 0) return;
    if (ds->nodes[leaf].active_panel == panel) ds->nodes[leaf].active_panel = -1;
    int32_t rest[QEL_DOCK_MAX_PANELS];
    if (qel_dock_leaf_panels(ds, leaf, rest, -1) == 0) remove_leaf(ds, leaf);
}

// --- Writer ---

static void put(qel_dock_out* out, char c)
{
    if (out->buf && out->len + 1 < out->cap) out->buf[out->len] = c;
    out->len++;
}

static void put_text(qel_dock_out* out, const char* text)
{
    for (; *text; text++) put(out, *text);
}

static bool needs_escape(uint8_t c, bool first)
{
    return (c >= 0x01 && c <= 0x1f) || strchr("()[],\\", c) || (first && (c == '*' || c == '-'));
}

static void put_name(qel_dock_out* out, const char* name)
{
    for (const char* c = name; *c; c++) {
        if (needs_escape((uint8_t)*c, c == name)) put(out, '\\');
        put(out, *c);
    }
}

static bool counts_closed(const qel_dock_panel& p)
{
    return p.declared ? !p.open : p.pending_open == 0;
}

// Four decimals at most, trailing zeros dropped; a ratio that is no number halves.
static void put_ratio(qel_dock_out* out, float ratio)
{
    if (std::isnan(ratio)) ratio = 0.5f;
    int32_t k = ratio < 0 ? 0 : (int32_t)(fminf(ratio, 1.0f) * 10000.0f + 0.5f);
    if (k >= 10000) return put(out, '1');
    if (k <= 0) return put(out, '0');
    char digits[5] = {(char)('0' + k / 1000), (char)('0' + k / 100 % 10), (char)('0' + k / 10 % 10), (char)('0' + k % 10), 0};
    for (int32_t i = 3; i > 0 && digits[i] == '0'; i--) digits[i] = 0;
    put_text(out, "0.");
    put_text(out, digits);
}

static void write_leaf(const qel_dockspace* ds, int32_t leaf, qel_dock_out* out)
{
    int32_t tabs[QEL_DOCK_MAX_PANELS];
    int32_t count = qel_dock_leaf_panels(ds, leaf, tabs, -1);
    put(out, '[');
    for (int32_t i = 0; i < count; i++) {
        if (i) put(out, ',');
        if (ds->nodes[leaf].active_panel == tabs[i]) put(out, '*');
        if (counts_closed(ds->panels[tabs[i]])) put(out, '-');
        put_name(out, ds->panels[tabs[i]].name);
    }
    put(out, ']');
}

void qel_dock_layout_write(const qel_dockspace* ds, int32_t node, qel_dock_out* out)
{
    const qel_dock_node& n = ds->nodes[node];
    if (n.kind == QEL_DOCK_LEAF) return write_leaf(ds, node, out);
    put(out, n.orientation ? 'v' : 'h');
    put_ratio(out, n.ratio);
    put(out, '(');
    qel_dock_layout_write(ds, n.first, out);
    put(out, ',');
    qel_dock_layout_write(ds, n.second, out);
    put(out, ')');
}

uint64_t qel_dock_layout_save(qel_context* ctx, const char* name, char* buf, uint64_t cap)
{
    if (buf && cap) buf[0] = 0;
    uint32_t id = qel_hash_str(dock_name(name), DOCKSPACE_SEED);
    auto* ds = (const qel_dockspace*)qel_state_find(ctx, id, sizeof(qel_dockspace), false);
    if (!ds || !ds->initialised || ds->root < 0) return 0;
    qel_dock_out out = {buf, cap, 0};
    put_text(&out, "dock1 ");
    qel_dock_layout_write(ds, ds->root, &out);
    if (buf && cap) buf[out.len < cap ? out.len : cap - 1] = 0;
    return out.len;
}

// --- Parser ---

// The byte at the read position; 0 past the text's end (the text holds no 0 before it).
static uint8_t peek(const qel_dock_scratch* s)
{
    return s->pos < s->length ? (uint8_t)s->text[s->pos] : 0;
}

static bool take(qel_dock_scratch* s, char c)
{
    if (s->pos >= s->length || s->text[s->pos] != c) return false;
    s->pos++;
    return true;
}

static bool is_digit(uint8_t c)
{
    return c >= '0' && c <= '9';
}

static bool parse_ratio(qel_dock_scratch* s, float* ratio)
{
    uint8_t lead = peek(s);
    if (lead != '0' && lead != '1') return false;
    s->pos++;
    float value = (float)(lead - '0');
    if (take(s, '.')) {
        int32_t digits = 0, fraction = 0;
        float scale = 1.0f;
        for (; is_digit(peek(s)); s->pos++, digits++) {
            if (digits == RATIO_DIGITS) return false;
            fraction = fraction * 10 + (peek(s) - '0');
            scale *= 10.0f;
        }
        if (digits == 0) return false;
        value += (float)fraction / scale;
    }
    if (value > 1.0f) return false;
    *ratio = fminf(fmaxf(value, RATIO_LOW), RATIO_HIGH);
    return true;
}

static int32_t new_parsed_node(qel_dock_scratch* s, uint8_t kind, int32_t parent)
{
    if (s->node_count >= QEL_DOCK_MAX_NODES) return -1;
    int32_t index = s->node_count++;
    s->nodes[index] = {kind, 0, 0.5f, -1, -1, parent, -1};
    return index;
}

static int32_t parse_split(qel_dock_scratch* s, int32_t parent, int32_t depth)
{
    uint8_t orientation = peek(s) == 'v';
    s->pos++;
    float ratio;
    if (!parse_ratio(s, &ratio) || !take(s, '(')) return -1;
    int32_t index = new_parsed_node(s, QEL_DOCK_SPLIT, parent);
    if (index < 0) return -1;
    int32_t first = qel_dock_layout_parse(s, index, depth + 1);
    if (first < 0 || !take(s, ',')) return -1;
    int32_t second = qel_dock_layout_parse(s, index, depth + 1);
    if (second < 0 || !take(s, ')')) return -1;
    qel_dock_parsed_node& n = s->nodes[index];
    n.orientation = orientation;
    n.ratio = ratio;
    n.first = first;
    n.second = second;
    return index;
}

// The name's unescaped bytes into out; stops before an unescaped ',' or ']'.
static bool parse_name(qel_dock_scratch* s, char* out)
{
    int32_t n = 0;
    for (;;) {
        uint8_t c = peek(s);
        if (c == ',' || c == ']') break;
        if (c == '\\') {
            // A backslash at the text's end would take its terminator.
            if (s->pos + 1 >= s->length) return false;
            c = (uint8_t)s->text[++s->pos];
        } else if (c < 0x20 || c == '(' || c == ')' || c == '[') {
            return false;  // the end of the text reads as 0 too
        }
        if (n == QEL_DOCK_NAME_BYTES - 1) return false;
        out[n++] = (char)c;
        s->pos++;
    }
    out[n] = 0;
    return n > 0;
}

static bool parse_entry(qel_dock_scratch* s, int32_t leaf, int32_t position)
{
    if (s->entry_count >= QEL_DOCK_MAX_PANELS) return false;
    int32_t index = s->entry_count;
    qel_dock_parsed_entry& e = s->entries[index];
    bool active = false, closed = false;
    uint8_t c = peek(s);
    if (c == '*' || c == '-') {
        s->pos++;
        (c == '*' ? active : closed) = true;
        if (peek(s) == (c == '*' ? '-' : '*')) {
            s->pos++;
            active = closed = true;
        }
    }
    if (!parse_name(s, e.name)) return false;
    e.hash = qel_hash_str(e.name, 0);
    for (int32_t i = 0; i < index; i++)
        if (s->entries[i].hash == e.hash && strcmp(s->entries[i].name, e.name) == 0) return false;
    qel_dock_parsed_node& n = s->nodes[leaf];
    if (active) {
        if (n.active >= 0) return false;
        n.active = index;
    }
    e.leaf = leaf;
    e.position = position;
    e.closed = closed;
    s->entry_count++;
    return true;
}

static int32_t parse_leaf(qel_dock_scratch* s, int32_t parent)
{
    s->pos++;
    int32_t index = new_parsed_node(s, QEL_DOCK_LEAF, parent);
    if (index < 0) return -1;
    for (int32_t position = 0;; position++) {
        if (!parse_entry(s, index, position)) return -1;
        if (take(s, ']')) return index;
        if (!take(s, ',')) return -1;
    }
}

int32_t qel_dock_layout_parse(qel_dock_scratch* scratch, int32_t parent, int32_t depth)
{
    if (depth > QEL_DOCK_MAX_DEPTH) return -1;
    uint8_t c = peek(scratch);
    if (c == 'h' || c == 'v') return parse_split(scratch, parent, depth);
    if (c == '[') return parse_leaf(scratch, parent);
    return -1;
}

// --- Applying a parsed text ---

static bool is_trailing_space(uint8_t c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

static bool parse_text(qel_dock_scratch* s, const char* text)
{
    s->text = text;
    s->length = strlen(text);
    if (s->length < 7 || memcmp(text, "dock1 ", 6) != 0) return false;
    s->pos = 6;
    while (take(s, ' ')) {}
    if (qel_dock_layout_parse(s, -1, 0) != 0) return false;
    while (s->pos < s->length && is_trailing_space(peek(s))) s->pos++;
    return s->pos == s->length;
}

static void release_panel(qel_dockspace* ds, int32_t panel)
{
    memset(&ds->panels[panel], 0, sizeof ds->panels[panel]);
    ds->panels[panel].node = -1;
    ds->panels[panel].pending_open = 255;
}

// Each entry's used panel of the same name (-1 for a new name), and which panels the text names.
struct entry_panels {
    int32_t panel[QEL_DOCK_MAX_PANELS];
    uint8_t named[QEL_DOCK_MAX_PANELS];
};

static void match_panels(const qel_dockspace* ds, const qel_dock_scratch* s, entry_panels* m)
{
    uint32_t hashes[QEL_DOCK_MAX_PANELS];
    for (int32_t j = 0; j < QEL_DOCK_MAX_PANELS; j++) hashes[j] = ds->panels[j].used ? qel_hash_str(ds->panels[j].name, 0) : 0;
    memset(m->named, 0, sizeof m->named);
    for (int32_t i = 0; i < s->entry_count; i++) {
        const qel_dock_parsed_entry& e = s->entries[i];
        m->panel[i] = -1;
        for (int32_t j = 0; j < QEL_DOCK_MAX_PANELS && m->panel[i] < 0; j++) {
            if (!ds->panels[j].used || hashes[j] != e.hash || strcmp(ds->panels[j].name, e.name) != 0) continue;
            m->panel[i] = j;
            m->named[j] = 1;
        }
    }
}

// Frees slots for the text's new names: first panels outside the text that were never declared,
// then any outside the text, in slot order.
static void make_room(qel_dockspace* ds, const qel_dock_scratch* s, const entry_panels* m)
{
    int32_t needed = 0, free_slots = 0;
    for (int32_t i = 0; i < s->entry_count; i++) needed += m->panel[i] < 0;
    for (int32_t i = 0; i < QEL_DOCK_MAX_PANELS; i++) {
        qel_dock_panel& p = ds->panels[i];
        if (p.used && !p.declared && !m->named[i]) release_panel(ds, i);
        free_slots += !p.used;
    }
    for (int32_t i = 0; i < QEL_DOCK_MAX_PANELS && free_slots < needed; i++) {
        if (!ds->panels[i].used || m->named[i]) continue;
        release_panel(ds, i);
        free_slots++;
    }
}

static void replace_tree(qel_dockspace* ds, const qel_dock_scratch* s, const entry_panels* m)
{
    for (qel_dock_node& n : ds->nodes) n.kind = QEL_DOCK_FREE;
    for (int32_t i = 0; i < s->node_count; i++) {
        const qel_dock_parsed_node& p = s->nodes[i];
        float ratio = p.kind == QEL_DOCK_LEAF ? 0.5f : p.ratio;
        ds->nodes[i] = {p.kind, p.orientation, ratio, p.first, p.second, p.parent, -1, ds->next_serial++};
    }
    ds->root = 0;
    for (qel_dock_panel& p : ds->panels) p.node = -1;
    for (int32_t i = 0; i < s->entry_count; i++) {
        const qel_dock_parsed_entry& e = s->entries[i];
        int32_t panel = m->panel[i] >= 0 ? m->panel[i] : qel_dock_panel_alloc(ds, e.name);
        qel_dock_panel& p = ds->panels[panel];
        p.node = e.leaf;
        p.tab_order = e.position;
        p.close_requested = 0;
        p.pending_open = e.closed ? 0 : 1;
        if (s->nodes[e.leaf].active == i) ds->nodes[e.leaf].active_panel = panel;
    }
}

int32_t qel_dock_layout_apply(qel_context* ctx, qel_dockspace* ds, const char* text)
{
    auto* s = (qel_dock_scratch*)qel_mem_alloc(ctx, sizeof(qel_dock_scratch));
    memset(s, 0, sizeof *s);
    bool sound = parse_text(s, text);
    if (sound) {
        entry_panels m;
        match_panels(ds, s, &m);
        make_room(ds, s, &m);
        replace_tree(ds, s, &m);
        ds->layout_generation++;
        // A released slot may be handed to another name, so no index of the old tree survives.
        ds->focus_leaf = ds->focus_panel = ds->narrow_panel = -1;
        ds->drag.drop_kind = ds->drag.zone = 0;
        ds->drag.target = -1;
        if (ds->drag.phase == 1 || ds->drag.phase == 2) ds->drag.phase = 3;
    }
    qel_mem_free(ctx, s);
    return sound;
}

int32_t qel_dock_layout_load(qel_context* ctx, const char* name, const char* text)
{
    qel_dockspace* ds = qel_dockspace_get(ctx, name, nullptr);
    return text ? qel_dock_layout_apply(ctx, ds, text) : 0;
}
