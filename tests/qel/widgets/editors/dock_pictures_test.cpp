// The dockspace as the software renderer draws it, in light and dark: three groups in splits,
// and a tab dragged over a group's strip with the zone buttons, the preview, the insertion marker
// and the ghost showing.
#include <gtest/gtest.h>

#include "dock_rig.h"

class DockPictures : public themed_pictures {
protected:
    DockPictures() : themed_pictures("qel/dock_") {}
};

static void three_groups(dock_rig& d)
{
    ASSERT_TRUE(d.load("dock1 h0.3([*Files,Search],v0.6([*Editor,Preview],[*Console]))"));
    for (const char* name : {"Files", "Search", "Editor", "Preview", "Console"}) d.add(name, true);
    d.panels[0].icon = QEL_ICON_FOLDER;
    d.run(4);
}

TEST_P(DockPictures, ThreeGroupsInSplits)
{
    dock_rig d(640, 400, GetParam());
    three_groups(d);
    EXPECT_TRUE(shows(d.rig, "three_groups"));
}

TEST_P(DockPictures, ATabDraggedOverAGroup)
{
    dock_rig d(640, 400, GetParam());
    three_groups(d);
    qel_rect preview = d.tab_rect("Preview");
    d.drag_to("Files", preview.x + preview.w + 60, preview.y + preview.h / 2);  // past the last tab
    d.rig.h.run(2);
    EXPECT_TRUE(shows(d.rig, "drag"));
}

INSTANTIATE_TEST_SUITE_P(Themes, DockPictures, theme_modes(), theme_name);
