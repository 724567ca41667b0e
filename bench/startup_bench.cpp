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

#include "settings/program_names.h"
#include "settings/qt_settings_store.h"
#include "settings/setting_table.h"
#include "tests/support/config_home.h"
#include "text/qt_text.h"
#include "ui/dialog_units.h"
#include "ui/ui_seams.h"
#include "ui/veldra_dlg.h"

namespace {

// The same controls with the same texts and font as the main window, placed
// by hand, without any of its logic: what Qt alone costs for this window.
std::unique_ptr<QDialog> minimalDialog()
{
    auto dialog = std::make_unique<QDialog>();
    dialog->setFont(templateFont(QStringLiteral("MS UI Gothic"), 9));
    dialog->setFixedSize(474, 299);
    int n = 0;
    auto at = [&](QWidget* w) {
        w->setGeometry(10 + (n % 4) * 110, 10 + (n / 4) * 12, 100, 20);
        ++n;
    };
    QWidget* parent = dialog.get();
    const char* edits[] = {"10", "TANE", "12345", "2", "3", "4", "5", "6", "7"};
    for (const char* text : edits)
        at(new QLineEdit(QString::fromUtf8(text), parent));
    for (int i = 0; i < 16; ++i)
        at(new QLineEdit(parent));
    for (int i = 0; i < 2; ++i)
        at(new QToolButton(parent));
    at(new QPlainTextEdit(
        QStringLiteral(
            "!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghi\njkmnopqrstuvwxyz"),
        parent));
    for (const char* text : {"文字列", "数字"})
        at(new QRadioButton(QString::fromUtf8(text), parent));
    for (const char* text : {"生成パスワード", "基本設定", "種モード"})
        at(new QGroupBox(QString::fromUtf8(text), parent));
    for (const char* text : {"生成", "削", "割"})
        at(new QPushButton(QString::fromUtf8(text), parent));
    for (const char* text : {"文字数", "文字セット", "文字リスト"})
        at(new QLabel(QString::fromUtf8(text), parent));
    at(new QCheckBox(QStringLiteral("複雑性"), parent));
    auto* combo = new QComboBox(parent);
    combo->addItems({QStringLiteral("default"), QStringLiteral("（追加）")});
    at(combo);
    dialog->setWindowTitle(QStringLiteral("トヴリク (○○さん用)"));
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
    app.setOrganizationName(toQ(SettingsOrganization));
    app.setApplicationName(toQ(StoreApplicationName));
    // The configuration folder to start from (a store left by an earlier
    // start), or a fresh one: a first start.
    QTemporaryDir fresh;
    const ScopedConfigHome home(argc > 2 ? QFile::decodeName(argv[2]) : fresh.path());

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
