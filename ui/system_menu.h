#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QWidget;

// Command identifier of the about item in the window menu.
inline constexpr unsigned AboutCommandId = 0x0010;

// Appends a separator and the about item to the window's native system menu.
// False where the window manager owns that menu (the caller then offers the
// item in a context menu of its own).
bool appendAboutItemToSystemMenu(QWidget* window, const QString& text);

// The command identifier of a native system-menu command message, if the
// message is one.
std::optional<unsigned> systemCommandOf(const QByteArray& eventType, void* message);
