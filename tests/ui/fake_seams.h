#pragma once

#include <QApplication>
#include <QDialog>

#include <deque>
#include <functional>
#include <vector>

#include "ui/ui_seams.h"

// Answers every platform request of the window at once and records it.
class FakeSeams : public UiSeams {
public:
    struct Message {
        QString kind; // "warning", "confirm" or "stop"
        QString caption;
        QString text;
        QWidget* owner;
        bool ownerShown; // the owner's window was on the screen
    };
    // What the user does in a modal dialog; returns the dialog's result.
    using ModalScript = std::function<int(QDialog&)>;

    std::vector<Message> messages;
    std::deque<ModalScript> modalScripts;
    int modalRuns = 0;
    bool confirmAnswer = false; // what the user answers a confirm box
    std::vector<QString> clipboard;
    bool clipboardAvailable = true;
    std::function<void()> onClipboardRenewal = [] {};
    std::optional<std::tm> now;
    SeedEntropy entropy{1234567, 4242, std::u16string(u"HOST")};

    FakeSeams()
    {
        std::tm t{};
        t.tm_year = 2026 - 1900;
        t.tm_mon = 11;
        t.tm_mday = 10;
        t.tm_hour = 9;
        t.tm_min = 5;
        t.tm_sec = 7;
        now = t;
    }

    // A message box takes the keyboard focus while it is open.
    void warning(QWidget* owner, const QString& text) override
    {
        messages.push_back({QStringLiteral("warning"), QString(), text, owner, shown(owner)});
        takeFocus();
    }
    bool confirm(QWidget* owner, const QString& text, const QString& acceptText) override
    {
        messages.push_back({QStringLiteral("confirm"), acceptText, text, owner, shown(owner)});
        takeFocus();
        return confirmAnswer;
    }
    void stop(QWidget* owner, const QString& caption, const QString& text) override
    {
        messages.push_back({QStringLiteral("stop"), caption, text, owner, shown(owner)});
        takeFocus();
    }
    // Shows the dialog without a nested loop, lets the script act, and
    // closes it with the script's result.
    int runModal(QDialog& dialog) override
    {
        ++modalRuns;
        dialog.setResult(QDialog::Rejected);
        dialog.setWindowModality(Qt::ApplicationModal); // as exec() makes it
        dialog.show();
        int result = QDialog::Rejected;
        if (!modalScripts.empty()) {
            ModalScript script = std::move(modalScripts.front());
            modalScripts.pop_front();
            result = script(dialog);
        }
        dialog.hide();
        return result;
    }
    bool putOnClipboard(const QString& text) override
    {
        if (!clipboardAvailable)
            return false;
        clipboard.push_back(text);
        return true;
    }
    void renewClipboard() override { onClipboardRenewal(); }
    std::optional<std::tm> localTime() override { return now; }

    static bool shown(const QWidget* owner) { return owner && owner->window()->isVisible(); }

    static void takeFocus()
    {
        if (QWidget* focused = QApplication::focusWidget())
            focused->clearFocus();
    }
    SeedEntropy seedEntropy() override { return entropy; }
};
