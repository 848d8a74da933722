// The timeline as a person sees it, in light and dark: nested and folded tracks with clips, the
// three key shapes selected and not, a folded parent's summary marks and a work range.
#include <gtest/gtest.h>

#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

class TimelinePictures : public themed_pictures {
protected:
    TimelinePictures() : themed_pictures("qel/timeline_") {}
};

qel_curve_key picture_key(float x, uint8_t mode)
{
    return {x, 0, 0, 0, 0, 0, mode};
}

}  // namespace

TEST_P(TimelinePictures, NestedTracksKeysClipsAndWorkRange)
{
    std::vector<qel_curve_key> position = {picture_key(0.5f, 0), picture_key(2, 2), picture_key(3.5f, 3),
                                           picture_key(5, 0), picture_key(7.5f, 2)};
    std::vector<uint8_t> position_flags = {0, 1, 0, 1, 0};
    std::vector<qel_curve_key> rotation = {picture_key(1, 2), picture_key(4, 2), picture_key(6, 3)};
    std::vector<uint8_t> rotation_flags(3, 0);
    std::vector<qel_curve_key> light = {picture_key(1.5f, 0), picture_key(2.5f, 0), picture_key(6.5f, 0)};
    std::vector<qel_timeline_clip> audio = {{0.5f, 3, 0, "Intro", 0}, {3.5f, 8.5f, 0, "Theme music", 1}};
    std::vector<qel_timeline_track> tracks(7);
    tracks[0] = {"Camera", nullptr, 0, 0, 0, 0, 0, nullptr, 0, 0, nullptr, nullptr, 0};
    tracks[1] = {"Position", nullptr, 1, 0, 0, 0, 0, position.data(), 5, 5, position_flags.data(), nullptr, 0};
    tracks[2] = {"Rotation", nullptr, 1, 0, 1, 0, 0, rotation.data(), 3, 3, rotation_flags.data(), nullptr, 0};
    tracks[3] = {"Audio", QEL_ICON_CLOCK, 0, 0, 0, 0, 3, nullptr, 0, 0, nullptr, audio.data(), 2};
    tracks[4] = {"Lights", nullptr, 0, 1, 0, 0, 0, nullptr, 0, 0, nullptr, nullptr, 0};
    tracks[5] = {"Key light", nullptr, 1, 0, 0, 0, 0, light.data(), 3, 3, nullptr, nullptr, 0};
    tracks[6] = {"Locked notes", nullptr, 0, 0, 0, 1, 0, rotation.data(), 3, 3, nullptr, nullptr, 0};
    float view[3] = {0, 10, 0}, in = 1, out = 8, playhead = 3.2f;
    qel_timeline_options o = {};
    o.range_end = 10;
    o.fps = 24;
    o.time_format = QEL_TIMELINE_SECONDS;
    o.view = view;
    o.range_in = &in;
    o.range_out = &out;
    o.track_buttons = 1;
    o.height = 230;

    widget_rig rig(760, 260, GetParam());
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_timeline(ctx, "pictured", tracks.data(), 7, &playhead, &o);
        qel_container_end(ctx);
    };
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "tracks"));
}

INSTANTIATE_TEST_SUITE_P(Themes, TimelinePictures, theme_modes(), theme_name);
