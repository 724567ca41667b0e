#include "ui/veldra_app.h"

#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include <optional>
#include <string>

#include "settings/setting_table.h"
#include "settings/store_lock.h"
#include "settings/user_settings_store.h"
#include "text/qt_text.h"
#include "ui/end_signals.h"
#include "ui/guarded_store.h"
#include "ui/owner_key_store.h"
#include "ui/ui_seams.h"
#include "ui/veldra_dlg.h"

CVeldraApp::CVeldraApp(int& argc, char** argv)
    : QApplication(argc, argv), translation_(uiLanguageOf(QLocale::system().uiLanguages())),
      store_(StoreIdentity::ofWindow(QFileInfo(applicationFilePath()).completeBaseName()))
{
    setOrganizationName(store_.organization);
    setApplicationName(store_.application);
    // Docks find the desktop entry, and with it the icon, by this name.
    setDesktopFileName(QStringLiteral(TOVRIK_APP_ID));
}

int CVeldraApp::run()
{
    // From the start, so that a window ended at logout always releases its
    // lock: the dialog then ends as Esc ends it.
    const EndSignals ending;
    std::optional<UserSettingsStore> opened;
    opened.emplace(store_);
    // Held for the whole run, so that tovrik-settings does not write what
    // this window's next save would undo. A store that is not the user's
    // own needs none: the window never writes it.
    std::optional<WindowLock> lock;
    if (opened->access() != StoreAccess::Refused)
        // Without a place for the lock (a store folder that fails the
        // store's checks), the store warns of itself and nothing is held.
        if (Result<WindowLockPlace> place = windowLockPlace(*opened)) {
            lock.emplace(std::move(place.value()));
            // A write of tovrik-settings may have ended while the lock was
            // sought: the window starts from what it left.
            opened.emplace(store_);
        }
    GuardedStore store(*opened);
    SystemSeams seams;
    CVeldraDlg dialog(store, seams, opened->location());
    WindowOwnerKeyStore keys(store, store_);
    dialog.setOwnerKeyStore(keys);
    // Asked once: the start-up save makes the store, whatever the answer.
    if (opened->access() == StoreAccess::Absent)
        dialog.askOwnerKeyAtFirstStart();
    setWindowIcon(dialog.icon());
    connect(&ending, &EndSignals::received, &dialog, [&dialog] { endLikeEscape(dialog); });
    if (!store.saving())
        QTimer::singleShot(0, &dialog, [&] { warnAboutUnsavedStore(&dialog, seams, store); });
    dialog.exec();
    seams.serveClipboard();
    return 0;
}
