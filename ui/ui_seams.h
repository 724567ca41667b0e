#pragma once

#include <QMessageBox>
#include <QString>

#include <ctime>
#include <memory>
#include <optional>

#include "settings/load_save.h"

class ReportSelection;
class QDialog;
class QWidget;

// Everything the window asks of the platform beyond its own widgets: message
// boxes, modal sub-dialogs, the clipboard, the clock and the start-up
// entropy. The program uses SystemSeams; tests answer without blocking.
class UiSeams {
public:
    virtual ~UiSeams() = default;

    // A warning box with an OK button, captioned with the application's name.
    virtual void warning(QWidget* owner, const QString& text) = 0;
    // A warning box that asks: true when the user chose the button of
    // acceptText, false for the other one, "保存しない(&N)", which Esc and Enter
    // choose.
    virtual bool confirm(QWidget* owner, const QString& text, const QString& acceptText) = 0;
    // A stop box with an OK button and the given caption.
    virtual void stop(QWidget* owner, const QString& caption, const QString& text) = 0;
    // Runs a dialog modally; returns its result (QDialog::Accepted or Rejected).
    virtual int runModal(QDialog& dialog) = 0;
    // Puts Unicode text on the clipboard; false when the clipboard cannot be had.
    virtual bool putOnClipboard(const QString& text) = 0;
    // The window is ending, and still has the focus: on Wayland the last
    // report is put on the clipboard once more (see ReportSelection).
    virtual void renewClipboard() = 0;
    virtual std::optional<std::tm> localTime() = 0;
    virtual SeedEntropy seedEntropy() = 0;
};

// A message box with an OK button over the owner's window, in that window's
// font (a window does not pass its font on to the boxes it opens).
QMessageBox* buildMessageBox(QMessageBox::Icon icon, QWidget* owner, const QString& caption,
                             const QString& text);

class SystemSeams : public UiSeams {
public:
    SystemSeams();
    ~SystemSeams() override;

    void warning(QWidget* owner, const QString& text) override;
    bool confirm(QWidget* owner, const QString& text, const QString& acceptText) override;
    void stop(QWidget* owner, const QString& caption, const QString& text) override;
    int runModal(QDialog& dialog) override;
    // On Wayland through a ReportSelection.
    bool putOnClipboard(const QString& text) override;
    void renewClipboard() override;
    // Before the program ends: lets a Wayland compositor take the last report.
    void serveClipboard();
    std::optional<std::tm> localTime() override;
    SeedEntropy seedEntropy() override;

private:
    std::unique_ptr<ReportSelection> reports_; // on Wayland only
};
