// Owned state records: the owner's kind kept beside the record, under an id of its own.
#include "kit/state_records.h"

#include "core/core.h"
#include "core/state_table.h"
#include "qel/context.h"
#include "qel/state.h"

static const uint32_t OWNER_KEY = 0x0A5E7C1Du;

void* qel_state_record(qel_context* ctx, uint32_t id, size_t size, uint32_t kind)
{
    if (!id) return qel_state_get(ctx, id, size);
    auto* owner = (uint32_t*)qel_state_get(ctx, id ^ OWNER_KEY, sizeof(uint32_t));
    qel_state_entry* e = qel_state_find_or_add(ctx, id);
    if (e->blob && (e->blob_size != size || *owner != kind)) {
        if (e->destructor) e->destructor(ctx, e->blob);
        qel_mem_free(ctx, e->blob);
        e->blob = nullptr;
        e->blob_size = 0;
        e->destructor = nullptr;
    }
    *owner = kind;
    return qel_state_get(ctx, id, size);
}
