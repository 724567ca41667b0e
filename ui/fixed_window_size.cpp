#include "ui/fixed_window_size.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>

#include "ui/wayland_platform.h"

namespace {

constexpr Qt::WindowStates LargeStates = Qt::WindowMaximized | Qt::WindowFullScreen;

// Watches the window's states on behalf of setFixedWindowSize.
class SizeKeeper : public QObject {
    Q_OBJECT
public:
    explicit SizeKeeper(QWidget& window) : QObject(&window), window_(window)
    {
        window.installEventFilter(this);
    }

    void setSize(QSize size)
    {
        size_ = size;
        if (!lifted_)
            window_.setFixedSize(size);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The native window exists once the window is shown.
        if (watched == &window_ && event->type() == QEvent::Show)
            watch(window_.windowHandle());
        // The compositor's word on the state comes as a spontaneous event;
        // the window's own request changes the state before it is granted.
        // The size it gives with it comes next: the fixed size goes back
        // once that is in place, or it would be taken for the fixed one,
        // unless the window has asked for a large state meanwhile.
        else if (watched == native_ && event->type() == QEvent::WindowStateChange &&
                 event->spontaneous()) {
            restorePending_ = !(native_->windowStates() & LargeStates);
            if (restorePending_)
                QTimer::singleShot(0, this, [this] {
                    if (std::exchange(restorePending_, false))
                        restore();
                });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void watch(QWindow* native)
    {
        if (native == nullptr || native == native_)
            return;
        if (native_) {
            native_->removeEventFilter(this);
            disconnect(native_, nullptr, this, nullptr);
        }
        native_ = native;
        native->installEventFilter(this);
        // Emitted as soon as the title bar asks, before the compositor
        // answers with the new size.
        connect(native, &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
            if (state & LargeStates)
                lift();
        });
    }

    void lift()
    {
        restorePending_ = false;
        if (lifted_)
            return;
        lifted_ = true;
        window_.setMinimumSize(0, 0);
        window_.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }

    void restore()
    {
        if (!lifted_)
            return;
        lifted_ = false;
        window_.setFixedSize(size_);
    }

    QWidget& window_;
    QPointer<QWindow> native_;
    QSize size_;
    bool lifted_ = false;
    bool restorePending_ = false;
};

} // namespace

void setFixedWindowSize(QWidget& window, QSize size)
{
    if (!onWaylandPlatform()) {
        window.setFixedSize(size);
        return;
    }
    auto* keeper = window.findChild<SizeKeeper*>(QString(), Qt::FindDirectChildrenOnly);
    if (keeper == nullptr)
        keeper = new SizeKeeper(window);
    keeper->setSize(size);
}

#include "fixed_window_size.moc"
