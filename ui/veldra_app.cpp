#include "ui/veldra_app.h"

#include <QFileInfo>
#include <QTranslator>

#include "settings/qt_settings_store.h"
#include "ui/qt_translation.h"
#include "ui/ui_seams.h"
#include "ui/veldra_dlg.h"

CVeldraApp::CVeldraApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Ostrel Applications"));
    // The store's application level is the executable's base name.
    setApplicationName(QFileInfo(applicationFilePath()).completeBaseName());
    // Docks find the desktop entry, and with it the icon, by this name.
    setDesktopFileName(QStringLiteral(TOVRIK_APP_ID));
    auto* qtTexts = new QTranslator(this);
    if (loadQtJapanese(*qtTexts))
        installTranslator(qtTexts);
}

int CVeldraApp::run()
{
    QtSettingsStore store(organizationName(), applicationName());
    SystemSeams seams;
    CVeldraDlg dialog(store, seams, store.location());
    setWindowIcon(dialog.icon);
    dialog.exec();
    return 0;
}
