#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QWidget;

// Command identifiers of the window menu's own items: the about box, and
// the owner key.
inline constexpr unsigned AboutCommandId = 0x0010;
inline constexpr unsigned OwnerKeyCommandId = 0x0020;

// Appends a separator and the about item to the window's native system menu.
// False where the window manager owns that menu (the caller then offers the
// item in a context menu of its own).
bool appendAboutItemToSystemMenu(QWidget* window, const QString& text);
// Appends a further item to that menu, or gives an item there a new text.
void appendSystemMenuItem(QWidget* window, unsigned id, const QString& text);
void renameSystemMenuItem(QWidget* window, unsigned id, const QString& text);

// The command identifier of a native system-menu command message, if the
// message is one.
std::optional<unsigned> systemCommandOf(const QByteArray& eventType, void* message);
