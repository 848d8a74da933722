// Widgets driven as a user drives them: a headless context whose frames the software renderer
// draws, so a test scripts pointer and keys over frames and compares what it shows with committed
// pictures. Motion is reduced, so every hover and press shows its settled look at once.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qel/icons.h"
#include "qel_headless.h"
#include "support/picture.h"
#include "support/qel_inspect.h"

struct widget_rig {
    qel_soft_renderer* soft;
    qel_headless h;

    explicit widget_rig(float width = 400, float height = 300, uint32_t mode = QEL_THEME_LIGHT,
                        bool reduced_motion = true)
        : soft(qel_soft_create()), h(width, height, 1, config(mode))
    {
        qel_renderer r;
        qel_soft_fill_renderer(&r, soft);
        qel_ctx_set_renderer(h.ctx, &r);
        qel_theme_set_reduced_motion(h.ctx, reduced_motion);
    }
    ~widget_rig()
    {
        qel_ctx_set_renderer(h.ctx, nullptr);
        qel_soft_destroy(soft);
    }
    widget_rig(const widget_rig&) = delete;
    widget_rig& operator=(const widget_rig&) = delete;

    picture shot() { return picture_render(soft, &h.draw_data()); }

    // The centre of an id's rectangle of the last frame.
    qel_vec2 centre(uint32_t id) const
    {
        qel_rect r = h.rect(id);
        return {r.x + r.w / 2, r.y + r.h / 2};
    }
    void move_to(uint32_t id)
    {
        qel_vec2 c = centre(id);
        h.move(c.x, c.y);
    }
    void click_on(uint32_t id)
    {
        qel_vec2 c = centre(id);
        h.click(c.x, c.y);
    }

private:
    static const qel_config* config(uint32_t mode)
    {
        static qel_config c[2];
        c[mode == QEL_THEME_DARK].theme_mode = mode;
        return &c[mode == QEL_THEME_DARK];
    }
};

// --- Pictures of boards ---

// Glyph edges come from stb_truetype's float rasteriser, which the two compilers round a little
// apart.
static const int PICTURE_TOLERANCE = 2;

// The reference picture of a scene in a theme mode: <prefix><scene>_light.png or _dark.png.
inline std::string themed_picture(const char* prefix, const char* scene, uint32_t mode)
{
    return std::string(prefix) + scene + (mode == QEL_THEME_DARK ? "_dark.png" : "_light.png");
}

// The theme modes a family's pictures are drawn in, and their names in the tests' names:
// INSTANTIATE_TEST_SUITE_P(Themes, fixture, theme_modes(), theme_name).
inline auto theme_modes() { return ::testing::Values(QEL_THEME_LIGHT, QEL_THEME_DARK); }

inline std::string theme_name(const ::testing::TestParamInfo<uint32_t>& info)
{
    return info.param == QEL_THEME_DARK ? "Dark" : "Light";
}

// What the rig shows against the reference picture of a scene in a theme mode.
inline ::testing::AssertionResult rig_matches(widget_rig& rig, const char* prefix, const char* scene, uint32_t mode)
{
    return picture_matches(rig.shot(), themed_picture(prefix, scene, mode), PICTURE_TOLERANCE);
}

// A family's pictures, each test run once in every theme mode (its parameter); the family's
// pictures are named <prefix><scene>_light.png and _dark.png.
class themed_pictures : public ::testing::TestWithParam<uint32_t> {
protected:
    explicit themed_pictures(const char* prefix) : picture_prefix(prefix) {}

    ::testing::AssertionResult shows(widget_rig& rig, const char* scene) const
    {
        return rig_matches(rig, picture_prefix, scene, GetParam());
    }
    // A board left alone for some frames in a window of width x height.
    ::testing::AssertionResult board_matches(void (*board)(qel_context*), float width, float height, const char* scene,
                                             int frames) const
    {
        widget_rig rig(width, height, GetParam());
        rig.h.ui = board;
        rig.h.run(frames);
        return shows(rig, scene);
    }

private:
    const char* picture_prefix;
};

// A padded column filling the window, and rows of centred widgets on it.
inline void board_begin(qel_context* ctx)
{
    qel_style s = {};
    s.padding = 14;
    s.gap = 12;
    s.width = {QEL_SIZE_GROW, 1};
    s.height = {QEL_SIZE_GROW, 1};
    qel_column_begin(ctx, &s);
}

inline void row_begin(qel_context* ctx, float gap)
{
    qel_style s = {};
    s.gap = gap;
    s.align = QEL_ALIGN_CENTER;
    qel_row_begin(ctx, &s);
}

// A row across the board, what it holds standing at the top.
inline void wide_row_begin(qel_context* ctx, float gap)
{
    qel_style s = {};
    s.gap = gap;
    s.width = {QEL_SIZE_GROW, 1};
    s.align = QEL_ALIGN_START;
    qel_row_begin(ctx, &s);
}
