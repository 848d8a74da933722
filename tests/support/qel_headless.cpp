#include "qel_headless.h"

qel_headless::qel_headless(float width, float height, float scale, const qel_config* config)
    : ctx(qel_ctx_create(config))
{
    qel_ctx_set_display(ctx, width, height, scale);
}

qel_headless::~qel_headless()
{
    qel_ctx_destroy(ctx);
}

void qel_headless::run(int frames)
{
    for (int i = 0; i < frames; i++) {
        qel_begin_frame(ctx, step);
        if (ui) ui(ctx);
        qel_end_frame(ctx);
    }
}

void qel_headless::move(float x, float y)
{
    qel_input_mouse_move(ctx, x, y);
}

void qel_headless::button(uint32_t b, bool down)
{
    qel_input_mouse_button(ctx, b, down);
}

void qel_headless::key(int32_t k, bool down, uint32_t modifiers)
{
    qel_input_key(ctx, k, down, modifiers);
}

void qel_headless::type(const char* utf8)
{
    qel_input_chars(ctx, utf8);
}

void qel_headless::wheel(float dx, float dy)
{
    qel_input_wheel(ctx, dx, dy);
}

void qel_headless::click(float x, float y, uint32_t b)
{
    move(x, y);
    run();
    button(b, true);
    run();
    button(b, false);
    run();
}

void qel_headless::tap(int32_t k, uint32_t modifiers)
{
    key(k, true, modifiers);
    run();
    key(k, false, modifiers);
    key(QEL_KEY_NONE, false, 0);
}

qel_rect qel_headless::rect(uint32_t id) const
{
    return qel_id_rect(ctx, id);
}

const qel_draw_data& qel_headless::draw_data() const
{
    return *qel_get_draw_data(ctx);
}
