#pragma once

#include <QObject>

#include <memory>

class QDialog;

// The signals that end a session or its terminal (SIGTERM at logout,
// SIGHUP, SIGINT) reach the program as received() in its event loop,
// instead of ending it on the spot with its lock file left behind. A signal
// that was ignored when the program started (nohup) stays ignored; where
// the system has no such signals, received() never comes. One at a time
// in a process; the handlers that were in place come back when it goes.
class EndSignals : public QObject {
    Q_OBJECT
public:
    EndSignals();
    ~EndSignals() override;

    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

signals:
    void received();

private:
    struct Handlers;
    std::unique_ptr<Handlers> handlers_;
};

// Ends a running modal dialog as Esc would, saving nothing: the menus,
// dialogs and message boxes open over it close first, each as Esc closes
// it, then the dialog itself is rejected.
void endLikeEscape(QDialog& dialog);
