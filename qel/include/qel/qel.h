// Everything a program needs to use the toolkit.
#pragma once

#include "qel/anim.h"
#include "qel/arena.h"
#include "qel/color.h"
#include "qel/context.h"
#include "qel/draw.h"
#include "qel/font.h"
#include "qel/frame.h"
#include "qel/id.h"
#include "qel/input.h"
#include "qel/layout.h"
#include "qel/state.h"
#include "qel/text.h"
#include "qel/text_units.h"
#include "qel/theme.h"
#include "qel/types.h"
