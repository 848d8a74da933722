// Drop zones driven over scripted frames with drops injected as the platform layer delivers them:
// the extension filter's table, a zone that leaves exactly the accepted paths for its caller and
// shows its result for 2.2 s, the first of two zones under a drop taking it, drags over a zone,
// clicks, and the image zone replacing its texture only with an image it could load.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/drop_zones.h"
#include "qel/qel.h"
#include "support/widget_rig.h"
#include "support/scratch.h"

TEST(DropFilter, ExtensionsMatchByTheirTokens)
{
    const struct {
        const char* name;
        const char* filter;
        int32_t expected;
    } cases[] = {
        {"a.png", "PNG, *.jpg;.gif", 1},       {"B.JPG", "PNG, *.jpg;.gif", 1},     {"c.Gif", "PNG, *.jpg;.gif", 1},
        {"d.jpeg", "PNG, *.jpg;.gif", 0},      {"archive.tar.gz", "gz", 1},          {"archive.tar.gz", "tar.gz", 0},
        {"old.d\\readme", "d\\readme", 0},     {"old.d/readme", "readme", 0},        {"readme", "*", 1},
        {"notes.txt", "*.*", 1},               {"notes.txt", "png *", 1},            {"notes.", "txt", 0},
        {"notes.txt", nullptr, 1},             {"notes.txt", "", 1},                 {"notes.txt", " ;, ", 1},
        {nullptr, "png", 0},                   {"x.pngx", "png", 0},                 {"x.png", "pngx", 0},
        {"C:\\pictures\\a.PnG", "png", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qel_file_matches_filter(c.name, c.filter), c.expected)
            << (c.name ? c.name : "(null)") << " with " << (c.filter ? c.filter : "(null)");
}

// Two file zones, one taking PNG files, and what each frame's caller read of the drop.
struct zones_rig {
    widget_rig rig;
    int32_t first = 0, second = 0;
    std::vector<std::string> taken;
    qel_drop_zone_options pngs = {};
    bool stacked = false;

    zones_rig() : rig(400, 420)
    {
        pngs.accept = "png";
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            qel_style s = {};
            s.direction = stacked ? QEL_DIR_STACK : QEL_DIR_COLUMN;
            s.width = {QEL_SIZE_GROW, 1};
            s.gap = 12;
            qel_container_begin(ctx, &s);
            first = qel_file_drop_zone(ctx, "images", &pngs);
            if (first > 0)
                for (int32_t i = 0; i < qel_dropped_file_count(ctx); i++) taken.push_back(qel_dropped_file_path(ctx, i));
            second = qel_file_drop_zone(ctx, "anything", nullptr);
            qel_container_end(ctx);
            qel_container_end(ctx);
        };
        rig.h.run(2);
    }
    void drop_on(const char* label, std::vector<const char*> paths)
    {
        qel_vec2 c = rig.centre(qel_id(rig.h.ctx, label));
        qel_input_drop_files(rig.h.ctx, paths.data(), (int32_t)paths.size(), c.x, c.y);
        rig.h.run();
    }
};

TEST(FileDropZone, ADropLeavesExactlyTheAcceptedPathsForTheCaller)
{
    zones_rig z;
    z.drop_on("images", {"a.txt", "shelf.PNG", "b.jpg"});
    EXPECT_EQ(z.first, 1);
    EXPECT_EQ(z.second, 0);
    EXPECT_EQ(z.taken, std::vector<std::string>{"shelf.PNG"});
    EXPECT_NE(node_with_text(z.rig.h.ctx, "1 file added"), nullptr);
    z.rig.h.run(60);
    EXPECT_NE(node_with_text(z.rig.h.ctx, "1 file added"), nullptr);
    z.rig.h.run(80);  // 2.33 s after the drop
    EXPECT_EQ(node_with_text(z.rig.h.ctx, "1 file added"), nullptr);
    EXPECT_NE(node_with_text(z.rig.h.ctx, "Drop files here"), nullptr);

    z.drop_on("images", {"a.txt", "b.jpg"});
    EXPECT_EQ(z.first, 0);
    EXPECT_NE(node_with_text(z.rig.h.ctx, "That file type is not supported"), nullptr);
    z.drop_on("anything", {"a.txt", "b.jpg", "c"});
    EXPECT_EQ(z.second, 3);
    EXPECT_NE(node_with_text(z.rig.h.ctx, "3 files added"), nullptr);
}

TEST(FileDropZone, OnlyTheFirstZoneUnderADropTakesIt)
{
    zones_rig z;
    z.stacked = true;
    z.rig.h.run(2);
    ASSERT_FLOAT_EQ(z.rig.h.rect(qel_id(z.rig.h.ctx, "images")).y, z.rig.h.rect(qel_id(z.rig.h.ctx, "anything")).y);
    z.drop_on("images", {"x.png", "y.png"});
    EXPECT_EQ(z.first, 2);
    EXPECT_EQ(z.second, 0);
    z.drop_on("images", {"note.txt"});
    EXPECT_EQ(z.first, 0);
    EXPECT_EQ(z.second, 0) << "a refused drop was still taken by the zone under it";

    zones_rig outside;
    qel_input_drop_files(outside.rig.h.ctx, std::vector<const char*>{"x.png"}.data(), 1, 2, 2);
    outside.rig.h.run();
    EXPECT_EQ(outside.first, 0);
    EXPECT_EQ(outside.second, 0);
}

TEST(FileDropZone, DragsOverTheZoneAndClicksAreReported)
{
    zones_rig z;
    qel_vec2 c = z.rig.centre(qel_id(z.rig.h.ctx, "images"));
    qel_input_drag_hover(z.rig.h.ctx, true, c.x, c.y);
    z.rig.h.run();
    EXPECT_NE(node_with_text(z.rig.h.ctx, "Release to add"), nullptr);
    qel_input_drag_hover(z.rig.h.ctx, false, c.x, c.y);
    z.rig.h.run();
    EXPECT_EQ(node_with_text(z.rig.h.ctx, "Release to add"), nullptr);
    z.rig.h.move(c.x, c.y);
    z.rig.h.run();
    z.rig.h.button(0, true);
    z.rig.h.run();
    z.rig.h.button(0, false);
    z.rig.h.run();
    EXPECT_EQ(z.first, -1);
}

TEST(ImageDropZone, ALoadableImageReplacesTheTextureAndOthersLeaveIt)
{
    picture face;
    face.width = face.height = 4;
    face.rgba.assign(4 * 4 * 4, 200);
    std::string png = scratch_path("face.png"), gif = scratch_path("face.gif");
    ASSERT_TRUE(picture_write_png(face, png));
    ASSERT_TRUE(scratch_write(gif, "GIF89a not really"));

    widget_rig rig(300, 200);
    uint64_t texture = 0;
    int32_t result = 0;
    rig.h.ui = [&](qel_context* ctx) { result = qel_image_drop_zone(ctx, "photo", "Ada Lovelace", &texture, 0); };
    rig.h.run(2);
    uint32_t id = qel_id(rig.h.ctx, "photo");
    ASSERT_FLOAT_EQ(rig.h.rect(id).w, 88);
    qel_vec2 c = rig.centre(id);
    const char* gifs[] = {gif.c_str()};
    qel_input_drop_files(rig.h.ctx, gifs, 1, c.x, c.y);
    rig.h.run();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(texture, 0u);
    const char* pngs[] = {"notes.txt", png.c_str()};
    qel_input_drop_files(rig.h.ctx, pngs, 2, c.x, c.y);
    rig.h.run();
    EXPECT_EQ(result, 1);
    uint64_t first = texture;
    EXPECT_NE(first, 0u);
    qel_input_drop_files(rig.h.ctx, pngs, 2, c.x, c.y);
    rig.h.run();
    EXPECT_NE(texture, first);
    rig.h.click(c.x, c.y);
    EXPECT_EQ(result, -1);
    qel_texture_release(rig.h.ctx, texture);
}
