#include "ui/up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    setFocusPolicy(Qt::NoFocus);
    for (QToolButton* button : {up_, down_}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
    }
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDown::setBuddy(QLineEdit* buddy)
{
    buddy_ = buddy;
    buddy_->installEventFilter(this);
}

void UpDown::setRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
}

void UpDown::setPosition(int position)
{
    position_ = std::clamp(position, lower_, upper_);
    if (buddy_) {
        buddy_->setText(QString::number(position_));
        buddy_->setCursorPosition(0); // as a Windows buddy edit shows it
    }
}

void UpDown::setAccessibleNames(const QString& name, const QString& up, const QString& down)
{
    setAccessibleName(name);
    up_->setAccessibleName(up);
    down_->setAccessibleName(down);
}

int UpDown::position() const
{
    if (buddy_) {
        bool ok = false;
        const int value = buddy_->text().toInt(&ok);
        if (ok && value >= lower_ && value <= upper_)
            position_ = value;
    }
    return position_;
}

void UpDown::step(int delta)
{
    setPosition(position() + delta);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}
