// Frame hooks: the modules above the core (the overlay layer, the tooltip, the widgets' scopes,
// later caches) keep a record in the context and take part in the frame cycle without the core
// naming them. A module describes itself once in a static qel_frame_hooks; its first call for
// its record registers it with the context. Any hook may be null.
#pragma once

#include <cstddef>
#include <cstdint>

struct qel_context;

struct qel_frame_hooks {
    int32_t order;       // at each moment the hooks of a lower order run first
    size_t record_size;  // zeroed at registration, freed with the context
    // Frame begin, once the root is open: forget what lasts one frame.
    void (*begin)(qel_context* ctx, void* record);
    // Frame finish, before the tree is closed and laid out: the frame's last nodes.
    void (*end)(qel_context* ctx, void* record);
    // First thing when the renderer interface is replaced: textures made through the old one go.
    void (*renderer_changed)(qel_context* ctx, void* record);
    // Context destruction, before the core releases its own state.
    void (*destroy)(qel_context* ctx, void* record);
    // How far the module keeps keys from the items of the overlay layer being built: 0 not at
    // all, 1 no keyboard navigation (a popup is above), 2 no keys at all (a modal layer is above).
    int32_t (*keys_blocked)(qel_context* ctx, void* record);
};

struct qel_frame_hook_entry {
    const qel_frame_hooks* hooks;
    void* record;
};

// The context's registered modules, kept in hook order.
struct qel_frame_hook_table {
    qel_frame_hook_entry* entries;
    int32_t count, capacity;
};

// The module's record, registering the module at its first call.
void* qel_frame_hooks_record(qel_context* ctx, const qel_frame_hooks* hooks);
// The module's record when it is registered, else null: readers need not register it.
void* qel_frame_hooks_find(qel_context* ctx, const qel_frame_hooks* hooks);

// The moments, run by the frame cycle and the context in hook order.
void qel_frame_hooks_begin(qel_context* ctx);
void qel_frame_hooks_end(qel_context* ctx);
void qel_frame_hooks_renderer_changed(qel_context* ctx);
// Runs the destroy hooks, then frees the records and the table.
void qel_frame_hooks_destroy(qel_context* ctx);

// The most any module keeps keys from the items being built (0, 1 or 2 as above).
int32_t qel_keys_blocked(qel_context* ctx);
