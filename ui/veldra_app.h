#pragma once

#include <QApplication>

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
};
