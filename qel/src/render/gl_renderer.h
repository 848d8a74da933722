// The OpenGL renderer: draws a frame's draw data with one shader program on OpenGL 3.3 core or
// OpenGL ES 3.0, keeps the toolkit's textures, and reads the framebuffer back for screenshots.
// Every entry point comes from the caller's loader; making the context current is the caller's.
#pragma once

#include <cstdint>

#include "qel/context.h"
#include "qel/draw.h"

#if defined(_WIN32)
#define QEL_GL_API __stdcall
#else
#define QEL_GL_API
#endif

typedef unsigned int GLenum;
typedef unsigned int GLuint;
typedef unsigned int GLbitfield;
typedef int GLint;
typedef int GLsizei;
typedef float GLfloat;
typedef unsigned char GLboolean;
typedef unsigned char GLubyte;
typedef char GLchar;
typedef intptr_t GLsizeiptr;

// The entry points the renderer loads, in loading order: (result, name, parameters).
#define QEL_GL_FUNCTIONS(X)                                                                                        \
    X(void, glEnable, (GLenum cap))                                                                                \
    X(void, glDisable, (GLenum cap))                                                                               \
    X(void, glBlendFunc, (GLenum sfactor, GLenum dfactor))                                                         \
    X(void, glBlendEquation, (GLenum mode))                                                                        \
    X(void, glViewport, (GLint x, GLint y, GLsizei width, GLsizei height))                                        \
    X(void, glScissor, (GLint x, GLint y, GLsizei width, GLsizei height))                                         \
    X(void, glClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))                                            \
    X(void, glClear, (GLbitfield mask))                                                                            \
    X(void, glGenTextures, (GLsizei n, GLuint * textures))                                                         \
    X(void, glDeleteTextures, (GLsizei n, const GLuint* textures))                                                 \
    X(void, glBindTexture, (GLenum target, GLuint texture))                                                        \
    X(void, glTexParameteri, (GLenum target, GLenum pname, GLint param))                                           \
    X(void, glTexImage2D,                                                                                          \
      (GLenum target, GLint level, GLint internal_format, GLsizei width, GLsizei height, GLint border,            \
       GLenum format, GLenum type, const void* pixels))                                                            \
    X(void, glTexSubImage2D,                                                                                       \
      (GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,   \
       const void* pixels))                                                                                        \
    X(void, glPixelStorei, (GLenum pname, GLint param))                                                            \
    X(void, glActiveTexture, (GLenum texture))                                                                     \
    X(void, glDrawElements, (GLenum mode, GLsizei count, GLenum type, const void* indices))                        \
    X(const GLubyte*, glGetString, (GLenum name))                                                                  \
    X(void, glGenBuffers, (GLsizei n, GLuint * buffers))                                                           \
    X(void, glDeleteBuffers, (GLsizei n, const GLuint* buffers))                                                   \
    X(void, glBindBuffer, (GLenum target, GLuint buffer))                                                          \
    X(void, glBufferData, (GLenum target, GLsizeiptr size, const void* data, GLenum usage))                        \
    X(void, glGenVertexArrays, (GLsizei n, GLuint * arrays))                                                       \
    X(void, glDeleteVertexArrays, (GLsizei n, const GLuint* arrays))                                               \
    X(void, glBindVertexArray, (GLuint array))                                                                     \
    X(void, glEnableVertexAttribArray, (GLuint index))                                                             \
    X(void, glVertexAttribPointer,                                                                                 \
      (GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride, const void* pointer))          \
    X(GLuint, glCreateShader, (GLenum type))                                                                       \
    X(void, glShaderSource, (GLuint shader, GLsizei count, const GLchar* const* strings, const GLint* lengths))    \
    X(void, glCompileShader, (GLuint shader))                                                                      \
    X(void, glGetShaderiv, (GLuint shader, GLenum pname, GLint * params))                                          \
    X(void, glGetShaderInfoLog, (GLuint shader, GLsizei size, GLsizei * length, GLchar * log))                     \
    X(void, glDeleteShader, (GLuint shader))                                                                       \
    X(GLuint, glCreateProgram, ())                                                                                 \
    X(void, glAttachShader, (GLuint program, GLuint shader))                                                       \
    X(void, glLinkProgram, (GLuint program))                                                                       \
    X(void, glGetProgramiv, (GLuint program, GLenum pname, GLint * params))                                        \
    X(void, glGetProgramInfoLog, (GLuint program, GLsizei size, GLsizei * length, GLchar * log))                   \
    X(void, glDeleteProgram, (GLuint program))                                                                     \
    X(void, glUseProgram, (GLuint program))                                                                        \
    X(GLint, glGetUniformLocation, (GLuint program, const GLchar* name))                                           \
    X(void, glUniform1i, (GLint location, GLint v0))                                                               \
    X(void, glUniform2f, (GLint location, GLfloat v0, GLfloat v1))                                                 \
    X(void, glBindAttribLocation, (GLuint program, GLuint index, const GLchar* name))                              \
    X(void, glReadPixels,                                                                                          \
      (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels))                 \
    X(void, glFinish, ())

// --- Records ---

#define QEL_GL_MEMBER(result, name, parameters) result(QEL_GL_API* name) parameters;
struct qel_gl_functions {
    QEL_GL_FUNCTIONS(QEL_GL_MEMBER)
};
#undef QEL_GL_MEMBER

// A texture slot; name 0 marks a free one. Handles are slot index + 1.
struct qel_gl_texture {
    GLuint name;
    uint32_t channels;  // 1 or 4
    uint32_t width, height;
};

struct qel_gl_renderer {
    qel_gl_functions gl;
    GLuint program, vertex_array, vertex_buffer, index_buffer;
    GLint u_viewport, u_tex;
    uint8_t es;        // OpenGL ES 3.0 rather than desktop 3.3
    uint8_t software;  // the driver rasterises on the processor
    qel_gl_texture* textures;
    int32_t texture_count, texture_capacity;
};

// Any function pointer; the loader's result is cast to each entry point's own type.
typedef void (*qel_gl_proc)();
typedef qel_gl_proc (*qel_gl_loader)(const char* name);

// --- Making and releasing ---

// Null, with one line on the error stream, when an entry point is missing, the version is below
// 3.3, or the shaders do not build; null for a null loader.
qel_gl_renderer* qel_gl_create(qel_gl_loader loader);
void qel_gl_destroy(qel_gl_renderer* gl);  // null is ignored

// Whether GL_RENDERER names a processor rasteriser; false for null.
bool qel_gl_is_software(const qel_gl_renderer* gl);

// --- Textures, behind the toolkit's renderer interface ---

void qel_gl_fill_renderer(qel_renderer* out, qel_gl_renderer* gl);

// 0 when no slot can be had. Pixels may be null (contents undefined).
uint64_t qel_gl_texture_create(qel_gl_renderer* gl, int32_t width, int32_t height, int32_t channels,
                               const void* pixels);
// Stale handles are ignored; stride is the bytes of one source row.
void qel_gl_texture_update(qel_gl_renderer* gl, uint64_t texture, int32_t x, int32_t y, int32_t width, int32_t height,
                           const void* pixels, int32_t stride);
void qel_gl_texture_delete(qel_gl_renderer* gl, uint64_t texture);

// --- Drawing ---

// Draws into the current framebuffer, first clearing it to the frame's clear colour when asked.
void qel_gl_render(qel_gl_renderer* gl, const qel_draw_data* dd, bool clear);

// The same into a window surface surface_height pixels high, which may be taller than the frame
// while the window is being sized: the frame keeps to the surface's top, as the window shows it,
// and a clear reaches the whole surface.
void qel_gl_render_top(qel_gl_renderer* gl, const qel_draw_data* dd, bool clear, int32_t surface_height);

// The framebuffer's bottom-left width x height pixels, top row first, as R, G, B, A bytes.
void qel_gl_read_pixels(qel_gl_renderer* gl, int32_t width, int32_t height, uint32_t* rgba_out);

// A compiled shader from the version header and body, or 0 with the log on the error stream.
GLuint qel_gl_compile_shader(qel_gl_renderer* gl, GLenum type, const char* source);
