#include "qel/timeline_tracks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

const float TRACKS_NAN = std::numeric_limits<float>::quiet_NaN();

// A track over its own key, flag and clip arrays, with room for two more keys.
struct owned_track {
    std::vector<qel_curve_key> keys;
    std::vector<uint8_t> flags;
    std::vector<qel_timeline_clip> clips;
    qel_timeline_track track{};

    owned_track(std::vector<float> xs, std::vector<uint8_t> selected = {})
    {
        for (float x : xs) keys.push_back({x, x * 10, 0, 0, 0, 0, QEL_CURVE_SMOOTH});
        flags.assign(xs.size() + 2, 0);
        for (size_t i = 0; i < selected.size(); i++) flags[i] = selected[i];
        keys.resize(xs.size() + 2);
        track.keys = keys.data();
        track.key_count = (int32_t)xs.size();
        track.key_capacity = (int32_t)keys.size();
        track.key_selected = flags.data();
    }
    void set_clips(std::vector<qel_timeline_clip> c)
    {
        clips = c;
        track.clips = clips.data();
        track.clip_count = (int32_t)clips.size();
    }
};

// The times of a track's keys as the operations left them.
std::vector<float> times(const qel_timeline_track& t)
{
    std::vector<float> out;
    for (int32_t i = 0; i < t.key_count; i++) out.push_back(t.keys[i].x);
    return out;
}

qel_timeline_track nested(int32_t depth, uint8_t collapsed = 0, uint8_t color = 0)
{
    qel_timeline_track t{};
    t.depth = depth;
    t.collapsed = collapsed;
    t.color = color;
    return t;
}

struct rows_out {
    int32_t visible;
    std::vector<int32_t> rows, ends;
    std::vector<uint8_t> colors;
};

rows_out rows_of(const std::vector<qel_timeline_track>& t)
{
    rows_out r{0, std::vector<int32_t>(t.size()), std::vector<int32_t>(t.size()), std::vector<uint8_t>(t.size())};
    r.visible = qel_timeline_build_rows(t.data(), (int32_t)t.size(), r.rows.data(), r.colors.data(), r.ends.data());
    r.rows.resize((size_t)r.visible);
    return r;
}

}  // namespace

TEST(TimelineRows, NestingFoldingAndColours)
{
    rows_out r = rows_of({nested(0), nested(1), nested(1), nested(0)});
    EXPECT_EQ(r.rows, (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(r.ends, (std::vector<int32_t>{3, 2, 3, 4}));
    EXPECT_EQ(r.colors, (std::vector<uint8_t>{0, 0, 0, 1}));

    // A folded parent hides its subtree; a collapsed track inside the fold changes nothing.
    r = rows_of({nested(0, 1), nested(1, 1), nested(2), nested(1), nested(0), nested(1)});
    EXPECT_EQ(r.rows, (std::vector<int32_t>{0, 4, 5}));
    EXPECT_EQ(r.ends, (std::vector<int32_t>{4, 3, 3, 4, 6, 6}));

    // Colour 7 is automatic; explicit roots still advance the automatic count.
    r = rows_of({nested(0, 0, 4), nested(0, 0, 7), nested(1, 0, 6), nested(1)});
    EXPECT_EQ(r.colors, (std::vector<uint8_t>{3, 1, 5, 1}));

    std::vector<qel_timeline_track> none;
    EXPECT_EQ(qel_timeline_build_rows(none.data(), 0, nullptr, nullptr, nullptr), 0);
}

TEST(TimelineRows, DescendantsBelowSixteenLevelsJoinTheDeepestParent)
{
    std::vector<qel_timeline_track> t;
    for (int32_t d = 0; d < 20; d++) t.push_back(nested(d));
    t.push_back(nested(0));
    rows_out r = rows_of(t);
    EXPECT_EQ(r.visible, 21);
    for (size_t i = 0; i < 16; i++) EXPECT_EQ(r.ends[i], 20) << i;
    for (size_t i = 16; i < 20; i++) EXPECT_EQ(r.ends[i], (int32_t)i + 1) << i;
}

TEST(TimelineSelection, ClearAndDeleteWithTheFocusKey)
{
    owned_track a({0, 1, 2, 3}, {0, 1, 0, 1}), locked({5, 6}, {1, 1});
    locked.track.locked = 1;
    a.set_clips({{0, 1, 0, "a", 1}, {2, 3, 0, "b", 0}});
    std::vector<qel_timeline_track> tracks = {a.track, locked.track};

    int32_t focus = 2, keys = -1, clips = -1;
    qel_timeline_delete_selected(tracks.data(), 2, 0, &focus, &keys, &clips);
    EXPECT_EQ(keys, 2);
    EXPECT_EQ(clips, 1);
    EXPECT_EQ(focus, 1);  // key 2 moved down past the deleted key 1
    EXPECT_EQ(tracks[0].key_count, 2);
    EXPECT_EQ(times(tracks[0]), (std::vector<float>{0, 2}));
    EXPECT_EQ(a.flags, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0}));
    EXPECT_STREQ(tracks[0].clips[0].label, "b");
    EXPECT_EQ(tracks[1].key_count, 2);  // locked: nothing deleted

    a.flags[1] = 1;
    focus = 1;
    qel_timeline_delete_selected(tracks.data(), 2, 0, &focus, &keys, &clips);
    EXPECT_EQ(focus, -1);
    EXPECT_EQ(qel_timeline_clear_selection(tracks.data(), 2), 1);  // the locked track's flags too
    EXPECT_EQ(locked.flags[0], 0);
    EXPECT_EQ(qel_timeline_clear_selection(tracks.data(), 2), 0);
    qel_timeline_delete_selected(nullptr, 0, -1, nullptr, &keys, &clips);
    EXPECT_EQ(keys + clips, 0);
}

TEST(TimelineHits, NearestKeyAndTies)
{
    // At 100 px/s, keys 2 px and 3 px from the pointer: the nearer wins.
    owned_track t({1.0f, 1.05f});
    EXPECT_EQ(qel_timeline_key_at(&t.track, 1.02f, 0.07f), 0);
    EXPECT_EQ(qel_timeline_key_at(&t.track, 1.03f, 0.07f), 1);
    owned_track tie({1, 3, 5}, {0, 1, 1});
    EXPECT_EQ(qel_timeline_key_at(&tie.track, 2, 1), 1);  // equal distance: the selected one
    EXPECT_EQ(qel_timeline_key_at(&tie.track, 4, 1), 2);  // two selected: the later
    EXPECT_EQ(qel_timeline_key_at(&tie.track, 9, 1), -1);
    EXPECT_EQ(qel_timeline_key_at(&tie.track, TRACKS_NAN, 1), -1);
}

TEST(TimelineHits, ClipEdgeZones)
{
    owned_track t({});
    // At 10 px/s with content at x 0: a 12 px clip at 0..1.2 s and a 60 px one at 2..8 s.
    t.set_clips({{0, 1.2f, 0, nullptr, 0}, {2, 8, 0, nullptr, 0}});
    qel_timeline_layout layout{};
    struct {
        float x;
        int32_t clip, part;
    } cases[] = {{-1, 0, 1},  {4, 0, 1},   {4.5f, 0, 0}, {8.5f, 0, 2}, {13, 0, 2}, {14, -1, -1},
                 {26, 1, 1},  {26.5f, 1, 0}, {73.5f, 1, 0}, {74, 1, 2}, {81, 1, 2}, {82, -1, -1}};
    for (const auto& c : cases) {
        int32_t part = -1;
        EXPECT_EQ(qel_timeline_clip_at(&t.track, &layout, 0, 10, c.x, &part), c.clip) << c.x;
        if (c.clip >= 0) {
            EXPECT_EQ(part, c.part) << c.x;
        }
    }
    EXPECT_EQ(qel_timeline_clip_at(&t.track, &layout, 0, 0, 4, nullptr), -1);
}

TEST(TimelineMove, PastTheRangeEndStopsTheWholeSelection)
{
    owned_track a({1, 2, 8, 9}, {1, 0, 1, 0}), b({3, 9.5f}, {0, 1});
    b.keys[1].y = 42;
    std::vector<qel_timeline_track> tracks = {a.track, b.track};
    int32_t anchor = 0, follow = 2;
    EXPECT_EQ(qel_timeline_move_keys(tracks.data(), 2, 5, 0, 30, 0, 10, 0, &anchor, 4, 0, &follow), 1);
    // Limited by key 9.5: everything moves by 0.5 and the anchor is not used.
    EXPECT_EQ(times(a.track), (std::vector<float>{1.5f, 2, 8.5f, 9}));
    EXPECT_EQ(a.flags[0] + a.flags[2], 2);
    EXPECT_EQ(times(b.track), (std::vector<float>{3, 10}));
    EXPECT_EQ(b.keys[1].y, 42);

    // Across neighbours: the keys re-sort, flags and followers going with their keys.
    EXPECT_EQ(qel_timeline_move_keys(tracks.data(), 2, -1, 0, 30, 0, 10, 0, &anchor, 0.25f, 0, &follow), 1);
    EXPECT_EQ(times(a.track), (std::vector<float>{0.25f, 2, 7.5f, 9}));
    EXPECT_EQ(times(b.track), (std::vector<float>{3, 9}));
    EXPECT_EQ(anchor, 0);
    EXPECT_EQ(follow, 2);
    b.flags[1] = 0;
    EXPECT_EQ(qel_timeline_move_keys(tracks.data(), 2, 2, 0, 30, 0, 10, 0, &anchor, 2.25f, 0, &follow), 1);
    EXPECT_EQ(times(tracks[0]), (std::vector<float>{2, 2.25f, 9, 9.5f}));
    EXPECT_EQ(anchor, 1);  // each moved past a resting key
    EXPECT_EQ(follow, 3);
    EXPECT_EQ(a.flags, (std::vector<uint8_t>{0, 1, 0, 1, 0, 0}));
}

TEST(TimelineMove, NeverWritesTimesThatAreNotFinite)
{
    owned_track a({1, 2}, {1, 1});
    std::vector<qel_timeline_track> tracks = {a.track};
    const float inf = std::numeric_limits<float>::infinity();
    struct {
        float delta, fps, lo, hi;
    } cases[] = {{1, 30, 0, TRACKS_NAN}, {-1, 30, TRACKS_NAN, TRACKS_NAN}, {TRACKS_NAN, 30, 0, 10},
                 {inf, 30, 0, 10},       {1, 30, 0, inf}};
    for (const auto& c : cases) {
        qel_timeline_move_keys(tracks.data(), 1, c.delta, 1, c.fps, c.lo, c.hi, -1, nullptr, 0, -1, nullptr);
        for (float x : times(a.track)) EXPECT_TRUE(std::isfinite(x)) << c.delta << " " << c.lo << " " << c.hi;
    }
    // Snapping needs a usable fps: with 0 the keys move unsnapped.
    owned_track b({1, 2}, {1, 1});
    tracks = {b.track};
    EXPECT_EQ(qel_timeline_move_keys(tracks.data(), 1, 0.01f, 1, 0, 0, 10, -1, nullptr, 0, -1, nullptr), 1);
    EXPECT_EQ(times(b.track), (std::vector<float>{1.01f, 2.01f}));
    EXPECT_EQ(qel_timeline_move_keys(tracks.data(), 1, 0, 1, 30, 0, 10, -1, nullptr, 0, -1, nullptr), 0);
}

TEST(TimelineAdd, ExistingKeysModesAndFullArrays)
{
    owned_track t({1, 2});
    t.keys[0].mode = QEL_CURVE_STEP;
    uint8_t existed = 9;
    EXPECT_EQ(qel_timeline_add_key(&t.track, 2.000005f, &existed), 1);
    EXPECT_EQ(existed, 1);
    EXPECT_EQ(qel_timeline_add_key(&t.track, 0.999995f, &existed), 0);
    EXPECT_EQ(existed, 1);

    t.flags[1] = 1;
    EXPECT_EQ(qel_timeline_add_key(&t.track, 1.5f, &existed), 1);
    EXPECT_EQ(existed, 0);
    EXPECT_EQ(times(t.track), (std::vector<float>{1, 1.5f, 2}));
    EXPECT_EQ(t.keys[1].mode, QEL_CURVE_STEP);
    EXPECT_EQ(t.keys[1].y, 10);  // the step holds the first key's value
    EXPECT_EQ(t.flags[1], 0);
    EXPECT_EQ(t.flags[2], 1);  // the flag moved up with its key

    EXPECT_EQ(qel_timeline_add_key(&t.track, 0.5f, &existed), 0);
    EXPECT_EQ(t.keys[0].mode, QEL_CURVE_SMOOTH);
    EXPECT_EQ(qel_timeline_add_key(&t.track, 5, &existed), -1);  // full
    EXPECT_EQ(qel_timeline_add_key(&t.track, TRACKS_NAN, &existed), -1);
    t.track.locked = 1;
    EXPECT_EQ(qel_timeline_add_key(&t.track, 2, &existed), -1);
}
