// The theme switcher and toggle: their ids, glyphs and texts and the mode they set. The controls
// are choice_controls.cpp's and button.cpp's.
#include "qel/theme_controls.h"

#include "qel/button.h"
#include "qel/choice_controls.h"
#include "qel/icons.h"
#include "qel/id.h"
#include "qel/theme.h"
#include "kit/widget_nodes.h"

static const char SUN_GLYPH[] = QEL_ICON_SUN;
static const char MOON_GLYPH[] = QEL_ICON_MOON;
static const char MONITOR_GLYPH[] = QEL_ICON_MONITOR;

bool qel_theme_switcher(qel_context* ctx, uint32_t* choice, bool with_system)
{
    static const char* const labels[] = {"##theme-light", "##theme-dark", "##theme-system"};
    static const char* icons[] = {SUN_GLYPH, MOON_GLYPH, MONITOR_GLYPH};
    uint32_t own = 0;
    uint32_t* c = choice ? choice : &own;
    uint32_t last = with_system ? 2 : 1;
    if (*c > last) *c = qel_dark_mode(ctx) ? 1 : 0;
    qel_segmented_opts o = {};
    o.size = 1;
    o.icons = icons;
    int32_t selected = (int32_t)*c;
    bool changed = qel_segmented(ctx, "##theme-switcher", labels, (int32_t)last + 1, &selected, &o);
    *c = (uint32_t)selected;
    if (changed && *c < 2) qel_theme_set_mode(ctx, *c);
    return changed;
}

bool qel_theme_toggle(qel_context* ctx)
{
    bool dark = qel_dark_mode(ctx);
    qel_push_id(ctx, "##theme-toggle");
    qel_button_opts o = {};
    o.tooltip = dark ? "Switch to light" : "Switch to dark";
    bool clicked = qel_icon_button(ctx, dark ? SUN_GLYPH : MOON_GLYPH, &o);
    qel_pop_id(ctx);
    if (clicked) qel_theme_set_mode(ctx, dark ? QEL_THEME_LIGHT : QEL_THEME_DARK);
    return clicked;
}
