// One program shades every shape from the vertex's shape description, so a frame is one buffer
// upload and one draw call per command. Output is premultiplied alpha, blended with "over".
#include "render/gl_renderer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "render/texture_slots.h"

enum : GLenum {
    GL_ONE = 1,
    GL_TRIANGLES = 0x0004,
    GL_ONE_MINUS_SRC_ALPHA = 0x0303,
    GL_CULL_FACE = 0x0B44,
    GL_DEPTH_TEST = 0x0B71,
    GL_BLEND = 0x0BE2,
    GL_SCISSOR_TEST = 0x0C11,
    GL_UNPACK_ROW_LENGTH = 0x0CF2,
    GL_UNPACK_ALIGNMENT = 0x0CF5,
    GL_PACK_ALIGNMENT = 0x0D05,
    GL_TEXTURE_2D = 0x0DE1,
    GL_UNSIGNED_BYTE = 0x1401,
    GL_UNSIGNED_INT = 0x1405,
    GL_FLOAT = 0x1406,
    GL_RED = 0x1903,
    GL_RGBA = 0x1908,
    GL_RENDERER = 0x1F01,
    GL_VERSION = 0x1F02,
    GL_LINEAR = 0x2601,
    GL_TEXTURE_MAG_FILTER = 0x2800,
    GL_TEXTURE_MIN_FILTER = 0x2801,
    GL_TEXTURE_WRAP_S = 0x2802,
    GL_TEXTURE_WRAP_T = 0x2803,
    GL_COLOR_BUFFER_BIT = 0x4000,
    GL_FUNC_ADD = 0x8006,
    GL_RGBA8 = 0x8058,
    GL_CLAMP_TO_EDGE = 0x812F,
    GL_R8 = 0x8229,
    GL_TEXTURE0 = 0x84C0,
    GL_ARRAY_BUFFER = 0x8892,
    GL_ELEMENT_ARRAY_BUFFER = 0x8893,
    GL_STREAM_DRAW = 0x88E0,
    GL_FRAGMENT_SHADER = 0x8B30,
    GL_VERTEX_SHADER = 0x8B31,
    GL_COMPILE_STATUS = 0x8B81,
    GL_LINK_STATUS = 0x8B82,
};

static const char* const SOFTWARE_RASTERISERS[] = {
    "llvmpipe", "softpipe", "swrast", "SwiftShader", "Software Rasterizer", "GDI Generic", "Apple Software Renderer",
    "Microsoft Basic Render",
};

static const char DESKTOP_HEADER[] = "#version 330 core\n";
static const char ES_HEADER[] = "#version 300 es\nprecision highp float;\nprecision highp int;\n";

static const char VERTEX_SHADER[] = R"(
in vec2 a_pos;
in vec2 a_uv;
in vec2 a_local;
in vec2 a_half;
in vec4 a_radii;
in vec2 a_params;
in vec4 a_color;
in vec4 a_bcolor;
uniform vec2 u_viewport;
out vec2 v_uv;
out vec2 v_local;
out vec4 v_color;
flat out vec2 v_half;
flat out vec4 v_radii;
flat out vec2 v_params;
flat out vec4 v_bcolor;
void main() {
    v_uv = a_uv;
    v_local = a_local;
    v_color = a_color;
    v_half = a_half;
    v_radii = a_radii;
    v_params = a_params;
    v_bcolor = a_bcolor;
    gl_Position = vec4(a_pos.x / u_viewport.x * 2.0 - 1.0, 1.0 - a_pos.y / u_viewport.y * 2.0, 0.0, 1.0);
}
)";

// The erf approximation and the rounded-box distance are the software rasteriser's too; the two
// renderers must agree to within rounding.
static const char FRAGMENT_SHADER[] = R"(
in vec2 v_uv;
in vec2 v_local;
in vec4 v_color;
flat in vec2 v_half;
flat in vec4 v_radii;
flat in vec2 v_params;
flat in vec4 v_bcolor;
uniform sampler2D u_tex;
out vec4 o_color;
float erf_approx(float x) {
    float ax = abs(x);
    float t = 1.0 / (1.0 + 0.3275911 * ax);
    float poly = ((((1.061405429 * t - 1.453152027) * t + 1.421413741) * t - 0.284496736) * t + 0.254829592) * t;
    return sign(x) * (1.0 - poly * exp(-ax * ax));
}
float rounded_box(vec2 p, vec2 b, vec4 radii) {
    float r = p.x < 0.0 ? (p.y < 0.0 ? radii.x : radii.w) : (p.y < 0.0 ? radii.y : radii.z);
    r = min(r, min(b.x, b.y));
    vec2 q = abs(p) - b + r;
    return min(max(q.x, q.y), 0.0) + length(max(q, 0.0)) - r;
}
void main() {
    int mode = int(v_params.y + 0.5);
    vec4 c = v_color;
    if (mode == 4) {
        o_color = vec4(c.rgb * c.a, c.a);
        return;
    }
    if (mode == 0) {
        float a = c.a * texture(u_tex, v_uv).r;
        o_color = vec4(c.rgb * a, a);
        return;
    }
    float d = rounded_box(v_local, v_half, v_radii);
    if (mode == 1) {
        float outer = clamp(0.5 - d, 0.0, 1.0);
        float inner = v_params.x > 0.0 ? clamp(0.5 - (d + v_params.x), 0.0, 1.0) : outer;
        float fa = c.a * inner;
        float ba = v_bcolor.a * (outer - inner);
        o_color = vec4(c.rgb * fa + v_bcolor.rgb * ba, fa + ba);
        return;
    }
    if (mode == 2) {
        float s = max(v_params.x, 0.01);
        float a = c.a * 0.5 * (1.0 - erf_approx(d / (s * 1.41421356)));
        o_color = vec4(c.rgb * a, a);
        return;
    }
    float cov = clamp(0.5 - d, 0.0, 1.0);
    vec4 t = texture(u_tex, v_uv);
    float k = c.a * cov;
    o_color = vec4(t.rgb * c.rgb * k, t.a * k);
}
)";

struct vertex_attribute {
    const char* name;
    GLint components;
    GLenum type;
    GLboolean normalised;
    uint32_t offset;
};

static const vertex_attribute ATTRIBUTES[] = {
    {"a_pos", 2, GL_FLOAT, 0, offsetof(qel_vertex, pos)},
    {"a_uv", 2, GL_FLOAT, 0, offsetof(qel_vertex, uv)},
    {"a_local", 2, GL_FLOAT, 0, offsetof(qel_vertex, local)},
    {"a_half", 2, GL_FLOAT, 0, offsetof(qel_vertex, half)},
    {"a_radii", 4, GL_FLOAT, 0, offsetof(qel_vertex, radii)},
    {"a_params", 2, GL_FLOAT, 0, offsetof(qel_vertex, param)},
    {"a_color", 4, GL_UNSIGNED_BYTE, 1, offsetof(qel_vertex, fill)},
    {"a_bcolor", 4, GL_UNSIGNED_BYTE, 1, offsetof(qel_vertex, border)},
};

static const GLsizei LOG_SIZE = 1024;

// Loads every entry point; false after naming the last one missing.
static bool load_functions(qel_gl_functions* f, qel_gl_loader loader)
{
    const char* missing = nullptr;
#define QEL_GL_LOAD(result, name, parameters)                 \
    f->name = reinterpret_cast<decltype(f->name)>(loader(#name)); \
    if (!f->name) missing = #name;
    QEL_GL_FUNCTIONS(QEL_GL_LOAD)
#undef QEL_GL_LOAD
    if (missing) fprintf(stderr, "qel: OpenGL function %s not available\n", missing);
    return !missing;
}

static bool names_software_rasteriser(const char* renderer)
{
    if (!renderer) return false;
    for (const char* name : SOFTWARE_RASTERISERS) {
        if (strstr(renderer, name)) return true;
    }
    return false;
}

// Sets the ES flag, and refuses a desktop version below 3.3 that it can read.
static bool accept_version(qel_gl_renderer* gl, const char* version)
{
    if (!version) return true;
    if (strstr(version, "OpenGL ES")) {
        gl->es = 1;
        return true;
    }
    int major, minor;
    if (sscanf(version, "%d.%d", &major, &minor) == 2 && (major < 3 || (major == 3 && minor < 3))) {
        fprintf(stderr, "qel: OpenGL 3.3 required, have %s\n", version);
        return false;
    }
    return true;
}

GLuint qel_gl_compile_shader(qel_gl_renderer* gl, GLenum type, const char* source)
{
    const qel_gl_functions& f = gl->gl;
    const GLchar* parts[2] = {gl->es ? ES_HEADER : DESKTOP_HEADER, source};
    GLuint shader = f.glCreateShader(type);
    f.glShaderSource(shader, 2, parts, nullptr);
    f.glCompileShader(shader);
    GLint ok = 0;
    f.glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    GLchar log[LOG_SIZE] = "";
    f.glGetShaderInfoLog(shader, LOG_SIZE, nullptr, log);
    fprintf(stderr, "qel: shader compile failed: %s\n", log);
    f.glDeleteShader(shader);
    return 0;
}

static bool build_program(qel_gl_renderer* gl)
{
    const qel_gl_functions& f = gl->gl;
    GLuint vertex = qel_gl_compile_shader(gl, GL_VERTEX_SHADER, VERTEX_SHADER);
    GLuint fragment = qel_gl_compile_shader(gl, GL_FRAGMENT_SHADER, FRAGMENT_SHADER);
    if (!vertex || !fragment) {
        if (vertex) f.glDeleteShader(vertex);
        if (fragment) f.glDeleteShader(fragment);
        return false;
    }
    GLuint program = f.glCreateProgram();
    f.glAttachShader(program, vertex);
    f.glAttachShader(program, fragment);
    for (GLuint i = 0; i < sizeof ATTRIBUTES / sizeof ATTRIBUTES[0]; i++)
        f.glBindAttribLocation(program, i, ATTRIBUTES[i].name);
    f.glLinkProgram(program);
    f.glDeleteShader(vertex);
    f.glDeleteShader(fragment);
    GLint ok = 0;
    f.glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        GLchar log[LOG_SIZE] = "";
        f.glGetProgramInfoLog(program, LOG_SIZE, nullptr, log);
        fprintf(stderr, "qel: program link failed: %s\n", log);
        f.glDeleteProgram(program);
        return false;
    }
    gl->program = program;
    return true;
}

// The vertex array records the attribute layout and the index buffer binding.
static void build_vertex_array(qel_gl_renderer* gl)
{
    const qel_gl_functions& f = gl->gl;
    gl->u_viewport = f.glGetUniformLocation(gl->program, "u_viewport");
    gl->u_tex = f.glGetUniformLocation(gl->program, "u_tex");
    f.glGenVertexArrays(1, &gl->vertex_array);
    f.glGenBuffers(1, &gl->vertex_buffer);
    f.glGenBuffers(1, &gl->index_buffer);
    f.glBindVertexArray(gl->vertex_array);
    f.glBindBuffer(GL_ARRAY_BUFFER, gl->vertex_buffer);
    f.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl->index_buffer);
    for (GLuint i = 0; i < sizeof ATTRIBUTES / sizeof ATTRIBUTES[0]; i++) {
        const vertex_attribute& a = ATTRIBUTES[i];
        f.glEnableVertexAttribArray(i);
        f.glVertexAttribPointer(i, a.components, a.type, a.normalised, sizeof(qel_vertex),
                                reinterpret_cast<const void*>((uintptr_t)a.offset));
    }
    f.glBindVertexArray(0);
}

qel_gl_renderer* qel_gl_create(qel_gl_loader loader)
{
    if (!loader) return nullptr;
    auto* gl = (qel_gl_renderer*)calloc(1, sizeof(qel_gl_renderer));
    if (!gl) return nullptr;
    if (!load_functions(&gl->gl, loader)) {
        free(gl);
        return nullptr;
    }
    const char* version = (const char*)gl->gl.glGetString(GL_VERSION);
    gl->software = names_software_rasteriser((const char*)gl->gl.glGetString(GL_RENDERER));
    if (!accept_version(gl, version) || !build_program(gl)) {
        free(gl);
        return nullptr;
    }
    build_vertex_array(gl);
    return gl;
}

void qel_gl_destroy(qel_gl_renderer* gl)
{
    if (!gl) return;
    for (int32_t i = 0; i < gl->texture_count; i++) {
        if (gl->textures[i].name) gl->gl.glDeleteTextures(1, &gl->textures[i].name);
    }
    free(gl->textures);
    gl->gl.glDeleteBuffers(1, &gl->vertex_buffer);
    gl->gl.glDeleteBuffers(1, &gl->index_buffer);
    gl->gl.glDeleteVertexArrays(1, &gl->vertex_array);
    gl->gl.glDeleteProgram(gl->program);
    free(gl);
}

bool qel_gl_is_software(const qel_gl_renderer* gl)
{
    return gl && gl->software;
}

// --- Textures ---

void qel_gl_fill_renderer(qel_renderer* out, qel_gl_renderer* gl)
{
    *out = qel_texture_interface<qel_gl_renderer, qel_gl_texture_create, qel_gl_texture_update,
                                 qel_gl_texture_delete>(gl);
}

// The live slot a handle names, or null.
static qel_gl_texture* live_texture(qel_gl_renderer* gl, uint64_t texture)
{
    int32_t i = qel_texture_slot_index(texture, gl->texture_count);
    return i >= 0 && gl->textures[i].name ? &gl->textures[i] : nullptr;
}

static GLenum pixel_format(uint32_t channels)
{
    return channels == 1 ? GL_RED : GL_RGBA;
}

// Images come with straight alpha but are kept premultiplied, so that filtering a scaled image
// never mixes in the colour of its transparent texels (the software renderer filters the same
// way). A copy of width x height pixels read at the stride; null when it cannot be had.
static uint8_t* premultiplied(const void* pixels, int32_t width, int32_t height, int32_t stride)
{
    auto* out = (uint8_t*)malloc((size_t)width * (size_t)height * 4);
    if (!out) return nullptr;
    for (int32_t y = 0; y < height; y++) {
        const uint8_t* src = (const uint8_t*)pixels + (size_t)y * (size_t)stride;
        uint8_t* dst = out + (size_t)y * (size_t)width * 4;
        for (int32_t x = 0; x < width * 4; x += 4) {
            uint32_t a = src[x + 3];
            for (int32_t c = 0; c < 3; c++) dst[x + c] = (uint8_t)((src[x + c] * a + 127) / 255);
            dst[x + 3] = (uint8_t)a;
        }
    }
    return out;
}

uint64_t qel_gl_texture_create(qel_gl_renderer* gl, int32_t width, int32_t height, int32_t channels,
                               const void* pixels)
{
    uint8_t* image = channels != 1 && pixels ? premultiplied(pixels, width, height, width * 4) : nullptr;
    if (channels != 1 && pixels && !image) return 0;
    int32_t slot = qel_texture_slot_take(&gl->textures, &gl->texture_count, &gl->texture_capacity,
                                         [](const qel_gl_texture& t) { return t.name == 0; });
    if (slot < 0) {
        free(image);
        return 0;
    }
    const qel_gl_functions& f = gl->gl;
    qel_gl_texture* t = &gl->textures[slot];
    f.glGenTextures(1, &t->name);
    f.glBindTexture(GL_TEXTURE_2D, t->name);
    f.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    f.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    f.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    f.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    f.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    f.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    t->channels = channels == 1 ? 1 : 4;
    t->width = (uint32_t)width;
    t->height = (uint32_t)height;
    f.glTexImage2D(GL_TEXTURE_2D, 0, t->channels == 1 ? GL_R8 : GL_RGBA8, width, height, 0, pixel_format(t->channels),
                   GL_UNSIGNED_BYTE, image ? image : pixels);
    free(image);
    return (uint64_t)slot + 1;
}

void qel_gl_texture_update(qel_gl_renderer* gl, uint64_t texture, int32_t x, int32_t y, int32_t width, int32_t height,
                           const void* pixels, int32_t stride)
{
    qel_gl_texture* t = live_texture(gl, texture);
    if (!t || !pixels) return;
    uint8_t* image = t->channels == 4 ? premultiplied(pixels, width, height, stride) : nullptr;
    if (t->channels == 4 && !image) return;
    const qel_gl_functions& f = gl->gl;
    f.glBindTexture(GL_TEXTURE_2D, t->name);
    f.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    f.glPixelStorei(GL_UNPACK_ROW_LENGTH, image ? width : stride / (int32_t)t->channels);
    f.glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, pixel_format(t->channels), GL_UNSIGNED_BYTE,
                      image ? image : pixels);
    f.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    free(image);
}

void qel_gl_texture_delete(qel_gl_renderer* gl, uint64_t texture)
{
    qel_gl_texture* t = live_texture(gl, texture);
    if (!t) return;
    gl->gl.glDeleteTextures(1, &t->name);
    t->name = 0;
}

// --- Drawing ---

static void set_draw_state(qel_gl_renderer* gl, const qel_draw_data* dd)
{
    const qel_gl_functions& f = gl->gl;
    f.glEnable(GL_BLEND);
    f.glBlendEquation(GL_FUNC_ADD);
    f.glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    f.glDisable(GL_DEPTH_TEST);
    f.glDisable(GL_CULL_FACE);
    f.glEnable(GL_SCISSOR_TEST);
    f.glUseProgram(gl->program);
    f.glUniform2f(gl->u_viewport, (GLfloat)dd->framebuffer_width, (GLfloat)dd->framebuffer_height);
    f.glUniform1i(gl->u_tex, 0);
    f.glActiveTexture(GL_TEXTURE0);
    f.glBindVertexArray(gl->vertex_array);
    f.glBindBuffer(GL_ARRAY_BUFFER, gl->vertex_buffer);
    f.glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)dd->vertex_count * (GLsizeiptr)sizeof(qel_vertex), dd->vertices,
                   GL_STREAM_DRAW);
    f.glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)dd->index_count * (GLsizeiptr)sizeof(uint32_t), dd->indices,
                   GL_STREAM_DRAW);
}

// The command's scissor box in GL's bottom-up rows of a surface that high; false for an empty
// clip.
static bool scissor_box(const qel_draw_cmd* cmd, int32_t surface_height, GLint box[4])
{
    double x0 = floor(cmd->clip.x), y0 = floor(cmd->clip.y);
    double x1 = ceil((double)cmd->clip.x + cmd->clip.w), y1 = ceil((double)cmd->clip.y + cmd->clip.h);
    if (!(x0 < x1 && y0 < y1)) return false;
    box[0] = (GLint)x0;
    box[1] = surface_height - (GLint)y1;
    box[2] = (GLint)(x1 - x0);
    box[3] = (GLint)(y1 - y0);
    return true;
}

void qel_gl_render(qel_gl_renderer* gl, const qel_draw_data* dd, bool clear)
{
    if (dd) qel_gl_render_top(gl, dd, clear, dd->framebuffer_height);
}

void qel_gl_render_top(qel_gl_renderer* gl, const qel_draw_data* dd, bool clear, int32_t surface_height)
{
    if (!gl || !dd) return;
    const qel_gl_functions& f = gl->gl;
    f.glViewport(0, surface_height - dd->framebuffer_height, dd->framebuffer_width, dd->framebuffer_height);
    if (clear) {
        qel_color c = dd->clear_color;
        f.glClearColor((c & 0xFF) / 255.0f, (c >> 8 & 0xFF) / 255.0f, (c >> 16 & 0xFF) / 255.0f, 1.0f);
        f.glClear(GL_COLOR_BUFFER_BIT);
    }
    if (!dd->index_count) return;
    set_draw_state(gl, dd);
    GLuint bound = 0;
    bool any_bound = false;
    for (uint32_t i = 0; i < dd->command_count; i++) {
        const qel_draw_cmd* cmd = &dd->commands[i];
        GLint box[4];
        if (!cmd->index_count || !scissor_box(cmd, surface_height, box)) continue;
        f.glScissor(box[0], box[1], box[2], box[3]);
        const qel_gl_texture* t = live_texture(gl, cmd->texture ? cmd->texture : dd->atlas_texture);
        GLuint name = t ? t->name : 0;
        if (!any_bound || name != bound) {
            f.glBindTexture(GL_TEXTURE_2D, name);
            bound = name;
            any_bound = true;
        }
        f.glDrawElements(GL_TRIANGLES, (GLsizei)cmd->index_count, GL_UNSIGNED_INT,
                         reinterpret_cast<const void*>((uintptr_t)cmd->first_index * sizeof(uint32_t)));
    }
    f.glDisable(GL_SCISSOR_TEST);
    f.glBindVertexArray(0);
    f.glUseProgram(0);
}

void qel_gl_read_pixels(qel_gl_renderer* gl, int32_t width, int32_t height, uint32_t* rgba_out)
{
    if (!gl || !rgba_out || width < 1 || height < 1) return;
    const qel_gl_functions& f = gl->gl;
    f.glFinish();
    f.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    f.glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba_out);
    // GL's rows run bottom-up. Swapping pixel by pixel needs no temporary row, so it cannot fail.
    for (int32_t top = 0, bottom = height - 1; top < bottom; top++, bottom--) {
        uint32_t* a = rgba_out + (size_t)top * (size_t)width;
        uint32_t* b = rgba_out + (size_t)bottom * (size_t)width;
        for (int32_t x = 0; x < width; x++) {
            uint32_t t = a[x];
            a[x] = b[x];
            b[x] = t;
        }
    }
}
