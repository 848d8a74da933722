// What tests read of a context beyond the toolkit's public interface: the last frame's nodes,
// what a frame left open, the toasts, and the ids widgets derive for their parts. Widget tests
// read the context through these alone, so a change to its records touches this file only.
#pragma once

#include <cstring>

#include "core/core.h"
#include "kit/scopes.h"
#include "overlays/overlay_state.h"
#include "qel/id.h"

// --- The last frame's tree ---

inline int32_t inspect_node_count(qel_context* ctx)
{
    return ctx->tree.count;
}

inline const qel_node* inspect_node(qel_context* ctx, int32_t index)
{
    return index >= 0 && index < ctx->tree.count ? &ctx->tree.nodes[index] : nullptr;
}

// Nodes of the last frame's tree, found by id or by their whole text; null when none.
inline const qel_node* node_with_id(qel_context* ctx, uint32_t id)
{
    for (int32_t i = 0; i < ctx->tree.count; i++)
        if (ctx->tree.nodes[i].id == id) return &ctx->tree.nodes[i];
    return nullptr;
}

inline const qel_node* node_with_text(qel_context* ctx, const char* text)
{
    for (int32_t i = 0; i < ctx->tree.count; i++) {
        const qel_node& n = ctx->tree.nodes[i];
        if ((n.flags & QEL_NODE_TEXT) && n.text && strcmp(n.text, text) == 0) return &n;
    }
    return nullptr;
}

// The first node of the last frame that a draw callback paints; null when none.
inline const qel_node* node_with_draw(qel_context* ctx, qel_draw_fn draw)
{
    for (int32_t i = 0; i < ctx->tree.count; i++)
        if (ctx->tree.nodes[i].draw == draw) return &ctx->tree.nodes[i];
    return nullptr;
}

// The id of label inside the scope a widget named scope opens.
inline uint32_t scoped_id(qel_context* ctx, const char* scope, const char* label)
{
    qel_push_id(ctx, scope);
    uint32_t id = qel_id(ctx, label);
    qel_pop_id(ctx);
    return id;
}

// --- What a frame leaves open ---

// Containers still open: the root alone once every begin met its end.
inline int32_t inspect_open_parents(qel_context* ctx)
{
    return ctx->tree.parent_depth.depth;
}

// The overlay layer being built; 0 the base.
inline uint32_t inspect_current_layer(qel_context* ctx)
{
    return ctx->tree.current_layer;
}

// Records on the scope stack, of every type.
inline int32_t inspect_open_scopes(qel_context* ctx)
{
    int32_t count = 0;
    for (const qel_scope_header* h = qel_scope_innermost(ctx); h; h = h->outer) count++;
    return count;
}

// Popups begun and not yet ended.
inline int32_t inspect_begun_popups(qel_context* ctx)
{
    return qel_overlays(ctx)->depth.depth;
}

// Disabled scopes open.
inline int32_t inspect_disabled_scopes(qel_context* ctx)
{
    return ctx->interaction.disabled_count;
}

// --- Toasts ---

inline int32_t inspect_toast_count(qel_context* ctx)
{
    return qel_overlays(ctx)->toast_count;
}

inline const qel_toast* inspect_toast(qel_context* ctx, int32_t index)
{
    return &qel_overlays(ctx)->toasts[index];
}
