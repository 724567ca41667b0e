#include "ui/ui_seams.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMessageBox>
#include <QMimeData>

#include "ui/secret_clipboard.h"

void SystemSeams::warning(QWidget* owner, const QString& text)
{
    QMessageBox::warning(owner, QApplication::applicationName(), text);
}

void SystemSeams::stop(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox::critical(owner, caption, text);
}

int SystemSeams::runModal(QDialog& dialog)
{
    return dialog.exec();
}

bool SystemSeams::putOnClipboard(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr)
        return false;
    clipboard->setMimeData(makeSecretTextMimeData(text));
    return true;
}

std::optional<std::tm> SystemSeams::localTime()
{
    const std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1))
        return std::nullopt;
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &now) != 0)
        return std::nullopt;
#else
    if (localtime_r(&now, &local) == nullptr)
        return std::nullopt;
#endif
    return local;
}

SeedEntropy SystemSeams::seedEntropy()
{
    return systemSeedEntropy();
}
