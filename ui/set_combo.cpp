#include "ui/set_combo.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

SetCombo::SetCombo(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::currentTextChanged, this, &QWidget::setToolTip);
}

QString SetCombo::shownText() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    // The style draws the label one pixel inside the field on either side.
    return fontMetrics().elidedText(option.currentText, Qt::ElideMiddle, field.width() - 2);
}

void SetCombo::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
