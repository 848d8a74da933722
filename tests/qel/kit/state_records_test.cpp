// Owned state records: a record of another kind or size under the same id is dropped, its
// destructor run, and the new owner starts from zeros; the owner's own record lasts.
#include "kit/state_records.h"

#include <gtest/gtest.h>

#include "qel/state.h"
#include "support/qel_fixture.h"

static int g_records_dropped;
static void count_dropped_record(qel_context*, void*)
{
    g_records_dropped++;
}

TEST_F(QelTest, StateRecordsOfAnotherKindOrSizeStartAfresh)
{
    g_records_dropped = 0;
    auto* a = (uint32_t*)qel_state_record(ctx, 7, 8, 1);
    a[0] = 11;
    qel_state_set_destructor(ctx, 7, count_dropped_record);
    EXPECT_EQ(((uint32_t*)qel_state_record(ctx, 7, 8, 1))[0], 11u) << "the owner reads its own record";

    auto* b = (uint32_t*)qel_state_record(ctx, 7, 8, 2);
    EXPECT_EQ(b[0], 0u) << "same size, another kind";
    EXPECT_EQ(g_records_dropped, 1);
    b[0] = 22;
    auto* c = (uint8_t*)qel_state_record(ctx, 7, 3, 2);
    EXPECT_EQ(c[0], 0) << "same kind, another size";
    EXPECT_EQ(g_records_dropped, 1) << "the destructor went with the first owner";
}
