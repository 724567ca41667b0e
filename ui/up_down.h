#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An up-down control bound to a numeric buddy edit: its arrows (and the
// arrow keys in the buddy) step the number within the range, and its
// position follows the buddy's text whenever that text is a number in range.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    void setBuddy(QLineEdit* buddy);
    void setRange(int lower, int upper);
    void setPosition(int position);
    // What a screen reader calls the control and its two arrows.
    void setAccessibleNames(const QString& name, const QString& up, const QString& down);
    // The buddy's number when it is valid and in range, else the last
    // position that was.
    int position() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void step(int delta);

    QLineEdit* buddy_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
    int lower_ = 0;
    int upper_ = 100;
    mutable int position_ = 0;
};
