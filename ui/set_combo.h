#pragma once

#include <QComboBox>

// The set selector. Closed, it shows as much of the selected name as fits,
// elided in the middle, so that names that differ only at their end (a
// numbered series) stay apart; its tooltip gives the whole name.
class SetCombo : public QComboBox {
    Q_OBJECT
public:
    explicit SetCombo(QWidget* parent = nullptr);

    // The selected name as the closed selector draws it.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
