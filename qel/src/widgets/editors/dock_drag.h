// Tab drag and drop inside a dockspace: the dockspace's begin runs the drag and its end draws
// the overlay and the ghost.
#pragma once

#include "qel/dockspace.h"

// A press on a tab, the drag's phases, the drop target under the pointer, the drop itself and
// the animations; in the dockspace's begin, before anything is built.
void qel_dock_drag_update(qel_context* ctx, qel_dock_frame* f);

// Hands the container the overlay's draw callback and builds the ghost while dragging.
void qel_dock_drag_finish(qel_context* ctx, qel_dock_frame* f);
