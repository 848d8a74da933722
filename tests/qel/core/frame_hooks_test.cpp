#include "core/frame_hooks.h"

#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "qel_headless.h"
#include "support/qel_fixture.h"

// Two modules that write what their hooks saw into a log the test owns.
static std::string hook_log;

struct logged {
    char name;
    int32_t begins;
};

template <char Name>
static void log_moment(qel_context*, void* record, char moment)
{
    auto* r = (logged*)record;
    r->name = Name;
    hook_log += moment;
    hook_log += Name;
}

template <char Name>
static const qel_frame_hooks HOOKS = {
    Name == 'a' ? 20 : 10,
    sizeof(logged),
    [](qel_context* ctx, void* r) {
        ((logged*)r)->begins++;
        log_moment<Name>(ctx, r, 'B');
    },
    [](qel_context* ctx, void* r) { log_moment<Name>(ctx, r, 'E'); },
    [](qel_context* ctx, void* r) { log_moment<Name>(ctx, r, 'R'); },
    [](qel_context* ctx, void* r) { log_moment<Name>(ctx, r, 'D'); },
    [](qel_context*, void*) { return Name == 'a' ? 1 : 2; },
};

TEST(FrameHooks, ModulesRegisterAtTheirFirstCallAndRunInOrder)
{
    hook_log.clear();
    alloc_counter counter;
    qel_config config = counting_config(&counter);
    qel_context* ctx = qel_ctx_create(&config);
    EXPECT_EQ(qel_frame_hooks_find(ctx, &HOOKS<'a'>), nullptr) << "finding registers nothing";
    EXPECT_EQ(qel_keys_blocked(ctx), 0);

    auto* a = (logged*)qel_frame_hooks_record(ctx, &HOOKS<'a'>);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->begins, 0) << "a new record is zeroed";
    EXPECT_EQ(qel_frame_hooks_record(ctx, &HOOKS<'a'>), a) << "one record per module";
    EXPECT_EQ(qel_keys_blocked(ctx), 1);
    qel_frame_hooks_record(ctx, &HOOKS<'b'>);  // registered later, but of a lower order
    EXPECT_EQ(qel_keys_blocked(ctx), 2) << "the module that blocks most decides";

    qel_begin_frame(ctx, 0.01f);
    qel_end_frame(ctx);
    qel_ctx_set_renderer(ctx, nullptr);
    EXPECT_EQ(a->begins, 1);
    qel_ctx_destroy(ctx);
    EXPECT_EQ(hook_log, "BbBaEbEaRbRaDbDa");
    EXPECT_EQ(counter.live, 0) << "the records go with the context";
}

// A module that registers another from its own hook: the new one waits for the next moment.
static const qel_frame_hooks LATE = {0, 4, [](qel_context*, void*) { hook_log += "late"; }, nullptr, nullptr, nullptr,
                                     nullptr};
static const qel_frame_hooks EARLY = {5, 4, [](qel_context* ctx, void*) { qel_frame_hooks_record(ctx, &LATE); },
                                      nullptr, nullptr, nullptr, nullptr};

TEST(FrameHooks, AModuleRegisteredDuringAMomentWaitsForTheNext)
{
    hook_log.clear();
    qel_headless h;
    qel_frame_hooks_record(h.ctx, &EARLY);
    h.run();
    EXPECT_EQ(hook_log, "");
    h.run();
    EXPECT_EQ(hook_log, "late");
}
