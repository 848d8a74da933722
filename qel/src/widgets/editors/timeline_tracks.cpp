// The timeline's track operations: rows from the nesting, selection, deletion, hit tests and the
// key moves and adds, all in place on the caller's arrays. Searches are binary searches followed
// by short bounded scans, so they cost the same on tracks of thousands of keys.
#include "qel/timeline_tracks.h"

#include "widgets/editors/timeline_reads.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

static const int32_t PARENT_STACK = 16;
static const int32_t KEY_SCAN = 64;
static const int32_t CLIP_SCAN = 3;
static const double SAME_KEY_SECONDS = 1e-5;
static const double ON_FRAME = 0.001;

int32_t qel_timeline_build_rows(const qel_timeline_track* tracks, int32_t count, int32_t* rows, uint8_t* colors,
                                int32_t* ends)
{
    if (!tracks || count < 1) return 0;
    int32_t stack[PARENT_STACK];
    int32_t top = 0, visible = 0, roots = 0, fold = -1;
    for (int32_t i = 0; i < count; i++) {
        int32_t d = timeline_depth(&tracks[i]);
        while (top > 0 && timeline_depth(&tracks[stack[top - 1]]) >= d) ends[stack[--top]] = i;
        uint8_t c = tracks[i].color;
        uint8_t automatic = top == 0 ? (uint8_t)(roots % 6) : colors[stack[top - 1]];
        colors[i] = c >= 1 && c <= 6 ? (uint8_t)(c - 1) : automatic;
        if (top == 0) roots++;
        if (fold < 0 || d <= fold) {
            fold = -1;
            rows[visible++] = i;
        }
        ends[i] = i + 1;
        if (i + 1 < count && timeline_depth(&tracks[i + 1]) > d) {
            if (top < PARENT_STACK) stack[top++] = i;
            if (tracks[i].collapsed && fold < 0) fold = d;
        }
    }
    while (top > 0) ends[stack[--top]] = count;
    return visible;
}

uint8_t qel_timeline_clear_selection(qel_timeline_track* tracks, int32_t count)
{
    uint8_t any = 0;
    for (int32_t i = 0; tracks && i < count; i++) {
        qel_timeline_track* t = &tracks[i];
        if (t->key_selected)
            for (int32_t k = 0; k < timeline_keys(t); k++) any |= t->key_selected[k] != 0, t->key_selected[k] = 0;
        for (int32_t c = 0; c < timeline_clips(t); c++) any |= t->clips[c].selected != 0, t->clips[c].selected = 0;
    }
    return any;
}

// Compacts the unselected keys down; returns how many were removed.
static int32_t delete_keys(qel_timeline_track* t, bool focus_here, int32_t* focus_key)
{
    int32_t n = timeline_keys(t), kept = 0, focus_to = -1;
    for (int32_t k = 0; k < n; k++) {
        if (t->key_selected[k]) continue;
        if (focus_here && k == *focus_key) focus_to = kept;
        t->keys[kept] = t->keys[k];
        t->key_selected[kept++] = 0;
    }
    if (kept == n) return 0;
    memset(t->key_selected + kept, 0, (size_t)(n - kept));
    t->key_count = kept;
    if (focus_here) *focus_key = focus_to;
    return n - kept;
}

static int32_t delete_clips(qel_timeline_track* t)
{
    int32_t n = timeline_clips(t), kept = 0;
    for (int32_t c = 0; c < n; c++)
        if (!t->clips[c].selected) t->clips[kept++] = t->clips[c];
    if (kept < n) t->clip_count = kept;
    return n - kept;
}

void qel_timeline_delete_selected(qel_timeline_track* tracks, int32_t count, int32_t focus_track,
                                  int32_t* focus_key, int32_t* keys_deleted, int32_t* clips_deleted)
{
    int32_t keys = 0, clips = 0;
    for (int32_t i = 0; tracks && i < count; i++) {
        qel_timeline_track* t = &tracks[i];
        if (t->locked) continue;
        if (timeline_keys_editable(t)) keys += delete_keys(t, i == focus_track && focus_key, focus_key);
        clips += delete_clips(t);
    }
    if (keys_deleted) *keys_deleted = keys;
    if (clips_deleted) *clips_deleted = clips;
}

int32_t qel_timeline_key_at(const qel_timeline_track* track, float time, float radius)
{
    if (!track) return -1;
    int32_t n = timeline_keys(track);
    float lo = time - radius, hi = time + radius;
    int32_t best = -1;
    float best_d = 0;
    for (int32_t k = timeline_first_key(track, 0, lo), seen = 0;
         k < n && seen < KEY_SCAN && track->keys[k].x <= hi; k++, seen++) {
        float d = std::fabs(track->keys[k].x - time);
        bool selected = track->key_selected && track->key_selected[k];
        if (best < 0 || d < best_d || (selected && d <= best_d)) best = k, best_d = d;
    }
    return best;
}

int32_t qel_timeline_clip_at(const qel_timeline_track* track, const qel_timeline_layout* layout, float view_start,
                             float px_per_s, float pointer_x, int32_t* part)
{
    int32_t n = track ? timeline_clips(track) : 0;
    if (n == 0 || !layout || !(px_per_s > 0)) return -1;
    const qel_timeline_clip* clips = track->clips;
    float t = (pointer_x - layout->content_x) / px_per_s + view_start;
    int32_t first = timeline_first_clip(track, t);
    for (int32_t c = std::max(0, first - 1), last = std::min(n, c + CLIP_SCAN); c < last; c++) {
        float x0 = (clips[c].start - view_start) * px_per_s + layout->content_x;
        float x1 = (clips[c].end - view_start) * px_per_s + layout->content_x;
        if (!(x0 - 1 <= pointer_x && pointer_x <= x1 + 1)) continue;
        float edge = std::min(6.0f, (x1 - x0) / 3);
        if (part)
            *part = pointer_x - x0 <= edge   ? QEL_TIMELINE_CLIP_START
                    : x1 - pointer_x <= edge ? QEL_TIMELINE_CLIP_END
                                             : QEL_TIMELINE_CLIP_BODY;
        return c;
    }
    return -1;
}

// --- Moving keys ---

struct key_follow {
    int32_t* index;  // null when nothing follows on this track
};

// Keys j - 1 and j swapped places.
static void follow_swap(key_follow* f, int32_t n, int32_t j)
{
    for (int32_t i = 0; i < n; i++) {
        if (!f[i].index) continue;
        if (*f[i].index == j) *f[i].index = j - 1;
        else if (*f[i].index == j - 1) *f[i].index = j;
    }
}

// The stable insertion sort: a key moves left only past keys with a strictly greater x.
static void insertion_sort(qel_timeline_track* t, key_follow* f, int32_t nf)
{
    qel_curve_key* k = t->keys;
    uint8_t* s = t->key_selected;
    for (int32_t i = 1; i < t->key_count; i++) {
        for (int32_t j = i; j > 0 && k[j - 1].x > k[j].x; j--) {
            std::swap(k[j - 1], k[j]);
            std::swap(s[j - 1], s[j]);
            follow_swap(f, nf, j);
        }
    }
}

// When the moved (selected) and resting keys each stay in order, the insertion sort's result is
// their merge with ties going to the earlier index: linear instead of quadratic. Returns false
// when that does not hold (or no scratch memory), leaving the track untouched.
static bool merge_runs(qel_timeline_track* t, key_follow* f, int32_t nf)
{
    int32_t n = t->key_count;
    const qel_curve_key* k = t->keys;
    const uint8_t* s = t->key_selected;
    float last[2] = {-INFINITY, -INFINITY};
    for (int32_t i = 0; i < n; i++) {
        int run = s[i] != 0;
        if (std::isnan(k[i].x) || k[i].x < last[run]) return false;
        last[run] = k[i].x;
    }
    qel_curve_key* keys = (qel_curve_key*)malloc((size_t)n * sizeof(qel_curve_key));
    uint8_t* flags = (uint8_t*)malloc((size_t)n);
    int32_t* from = (int32_t*)malloc((size_t)n * sizeof(int32_t));
    bool ok = keys && flags && from;
    if (ok) {
        memcpy(keys, k, (size_t)n * sizeof(qel_curve_key));
        memcpy(flags, s, (size_t)n);
        int32_t a = 0, b = 0;  // next moved and next resting index
        for (int32_t out = 0; out < n; out++) {
            while (a < n && !flags[a]) a++;
            while (b < n && flags[b]) b++;
            bool take_a = b >= n || (a < n && (keys[a].x < keys[b].x || (keys[a].x == keys[b].x && a < b)));
            int32_t i = take_a ? a++ : b++;
            t->keys[out] = keys[i];
            t->key_selected[out] = flags[i];
            from[out] = i;
        }
        // Each follower names one original index; find where it went.
        for (int32_t j = 0; j < nf; j++) {
            if (!f[j].index || *f[j].index < 0 || *f[j].index >= n) continue;
            for (int32_t out = 0; out < n; out++)
                if (from[out] == *f[j].index) {
                    *f[j].index = out;
                    break;
                }
        }
    }
    free(keys);
    free(flags);
    free(from);
    return ok;
}

static void sort_keys(qel_timeline_track* t, key_follow* f, int32_t nf)
{
    if (!merge_runs(t, f, nf)) insertion_sort(t, f, nf);
}

static double snap_time(double t, double fps)
{
    return std::round(t * fps) / fps;
}

uint8_t qel_timeline_move_keys(qel_timeline_track* tracks, int32_t count, float delta, uint8_t snap, float fps,
                               float range_min, float range_max, int32_t anchor_track, int32_t* anchor_key,
                               float anchor_time, int32_t follow_track, int32_t* follow_key)
{
    float earliest = INFINITY, latest = -INFINITY;
    bool any = false;
    for (int32_t i = 0; tracks && i < count; i++) {
        const qel_timeline_track* t = &tracks[i];
        if (!timeline_keys_editable(t)) continue;
        for (int32_t k = 0; k < t->key_count; k++) {
            if (!t->key_selected[k]) continue;
            any = true;
            earliest = std::min(earliest, t->keys[k].x);
            latest = std::max(latest, t->keys[k].x);
        }
    }
    if (!any || !std::isfinite(delta)) return 0;
    bool limited = true;
    float least = range_min - earliest, most = range_max - latest;
    if (least > delta) delta = least;
    else if (delta <= most) limited = false;
    else delta = most;
    // A bound that is not finite can leave no usable delta.
    if (!std::isfinite(delta) || delta == 0) return 0;
    bool anchored = !limited && anchor_key && *anchor_key >= 0 && std::isfinite(anchor_time);
    bool snapping = snap && std::isfinite(fps) && fps > 0;
    uint8_t moved = 0;
    for (int32_t i = 0; i < count; i++) {
        qel_timeline_track* t = &tracks[i];
        if (!timeline_keys_editable(t)) continue;
        bool changed = false;
        for (int32_t k = 0; k < t->key_count; k++) {
            if (!t->key_selected[k]) continue;
            double x = t->keys[k].x, n;
            if (anchored && i == anchor_track && k == *anchor_key) n = anchor_time;
            else {
                n = x + (double)delta;
                if (snapping && std::fabs(x * fps - std::round(x * fps)) < ON_FRAME) n = snap_time(n, fps);
            }
            if (n < range_min) n = range_min;
            if (n > range_max) n = range_max;
            // Beyond float range (or NaN) the key keeps its time.
            if (!(std::fabs(n) <= FLT_MAX) || (float)n == t->keys[k].x) continue;
            t->keys[k].x = (float)n;
            changed = true;
        }
        if (!changed) continue;
        moved = 1;
        key_follow f[2] = {{i == anchor_track ? anchor_key : nullptr}, {i == follow_track ? follow_key : nullptr}};
        sort_keys(t, f, 2);
    }
    return moved;
}

int32_t qel_timeline_add_key(qel_timeline_track* track, float time, uint8_t* existed)
{
    if (existed) *existed = 0;
    if (!track || !track->keys || track->locked || track->key_capacity <= 0 || !std::isfinite(time)) return -1;
    int32_t n = timeline_keys(track);
    qel_curve_key* keys = track->keys;
    int32_t lo = timeline_first_key(track, 0, time);
    for (int32_t k : {lo, lo - 1}) {
        if (k < 0 || k >= n || !(std::fabs((double)keys[k].x - time) <= SAME_KEY_SECONDS)) continue;
        if (existed) *existed = 1;
        return k;
    }
    if (n >= track->key_capacity) return -1;
    float value = n > 0 ? qel_curve_evaluate(keys, n, time) : 0;
    memmove(keys + lo + 1, keys + lo, (size_t)(n - lo) * sizeof(qel_curve_key));
    if (track->key_selected) memmove(track->key_selected + lo + 1, track->key_selected + lo, (size_t)(n - lo));
    uint8_t before = lo > 0 ? keys[lo - 1].mode : (uint8_t)QEL_CURVE_SMOOTH;
    keys[lo] = {};
    keys[lo].x = time;
    keys[lo].y = value;
    keys[lo].mode = before == QEL_CURVE_LINEAR || before == QEL_CURVE_STEP ? before : (uint8_t)QEL_CURVE_SMOOTH;
    if (track->key_selected) track->key_selected[lo] = 0;
    track->key_count = n + 1;
    return lo;
}
