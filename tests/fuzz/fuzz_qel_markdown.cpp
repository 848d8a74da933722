// Shows random documents through the Markdown viewer in whole frames, streaming or not, compact or
// not, at a random width, and clicks somewhere in between: after each frame the draw list is one a
// renderer can use, every stack is back where it started, and a reported task offset lies in the
// text with its box around it.
//
// Input: a byte of flags, a byte of width, then the document.
#include <string>

#include "fuzz_qel_support.h"
#include "qel/qel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static qel_context* ctx = qel_ctx_create(nullptr);
    if (size < 2) return 0;
    std::string text((const char*)data + 2, size - 2);
    qel_markdown_options o = {};
    o.streaming = data[0] & 1;
    o.compact = (data[0] >> 1) & 1;
    o.fit = (data[0] >> 2) & 1;
    o.color = data[0] & 8 ? 0xFF3366AAu : 0;
    if (data[1]) o.width = {QEL_SIZE_FIXED, (float)data[1] * 3};
    qel_input_mouse_move(ctx, (float)(data[1] % 64) * 10, (float)(data[0] >> 4) * 20);
    for (int frame = 0; frame < 2; frame++) {
        qel_input_mouse_button(ctx, 0, frame == 0);
        qel_begin_frame(ctx, 1.0f / 60);
        int32_t parents = ctx->tree.parent_depth.depth, scopes = ctx->ids.depth.depth;
        o.length = (int32_t)text.size();
        qel_markdown_result r = qel_markdown(ctx, "doc", text.c_str(), &o);
        if (ctx->tree.parent_depth.depth != parents || ctx->ids.depth.depth != scopes) abort();
        if (r.task_offset >= 0) {
            size_t at = (size_t)r.task_offset;
            if (at < 1 || at + 1 >= text.size() || text[at - 1] != '[' || text[at + 1] != ']') abort();
        }
        qel_end_frame(ctx);
        check_draw_list(ctx);
    }
    return 0;
}
