// Tracks of keys and clips from arbitrary bytes, with ranges, fps and deltas of every kind (NaN,
// infinities, 0, huge) for the timeline's track operations: nothing is read or written outside
// the arrays, no time that is not finite is written, and sorted keys stay sorted with their flags.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "fuzz_qel_support.h"
#include "qel/timeline_tracks.h"

static void check(bool ok, int line = __builtin_LINE())
{
    if (ok) return;
    fprintf(stderr, "check failed at line %d\n", line);
    abort();
}

struct fuzz_track {
    std::vector<qel_curve_key> keys;
    std::vector<uint8_t> flags;
    std::vector<qel_timeline_clip> clips;
};

static float any_time(FuzzedDataProvider& in)
{
    return in.ConsumeBool() ? any_float(in, 20.0f) : any_float(in, 1e30f);
}

// Keys carry their identity in y, so flags can be checked against the keys they belong to.
static qel_timeline_track make_track(FuzzedDataProvider& in, fuzz_track* f, int32_t id)
{
    size_t n = in.ConsumeIntegralInRange<size_t>(0, 10);
    size_t capacity = n + in.ConsumeIntegralInRange<size_t>(0, 2);
    f->keys.resize(capacity);
    f->flags.resize(capacity);
    for (size_t i = 0; i < n; i++) {
        f->keys[i] = {any_time(in), 0, 0, 0, 0, 0, in.ConsumeIntegral<uint8_t>()};
        f->flags[i] = (uint8_t)(in.ConsumeBool() ? 1 + (int32_t)i % 2 : 0);
    }
    if (in.ConsumeBool())
        std::sort(f->keys.begin(), f->keys.begin() + (ptrdiff_t)n, [](auto& a, auto& b) { return a.x < b.x; });
    for (size_t i = 0; i < n; i++) f->keys[i].y = (float)(id * 100 + (int32_t)i);
    f->clips.resize(in.ConsumeIntegralInRange<size_t>(0, 4));
    for (qel_timeline_clip& c : f->clips) c = {any_time(in), any_time(in), any_time(in), nullptr, in.ConsumeBool()};
    qel_timeline_track t{};
    t.depth = in.ConsumeIntegral<int32_t>();
    t.collapsed = in.ConsumeBool();
    t.locked = in.ConsumeIntegralInRange<uint8_t>(0, 5) == 0;
    t.color = in.ConsumeIntegral<uint8_t>();
    t.keys = capacity ? f->keys.data() : nullptr;
    t.key_selected = capacity && in.ConsumeIntegralInRange<uint8_t>(0, 7) ? f->flags.data() : nullptr;
    t.key_count = (int32_t)n;
    t.key_capacity = (int32_t)capacity;
    t.clips = f->clips.empty() ? nullptr : f->clips.data();
    t.clip_count = (int32_t)f->clips.size();
    return t;
}

static bool sorted(const qel_timeline_track& t)
{
    for (int32_t i = 1; i < t.key_count; i++)
        if (t.keys[i].x < t.keys[i - 1].x) return false;
    return true;
}

static bool finite_times(const qel_timeline_track& t)
{
    for (int32_t i = 0; i < t.key_count; i++)
        if (!std::isfinite(t.keys[i].x)) return false;
    return true;
}

// A key's flag is its identity's parity pattern: 0, or 1 + the key's original index mod 2.
static bool flags_follow(const qel_timeline_track& t, const std::vector<uint8_t>& before, int32_t id)
{
    for (int32_t i = 0; t.key_selected && i < t.key_count; i++) {
        int32_t original = (int32_t)t.keys[i].y - id * 100;
        if (original < 0 || original >= (int32_t)before.size() || t.key_selected[i] != before[(size_t)original])
            return false;
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    size_t count = in.ConsumeIntegralInRange<size_t>(0, 5);
    std::vector<fuzz_track> owned(count);
    std::vector<qel_timeline_track> tracks;
    for (size_t i = 0; i < count; i++) tracks.push_back(make_track(in, &owned[i], (int32_t)i));
    int32_t n = (int32_t)count;
    qel_timeline_track* t = tracks.empty() ? nullptr : tracks.data();

    std::vector<int32_t> rows(count), ends(count);
    std::vector<uint8_t> colors(count);
    int32_t visible = qel_timeline_build_rows(t, n, rows.data(), colors.data(), ends.data());
    check(visible >= 0 && visible <= n);
    for (int32_t i = 0; i < n; i++) check(colors[(size_t)i] < 6 && ends[(size_t)i] > i && ends[(size_t)i] <= n);

    int32_t which = in.ConsumeIntegralInRange<int32_t>(-1, n);
    const qel_timeline_track* one = which >= 0 && which < n ? &tracks[(size_t)which] : nullptr;
    int32_t hit = qel_timeline_key_at(one, any_time(in), any_time(in));
    check(hit >= -1 && hit < (one ? one->key_count : 0));
    qel_timeline_layout layout{};
    layout.content_x = any_float(in);
    int32_t part = -1;
    hit = qel_timeline_clip_at(one, &layout, any_time(in), any_float(in), any_float(in), &part);
    check(hit == -1 || (hit < one->clip_count && part >= 0 && part <= 2));

    std::vector<std::vector<uint8_t>> flags_before;
    std::vector<bool> was_sorted, was_finite;
    for (size_t i = 0; i < count; i++) {
        flags_before.push_back(owned[i].flags);
        was_sorted.push_back(sorted(tracks[i]));
        was_finite.push_back(finite_times(tracks[i]));
    }
    int32_t anchor = in.ConsumeIntegralInRange<int32_t>(-1, 11), follow = in.ConsumeIntegralInRange<int32_t>(-1, 11);
    float delta = any_time(in), fps = in.ConsumeBool() ? any_float(in, 2000.0f) : 30.0f;
    float lo = any_time(in), hi = any_time(in), at = any_time(in);
    qel_timeline_move_keys(t, n, delta, in.ConsumeBool(), fps, lo, hi, which, &anchor, at, which, &follow);
    for (size_t i = 0; i < count; i++) {
        if (was_sorted[i] && was_finite[i]) check(sorted(tracks[i]));
        if (was_finite[i]) check(finite_times(tracks[i]));
        check(flags_follow(tracks[i], flags_before[i], (int32_t)i));
    }
    check(anchor >= -1 && anchor <= 11 && follow >= -1 && follow <= 11);

    if (one) {
        uint8_t existed = 0;
        bool finite = finite_times(*one), in_order = sorted(*one);
        int32_t added = qel_timeline_add_key(&tracks[(size_t)which], any_time(in), &existed);
        check(added >= -1 && added < tracks[(size_t)which].key_count);
        if (finite) check(finite_times(*one));
        if (in_order && finite) check(sorted(*one));
    }

    int32_t focus = in.ConsumeIntegralInRange<int32_t>(-2, 12), keys = -1, clips = -1;
    qel_timeline_delete_selected(t, n, which, &focus, &keys, &clips);
    check(keys >= 0 && clips >= 0 && focus >= -2 && focus <= 12);
    qel_timeline_clear_selection(t, n);
    for (size_t i = 0; i < count; i++)
        for (int32_t k = 0; tracks[i].key_selected && k < tracks[i].key_count; k++) check(!tracks[i].key_selected[k]);
    return 0;
}
