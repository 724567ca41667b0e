#pragma once

#include <QRect>

#include <array>
#include <optional>

#include "engine/generate.h"

// Result box 1 in the main window's template, in dialog units: where it
// stands at level 0, and what the grid of the other levels is made from.
inline constexpr QRect FirstResultBoxUnits(22, 164, 189, 14);

// Where the sixteen result boxes stand at one spread level, in the main
// window's client pixels. Spread levels 0 to 4 show the first 1, 2, 4, 8
// or 16 boxes: one wide box, two half boxes, then rows of four, all over
// the span of box 1.
struct ResultLayout {
    // How much taller than in the template the window and the result
    // group are: one more row at level 3, three more at level 4.
    int growth = 0;
    // Every box's place; a hidden box keeps its place in the grid.
    std::array<QRect, PasswordCount> boxes;
    int shown = 1; // the first `shown` boxes are visible
};

// The layout of a level from 0 to 4; nothing for any other level.
std::optional<ResultLayout> resultLayoutOf(int level);
