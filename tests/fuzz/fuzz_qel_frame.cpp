// Drives whole toolkit frames with random trees (containers of every direction with arbitrary
// sizes, limits, paddings, gaps and flags, text nodes, floating nodes and overlays, the foundation
// and basic widgets, unbalanced pushes and pops), random input between frames and random displays, and
// checks after each frame that the draw list is one a renderer can use and that every stack
// stayed within its capacity.
#include <string>

#include "fuzz_qel_support.h"
#include "qel/icons.h"
#include "qel/qel.h"

static qel_size any_size(FuzzedDataProvider& in)
{
    return {in.ConsumeIntegralInRange<uint32_t>(0, 4), any_float(in)};
}

static void style_node(qel_context* ctx, FuzzedDataProvider& in)
{
    qel_style s = {};
    s.direction = in.ConsumeIntegralInRange<uint32_t>(0, 4);
    s.width = any_size(in);
    s.height = any_size(in);
    s.min_w = any_float(in);
    s.max_h = any_float(in);
    s.padding = any_float(in);
    s.padding_left = any_float(in);
    s.gap = any_float(in);
    s.grid_columns = in.ConsumeIntegral<uint32_t>();
    s.grid_cell_width = any_float(in);
    s.wrap = in.ConsumeBool();
    s.align = in.ConsumeIntegralInRange<uint32_t>(0, 8);
    s.justify = in.ConsumeIntegralInRange<uint32_t>(0, 6);
    s.fill = in.ConsumeIntegral<uint32_t>();
    s.border_width = any_float(in);
    s.radius = any_float(in);
    s.elevation = in.ConsumeIntegralInRange<uint32_t>(0, 3);
    s.scroll_y = in.ConsumeBool();
    s.clip = in.ConsumeBool();
    s.opacity = any_float(in);
    s.direction_mode = in.ConsumeIntegralInRange<uint8_t>(0, 3);
    std::string name = in.ConsumeRandomLengthString(8);
    if (in.ConsumeBool()) s.name = name.c_str();
    qel_container_begin(ctx, &s);
    qel_node* n = qel_node_at(ctx, ctx->tree.last_opened);
    n->flags |= in.ConsumeIntegral<uint32_t>() & 0x7FFFF & ~(uint32_t)(QEL_NODE_TEXT | QEL_NODE_FLOATING);
    n->scale = in.ConsumeBool() ? any_float(in) : 1.0f;
    n->content_align = in.ConsumeIntegralInRange<uint8_t>(0, 5);
    n->content_offset_y = in.ConsumeBool() ? any_float(in) : 0.0f;
}

static void paint_nothing(qel_context*, qel_rect, const void*) {}

// The foundation widgets with arbitrary options, splits left open or closed twice.
static void widget(qel_context* ctx, FuzzedDataProvider& in)
{
    std::string label = in.ConsumeRandomLengthString(12);
    switch (in.ConsumeIntegralInRange<int>(0, 8)) {
    case 0: {
        qel_button_opts o = {};
        o.variant = in.ConsumeIntegralInRange<uint32_t>(0, 8);
        o.size = in.ConsumeIntegralInRange<uint32_t>(0, 3);
        o.disabled = in.ConsumeBool();
        o.loading = in.ConsumeBool();
        o.full_width = in.ConsumeBool();
        o.selected = in.ConsumeBool();
        o.leading_icon = in.ConsumeBool() ? label.c_str() : nullptr;
        o.tooltip = in.ConsumeBool() ? "tip" : nullptr;
        o.width = any_size(in);
        o.custom_color = in.ConsumeIntegral<uint32_t>();
        qel_button_ex(ctx, in.ConsumeBool() ? label.c_str() : nullptr, label.c_str(), &o);
        break;
    }
    case 1: {
        qel_scroll_area_options o = {};
        o.name = in.ConsumeBool() ? label.c_str() : nullptr;
        o.height = any_size(in);
        o.horizontal = in.ConsumeBool();
        o.padding = any_float(in);
        o.fades = in.ConsumeBool();
        qel_scroll_area_begin(ctx, &o);
        if (in.ConsumeBool()) qel_scroll_to_y(ctx, label.c_str(), any_float(in));
        break;
    }
    case 2: {
        static float ratio;
        ratio = any_float(in);
        qel_split_options o = {};
        o.stacked = in.ConsumeBool();
        o.first_min = any_float(in);
        o.second_min = any_float(in);
        qel_split_begin(ctx, label.c_str(), &ratio, &o);
        break;
    }
    case 3: qel_splitter(ctx); break;
    case 4: qel_split_end(ctx); break;
    case 5: qel_link(ctx, label.c_str()); break;
    case 6: qel_word_chips(ctx, label.c_str()); break;
    case 7: qel_crossfade_label(ctx, in.ConsumeIntegral<uint32_t>(), label.c_str(), any_float(in), 0xFF000000); break;
    default: {
        std::string bytes = in.ConsumeRandomLengthString(16);
        qel_canvas(ctx, label.c_str(), any_size(in), any_size(in), paint_nothing, bytes.data(), bytes.size());
        break;
    }
    }
}

// The basic widgets with arbitrary choices, counts, values and options; groups and cards left open
// or closed twice.
static void basic_widget(qel_context* ctx, FuzzedDataProvider& in)
{
    static const char* labels[40];
    static const char* icons[40];
    static int32_t selected;
    static bool on;
    std::string label = in.ConsumeRandomLengthString(12);
    for (int i = 0; i < 40; i++) {
        labels[i] = in.ConsumeBool() ? label.c_str() : nullptr;
        icons[i] = in.ConsumeBool() ? QEL_ICON_CHECK : nullptr;
    }
    int32_t count = in.ConsumeIntegralInRange<int32_t>(-2, 40);
    selected = in.ConsumeIntegral<int32_t>();
    switch (in.ConsumeIntegralInRange<int>(0, 14)) {
    case 0:
        qel_segmented_body(ctx, label.c_str(), labels, in.ConsumeBool() ? icons : nullptr, count,
                           in.ConsumeBool() ? &selected : nullptr, in.ConsumeIntegralInRange<uint32_t>(0, 3),
                           in.ConsumeIntegralInRange<uint32_t>(0, 3), in.ConsumeBool());
        break;
    case 1: {
        qel_tab_strip_opts o = {};
        o.variant = in.ConsumeIntegralInRange<uint32_t>(0, 2);
        o.full_width = in.ConsumeBool();
        qel_tab_strip(ctx, label.c_str(), labels, count, &selected, &o);
        break;
    }
    case 2: {
        qel_chip_opts o = {};
        o.icon = in.ConsumeBool() ? label.c_str() : nullptr;
        o.disabled = in.ConsumeBool();
        qel_toggle_chip(ctx, label.c_str(), in.ConsumeBool() ? &on : nullptr, &o);
        break;
    }
    case 3: {
        qel_badge_opts o = {};
        o.kind = in.ConsumeIntegralInRange<uint32_t>(0, 10);
        o.dot = in.ConsumeBool();
        o.solid = in.ConsumeBool();
        o.size = in.ConsumeIntegralInRange<uint32_t>(0, 3);
        qel_badge(ctx, label.c_str(), &o);
        break;
    }
    case 4: {
        qel_avatar_opts o = {};
        o.size = any_float(in);
        o.texture = in.ConsumeIntegralInRange<uint64_t>(0, 3);
        o.presence = in.ConsumeBool() ? label.c_str() : nullptr;
        o.rounded_square = in.ConsumeBool();
        qel_avatar(ctx, in.ConsumeBool() ? label.c_str() : nullptr, &o);
        break;
    }
    case 5: qel_avatar_group(ctx, labels, count, in.ConsumeIntegral<int32_t>(), any_float(in)); break;
    case 6: {
        qel_card_opts o = {};
        o.id = in.ConsumeBool() ? label.c_str() : nullptr;
        o.width = any_size(in);
        o.padding = any_float(in);
        o.gap = any_float(in);
        o.direction = in.ConsumeIntegralInRange<uint32_t>(0, 4);
        o.wrap = in.ConsumeBool();
        o.clickable = in.ConsumeBool();
        o.flat = in.ConsumeBool();
        qel_card_begin(ctx, &o);
        break;
    }
    case 7: qel_card_end(ctx); break;
    case 8: {
        qel_progress_opts o = {};
        o.indeterminate = in.ConsumeBool();
        o.kind = in.ConsumeIntegralInRange<uint32_t>(0, 10);
        o.height = any_float(in);
        o.label = in.ConsumeBool() ? label.c_str() : nullptr;
        o.show_value = in.ConsumeBool();
        o.width = any_size(in);
        qel_progress_bar(ctx, any_float(in), &o);
        break;
    }
    case 9: qel_skeleton(ctx, any_size(in), any_float(in)); break;
    case 10: {
        qel_alert_opts o = {};
        o.text = in.ConsumeBool() ? label.c_str() : nullptr;
        o.kind = in.ConsumeIntegralInRange<uint32_t>(0, 10);
        o.dismissible = in.ConsumeBool();
        qel_alert(ctx, label.c_str(), &o);
        break;
    }
    case 11: qel_meter(ctx, label.c_str(), any_float(in), any_float(in), in.ConsumeBool() ? "u" : nullptr); break;
    case 12: {
        qel_image_opts o = {};
        o.width = any_size(in);
        o.radius = any_float(in);
        o.tint = in.ConsumeIntegral<uint32_t>();
        qel_image(ctx, in.ConsumeIntegral<uint64_t>(), &o);
        break;
    }
    case 13:
        if (in.ConsumeBool()) qel_button_group_begin(ctx);
        else qel_button_group_end(ctx);
        break;
    default: {
        qel_hold_opts o = {};
        o.duration = any_float(in);
        o.variant = in.ConsumeIntegralInRange<uint32_t>(0, 8);
        if (in.ConsumeBool()) qel_hold_button(ctx, label.c_str(), &o);
        else qel_copy_button(ctx, label.c_str(), in.ConsumeBool() ? label.c_str() : nullptr);
        break;
    }
    }
}

static void build(qel_context* ctx, FuzzedDataProvider& in)
{
    int steps = in.ConsumeIntegralInRange<int>(0, 80);
    for (int i = 0; i < steps && in.remaining_bytes() > 0; i++) {
        switch (in.ConsumeIntegralInRange<int>(0, 13)) {
        case 0: style_node(ctx, in); break;
        case 1: qel_container_end(ctx); break;
        case 2: {
            std::string text = in.ConsumeRandomLengthString(40);
            int32_t t = qel_node_text(ctx, text.c_str(), -1, in.ConsumeIntegralInRange<uint32_t>(0, 20),
                                      any_float(in), in.ConsumeIntegral<uint32_t>(), in.ConsumeBool());
            qel_node_at(ctx, t)->content_align = in.ConsumeIntegralInRange<uint8_t>(0, 5);
            break;
        }
        case 3: qel_node_sized(ctx, in.ConsumeIntegral<uint32_t>(), any_size(in), any_size(in)); break;
        case 4: {
            qel_rect r = any_rect(in);
            int32_t f = qel_node_floating(ctx, in.ConsumeIntegral<uint32_t>(), r.x, r.y, r.w, r.h);
            qel_node_at(ctx, f)->origin = in.ConsumeIntegralInRange<int32_t>(-2, ctx->tree.count + 2);
            break;
        }
        case 5: {
            int32_t o = qel_overlay_begin(ctx, in.ConsumeIntegral<uint32_t>(), in.ConsumeIntegral<int32_t>(),
                                          in.ConsumeIntegral<uint32_t>(), in.ConsumeIntegral<uint8_t>(), any_float(in));
            qel_node_at(ctx, o)->width = any_size(in);
            break;
        }
        case 6: qel_overlay_end(ctx); break;
        case 7: qel_spacer(ctx); break;
        case 8: qel_divider(ctx); break;
        case 9: qel_node_push(ctx, in.ConsumeIntegralInRange<int32_t>(-3, ctx->tree.count + 3)); break;
        case 10: {
            uint32_t id = in.ConsumeIntegral<uint32_t>();
            qel_push_disabled(ctx, in.ConsumeBool());
            qel_interact(ctx, id, in.ConsumeIntegralInRange<uint32_t>(0, 15));
            qel_node_mark_interactive(ctx, qel_node_sized(ctx, id, any_size(in), any_size(in)), 1);
            if (in.ConsumeBool()) qel_pop_disabled(ctx);
            break;
        }
        case 11: qel_anim_value(ctx, in.ConsumeIntegral<uint32_t>(), any_float(in)); break;
        case 12: basic_widget(ctx, in); break;
        default: widget(ctx, in); break;
        }
    }
}

static void feed_input(qel_context* ctx, FuzzedDataProvider& in)
{
    int events = in.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < events; i++) {
        switch (in.ConsumeIntegralInRange<int>(0, 7)) {
        case 0: qel_input_mouse_move(ctx, any_float(in), any_float(in)); break;
        case 1: qel_input_mouse_button(ctx, in.ConsumeIntegralInRange<uint32_t>(0, 4), in.ConsumeBool()); break;
        case 2: qel_input_wheel(ctx, any_float(in), any_float(in)); break;
        case 3:
            qel_input_key(ctx, in.ConsumeIntegral<int32_t>() % 80, in.ConsumeBool(), in.ConsumeIntegral<uint32_t>());
            break;
        case 4: qel_input_chars(ctx, in.ConsumeRandomLengthString(300).c_str()); break;
        case 5: qel_input_focus(ctx, in.ConsumeBool()); break;
        case 6: qel_input_mouse_leave(ctx); break;
        default: qel_ctx_set_display(ctx, any_float(in), any_float(in), any_float(in)); break;
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    // One context for all inputs: inflating the fonts for each would leave little time to fuzz.
    static qel_context* ctx = qel_ctx_create(nullptr);
    qel_ctx_set_display(ctx, 800, 600, 1);
    while (in.remaining_bytes() > 0) {
        feed_input(ctx, in);
        qel_begin_frame(ctx, any_float(in));
        build(ctx, in);
        qel_end_frame(ctx);
        check_draw_list(ctx);
        if (ctx->tree.parent_depth.depth > QEL_PARENT_STACK_CAPACITY ||
            ctx->tree.layer_depth.depth > QEL_LAYER_STACK_CAPACITY ||
            ctx->interaction.disabled_depth.depth > QEL_DISABLED_STACK_CAPACITY)
            abort();
    }
    return 0;
}
