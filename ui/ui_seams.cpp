#include "ui/ui_seams.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

#include <ctime>
#include <memory>
#include <utility>

#include "engine/local_time.h"
#include "settings/system_entropy.h"
#include "ui/secret_clipboard.h"

QMessageBox* buildMessageBox(QMessageBox::Icon icon, QWidget* owner, const QString& caption,
                             const QString& text)
{
    auto* box = new QMessageBox(icon, caption, text, QMessageBox::Ok, owner);
    if (owner != nullptr)
        box->setFont(owner->window()->font());
    return box;
}

void SystemSeams::warning(QWidget* owner, const QString& text)
{
    const std::unique_ptr<QMessageBox> box(
        buildMessageBox(QMessageBox::Warning, owner, QApplication::applicationName(), text));
    box->exec();
}

bool SystemSeams::confirm(QWidget* owner, const QString& text, const QString& acceptText)
{
    const std::unique_ptr<QMessageBox> box(
        buildMessageBox(QMessageBox::Warning, owner, QApplication::applicationName(), text));
    box->setStandardButtons(QMessageBox::NoButton);
    QPushButton* accept = box->addButton(acceptText, QMessageBox::AcceptRole);
    QPushButton* keep = box->addButton(QStringLiteral("保存しない(&N)"), QMessageBox::RejectRole);
    box->setDefaultButton(keep);
    box->setEscapeButton(keep);
    box->exec();
    return box->clickedButton() == accept;
}

void SystemSeams::stop(QWidget* owner, const QString& caption, const QString& text)
{
    const std::unique_ptr<QMessageBox> box(
        buildMessageBox(QMessageBox::Critical, owner, caption, text));
    box->exec();
}

int SystemSeams::runModal(QDialog& dialog)
{
    return dialog.exec();
}

SystemSeams::SystemSeams() : clipboardTimer_(std::make_unique<QTimer>())
{
    clipboardTimer_->setSingleShot(true);
    clipboardTimer_->setInterval(ClipboardSettleTime);
    QObject::connect(clipboardTimer_.get(), &QTimer::timeout, [this] { flushClipboard(); });
}

SystemSeams::~SystemSeams()
{
    flushClipboard();
}

// On Wayland a selection carries the serial of an input event, and a
// compositor may refuse one whose serial is not newer than that of the
// selection it holds (Weston does). Qt gives the serial of the latest input
// it has read, not that of the input being handled, and lets go of its
// previous selection at once. So two reports for input read together (quick
// clicks on 割 while a generation saves or the window resizes) can carry one
// serial: the second is refused and the first withdrawn, which leaves the
// clipboard empty or, on Weston, with the compositor's copy of an older
// report and without its secret mark. There the report waits until no other
// has followed it for a moment, by when Qt has handled the input it read,
// and only the last one goes out.
bool SystemSeams::putOnClipboard(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    if (QGuiApplication::platformName() != u"wayland") {
        clipboard->setMimeData(makeSecretTextMimeData(text));
        return true;
    }
    waiting_ = text;
    clipboardTimer_->start();
    return true;
}

void SystemSeams::flushClipboard()
{
    clipboardTimer_->stop();
    if (!waiting_)
        return;
    const QString text = *std::exchange(waiting_, std::nullopt);
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setMimeData(makeSecretTextMimeData(text));
}

std::optional<std::tm> SystemSeams::localTime()
{
    return currentLocalTime();
}

SeedEntropy SystemSeams::seedEntropy()
{
    return systemSeedEntropy();
}
