// The headless main window of the app tests.
#include "window_rig.h"

static bool answer_dialog(void* user, const qel_file_dialog_spec* dialog, char* path, size_t capacity)
{
    auto* w = (window_rig*)user;
    w->asked.push_back(dialog->title ? dialog->title : "");
    if (w->answer.empty() || w->answer.size() >= capacity) return false;
    w->answer.copy(path, w->answer.size());
    path[w->answer.size()] = '\0';
    return true;
}

window_rig::window_rig(std::vector<const char*> words, uint32_t mode)
    : app(std::move(words)), rig(1120, 760, mode), state(app.state)
{
    app_set_file_chooser(answer_dialog, this);
    rig.h.ui = [this](qel_context* ctx) { app_ui_frame(ctx, state); };
    if (!state) return;
    // The machine's own queues are no part of the window's tests.
    set_queues({});
    settle();
}

window_rig::~window_rig()
{
    app_set_file_chooser(nullptr, nullptr);
}

void window_rig::settle(int frames)
{
    rig.h.run(frames);
}

void window_rig::set_queues(std::vector<const char*> names)
{
    state->queue_count = (int32_t)names.size();
    state->queue = 0;
    for (size_t i = 0; i < names.size(); i++) app_copy_text(state->queue_names[i], SPOOL_NAME_SIZE, names[i]);
}

void window_rig::choose(const char* select, const char* item)
{
    click_id(select);
    click_text(item);
}

uint32_t window_rig::id(const char* label)
{
    return qel_id(rig.h.ctx, label);
}

void window_rig::click_id(const char* label)
{
    const qel_vec2 c = rig.centre(id(label));
    EXPECT_GT(c.x, 0) << label << " is not in the window";
    rig.h.click(c.x, c.y);
    settle();
}

void window_rig::click_text(const char* text)
{
    const qel_node* n = node_with_text(rig.h.ctx, text);
    ASSERT_TRUE(n) << text << " is not in the window";
    const float x = n->rect.x + n->rect.w / 2, y = n->rect.y + n->rect.h / 2;
    rig.h.click(x, y);
    settle();
}

bool window_rig::shows(const char* text)
{
    return node_with_text(rig.h.ctx, text) != nullptr;
}
