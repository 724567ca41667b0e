#pragma once

#include <QApplication>

#include "settings/store_identity.h"
#include "ui/qt_translation.h"

// The application object: names the settings store and runs the main
// dialog modally; the program ends with the dialog.
class CVeldraApp : public QApplication {
    Q_OBJECT
public:
    CVeldraApp(int& argc, char** argv);

    int run();

private:
    // The window's language, and Qt's own texts in it, for the whole run.
    UiTranslation translation_;
    // The store of this window: named after the executable, so that a
    // renamed copy keeps settings of its own.
    StoreIdentity store_;
};
