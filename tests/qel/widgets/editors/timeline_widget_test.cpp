// The timeline driven over scripted frames: presses, drags and boxes on keys and clips, double-
// click adds, keys, the wheel and the fit animation, arrays that shrink under a drag, a pointer
// that leaves the window, and the pictures of nested tracks and their marks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/core.h"
#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

// A track with its own arrays; keys hold room for four more.
struct widget_track {
    std::vector<qel_curve_key> keys;
    std::vector<uint8_t> flags;
    std::vector<qel_timeline_clip> clips;
};

struct timeline_rig {
    widget_rig rig;
    std::vector<widget_track> owned;
    std::vector<qel_timeline_track> tracks;
    qel_timeline_options options = {};
    float view[3] = {0, 10, 0};
    float playhead = 0;
    int32_t focus_track = -1, focus_key = -1;
    qel_timeline_result last = {};
    bool use_options = true;

    int32_t play_toggles = 0, added_key = -1;

    explicit timeline_rig(float width = 900, float height = 320, uint32_t mode = QEL_THEME_LIGHT,
                          bool reduced_motion = true)
        : rig(width, height, mode, reduced_motion)
    {
        options.view = view;
        options.focus_track = &focus_track;
        options.focus_key = &focus_key;
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            last = qel_timeline(ctx, "tl", tracks.empty() ? nullptr : tracks.data(), (int32_t)tracks.size(), &playhead,
                                use_options ? &options : nullptr);
            play_toggles += last.play_toggled;
            if (last.added_key >= 0) added_key = last.added_key;
            qel_container_end(ctx);
        };
    }
    qel_timeline_track& add(const char* name, int32_t depth, std::vector<float> xs,
                            std::vector<qel_timeline_clip> clips = {})
    {
        owned.reserve(16);
        owned.push_back({});
        widget_track& w = owned.back();
        for (float x : xs) w.keys.push_back({x, x, 0, 0, 0, 0, QEL_CURVE_SMOOTH});
        w.keys.resize(xs.size() + 4);
        w.flags.assign(w.keys.size(), 0);
        w.clips = clips;
        qel_timeline_track t = {};
        t.name = name;
        t.depth = depth;
        t.keys = w.keys.data();
        t.key_count = (int32_t)xs.size();
        t.key_capacity = (int32_t)w.keys.size();
        t.key_selected = w.flags.data();
        t.clips = w.clips.empty() ? nullptr : w.clips.data();
        t.clip_count = (int32_t)w.clips.size();
        tracks.push_back(t);
        return tracks.back();
    }
    uint32_t id() { return qel_id(rig.h.ctx, "tl"); }
    qel_timeline_layout layout()
    {
        qel_timeline_layout l;
        float row = options.row_height > 0 ? options.row_height : 26;
        qel_timeline_compute_layout(&l, rig.h.rect(id()), row, options.header_width, options.track_buttons);
        return l;
    }
    // The screen point of a time on a visible row.
    qel_vec2 at(float t, int32_t row)
    {
        qel_timeline_layout l = layout();
        float pps = l.content_w / (view[1] - view[0]);
        return {(t - view[0]) * pps + l.content_x, l.rows_top + ((float)row + 0.5f) * l.row_h - view[2]};
    }
    float seconds_per_px()
    {
        return (view[1] - view[0]) / layout().content_w;
    }
    void press(qel_vec2 p, uint32_t mods = 0)
    {
        if (mods) rig.h.key(QEL_KEY_NONE, false, mods);
        rig.h.move(p.x, p.y);
        rig.h.run();
        rig.h.button(0, true);
        rig.h.run();
    }
    void drag(qel_vec2 p)
    {
        rig.h.move(p.x, p.y);
        rig.h.run();
    }
    void release()
    {
        rig.h.button(0, false);
        rig.h.run();
        rig.h.key(QEL_KEY_NONE, false, 0);
        rig.h.run();
    }
    void focus()
    {
        qel_set_focus(rig.h.ctx, id(), false);
        rig.h.run();
    }
    std::vector<float> times(int32_t t)
    {
        std::vector<float> out;
        for (int32_t i = 0; i < tracks[(size_t)t].key_count; i++) out.push_back(tracks[(size_t)t].keys[i].x);
        return out;
    }
    std::vector<uint8_t> selected(int32_t t)
    {
        return std::vector<uint8_t>(owned[(size_t)t].flags.begin(), owned[(size_t)t].flags.begin() + tracks[(size_t)t].key_count);
    }
};

}  // namespace

TEST(TimelineWidget, DefaultsWithoutOptions)
{
    timeline_rig t;
    t.add("A", 0, {1});
    t.use_options = false;
    t.rig.h.run(3);
    qel_rect r = t.rig.h.rect(t.id());
    EXPECT_FLOAT_EQ(r.h, 3 * 26 + 30);
    // The widget's own playhead at 30 fps: Right moves one frame.
    qel_set_focus(t.rig.h.ctx, t.id(), false);
    t.rig.h.tap(QEL_KEY_RIGHT);
    t.rig.h.run();
    EXPECT_EQ(t.last.focus_track, -1);

    struct {
        float fps, step;
    } rates[] = {{0, 1.0f / 30}, {2000, 1.0f / 1000}, {NAN, 1.0f / 30}};
    for (const auto& c : rates) {
        timeline_rig f;
        f.add("A", 0, {});
        f.options.fps = c.fps;
        f.rig.h.run(3);
        f.focus();
        f.rig.h.tap(QEL_KEY_RIGHT);
        EXPECT_NEAR(f.playhead, c.step, 1e-7) << c.fps;
    }
}

TEST(TimelineWidget, HeaderWidths)
{
    qel_timeline_layout l;
    qel_timeline_compute_layout(&l, {0, 0, 300, 200}, 26, 0, 1);
    EXPECT_EQ(l.header, 40);
    EXPECT_EQ(l.header_mode, QEL_TIMELINE_HEADER_NARROW);
    qel_timeline_compute_layout(&l, {0, 0, 1000, 200}, 26, 0, 0);
    EXPECT_EQ(l.header, 184);
    EXPECT_EQ(l.header_mode, QEL_TIMELINE_HEADER_NAMES);
    qel_timeline_compute_layout(&l, {0, 0, 1000, 200}, 26, 0, 1);
    EXPECT_EQ(l.header_mode, QEL_TIMELINE_HEADER_BUTTONS);
    qel_timeline_compute_layout(&l, {0, 0, 450, 200}, 26, 0, 1);
    EXPECT_FLOAT_EQ(l.header, 144);
    EXPECT_EQ(l.header_mode, QEL_TIMELINE_HEADER_NAMES);
    qel_timeline_compute_layout(&l, {0, 0, 500, 200}, 26, 200, 0);
    EXPECT_FLOAT_EQ(l.header, 160);
    EXPECT_FLOAT_EQ(l.content_x, 170);
    EXPECT_FLOAT_EQ(l.rows_top, 29);
}

TEST(TimelineWidget, TimeTexts)
{
    timeline_rig t;
    t.rig.h.run();
    qel_context* ctx = t.rig.h.ctx;
    EXPECT_STREQ(qel_timecode_text(ctx, 3725.5, 30, true), "1:02:05:15");
    EXPECT_STREQ(qel_timecode_text(ctx, 3725.5, 30, false), "62:05:15");
    EXPECT_STREQ(qel_timecode_text(ctx, -0.5, 30, false), "-00:00:15");
    EXPECT_STREQ(qel_timecode_text(ctx, NAN, 30, false), "00:00:00");
    EXPECT_STREQ(qel_timeline_time_text(ctx, QEL_TIMELINE_FRAMES, 30, 10, 1.5), "Frame 45");
    EXPECT_STREQ(qel_timeline_time_text(ctx, QEL_TIMELINE_SECONDS, 30, 10, INFINITY), "0.00 s");
    EXPECT_STREQ(qel_timeline_time_text(ctx, QEL_TIMELINE_FRAMES, 30, 1e30f, 1e30), "Frame 9223372036854775807");
    EXPECT_STREQ(qel_timeline_tick_text(ctx, 10, 30, QEL_TIMELINE_SECONDS, 0.25, 0.05), "0.25 s");
    EXPECT_STREQ(qel_timeline_tick_text(ctx, 10, 30, QEL_TIMELINE_SECONDS, -1e-12, 2), "0 s");
    EXPECT_STREQ(qel_timeline_tick_text(ctx, 4000, 30, QEL_TIMELINE_TIMECODE, 60, 1), "0:01:00:00");
}

TEST(TimelineWidget, PlainPressOnASelectedKeyAndDraggingTheSelection)
{
    timeline_rig t;
    t.add("A", 0, {1, 2, 3});
    t.rig.h.run(3);
    t.owned[0].flags[0] = t.owned[0].flags[2] = 1;
    t.press(t.at(2.999f, 0));
    t.release();
    EXPECT_EQ(t.selected(0), (std::vector<uint8_t>{0, 0, 1}));
    EXPECT_EQ(t.focus_key, 2);

    t.owned[0].flags[0] = 1;
    t.press(t.at(1, 0));
    t.drag(t.at(1.5f, 0));
    EXPECT_TRUE(t.last.keys_moved);
    EXPECT_EQ(t.times(0), (std::vector<float>{1.5f, 2, 3.5f}));
    t.release();
    EXPECT_EQ(t.selected(0), (std::vector<uint8_t>{1, 0, 1}));
}

TEST(TimelineWidget, DraggingPastTheRangeEndKeepsOrderAndFlags)
{
    timeline_rig t;
    t.add("A", 0, {5, 6, 9});
    t.rig.h.run(3);
    t.owned[0].flags[0] = t.owned[0].flags[1] = 1;
    t.press(t.at(5, 0));
    t.drag(t.at(9.6f, 0));
    t.drag(t.at(30, 0));
    t.release();
    // Limited by key 6 reaching the end; 5 lands past the resting 9.
    EXPECT_EQ(t.times(0), (std::vector<float>{9, 9, 10}));
    EXPECT_EQ(t.selected(0), (std::vector<uint8_t>{1, 0, 1}));  // the moved 9 stays before the resting one
}

TEST(TimelineWidget, BoxSelectionAcrossRows)
{
    timeline_rig t;
    t.add("A", 0, {1, 2, 6});
    t.add("B", 0, {1.5f, 7});
    t.add("C", 0, {1.5f});
    t.rig.h.run(3);
    t.owned[0].flags[2] = 1;
    qel_vec2 from = t.at(0.5f, 0), to = t.at(3, 1);
    t.press({from.x, from.y - 8});
    t.drag({(from.x + to.x) / 2, to.y});
    t.drag(to);
    t.release();
    EXPECT_EQ(t.selected(0), (std::vector<uint8_t>{1, 1, 0}));
    EXPECT_EQ(t.selected(1), (std::vector<uint8_t>{1, 0}));
    EXPECT_EQ(t.selected(2), (std::vector<uint8_t>{0}));

    // A click on empty lane clears and makes that row's track current.
    t.press(t.at(4, 2));
    t.release();
    EXPECT_EQ(t.selected(0), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(t.focus_track, 2);
    EXPECT_EQ(t.focus_key, -1);
}

TEST(TimelineWidget, DoubleClickAddsDeleteAndSelectAll)
{
    timeline_rig t;
    t.add("A", 0, {1, 3});
    t.add("B", 0, {2});
    t.tracks[1].locked = 1;
    t.rig.h.run(3);
    qel_vec2 p = t.at(2.01f, 0);
    t.rig.h.click(p.x, p.y);
    t.rig.h.click(p.x, p.y);
    t.rig.h.run();
    EXPECT_EQ(t.added_key, 1);
    EXPECT_EQ(t.times(0), (std::vector<float>{1, 2, 3}));  // snapped to the frame at 2 s
    EXPECT_EQ(t.selected(0), (std::vector<uint8_t>{0, 1, 0}));
    EXPECT_EQ(t.focus_key, 1);

    // Ctrl+A takes every unlocked track's keys; Delete removes them.
    t.rig.h.tap(QEL_KEY_A, QEL_MOD_CTRL);
    EXPECT_EQ(t.selected(0), (std::vector<uint8_t>{1, 1, 1}));
    EXPECT_EQ(t.owned[1].flags[0], 0);
    t.rig.h.tap(QEL_KEY_DELETE);
    EXPECT_EQ(t.tracks[0].key_count, 0);
    EXPECT_EQ(t.tracks[1].key_count, 1);
    EXPECT_EQ(t.focus_key, -1);
}

TEST(TimelineWidget, ClipsStopAtNeighboursAndTrimToOneFrame)
{
    timeline_rig t;
    t.add("A", 0, {}, {{1, 2, 0, "one", 0}, {3, 5, 0.5f, "two", 0}});
    t.rig.h.run(3);
    t.press(t.at(1.5f, 0));
    t.drag(t.at(2.5f, 0));
    t.drag(t.at(4.5f, 0));
    t.release();
    EXPECT_FLOAT_EQ(t.owned[0].clips[0].start, 2);
    EXPECT_FLOAT_EQ(t.owned[0].clips[0].end, 3);
    EXPECT_TRUE(t.owned[0].clips[0].selected);

    // The second clip's end edge dragged past its start stops one frame after it, and its start
    // edge dragged past the end one frame before it, the offset moving along.
    qel_vec2 edge = t.at(5, 0);
    t.press({edge.x - 1, edge.y});
    t.drag(t.at(4, 0));
    t.drag(t.at(1, 0));
    t.release();
    EXPECT_NEAR(t.owned[0].clips[1].end, 3 + 1.0f / 30, 1e-5);
    t.owned[0].clips[1].end = 5;
    edge = t.at(3, 0);
    t.press({edge.x + 3, edge.y});  // 1 px in would still touch the first clip's end
    t.drag(t.at(4, 0));
    t.drag(t.at(7, 0));
    t.release();
    EXPECT_NEAR(t.owned[0].clips[1].start, 5 - 1.0f / 30, 1e-5);
    EXPECT_NEAR(t.owned[0].clips[1].offset, 0.5f + 2 - 1.0f / 30, 1e-5);
    EXPECT_FLOAT_EQ(t.owned[0].clips[0].end, 3);
}

TEST(TimelineWidget, ArrowsAndKeyJumps)
{
    timeline_rig t;
    t.add("A", 0, {4});
    t.rig.h.run(3);
    t.focus();
    t.playhead = 1.23f;
    t.rig.h.tap(QEL_KEY_RIGHT);
    EXPECT_FLOAT_EQ(t.playhead, 37.0f / 30);
    t.rig.h.tap(QEL_KEY_RIGHT, QEL_MOD_SHIFT);
    EXPECT_FLOAT_EQ(t.playhead, 47.0f / 30);
    t.rig.h.tap(QEL_KEY_UP);
    EXPECT_FLOAT_EQ(t.playhead, 47.0f / 30);  // no key below
    t.rig.h.tap(QEL_KEY_DOWN);
    EXPECT_FLOAT_EQ(t.playhead, 4);
    t.rig.h.tap(QEL_KEY_END);
    EXPECT_FLOAT_EQ(t.playhead, 10);
    t.rig.h.tap(QEL_KEY_SPACE);
    EXPECT_EQ(t.play_toggles, 1);
}

TEST(TimelineWidget, FitAnimatesToTheRangeAndAWheelZoomStopsIt)
{
    for (bool wheel : {false, true}) {
        timeline_rig t(900, 320, QEL_THEME_LIGHT, false);
        t.add("A", 0, {4});
        t.view[0] = 2, t.view[1] = 3;
        t.rig.h.run(3);
        t.focus();
        t.rig.h.tap(QEL_KEY_A + ('F' - 'A'));
        EXPECT_GT(t.view[1] - t.view[0], 1);
        EXPECT_LT(t.view[1] - t.view[0], 10);
        if (wheel) {
            qel_vec2 p = t.at(2.5f, 0);
            t.rig.h.move(p.x, p.y);
            t.rig.h.wheel(0, 1);
            t.rig.h.run();
        }
        t.rig.h.run(60);
        EXPECT_EQ(t.view[0] == 0 && t.view[1] == 10, !wheel) << t.view[0] << " " << t.view[1];
    }
}

TEST(TimelineWidget, DragsEndWhenKeysVanishAndHoldOutsideTheWindow)
{
    timeline_rig t;
    t.add("A", 0, {1, 2, 8});
    t.rig.h.run(3);
    t.press(t.at(8, 0));
    t.drag(t.at(7, 0));
    EXPECT_NEAR(t.times(0)[2], 7, 0.05f);
    // The caller deletes keys between frames: the drag ends instead of reading past the count.
    t.tracks[0].key_count = 2;
    t.drag(t.at(5, 0));
    EXPECT_EQ(t.times(0), (std::vector<float>{1, 2}));
    t.release();

    t.tracks[0].key_count = 3;
    t.owned[0].keys[2].x = 8;
    t.press(t.at(8, 0));
    t.drag(t.at(7, 0));
    float held = t.times(0)[2];
    qel_input_mouse_leave(t.rig.h.ctx);
    t.rig.h.run();
    t.release();
    EXPECT_FLOAT_EQ(t.times(0)[2], held);
    EXPECT_EQ(t.times(0)[0], 1);
}

TEST(TimelineWidget, HeaderFoldsAndToggles)
{
    timeline_rig t;
    t.options.track_buttons = 1;
    t.add("Group", 0, {});
    t.add("Child", 1, {1});
    t.add("Other", 0, {2});
    t.rig.h.run(3);
    qel_timeline_layout l = t.layout();
    qel_vec2 row0 = t.at(0, 0);
    t.press({l.x + 10, row0.y});  // the chevron
    t.release();
    EXPECT_TRUE(t.tracks[0].collapsed);
    // Folded: "Other" is now the second visible row; its lock button locks it.
    qel_vec2 row1 = t.at(0, 1);
    t.press({l.x + l.header - 4 - 11, row1.y});
    t.release();
    EXPECT_TRUE(t.tracks[2].locked);
    t.press({l.x + l.header - 4 - 33, row1.y});
    t.release();
    EXPECT_TRUE(t.tracks[2].hidden);
}

TEST(TimelineWidget, HoverReportsTheKeyAndItsTooltipSitsOnIt)
{
    timeline_rig t;
    t.add("Opacity##x", 0, {1});
    t.owned[0].keys[0].y = 0.25f;
    t.rig.h.run(3);
    qel_vec2 p = t.at(1, 0);
    t.rig.h.move(p.x + 3, p.y);
    t.rig.h.run(90);
    EXPECT_EQ(t.last.hover_track, 0);
    EXPECT_EQ(t.last.hover_key, 0);
    const qel_node* tip = nullptr;
    for (int32_t i = 0; i < t.rig.h.ctx->tree.count; i++) {
        const qel_node& n = t.rig.h.ctx->tree.nodes[i];
        if (n.text && std::string(n.text, (size_t)std::max(0, n.text_length)) == "Opacity\nFrame 30 · 0.25") tip = &n;
    }
    ASSERT_NE(tip, nullptr);
    EXPECT_NEAR(tip->rect.x + tip->rect.w / 2, p.x, 40);
    EXPECT_NEAR(tip->rect.y + tip->rect.h / 2, p.y, 45);  // just above or, without room there, below
}

TEST(TimelineWidget, RangesWithoutAUsableSpanAreZeroToTen)
{
    struct {
        float start, end;
    } ranges[] = {{NAN, 5}, {0, INFINITY}, {1e30f, 2e30f}, {-3e38f, 3e38f}, {4, 4}};
    for (const auto& r : ranges) {
        timeline_rig t;
        t.add("A", 0, {1});
        t.options.range_start = r.start;
        t.options.range_end = r.end;
        t.rig.h.run(3);
        t.focus();
        t.rig.h.tap(QEL_KEY_END);
        float expected = r.start == 4 ? 14 : 10;
        EXPECT_EQ(t.playhead, expected) << r.start << ".." << r.end;
        t.rig.h.tap(QEL_KEY_HOME);
        EXPECT_EQ(t.playhead, expected - 10) << r.start << ".." << r.end;
    }
}

TEST(TimelineWidget, WorkRangeMarkersKeepAFrameApart)
{
    timeline_rig t;
    t.add("A", 0, {});
    float in = 2, out = 6;
    t.options.range_in = &in;
    t.options.range_out = &out;
    t.rig.h.run(3);
    qel_timeline_layout l = t.layout();
    float ruler = l.y + 14;
    t.press({t.at(2, 0).x - 2, ruler});
    t.drag({t.at(3, 0).x, ruler});
    t.drag({t.at(9, 0).x, ruler});
    t.release();
    EXPECT_NEAR(in, 6 - 1.0f / 30, 1e-5);
    // Closer than a frame already: the in point keeps its place instead of clamping across.
    in = 0, out = 0.01f;
    t.rig.h.run();
    t.press({t.at(0, 0).x - 1, ruler});
    t.drag({t.at(2, 0).x, ruler});
    t.release();
    EXPECT_EQ(in, 0);
    EXPECT_EQ(out, 0.01f);
}
