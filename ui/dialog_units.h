#pragma once

#include <QFont>
#include <QRect>

#include <cmath>

// Dialog templates are laid out in dialog units; a unit's size in pixels
// follows from the template font's average character size.
struct DialogUnits {
    double x; // pixels per horizontal unit
    double y; // pixels per vertical unit

    int px(double units) const { return static_cast<int>(std::lround(units * x)); }
    int py(double units) const { return static_cast<int>(std::lround(units * y)); }
    QRect rect(int left, int top, int width, int height) const
    {
        return {px(left), py(top), px(width), py(height)};
    }
};

// The main dialog and the about box: "MS UI Gothic" 9 point.
inline constexpr DialogUnits UiGothic9{1.73, 1.5};
// The add-set dialog: "MS Shell Dlg" 8 point.
inline constexpr DialogUnits ShellDlg8{1.5, 1.625};

// A template's font: its own family first, then the Japanese Gothic faces
// a desktop without it has.
inline QFont templateFont(const QString& family, int points)
{
    QFont font;
    font.setFamilies({family, QStringLiteral("MS UI Gothic"), QStringLiteral("IPAGothic"),
                      QStringLiteral("IPAexGothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("Noto Sans JP")});
    font.setPointSize(points);
    return font;
}
