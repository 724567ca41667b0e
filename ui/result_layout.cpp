#include "ui/result_layout.h"

#include "ui/dialog_units.h"

namespace {

// Boxes side by side leave one pixel between them; rows of boxes stand four
// pixels apart.
constexpr int Gap = 1, RowGap = 4;
constexpr int Columns = 4;
// The window grows by 23 pixels at level 3 and by 46 more at level 4: the
// design's own figures, a little less than a row each.
constexpr int Level3Growth = 23, Level4Growth = Level3Growth + 46;

} // namespace

std::optional<ResultLayout> resultLayoutOf(int level)
{
    if (level < 0 || level >= SpreadLevels)
        return std::nullopt;
    // Box 1 in pixels; every shape spans its width.
    const QRect span = UiGothic9.rect(FirstResultBoxUnits.x(), FirstResultBoxUnits.y(),
                                      FirstResultBoxUnits.width(), FirstResultBoxUnits.height());
    const int width = (span.width() - (Columns - 1) * Gap) / Columns;
    const int stepX = width + Gap, stepY = span.height() + RowGap;

    ResultLayout layout;
    for (int k = 0; k < PasswordCount; ++k)
        layout.boxes[static_cast<std::size_t>(k)] =
            QRect(span.left() + stepX * (k % Columns), span.top() + stepY * (k / Columns), width,
                  span.height());
    if (level == 0)
        layout.boxes[0] = span;
    if (level == 1) {
        const int half = (span.width() + Gap) / 2;
        layout.boxes[0] = QRect(span.left(), span.top(), half, span.height());
        layout.boxes[1] =
            QRect(span.left() + half + Gap, span.top(), span.width() - half - Gap, span.height());
    }
    layout.shown = 1 << level;
    layout.growth = level == 3 ? Level3Growth : level == 4 ? Level4Growth : 0;
    return layout;
}
