#include "ui/result_layout.h"

namespace {

// The grid: four columns 82 pixels apart, rows 25 pixels apart.
constexpr int Left = 38, Top = 246, StepX = 82, StepY = 25;
constexpr int Width = 81, Height = 21;
// One box alone, and two side by side, span the same 327 pixels as a row
// of four with their one-pixel gaps.
constexpr int SingleWidth = 327, HalfWidth = 164, SecondLeft = 203, SecondWidth = 162;
// The window grows by 23 pixels at level 3 and by 46 more at level 4.
constexpr int Level3Growth = 23, Level4Growth = Level3Growth + 46;

} // namespace

std::optional<ResultLayout> resultLayoutOf(int level)
{
    if (level < 0 || level >= SpreadLevels)
        return std::nullopt;
    ResultLayout layout;
    for (int k = 0; k < PasswordCount; ++k)
        layout.boxes[static_cast<std::size_t>(k)] =
            QRect(Left + StepX * (k % 4), Top + StepY * (k / 4), Width, Height);
    if (level == 0)
        layout.boxes[0] = QRect(Left, Top, SingleWidth, Height);
    if (level == 1) {
        layout.boxes[0] = QRect(Left, Top, HalfWidth, Height);
        layout.boxes[1] = QRect(SecondLeft, Top, SecondWidth, Height);
    }
    layout.shown = 1 << level;
    layout.growth = level == 3 ? Level3Growth : level == 4 ? Level4Growth : 0;
    return layout;
}
