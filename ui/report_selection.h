#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <chrono>
#include <memory>

class QMimeData;

// The reports' place on a Wayland clipboard. A compositor takes a new
// selection only for input newer than that of the selection it holds, and
// the window's toolkit gives the serial of the latest input it has read,
// which may be input it has not handled yet: a report set while such input
// waits and one set for that input would carry one serial, and the second
// would be refused while the first was withdrawn. So while the window holds
// the clipboard, a new report takes the place of the last one's text in the
// selection it holds, at once and without a new request; only when another
// program has taken the clipboard does a report make a new selection.
//
// Compositors that keep the clipboard for when its owner has gone (Weston,
// GNOME) copy a selection when it is made. So as the window ends, a report
// that changed the selection is made a selection once more, with the serial
// of the input that ends the window, and the program gives the compositor a
// moment to take it.
class ReportSelection {
public:
    ReportSelection();
    ~ReportSelection();

    void put(const QString& text);
    // The window is ending (and still has the focus).
    void renew();
    // Returns once the selection made last has been read, or ServeTime after
    // it was made; at once when nothing was made in that time.
    void serve();

    static constexpr std::chrono::milliseconds ServeTime{500};

private:
    void select(const QString& text);

    QPointer<QMimeData> selected_; // the data of the selection made last
    bool replaced_ = false;        // its text has changed since
    std::shared_ptr<bool> read_;
    QElapsedTimer sinceSelected_;
};
