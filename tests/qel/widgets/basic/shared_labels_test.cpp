// A caller's slip: widgets of other kinds given a text field's label. Each keeps a record of its
// own kind under the shared id, so neither reads the other's bytes as its own (a text field's
// record holds its undo snapshots, which a foreign write would turn into wild pointers).
#include <gtest/gtest.h>

#include <cstring>

#include "qel/qel.h"
#include "support/widget_rig.h"

namespace {

struct partner_values {
    float number = 40;
    int32_t choice = 1;
    uint32_t tab = 1;
    bool on = true;
};

struct partner_case {
    const char* name;
    void (*show)(qel_context* ctx, partner_values* v);
};

const char* const choices[] = {"Day", "Week", "Month"};
const qel_tab_item tabs[] = {{"Day", nullptr, nullptr, 0}, {"Week", nullptr, nullptr, 1}};

const partner_case partners[] = {
    {"drag number", [](qel_context* ctx, partner_values* v) { qel_drag_number(ctx, "When", &v->number, 0, 100, nullptr); }},
    {"segmented", [](qel_context* ctx, partner_values* v) { qel_segmented(ctx, "When", choices, 3, &v->choice, nullptr); }},
    {"toggle chip", [](qel_context* ctx, partner_values* v) { qel_toggle_chip(ctx, "When", &v->on, nullptr); }},
    {"tab bar", [](qel_context* ctx, partner_values* v) { qel_tab_bar(ctx, "When", tabs, 2, &v->tab, nullptr); }},
};

}  // namespace

TEST(SharedLabels, ATextFieldAndAnotherKindOfWidgetKeepTheirOwnRecords)
{
    for (const partner_case& p : partners) {
        SCOPED_TRACE(p.name);
        char text[64] = "noon";
        partner_values v;
        {
            widget_rig rig;
            rig.h.ui = [&](qel_context* ctx) {
                board_begin(ctx);
                qel_input_text(ctx, "When", text, sizeof text, nullptr);
                p.show(ctx, &v);
                qel_container_end(ctx);
            };
            rig.h.run(2);
            qel_set_focus(rig.h.ctx, qel_id(rig.h.ctx, "When"), false);
            for (const char* word : {" on", " Friday", " next"}) {
                rig.h.type(word);
                rig.h.run(3);
                rig.h.tap(QEL_KEY_Z, QEL_MOD_CTRL);
                rig.h.type("!");
                rig.h.run(3);
            }
        }  // the context's end frees what each record holds
        EXPECT_LT(strlen(text), sizeof text);
        EXPECT_EQ(v.number, 40) << "nothing dragged it";
    }
}
