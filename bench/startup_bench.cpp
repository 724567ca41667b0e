// Time from process start to the first show of the window, and peak memory,
// for the real start-up ("real") or for a minimal dialog with the same
// controls ("minimal"). bench/startup_compare.py runs both and compares.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWindow>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

#include "bench/minimal_dialog.h"
#include "settings/setting_table.h"
#include "settings/user_settings_store.h"
#include "tests/support/config_home.h"
#include "text/qt_text.h"
#include "ui/ui_seams.h"
#include "ui/veldra_dlg.h"

namespace {

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
    const StoreIdentity identity = StoreIdentity::ofWindow();
    app.setOrganizationName(identity.organization);
    app.setApplicationName(identity.application);
    // The configuration folder to start from (a store left by an earlier
    // start), or a fresh one: a first start.
    QTemporaryDir fresh;
    const ScopedConfigHome home(argc > 2 ? QFile::decodeName(argv[2]) : fresh.path());

    if (real) {
        UserSettingsStore store(identity);
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
