#include "kit/scopes.h"

#include <gtest/gtest.h>

#include "qel_headless.h"
#include "support/qel_inspect.h"

namespace {

struct outer_scope {
    int32_t value;
};

struct inner_scope {
    int32_t value;
};

}  // namespace

TEST(Scopes, TypedRecordsNestAndPopWhereverTheyLie)
{
    qel_headless h;
    int32_t found[6] = {};
    h.ui = [&](qel_context* ctx) {
        EXPECT_EQ(qel_scope_find<outer_scope>(ctx), nullptr);
        qel_scope_push<outer_scope>(ctx)->value = 1;
        qel_scope_push<inner_scope>(ctx)->value = 2;
        qel_scope_push<outer_scope>(ctx)->value = 3;
        found[0] = qel_scope_find<outer_scope>(ctx)->value;  // the innermost of its type
        found[1] = qel_scope_find<inner_scope>(ctx)->value;
        found[2] = qel_scope_count<outer_scope>(ctx);
        EXPECT_TRUE(qel_scope_pop<inner_scope>(ctx));  // under an outer one opened after it
        found[3] = qel_scope_find<outer_scope>(ctx)->value;
        EXPECT_FALSE(qel_scope_pop<inner_scope>(ctx)) << "none left of its type";
        EXPECT_TRUE(qel_scope_pop<outer_scope>(ctx));
        found[4] = qel_scope_find<outer_scope>(ctx)->value;
        found[5] = inspect_open_scopes(ctx);  // the first outer one is left open
    };
    h.run();
    EXPECT_EQ(found[0], 3);
    EXPECT_EQ(found[1], 2);
    EXPECT_EQ(found[2], 2);
    EXPECT_EQ(found[3], 3);
    EXPECT_EQ(found[4], 1);
    EXPECT_EQ(found[5], 1);
    h.ui = [&](qel_context* ctx) { found[0] = inspect_open_scopes(ctx); };
    h.run();
    EXPECT_EQ(found[0], 0) << "frame begin empties what a frame left open";
}

TEST(Scopes, NewRecordsAreZeroed)
{
    qel_headless h;
    h.ui = [](qel_context* ctx) {
        qel_scope_push<outer_scope>(ctx)->value = 7;
        qel_scope_pop<outer_scope>(ctx);
        EXPECT_EQ(qel_scope_push<outer_scope>(ctx)->value, 0);
    };
    h.run();
}
