#include "ui/veldra_app.h"

#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include <optional>
#include <string>

#include "settings/memory_settings_store.h"
#include "settings/qt_settings_store.h"
#include "settings/setting_table.h"
#include "settings/store_lock.h"
#include "text/qt_text.h"
#include "ui/end_signals.h"
#include "ui/ui_seams.h"
#include "ui/veldra_dlg.h"

namespace {

// Why the window works without its store, naming the path, and the
// store's own line on it, which tells the exact reason (an environment
// variable, say).
QString unusableStoreMessage(StoreAccess access, const QString& location, const QString& problem)
{
    const QString reason =
        access == StoreAccess::Refused
            ? CVeldraApp::tr(
                  "設定ファイルが安全ではないため使いません（ほかのユーザーのもの、"
                  "ほかのユーザーが書き込めるもの、または通常のファイルではありません）。"
                  "設定は読み込まず、保存もしません。")
            : CVeldraApp::tr("設定ファイルを読み込めません。設定は読み込まず、保存もしません。");
    return reason + QStringLiteral("\n\n") + CVeldraDlg::tr("保存先: %1").arg(location) +
           QStringLiteral("\n\n") + problem;
}

} // namespace

CVeldraApp::CVeldraApp(int& argc, char** argv)
    : QApplication(argc, argv), translation_(uiLanguageOf(QLocale::system().uiLanguages()))
{
    setOrganizationName(toQ(SettingsOrganization));
    // The store's application level is the executable's base name.
    setApplicationName(QFileInfo(applicationFilePath()).completeBaseName());
    // Docks find the desktop entry, and with it the icon, by this name.
    setDesktopFileName(QStringLiteral(TOVRIK_APP_ID));
}

int CVeldraApp::run()
{
    // From the start, so that a window ended at logout always releases its
    // lock: the dialog then ends as Esc ends it.
    const EndSignals ending;
    std::optional<QtSettingsStore> opened;
    opened.emplace(organizationName(), applicationName());
    const auto isUsable = [&opened] {
        return opened->access() == StoreAccess::Ours || opened->access() == StoreAccess::Absent;
    };
    bool usable = isUsable();
    // A store that is not the user's own, or that could not be read, is
    // neither trusted nor overwritten: the window starts afresh and keeps
    // its changes in memory.
    MemorySettingsStore unsaved;
    // Held for the whole run, so that tovrik-settings does not write what
    // this window's next save would undo. A store the window leaves alone
    // needs none.
    std::optional<WindowLock> lock;
    std::string why;
    if (usable)
        if (std::optional<WindowLockPlace> place = windowLockPlace(*opened, why)) {
            lock.emplace(std::move(*place));
            // A write of tovrik-settings may have ended while the lock was
            // sought: the window starts from what it left.
            opened.emplace(organizationName(), applicationName());
            usable = isUsable();
        }
    QtSettingsStore& store = *opened;
    SystemSeams seams;
    CVeldraDlg dialog(usable ? static_cast<SettingsStore&>(store) : unsaved, seams,
                      store.location());
    setWindowIcon(dialog.icon());
    connect(&ending, &EndSignals::received, &dialog, [&dialog] { endLikeEscape(dialog); });
    if (!usable)
        QTimer::singleShot(0, &dialog, [&] {
            seams.warning(&dialog,
                          unusableStoreMessage(store.access(), store.location(), store.problem()));
        });
    dialog.exec();
    seams.serveClipboard();
    return 0;
}
