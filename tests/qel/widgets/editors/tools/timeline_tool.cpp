// Answers timeline track cases from a file, one case a line, for comparison with another model.
// Floats, read or printed, are their bit patterns in hex. A track is written as
//   locked capacity N (x y mode selected)xN M (start end selected)xM
// and printed back the same way, less locked and capacity.
//   rows N (depth collapsed color)xN              prints the visible rows, colours and ends
//   key_at track time radius                      prints the index
//   clip_at track content_x view_start px_per_s x prints the index and the part
//   delete T trackxT focus_track focus_key        prints focus_key, the counts, the tracks
//   move T trackxT delta snap fps min max anchor_track anchor_key anchor_time follow_track follow_key
//                                                 prints moved, anchor_key, follow_key, the tracks
//   add track time                                prints the index, existed and the track
//   texts seconds(64-bit hex) fps range_end step(64-bit hex)
//                                                 prints the timecode with and without hours, the
//                                                 frames, seconds and timecode time texts and the
//                                                 seconds tick text, separated by "|"
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "qel/qel.h"

namespace {

struct track_data {
    qel_timeline_track track{};
    std::vector<qel_curve_key> keys;
    std::vector<uint8_t> flags;
    std::vector<qel_timeline_clip> clips;
};

bool read_float(FILE* in, float* v)
{
    uint32_t bits;
    if (fscanf(in, "%x", &bits) != 1) return false;
    memcpy(v, &bits, sizeof bits);
    return true;
}

void print_float(float v)
{
    uint32_t bits;
    memcpy(&bits, &v, sizeof bits);
    printf("%x ", bits);
}

bool read_int(FILE* in, int* v)
{
    return fscanf(in, "%d", v) == 1;
}

bool read_track(FILE* in, track_data* d)
{
    int locked, capacity, n, m, mode, sel;
    if (!read_int(in, &locked) || !read_int(in, &capacity) || !read_int(in, &n) || n < 0 || capacity < n) return false;
    d->keys.assign((size_t)capacity, qel_curve_key{});
    d->flags.assign((size_t)capacity, 0);
    for (int i = 0; i < n; i++) {
        qel_curve_key& k = d->keys[(size_t)i];
        if (!read_float(in, &k.x) || !read_float(in, &k.y) || !read_int(in, &mode) || !read_int(in, &sel)) return false;
        k.mode = (uint8_t)mode;
        d->flags[(size_t)i] = (uint8_t)sel;
    }
    if (!read_int(in, &m) || m < 0) return false;
    d->clips.assign((size_t)m, qel_timeline_clip{});
    for (qel_timeline_clip& c : d->clips) {
        if (!read_float(in, &c.start) || !read_float(in, &c.end) || !read_int(in, &sel)) return false;
        c.selected = (uint8_t)sel;
    }
    d->track.locked = (uint8_t)locked;
    d->track.keys = d->keys.empty() ? nullptr : d->keys.data();
    d->track.key_selected = d->flags.empty() ? nullptr : d->flags.data();
    d->track.key_count = n;
    d->track.key_capacity = capacity;
    d->track.clips = d->clips.empty() ? nullptr : d->clips.data();
    d->track.clip_count = m;
    return true;
}

void print_track(const qel_timeline_track& t)
{
    printf("%d ", t.key_count);
    for (int i = 0; i < t.key_count; i++) {
        print_float(t.keys[i].x);
        print_float(t.keys[i].y);
        printf("%d %d ", t.keys[i].mode, t.key_selected[i]);
    }
    printf("%d ", t.clip_count);
    for (int i = 0; i < t.clip_count; i++) {
        print_float(t.clips[i].start);
        print_float(t.clips[i].end);
        printf("%d ", t.clips[i].selected);
    }
}

bool read_tracks(FILE* in, std::vector<track_data>* data, std::vector<qel_timeline_track>* tracks)
{
    int n;
    if (!read_int(in, &n) || n < 0) return false;
    data->resize((size_t)n);
    for (track_data& d : *data)
        if (!read_track(in, &d)) return false;
    for (track_data& d : *data) tracks->push_back(d.track);
    return true;
}

void print_tracks(const std::vector<qel_timeline_track>& tracks)
{
    for (const qel_timeline_track& t : tracks) print_track(t);
}

bool rows_case(FILE* in)
{
    int n, collapsed, color;
    if (!read_int(in, &n) || n < 0) return false;
    std::vector<qel_timeline_track> tracks((size_t)n);
    for (qel_timeline_track& t : tracks) {
        if (!read_int(in, &t.depth) || !read_int(in, &collapsed) || !read_int(in, &color)) return false;
        t.collapsed = (uint8_t)collapsed;
        t.color = (uint8_t)color;
    }
    std::vector<int32_t> rows((size_t)n), ends((size_t)n);
    std::vector<uint8_t> colors((size_t)n);
    int32_t visible = qel_timeline_build_rows(tracks.data(), n, rows.data(), colors.data(), ends.data());
    printf("%d |", visible);
    for (int i = 0; i < visible; i++) printf(" %d", rows[(size_t)i]);
    printf(" |");
    for (int i = 0; i < n; i++) printf(" %d", colors[(size_t)i]);
    printf(" |");
    for (int i = 0; i < n; i++) printf(" %d", ends[(size_t)i]);
    return true;
}

bool key_at_case(FILE* in)
{
    track_data d;
    float time, radius;
    if (!read_track(in, &d) || !read_float(in, &time) || !read_float(in, &radius)) return false;
    printf("%d", qel_timeline_key_at(&d.track, time, radius));
    return true;
}

bool clip_at_case(FILE* in)
{
    track_data d;
    qel_timeline_layout layout{};
    float start, pps, x;
    if (!read_track(in, &d) || !read_float(in, &layout.content_x) || !read_float(in, &start) ||
        !read_float(in, &pps) || !read_float(in, &x))
        return false;
    int32_t part = -1;
    int32_t index = qel_timeline_clip_at(&d.track, &layout, start, pps, x, &part);
    printf("%d %d", index, index < 0 ? -1 : part);
    return true;
}

bool delete_case(FILE* in)
{
    std::vector<track_data> data;
    std::vector<qel_timeline_track> tracks;
    int focus_track, focus_key;
    if (!read_tracks(in, &data, &tracks) || !read_int(in, &focus_track) || !read_int(in, &focus_key)) return false;
    int32_t keys = -1, clips = -1;
    qel_timeline_delete_selected(tracks.data(), (int32_t)tracks.size(), focus_track, &focus_key, &keys, &clips);
    printf("%d %d %d ", focus_key, keys, clips);
    print_tracks(tracks);
    return true;
}

bool move_case(FILE* in)
{
    std::vector<track_data> data;
    std::vector<qel_timeline_track> tracks;
    float delta, fps, lo, hi, anchor_time;
    int snap, anchor_track, anchor_key, follow_track, follow_key;
    if (!read_tracks(in, &data, &tracks) || !read_float(in, &delta) || !read_int(in, &snap) || !read_float(in, &fps) ||
        !read_float(in, &lo) || !read_float(in, &hi) || !read_int(in, &anchor_track) || !read_int(in, &anchor_key) ||
        !read_float(in, &anchor_time) || !read_int(in, &follow_track) || !read_int(in, &follow_key))
        return false;
    int moved = qel_timeline_move_keys(tracks.data(), (int32_t)tracks.size(), delta, (uint8_t)snap, fps, lo, hi,
                                       anchor_track, &anchor_key, anchor_time, follow_track, &follow_key);
    printf("%d %d %d ", moved, anchor_key, follow_key);
    print_tracks(tracks);
    return true;
}

bool add_case(FILE* in)
{
    track_data d;
    float time;
    if (!read_track(in, &d) || !read_float(in, &time)) return false;
    uint8_t existed = 7;
    int32_t index = qel_timeline_add_key(&d.track, time, &existed);
    printf("%d %d ", index, existed);
    print_track(d.track);
    return true;
}

bool read_double(FILE* in, double* v)
{
    uint64_t bits;
    if (fscanf(in, "%" SCNx64, &bits) != 1) return false;
    memcpy(v, &bits, sizeof bits);
    return true;
}

qel_context* text_context()
{
    static qel_context* ctx = qel_ctx_create(nullptr);
    return ctx;
}

bool texts_case(FILE* in)
{
    double seconds, step;
    float fps, end;
    if (!read_double(in, &seconds) || !read_float(in, &fps) || !read_float(in, &end) || !read_double(in, &step))
        return false;
    qel_context* ctx = text_context();
    qel_begin_frame(ctx, 0);
    printf("%s|%s|%s|%s|%s|%s", qel_timecode_text(ctx, seconds, fps, true), qel_timecode_text(ctx, seconds, fps, false),
           qel_timeline_time_text(ctx, QEL_TIMELINE_FRAMES, fps, end, seconds),
           qel_timeline_time_text(ctx, QEL_TIMELINE_SECONDS, fps, end, seconds),
           qel_timeline_time_text(ctx, QEL_TIMELINE_TIMECODE, fps, end, seconds),
           qel_timeline_tick_text(ctx, end, fps, QEL_TIMELINE_SECONDS, seconds, step));
    qel_end_frame(ctx);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    FILE* in = argc == 2 ? fopen(argv[1], "r") : nullptr;
    if (!in) {
        fprintf(stderr, "usage: timeline_tool CASES\n");
        return 2;
    }
    struct kind_case {
        const char* name;
        bool (*run)(FILE*);
    } kinds[] = {{"rows", rows_case},     {"key_at", key_at_case}, {"clip_at", clip_at_case},
                 {"delete", delete_case}, {"move", move_case},     {"add", add_case},
                 {"texts", texts_case}};
    char kind[16];
    while (fscanf(in, "%15s", kind) == 1) {
        bool ok = false;
        for (const kind_case& k : kinds)
            if (!strcmp(kind, k.name)) ok = k.run(in);
        if (!ok) {
            fprintf(stderr, "timeline_tool: bad case %s\n", kind);
            return 2;
        }
        printf("\n");
    }
    fclose(in);
    return 0;
}
