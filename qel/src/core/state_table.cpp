// The per-id state table. Slots are reused through a free list and the array is compacted only
// when it is both large and mostly empty, so steady frames allocate nothing.
#include <cstring>

#include "core/array_grow.h"
#include "core/core.h"

static const uint64_t BARE_AGE_LIMIT = 30, DATA_AGE_LIMIT = 300;
static const int32_t COMPACT_ABOVE = 2048, COMPACT_MIN_CAPACITY = 256;

static int32_t* bucket_of(qel_state_table* t, uint32_t id)
{
    return &t->buckets[id & (uint32_t)(t->bucket_count - 1)];
}

static qel_state_entry* find_entry(qel_context* ctx, uint32_t id)
{
    qel_state_table* t = &ctx->state;
    if (!id) return nullptr;
    for (int32_t i = *bucket_of(t, id); i >= 0; i = t->entries[i].next)
        if (t->entries[i].id == id) return &t->entries[i];
    return nullptr;
}

void qel_state_rehash(qel_context* ctx, int32_t bucket_count)
{
    qel_state_table* t = &ctx->state;
    qel_mem_free(ctx, t->buckets);
    t->buckets = (int32_t*)qel_mem_alloc(ctx, (size_t)bucket_count * sizeof(int32_t));
    memset(t->buckets, 0xFF, (size_t)bucket_count * sizeof(int32_t));
    t->bucket_count = bucket_count;
    for (int32_t i = 0; i < t->count; i++) {
        qel_state_entry* e = &t->entries[i];
        if (!e->id) continue;
        int32_t* head = bucket_of(t, e->id);
        e->next = *head;
        *head = i;
    }
}

void qel_state_init(qel_context* ctx)
{
    ctx->state.free_head = -1;
    qel_state_rehash(ctx, QEL_STATE_INITIAL_BUCKETS);
}

static int32_t take_slot(qel_context* ctx)
{
    qel_state_table* t = &ctx->state;
    if (t->free_head >= 0) {
        int32_t slot = t->free_head;
        t->free_head = t->entries[slot].next;
        return slot;
    }
    t->entries = qel_array_grow(ctx, t->entries, &t->capacity, t->count + 1ll);
    int32_t slot = t->count++;
    t->entries[slot].id = 0;  // free while the chains are rebuilt
    if (t->count > t->bucket_count) qel_state_rehash(ctx, t->bucket_count * 2);
    return slot;
}

qel_state_entry* qel_state_find_or_add(qel_context* ctx, uint32_t id)
{
    uint64_t now = ctx->clock.frame_count;
    qel_state_entry* e = find_entry(ctx, id);
    if (!e) {
        qel_state_table* t = &ctx->state;
        int32_t slot = take_slot(ctx);
        e = &t->entries[slot];
        *e = {};
        e->id = id;
        int32_t* head = bucket_of(t, id);
        e->next = *head;
        *head = slot;
    }
    e->touched = now;
    return e;
}

static void* grow_blob(qel_context* ctx, qel_state_entry* e, size_t size)
{
    if (size == 0 && !e->blob) return nullptr;
    if (e->blob_size < size) {
        e->blob = qel_mem_realloc(ctx, e->blob, size);
        memset((uint8_t*)e->blob + e->blob_size, 0, size - (size_t)e->blob_size);
        e->blob_size = size;
    }
    return e->blob;
}

// Data for id 0, which names no item: the same scratch block every time, zeroed, kept nowhere.
static void* scratch_blob(qel_context* ctx, size_t size)
{
    qel_state_table* t = &ctx->state;
    if (size == 0) return nullptr;
    if (t->scratch_size < size) {
        t->scratch = qel_mem_realloc(ctx, t->scratch, size);
        t->scratch_size = size;
    }
    return memset(t->scratch, 0, size);
}

void* qel_state_get(qel_context* ctx, uint32_t id, size_t size)
{
    if (!id) return scratch_blob(ctx, size);
    return grow_blob(ctx, qel_state_find_or_add(ctx, id), size);
}

void* qel_state_find(qel_context* ctx, uint32_t id, size_t size, bool create)
{
    if (create) return qel_state_get(ctx, id, size);
    qel_state_entry* e = find_entry(ctx, id);
    if (!e || !e->blob || e->blob_size < size) return nullptr;
    e->touched = ctx->clock.frame_count;
    return e->blob;
}

void qel_state_set_destructor(qel_context* ctx, uint32_t id, qel_state_destructor destructor)
{
    if (id) qel_state_find_or_add(ctx, id)->destructor = destructor;
}

void qel_state_set_destructor_safe(qel_context* ctx, uint32_t id, qel_state_destructor destructor)
{
    if (ctx) qel_state_set_destructor(ctx, id, destructor);
}

void qel_id_rect_of(qel_rect* out, qel_context* ctx, uint32_t id)
{
    const qel_state_entry* e = find_entry(ctx, id);
    *out = e && e->rect_valid ? qel_rect{e->x, e->y, e->w, e->h} : qel_rect{};
}

qel_rect qel_id_rect(qel_context* ctx, uint32_t id)
{
    qel_rect r;
    qel_id_rect_of(&r, ctx, id);
    return r;
}

bool qel_id_seen(qel_context* ctx, uint32_t id)
{
    const qel_state_entry* e = find_entry(ctx, id);
    return e && e->rect_valid;
}

static void unlink_entry(qel_state_table* t, int32_t index)
{
    int32_t* link = bucket_of(t, t->entries[index].id);
    while (*link != index) link = &t->entries[*link].next;
    *link = t->entries[index].next;
}

// Called with the entry already out of the table: a destructor that touches the table (even one
// that adds entries and moves the array) cannot disturb the collection.
static void dispose(qel_context* ctx, qel_state_destructor destructor, void* blob)
{
    if (destructor && blob) destructor(ctx, blob);
    qel_mem_free(ctx, blob);
}

static void compact(qel_context* ctx, int32_t live)
{
    qel_state_table* t = &ctx->state;
    int32_t capacity = live * 2 > COMPACT_MIN_CAPACITY ? live * 2 : COMPACT_MIN_CAPACITY;
    qel_state_entry* entries = (qel_state_entry*)qel_mem_alloc(ctx, (size_t)capacity * sizeof(qel_state_entry));
    int32_t n = 0;
    for (int32_t i = 0; i < t->count; i++)
        if (t->entries[i].id) entries[n++] = t->entries[i];
    qel_mem_free(ctx, t->entries);
    t->entries = entries;
    t->count = n;
    t->capacity = capacity;
    t->free_head = -1;
    int32_t buckets = QEL_STATE_INITIAL_BUCKETS;
    while (buckets < live) buckets *= 2;
    qel_state_rehash(ctx, buckets);
}

void qel_state_collect(qel_context* ctx)
{
    qel_state_table* t = &ctx->state;
    uint64_t now = ctx->clock.frame_count;
    for (int32_t i = 0; i < t->count; i++) {
        qel_state_entry* e = &t->entries[i];
        uint64_t limit = e->blob || e->destructor ? DATA_AGE_LIMIT : BARE_AGE_LIMIT;
        if (!e->id || now - e->touched < limit) continue;
        unlink_entry(t, i);
        qel_state_destructor destructor = e->destructor;
        void* blob = e->blob;
        *e = {};
        e->next = t->free_head;
        t->free_head = i;
        dispose(ctx, destructor, blob);
    }
    int32_t live = 0;
    for (int32_t i = 0; i < t->count; i++) live += t->entries[i].id != 0;
    if (t->count > COMPACT_ABOVE && t->count > 4 * live) compact(ctx, live);
}

void qel_state_release(qel_context* ctx)
{
    qel_state_table* t = &ctx->state;
    for (int32_t i = 0; i < t->count; i++) {
        qel_state_entry* e = &t->entries[i];
        if (e->id) dispose(ctx, e->destructor, e->blob);
    }
    qel_mem_free(ctx, t->entries);
    qel_mem_free(ctx, t->buckets);
    qel_mem_free(ctx, t->scratch);
    ctx->state = {};
}
