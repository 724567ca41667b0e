// Time from process start to the first show of the window, and peak memory,
// for the real start-up ("real") or for a minimal dialog with the same
// controls ("minimal"). bench/startup_compare.py runs both and compares.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWindow>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "settings/qt_settings_store.h"
#include "ui/ui_seams.h"
#include "ui/veldra_dlg.h"

namespace {

// The same kinds and number of controls as the main window, without logic.
std::unique_ptr<QDialog> minimalDialog()
{
    auto dialog = std::make_unique<QDialog>();
    dialog->setFixedSize(474, 299);
    int y = 0;
    auto at = [&](QWidget* w) {
        w->setGeometry(10 + (y % 4) * 110, 10 + (y / 4) * 12, 100, 20);
        ++y;
    };
    QWidget* parent = dialog.get();
    for (int i = 0; i < 1 + 7 + 1 + 16; ++i)
        at(new QLineEdit(parent));
    for (int i = 0; i < 2; ++i)
        at(new QToolButton(parent));
    at(new QPlainTextEdit(parent));
    for (int i = 0; i < 2; ++i)
        at(new QRadioButton(QStringLiteral("x"), parent));
    for (int i = 0; i < 3; ++i)
        at(new QGroupBox(QStringLiteral("x"), parent));
    for (int i = 0; i < 3; ++i)
        at(new QPushButton(QStringLiteral("x"), parent));
    for (int i = 0; i < 3; ++i)
        at(new QLabel(QStringLiteral("x"), parent));
    at(new QCheckBox(QStringLiteral("x"), parent));
    at(new QComboBox(parent));
    return dialog;
}

void waitForShown(QWidget& w)
{
    w.show();
    while (!(w.windowHandle() && w.windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer timer;
    timer.start();
    const bool real = argc > 1 && std::strcmp(argv[1], "real") == 0;

    QApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("Ostrel Applications"));
    app.setApplicationName(QStringLiteral("tovrik"));
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());

    if (real) {
        QtSettingsStore store(app.organizationName(), app.applicationName());
        SystemSeams seams;
        CVeldraDlg dialog(store, seams, store.location());
        waitForShown(dialog);
    } else {
        const auto dialog = minimalDialog();
        waitForShown(*dialog);
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("time_ms=%.3f maxrss_kb=%ld\n", ms, usage.ru_maxrss);
    return 0;
}
