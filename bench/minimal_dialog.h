#pragma once

#include <QDialog>

#include <memory>

// The same controls with the same texts and font as the main window, placed
// by hand, without any of its logic: what Qt alone costs for this window.
// The start-up comparisons measure the window against it.
std::unique_ptr<QDialog> minimalDialog();
