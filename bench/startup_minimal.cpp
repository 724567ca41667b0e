// The bare dialog that tovrik.exe's start-up is measured against under Wine
// (bench/startup_compare_wine.py): the window's controls, texts and font in
// a plain dialog, run modally as the window runs, and nothing else.
#include <QApplication>

#include "bench/minimal_dialog.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    minimalDialog()->exec();
    return 0;
}
