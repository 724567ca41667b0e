#pragma once

#include <QApplication>

// The application object: names the settings store and runs the main
// dialog modally; the program ends with the dialog.
class CVeldraApp : public QApplication {
    Q_OBJECT
public:
    CVeldraApp(int& argc, char** argv);

    int run();
};
