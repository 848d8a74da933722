// The OpenGL renderer's own logic against a recording stand-in for the driver: loading and
// version checks, the texture table, scissor boxes, texture binds and the read-back flip. Real
// drawing is checked under Wine with Mesa.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "render/gl_renderer.h"

namespace {

struct fake_driver {
    const char* version = "4.5 (Core Profile) Mesa";
    const char* renderer = "Radeon";
    GLint compile_ok = 1, link_ok = 1;
    const char* missing = nullptr;  // an entry point the loader does not find
    GLuint next_name = 1;
    std::vector<std::string> log;
    std::vector<uint8_t> rgba;  // the last four-channel pixels uploaded, rows packed
};

fake_driver driver;

void record(const char* format, ...) __attribute__((format(printf, 1, 2)));
void record(const char* format, ...)
{
    char line[160];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    driver.log.push_back(line);
}

template <typename T>
T nothing()
{
    return T();
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define FAKE_STUB(result, name, parameters) \
    result QEL_GL_API stub_##name parameters { return nothing<result>(); }
QEL_GL_FUNCTIONS(FAKE_STUB)
#undef FAKE_STUB
#pragma GCC diagnostic pop

const GLubyte* QEL_GL_API fake_get_string(GLenum name)
{
    return (const GLubyte*)(name == 0x1F02 ? driver.version : driver.renderer);
}

void QEL_GL_API fake_get_shader(GLuint, GLenum, GLint* ok)
{
    *ok = driver.compile_ok;
}

void QEL_GL_API fake_get_program(GLuint, GLenum, GLint* ok)
{
    *ok = driver.link_ok;
}

void QEL_GL_API fake_info_log(GLuint, GLsizei size, GLsizei*, GLchar* log)
{
    snprintf(log, (size_t)size, "%s", "bad line 3");
}

GLuint QEL_GL_API fake_create(GLenum)
{
    return driver.next_name++;
}

GLuint QEL_GL_API fake_create_program()
{
    return driver.next_name++;
}

void QEL_GL_API fake_gen(GLsizei, GLuint* names)
{
    *names = driver.next_name++;
}

void QEL_GL_API fake_delete_textures(GLsizei, const GLuint* names)
{
    record("delete %u", *names);
}

void QEL_GL_API fake_bind_texture(GLenum, GLuint name)
{
    record("bind %u", name);
}

void QEL_GL_API fake_viewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    record("viewport %d %d %d %d", x, y, w, h);
}

void QEL_GL_API fake_scissor(GLint x, GLint y, GLsizei w, GLsizei h)
{
    record("scissor %d %d %d %d", x, y, w, h);
}

void QEL_GL_API fake_draw(GLenum, GLsizei count, GLenum, const void* offset)
{
    record("draw %d at %u", count, (unsigned)(uintptr_t)offset);
}

void QEL_GL_API fake_clear(GLbitfield)
{
    record("clear");
}

void QEL_GL_API fake_use_program(GLuint program)
{
    record("program %u", program);
}

void QEL_GL_API fake_pixel_store(GLenum name, GLint value)
{
    record("store %x %d", name, value);
}

// Keeps the pixels of a four-channel upload, which the renderer always hands over packed.
void keep_rgba(GLsizei w, GLsizei h, GLenum format, const void* pixels)
{
    const auto* p = (const uint8_t*)pixels;
    if (format == 0x1908 && p) driver.rgba.assign(p, p + (size_t)w * (size_t)h * 4);
}

void QEL_GL_API fake_image(GLenum, GLint, GLint, GLsizei w, GLsizei h, GLint, GLenum format, GLenum, const void* pixels)
{
    keep_rgba(w, h, format, pixels);
}

void QEL_GL_API fake_sub_image(GLenum, GLint, GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum,
                               const void* pixels)
{
    record("sub %d %d %d %d %x", x, y, w, h, format);
    keep_rgba(w, h, format, pixels);
}

// Row r of the framebuffer, bottom-up as GL reads it, holds the value r in every pixel.
void QEL_GL_API fake_read(GLint, GLint, GLsizei w, GLsizei h, GLenum, GLenum, void* pixels)
{
    for (GLsizei r = 0; r < h; r++)
        for (GLsizei x = 0; x < w; x++) ((uint32_t*)pixels)[r * w + x] = (uint32_t)r;
}

qel_gl_proc fake_loader(const char* name)
{
    static std::map<std::string, qel_gl_proc> table;
    if (table.empty()) {
#define FAKE_ENTRY(result, entry, parameters) table[#entry] = reinterpret_cast<qel_gl_proc>(stub_##entry);
        QEL_GL_FUNCTIONS(FAKE_ENTRY)
#undef FAKE_ENTRY
        table["glGetString"] = reinterpret_cast<qel_gl_proc>(fake_get_string);
        table["glGetShaderiv"] = reinterpret_cast<qel_gl_proc>(fake_get_shader);
        table["glGetProgramiv"] = reinterpret_cast<qel_gl_proc>(fake_get_program);
        table["glGetShaderInfoLog"] = reinterpret_cast<qel_gl_proc>(fake_info_log);
        table["glGetProgramInfoLog"] = reinterpret_cast<qel_gl_proc>(fake_info_log);
        table["glCreateShader"] = reinterpret_cast<qel_gl_proc>(fake_create);
        table["glCreateProgram"] = reinterpret_cast<qel_gl_proc>(fake_create_program);
        table["glGenTextures"] = reinterpret_cast<qel_gl_proc>(fake_gen);
        table["glGenBuffers"] = reinterpret_cast<qel_gl_proc>(fake_gen);
        table["glGenVertexArrays"] = reinterpret_cast<qel_gl_proc>(fake_gen);
        table["glDeleteTextures"] = reinterpret_cast<qel_gl_proc>(fake_delete_textures);
        table["glBindTexture"] = reinterpret_cast<qel_gl_proc>(fake_bind_texture);
        table["glViewport"] = reinterpret_cast<qel_gl_proc>(fake_viewport);
        table["glScissor"] = reinterpret_cast<qel_gl_proc>(fake_scissor);
        table["glDrawElements"] = reinterpret_cast<qel_gl_proc>(fake_draw);
        table["glClear"] = reinterpret_cast<qel_gl_proc>(fake_clear);
        table["glUseProgram"] = reinterpret_cast<qel_gl_proc>(fake_use_program);
        table["glPixelStorei"] = reinterpret_cast<qel_gl_proc>(fake_pixel_store);
        table["glTexImage2D"] = reinterpret_cast<qel_gl_proc>(fake_image);
        table["glTexSubImage2D"] = reinterpret_cast<qel_gl_proc>(fake_sub_image);
        table["glReadPixels"] = reinterpret_cast<qel_gl_proc>(fake_read);
    }
    if (driver.missing && strcmp(name, driver.missing) == 0) return nullptr;
    auto found = table.find(name);
    return found == table.end() ? nullptr : found->second;
}

// Creates a renderer against the driver as set up, with the error stream captured.
qel_gl_renderer* create(std::string* errors)
{
    testing::internal::CaptureStderr();
    qel_gl_renderer* gl = qel_gl_create(fake_loader);
    *errors = testing::internal::GetCapturedStderr();
    return gl;
}

class GlRenderer : public ::testing::Test {
protected:
    void SetUp() override { driver = fake_driver(); }
};

}  // namespace

TEST_F(GlRenderer, VersionsBelow33AreRefused)
{
    struct row {
        const char* version;
        bool accepted, es;
    };
    const row rows[] = {
        {"3.2.0 Mesa 22", false, false}, {"2.1 Mesa", false, false},      {"3.3 (Core Profile)", true, false},
        {"4.6.0 NVIDIA", true, false},   {"OpenGL ES 3.0 Mesa", true, true}, {"OpenGL ES 2.0", true, true},
        {nullptr, true, false},          {"unknown", true, false},
    };
    for (const row& r : rows) {
        driver.version = r.version;
        std::string errors;
        qel_gl_renderer* gl = create(&errors);
        EXPECT_EQ(gl != nullptr, r.accepted) << (r.version ? r.version : "(null)");
        if (gl) {
            EXPECT_EQ(gl->es, r.es);
            EXPECT_EQ(errors, "");
        } else {
            EXPECT_EQ(errors, std::string("qel: OpenGL 3.3 required, have ") + r.version + "\n");
        }
        qel_gl_destroy(gl);
    }
}

TEST_F(GlRenderer, SoftwareRasterisersAreRecognised)
{
    const std::pair<const char*, bool> rows[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true}, {"softpipe", true},  {"Mesa swrast", true},
        {"Google SwiftShader", true},                {"GDI Generic", true}, {"Microsoft Basic Render Driver", true},
        {"AMD Radeon RX 6600", false},               {"LLVMPIPE", false},   {nullptr, false},
    };
    for (const auto& [renderer, software] : rows) {
        driver.renderer = renderer;
        std::string errors;
        qel_gl_renderer* gl = create(&errors);
        ASSERT_NE(gl, nullptr);
        EXPECT_EQ(qel_gl_is_software(gl), software) << (renderer ? renderer : "(null)");
        qel_gl_destroy(gl);
    }
    EXPECT_FALSE(qel_gl_is_software(nullptr));
    EXPECT_EQ(qel_gl_create(nullptr), nullptr);
}

TEST_F(GlRenderer, CreationFailuresSayWhy)
{
    std::string errors;
    driver.missing = "glReadPixels";
    EXPECT_EQ(create(&errors), nullptr);
    EXPECT_EQ(errors, "qel: OpenGL function glReadPixels not available\n");

    driver = fake_driver();
    driver.compile_ok = 0;
    EXPECT_EQ(create(&errors), nullptr);
    EXPECT_NE(errors.find("qel: shader compile failed: bad line 3\n"), std::string::npos);

    driver = fake_driver();
    driver.link_ok = 0;
    EXPECT_EQ(create(&errors), nullptr);
    EXPECT_EQ(errors, "qel: program link failed: bad line 3\n");
}

TEST_F(GlRenderer, TextureSlotsAreReusedAndStaleHandlesIgnored)
{
    std::string errors;
    qel_gl_renderer* gl = create(&errors);
    ASSERT_NE(gl, nullptr);
    qel_renderer r;
    qel_gl_fill_renderer(&r, gl);
    uint64_t atlas = r.create(r.user, 512, 512, 1, nullptr);
    uint64_t image = r.create(r.user, 4, 4, 4, nullptr);
    EXPECT_EQ(atlas, 1u);
    EXPECT_EQ(image, 2u);
    for (int i = 0; i < 20; i++) EXPECT_EQ(r.create(r.user, 1, 1, 4, nullptr), (uint64_t)i + 3) << "grows past 16";
    r.destroy(r.user, atlas);
    EXPECT_EQ(r.create(r.user, 2, 2, 1, nullptr), 1u) << "the freed slot first";

    driver.log.clear();
    r.update(r.user, image, 1, 2, 3, 1, "abcdefghijkl", 40);
    r.update(r.user, 0, 0, 0, 1, 1, "x", 1);
    r.update(r.user, 99, 0, 0, 1, 1, "x", 1);
    r.destroy(r.user, 99);
    r.destroy(r.user, 0);
    std::vector<std::string> expected = {"bind " + std::to_string(gl->textures[1].name), "store cf5 1", "store cf2 3",
                                         "sub 1 2 3 1 1908", "store cf2 0"};
    EXPECT_EQ(driver.log, expected) << "a 4-channel update goes up packed; stale handles do nothing";
    qel_gl_destroy(gl);
}

// Images are kept premultiplied, so that filtering never mixes in the colour of a transparent
// texel; rows come from the caller's stride.
TEST_F(GlRenderer, ImagesAreUploadedPremultiplied)
{
    std::string errors;
    qel_gl_renderer* gl = create(&errors);
    ASSERT_NE(gl, nullptr);
    const uint8_t straight[] = {255, 0, 0, 128, 10, 20, 30, 255, 200, 100, 50, 0, 99, 99, 99, 99};
    uint64_t image = qel_gl_texture_create(gl, 2, 1, 4, straight);
    EXPECT_EQ(driver.rgba, (std::vector<uint8_t>{128, 0, 0, 128, 10, 20, 30, 255}));
    qel_gl_texture_update(gl, image, 0, 0, 1, 2, straight, 8);
    EXPECT_EQ(driver.rgba, (std::vector<uint8_t>{128, 0, 0, 128, 0, 0, 0, 0}));
    qel_gl_destroy(gl);
}

// A draw data whose commands cover the cases below, 100 pixels high.
struct draw_fixture {
    qel_vertex vertices[3] = {};
    uint32_t indices[12] = {0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2};
    qel_draw_cmd commands[5] = {
        {{0, 0, 50, 20}, 0, 0, 3},      // atlas
        {{5, 5, 0, 40}, 0, 3, 3},       // zero width: nothing
        {{10.5f, 5.2f, 20, 10}, 0, 3, 3},  // atlas again: no second bind
        {{0, 0, 80, 100}, 7, 6, 0},     // no indices: nothing
        {{0, 0, 80, 100}, 2, 9, 3},     // a deleted texture: drawn with none
    };
    qel_draw_data dd = {vertices, 3, indices, 12, commands, 5, 80, 100, 0xFF102030, 1};
};

TEST_F(GlRenderer, CommandsGetScissorBoxesAndTextureBinds)
{
    std::string errors;
    qel_gl_renderer* gl = create(&errors);
    ASSERT_NE(gl, nullptr);
    uint64_t atlas = qel_gl_texture_create(gl, 64, 64, 1, nullptr);
    uint64_t image = qel_gl_texture_create(gl, 8, 8, 4, nullptr);
    ASSERT_EQ(atlas, 1u);
    ASSERT_EQ(image, 2u);
    GLuint program = gl->program, atlas_name = gl->textures[0].name;
    qel_gl_texture_delete(gl, image);

    draw_fixture f;
    driver.log.clear();
    qel_gl_render(gl, &f.dd, true);
    std::vector<std::string> expected = {
        "viewport 0 0 80 100",
        "clear",
        "program " + std::to_string(program),
        "scissor 0 80 50 20",
        "bind " + std::to_string(atlas_name),
        "draw 3 at 0",
        "scissor 10 84 21 11",  // floor and ceil outwards, y from the bottom
        "draw 3 at 12",
        "scissor 0 0 80 100",
        "bind 0",
        "draw 3 at 36",
        "program 0",
    };
    EXPECT_EQ(driver.log, expected);

    // A window surface 30 pixels taller than the frame (its border is being dragged): the frame
    // keeps to the top, where it was.
    driver.log.clear();
    qel_gl_render_top(gl, &f.dd, true, 130);
    for (auto* line : {&expected[0], &expected[3], &expected[6], &expected[8]}) {
        int x, y, w, h;
        char what[16];
        ASSERT_EQ(sscanf(line->c_str(), "%15s %d %d %d %d", what, &x, &y, &w, &h), 5);
        *line = std::string(what) + " " + std::to_string(x) + " " + std::to_string(y + 30) + " " + std::to_string(w) +
                " " + std::to_string(h);
    }
    EXPECT_EQ(driver.log, expected);

    // Without indices the frame is only cleared; without clear not even that.
    f.dd.index_count = 0;
    driver.log.clear();
    qel_gl_render(gl, &f.dd, true);
    EXPECT_EQ(driver.log, (std::vector<std::string>{"viewport 0 0 80 100", "clear"}));
    driver.log.clear();
    qel_gl_render(gl, &f.dd, false);
    EXPECT_EQ(driver.log, std::vector<std::string>{"viewport 0 0 80 100"});
    driver.log.clear();
    qel_gl_render(gl, nullptr, true);
    qel_gl_render(nullptr, &f.dd, true);
    EXPECT_TRUE(driver.log.empty());
    qel_gl_destroy(gl);
}

TEST_F(GlRenderer, ReadBackIsTopDown)
{
    std::string errors;
    qel_gl_renderer* gl = create(&errors);
    ASSERT_NE(gl, nullptr);
    for (int32_t height : {1, 2, 3, 4}) {
        std::vector<uint32_t> pixels((size_t)height * 2, 0xDEADBEEF);
        qel_gl_read_pixels(gl, 2, height, pixels.data());
        for (int32_t row = 0; row < height; row++) {
            EXPECT_EQ(pixels[(size_t)row * 2], (uint32_t)(height - 1 - row)) << height << " rows, row " << row;
            EXPECT_EQ(pixels[(size_t)row * 2 + 1], (uint32_t)(height - 1 - row));
        }
    }
    uint32_t untouched = 7;
    qel_gl_read_pixels(gl, 0, 1, &untouched);
    qel_gl_read_pixels(gl, 1, 1, nullptr);
    EXPECT_EQ(untouched, 7u);
    qel_gl_destroy(gl);
}
