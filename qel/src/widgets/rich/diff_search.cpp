// The difference search: Myers' middle snake over identifier sequences, split into pending
// sub-problems, bounded by a distance limit and a cost budget; a bound reached ends in a valid
// but coarser split rather than a failure. Also the engine's soft-failing growable arrays.
#include "widgets/rich/diff_search.h"

#include <cstring>

namespace {

constexpr int32_t none = INT32_MIN;  // no point reached on this diagonal

struct search_box {
    int32_t x0, x1, y0, y1;
};

struct search_input {
    const int32_t* a;
    const int32_t* b;
    uint8_t* a_changed;
    uint8_t* b_changed;
    int32_t limit;
};

void mark_box(const search_input& in, const search_box& box)
{
    if (box.x1 > box.x0) memset(in.a_changed + box.x0, 1, (size_t)(box.x1 - box.x0));
    if (box.y1 > box.y0) memset(in.b_changed + box.y0, 1, (size_t)(box.y1 - box.y0));
}

bool push_box(qel_diff_search* s, const search_box& box)
{
    if (!qel_diff_grow(s->alloc, (void**)&s->stack, &s->stack_capacity, (s->stack_count + 1) * 4, sizeof(int32_t)))
        return false;
    int32_t* top = s->stack + s->stack_count * 4;
    top[0] = box.x0, top[1] = box.x1, top[2] = box.y0, top[3] = box.y1;
    s->stack_count++;
    return true;
}

// One frontier step on diagonal k: the further of the down and right moves that stays in the
// n x m box, then its snake. The same code serves the reverse pass, which reads the sequences
// from their ends.
int32_t extend(qel_diff_search* s, int32_t* v, int32_t k, int32_t d, const int32_t* a, const int32_t* b,
               int32_t n, int32_t m, bool reverse)
{
    int32_t x = none;
    if ((k < d || d == 0) && v[k + 1] != none && v[k + 1] - k <= m) x = v[k + 1];
    if (k > -d && v[k - 1] != none && v[k - 1] + 1 <= n && v[k - 1] + 1 > x) x = v[k - 1] + 1;
    s->cost++;
    if (x == none) return v[k] = none;
    int32_t y = x - k;
    int32_t start = x;
    if (reverse)
        while (x < n && y < m && a[n - 1 - x] == b[m - 1 - y]) x++, y++;
    else
        while (x < n && y < m && a[x] == b[y]) x++, y++;
    s->cost += x - start;
    return v[k] = x;
}

// Where to split when a bound stopped the search: the forward point furthest from the start,
// unless a reverse point lies strictly further from the end.
void furthest_point(const int32_t* fw, const int32_t* rv, int32_t d, int32_t n, int32_t m, int32_t* sx, int32_t* sy)
{
    int64_t best = -1;
    for (int32_t k = -d; k <= d; k += 2)
        if (fw[k] != none && (int64_t)fw[k] * 2 - k > best) best = (int64_t)fw[k] * 2 - k, *sx = fw[k], *sy = fw[k] - k;
    for (int32_t k = -d; k <= d; k += 2)
        if (rv[k] != none && (int64_t)rv[k] * 2 - k > best)
            best = (int64_t)rv[k] * 2 - k, *sx = n - rv[k], *sy = m - (rv[k] - k);
}

bool solve_box(qel_diff_search* s, const search_input& in, search_box box)
{
    int64_t prefix = 0;
    while (box.x0 < box.x1 && box.y0 < box.y1 && in.a[box.x0] == in.b[box.y0]) box.x0++, box.y0++, prefix++;
    s->cost += prefix + 1;
    while (box.x0 < box.x1 && box.y0 < box.y1 && in.a[box.x1 - 1] == in.b[box.y1 - 1]) box.x1--, box.y1--;
    if (box.x0 == box.x1 || box.y0 == box.y1) {
        mark_box(in, box);
        return true;
    }
    if (s->cost >= s->budget) {
        mark_box(in, box);
        s->limit_reached = 1;
        return true;
    }
    int32_t n = box.x1 - box.x0, m = box.y1 - box.y0;
    const int32_t* a = in.a + box.x0;
    const int32_t* b = in.b + box.y0;
    int32_t half = (int32_t)(((int64_t)n + m + 1) / 2);
    int32_t dmax = in.limit < half ? in.limit : half;
    int32_t* fw = s->frontier + in.limit + 1;
    int32_t* rv = fw + 2 * in.limit + 3;
    int32_t delta = n - m;
    bool odd = (delta & 1) != 0;
    bool found = false, bound = false;
    int32_t sx = 0, sy = 0, d = 0;
    for (d = 0; d < dmax && !found; d++) {
        fw[-d - 1] = fw[d + 1] = rv[-d - 1] = rv[d + 1] = none;
        if (d == 0) fw[1] = rv[1] = 0;
        for (int32_t k = -d; k <= d && !found; k += 2) {
            int32_t x = extend(s, fw, k, d, a, b, n, m, false);
            int32_t kr = delta - k;
            if (odd && x != none && kr >= -(d - 1) && kr <= d - 1 && rv[kr] != none && x + rv[kr] >= n)
                found = true, sx = x, sy = x - k;
        }
        for (int32_t kr = -d; kr <= d && !found; kr += 2) {
            int32_t xr = extend(s, rv, kr, d, a, b, n, m, true);
            int32_t k = delta - kr;
            if (!odd && xr != none && k >= -d && k <= d && fw[k] != none && fw[k] + xr >= n)
                found = true, sx = fw[k], sy = fw[k] - k;
        }
        if (!found && s->cost > s->budget) {
            bound = true;
            break;
        }
    }
    if (!found) {
        if (!bound && dmax == half) {
            mark_box(in, box);  // nothing in common
            return true;
        }
        furthest_point(fw, rv, bound ? d : d - 1, n, m, &sx, &sy);
        s->limit_reached = 1;
    }
    if ((sx == 0 && sy == 0) || (sx == n && sy == m)) {
        mark_box(in, box);
        return true;
    }
    return push_box(s, {box.x0 + sx, box.x1, box.y0 + sy, box.y1}) &&
           push_box(s, {box.x0, box.x0 + sx, box.y0, box.y0 + sy});
}

int32_t distance_limit(int64_t total)
{
    int64_t cap = 256;
    if (total > 65536)
        while (cap * cap < total) cap *= 2;
    int64_t limit = (total + 1) / 2 < cap ? (total + 1) / 2 : cap;
    return limit < 1 ? 1 : (int32_t)limit;
}

}  // namespace

uint32_t qel_diff_fnv1a(const char* bytes, size_t length)
{
    uint32_t h = 0x811c9dc5u;
    for (size_t i = 0; i < length; i++) h = (h ^ (uint8_t)bytes[i]) * 16777619u;
    return h;
}

void* qel_diff_alloc_array(const qel_diff_allocator* alloc, int64_t count, size_t element)
{
    if (count < 0 || (uint64_t)count > SIZE_MAX / element) return nullptr;
    size_t bytes = (size_t)count * element;
    return alloc->malloc_fn(bytes ? bytes : 1, alloc->user);
}

bool qel_diff_grow(const qel_diff_allocator* alloc, void** block, int64_t* capacity, int64_t need, size_t element)
{
    if (need <= *capacity) return true;
    int64_t cap = *capacity > 0 ? *capacity : 64;
    while (cap < need) cap = cap >= ((int64_t)1 << 30) ? need : cap * 2;
    if ((uint64_t)cap > SIZE_MAX / element) return false;
    void* grown = alloc->realloc_fn(*block, (size_t)cap * element, alloc->user);
    if (!grown) return false;
    *block = grown;
    *capacity = cap;
    return true;
}

void qel_diff_search_free(qel_diff_search* search)
{
    if (search->frontier) search->alloc->free_fn(search->frontier, search->alloc->user);
    if (search->stack) search->alloc->free_fn(search->stack, search->alloc->user);
    search->frontier = nullptr;
    search->stack = nullptr;
    search->frontier_capacity = search->stack_count = search->stack_capacity = 0;
}

bool qel_diff_search_run(qel_diff_search* search, const int32_t* a, int32_t n, const int32_t* b, int32_t m,
                         uint8_t* a_changed, uint8_t* b_changed)
{
    search_input in = {a, b, a_changed, b_changed, distance_limit((int64_t)n + m)};
    if (!qel_diff_grow(search->alloc, (void**)&search->frontier, &search->frontier_capacity,
                       2 * (2 * (int64_t)in.limit + 3), sizeof(int32_t)))
        return false;
    search->stack_count = 0;
    if (!push_box(search, {0, n, 0, m})) return false;
    while (search->stack_count > 0) {
        const int32_t* top = search->stack + --search->stack_count * 4;
        if (!solve_box(search, in, {top[0], top[1], top[2], top[3]})) return false;
    }
    return true;
}
