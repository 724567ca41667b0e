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
#include "ui/report_selection.h"
#include "ui/secret_clipboard.h"
#include "ui/wayland_platform.h"

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
    QPushButton* keep = box->addButton(QCoreApplication::translate("UiSeams", "保存しない(&N)"),
                                       QMessageBox::RejectRole);
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

SystemSeams::SystemSeams()
{
    if (onWaylandPlatform())
        reports_ = std::make_unique<ReportSelection>();
}

SystemSeams::~SystemSeams() = default;

bool SystemSeams::putOnClipboard(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    if (reports_)
        reports_->put(text);
    else
        clipboard->setMimeData(makeSecretTextMimeData(text));
    return true;
}

void SystemSeams::renewClipboard()
{
    if (reports_)
        reports_->renew();
}

void SystemSeams::serveClipboard()
{
    if (reports_)
        reports_->serve();
}

std::optional<std::tm> SystemSeams::localTime()
{
    return currentLocalTime();
}

SeedEntropy SystemSeams::seedEntropy()
{
    return systemSeedEntropy();
}
