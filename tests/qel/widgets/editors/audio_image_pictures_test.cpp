// The audio controls and image widgets as a person sees them, in light and dark.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"

class AudioImagePictures : public themed_pictures {
protected:
    AudioImagePictures() : themed_pictures("qel/audio_") {}
};

static void knob_board(qel_context* ctx)
{
    board_begin(ctx);
    row_begin(ctx, 18);
    static float gain = 6, cutoff = 632.46f, pan = -0.3f, off = 40, big = 75;
    qel_knob_opts o = {};
    o.unit = "dB";
    o.format = "%.1f";
    qel_knob(ctx, "Gain", &gain, -24, 24, &o);
    qel_knob_opts log = {};
    log.logarithmic = 1;
    log.unit = "Hz";
    qel_knob(ctx, "Cutoff", &cutoff, 20, 20000, &log);
    qel_knob_opts bi = {};
    bi.bipolar = 1;
    bi.format = "%.2f";
    bi.color = qel_color_token(QEL_COLOR_CHART2);
    qel_knob(ctx, "Pan", &pan, -1, 1, &bi);
    qel_knob_opts dis = {};
    dis.disabled = 1;
    qel_knob(ctx, "Off", &off, 0, 100, &dis);
    qel_knob_opts large = {};
    large.size = 72;
    large.hide_value = 1;
    qel_knob(ctx, "Drive", &big, 0, 100, &large);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

TEST_P(AudioImagePictures, Knobs)
{
    EXPECT_TRUE(board_matches(knob_board, 420, 130, "knobs", 3));
}

static void fader_meter_board(qel_context* ctx)
{
    board_begin(ctx);
    row_begin(ctx, 18);
    static float a = -6, b = 0.4f, c = 30;
    static const float marks[] = {6, 0, -6, -12, -24, -48, -60};
    static const float levels[2] = {0.5f, 0.12f}, hot[8] = {1, 0.7f, 0.4f, 0.2f, 0.1f, 0.05f, 0.01f, 0};
    qel_fader_opts f = {};
    f.unit = "dB";
    f.marks = marks;
    f.mark_count = 7;
    f.meter_levels = levels;
    f.meter_channels = 2;
    qel_fader(ctx, "Master", &a, -60, 6, &f);
    qel_fader_opts plain = {};
    plain.length = 120;
    qel_fader(ctx, "Send", &b, 0, 1, &plain);
    qel_level_meter_opts m = {};
    m.show_scale = 1;
    qel_level_meter(ctx, "bus", hot, 8, &m);
    qel_level_meter_opts seg = {};
    seg.segmented = 1;
    seg.thickness = 8;
    qel_level_meter(ctx, "seg", levels, 2, &seg);
    qel_container_end(ctx);
    row_begin(ctx, 18);
    static const float hmarks[] = {0, 50, 100};
    qel_fader_opts h = {};
    h.horizontal = 1;
    h.marks = hmarks;
    h.mark_count = 3;
    h.meter_levels = levels;
    h.meter_channels = 1;
    h.format = "%.0f";
    qel_fader(ctx, "Width", &c, 0, 100, &h);
    qel_level_meter_opts hm = {};
    hm.horizontal = 1;
    hm.show_scale = 1;
    hm.length = 180;
    qel_level_meter(ctx, "hm", levels, 2, &hm);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

TEST_P(AudioImagePictures, FadersAndMeters)
{
    EXPECT_TRUE(board_matches(fader_meter_board, 460, 360, "faders_meters", 3));
}

static void player_board(qel_context* ctx)
{
    board_begin(ctx);
    static float samples[120];
    for (int i = 0; i < 120; i++) samples[i] = 0.15f + 0.85f * std::fabs(std::sin(i * 0.23f) * std::cos(i * 0.07f));
    static float position = 0.4f;
    qel_waveform(ctx, 1, samples, 120, &position, nullptr);
    qel_waveform_options quiet = {};
    quiet.height = 24;
    quiet.bar_width = 2;
    quiet.bar_gap = 1;
    qel_waveform(ctx, 2, samples, 120, nullptr, &quiet);
    row_begin(ctx, 12);
    static qel_audio_track track = {"Morning tea", "The Labels", 0, 0, 125.7f, 200, 1};
    qel_audio_player(ctx, 3, &track, nullptr);
    static qel_audio_track small = {"Price tags", "Shelf Edge", 0, qel_color_token(QEL_COLOR_CHART3), 12, 65, 0};
    qel_audio_player_options compact = {};
    compact.compact = 1;
    compact.width = {QEL_SIZE_FIXED, 230};
    qel_audio_player(ctx, 4, &small, &compact);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

TEST_P(AudioImagePictures, WaveformAndPlayer)
{
    EXPECT_TRUE(board_matches(player_board, 660, 280, "waveform_player", 3));
}

// Two 64 x 32 pictures of the same scene: a sky over hills, in colour and in grey.
static uint64_t scene_texture(qel_context* ctx, bool grey)
{
    std::vector<uint8_t> px(64 * 32 * 4);
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 64; x++) {
            bool hill = y > 20 + 6 * std::sin(x * 0.15f);
            uint8_t r = hill ? 60 : (uint8_t)(120 + y * 3), g = hill ? (uint8_t)(140 + x) : (uint8_t)(170 + y * 2), b = hill ? 70 : 240;
            uint8_t* o = &px[(size_t)(y * 64 + x) * 4];
            uint8_t l = (uint8_t)((r * 3 + g * 6 + b) / 10);
            o[0] = grey ? l : r, o[1] = grey ? l : g, o[2] = grey ? l : b, o[3] = 255;
        }
    return qel_texture_create(ctx, 64, 32, px.data());
}

TEST_P(AudioImagePictures, CompareSlider)
{
    widget_rig rig(420, 240, GetParam());
    uint64_t colour = scene_texture(rig.h.ctx, false), grey = scene_texture(rig.h.ctx, true);
    float position = 0.4f;
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_compare_slider_opts o = {};
        o.height = 180;
        o.image_aspect = 2;
        qel_compare_slider(ctx, "cmp", grey, colour, &position, &o);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    rig.move_to(qel_id(rig.h.ctx, "cmp"));
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "compare"));
}

// A 64 x 48 ring in colour on transparency, for the checkerboard to show through.
static uint64_t ring_texture(qel_context* ctx)
{
    std::vector<uint8_t> px(64 * 48 * 4, 0);
    for (int y = 0; y < 48; y++)
        for (int x = 0; x < 64; x++) {
            float d = std::hypot(x - 31.5f, y - 23.5f);
            if (d < 12 || d > 22) continue;
            uint8_t* o = &px[(size_t)(y * 64 + x) * 4];
            o[0] = (uint8_t)(60 + x * 3), o[1] = 120, o[2] = (uint8_t)(230 - y * 3), o[3] = 255;
        }
    return qel_texture_create(ctx, 64, 48, px.data());
}

TEST_P(AudioImagePictures, ImageViewer)
{
    widget_rig rig(360, 260, GetParam());
    uint64_t ring = ring_texture(rig.h.ctx);
    qel_image_view view = {};
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_image_viewer_opts o = {};
        o.height = {QEL_SIZE_FIXED, 220};
        o.checkerboard = 1;
        qel_image_viewer(ctx, "viewer", ring, 64, 48, &view, &o);
        qel_container_end(ctx);
    };
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "viewer"));
}

// The cropper over the scene: a rectangle being dragged (guides and size shown), and a circle.
TEST_P(AudioImagePictures, Cropper)
{
    widget_rig rig(460, 420, GetParam());
    uint64_t colour = scene_texture(rig.h.ctx, false);
    float free_crop[4] = {8, 4, 40, 20}, round_crop[4] = {20, 6, 20, 20};
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_image_cropper_opts o = {};
        o.height = {QEL_SIZE_FIXED, 180};
        o.min_size = 4;
        qel_image_cropper(ctx, "free", colour, 64, 32, free_crop, &o);
        o.circle = 1;
        qel_image_cropper(ctx, "round", colour, 64, 32, round_crop, &o);
        qel_container_end(ctx);
    };
    rig.h.run(2);
    qel_rect r = rig.h.rect(qel_id(rig.h.ctx, "free"));
    float s = std::min((r.w - 28) / 64, (r.h - 28) / 32), ox = r.x + (r.w - 64 * s) / 2, oy = r.y + (r.h - 32 * s) / 2;
    rig.h.move(ox + 28 * s, oy + 14 * s);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    rig.h.move(ox + 30 * s, oy + 15 * s);
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "cropper"));
    rig.h.button(0, false);
    rig.h.run();
}

INSTANTIATE_TEST_SUITE_P(Themes, AudioImagePictures, theme_modes(), theme_name);
