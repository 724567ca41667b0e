#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QStyleOptionButton>

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

// A static text at a template rectangle (in dialog units). It never clips
// its text: where the font is wider than the template's, the label grows
// away from the control it names (leftwards when right-aligned).
inline QLabel* templateLabel(QWidget* parent, const DialogUnits& du, const QString& text,
                             const QRect& units, Qt::Alignment align = Qt::AlignLeft)
{
    auto* label = new QLabel(text, parent);
    QRect r = du.rect(units.x(), units.y(), units.width(), units.height());
    const QSize needed = label->sizeHint();
    if (needed.width() > r.width()) {
        if (align & Qt::AlignRight)
            r.setLeft(r.right() + 1 - needed.width());
        else
            r.setWidth(needed.width());
    }
    r.setHeight(std::max(r.height(), needed.height()));
    label->setGeometry(r);
    label->setAlignment(align | Qt::AlignTop);
    return label;
}

// Where a check box or radio button draws its text: beside its indicator.
inline int textRoom(const QAbstractButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const QStyle::SubElement contents = qobject_cast<const QCheckBox*>(&button)
                                            ? QStyle::SE_CheckBoxContents
                                            : QStyle::SE_RadioButtonContents;
    return button.style()->subElementRect(contents, &option, &button).width();
}

// A check box or radio button placed at its template rectangle never clips
// its text either: where the text is wider than the room beside the
// indicator, the button grows on its text's side (leftwards for a box
// whose text stands left of it), into the template's free space.
inline void growToText(QAbstractButton& button)
{
    const int missing =
        button.fontMetrics().size(Qt::TextShowMnemonic, button.text()).width() - textRoom(button);
    if (missing <= 0)
        return;
    QRect r = button.geometry();
    if (button.layoutDirection() == Qt::RightToLeft)
        r.setLeft(r.left() - missing);
    else
        r.setWidth(r.width() + missing);
    button.setGeometry(r);
}
