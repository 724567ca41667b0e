#include "ui/system_menu.h"

#include <QWidget>

#ifdef Q_OS_WIN
#include "platform/windows_api.h"
#endif

bool appendAboutItemToSystemMenu(QWidget* window, const QString& text)
{
#ifdef Q_OS_WIN
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window->winId()), FALSE);
    if (menu == nullptr || text.isEmpty())
        return true;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, AboutCommandId, reinterpret_cast<const wchar_t*>(text.utf16()));
    return true;
#else
    (void)window;
    (void)text;
    return false;
#endif
}

void appendSystemMenuItem(QWidget* window, unsigned id, const QString& text)
{
#ifdef Q_OS_WIN
    if (HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window->winId()), FALSE))
        AppendMenuW(menu, MF_STRING, id, reinterpret_cast<const wchar_t*>(text.utf16()));
#else
    (void)window;
    (void)id;
    (void)text;
#endif
}

void renameSystemMenuItem(QWidget* window, unsigned id, const QString& text)
{
#ifdef Q_OS_WIN
    if (HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window->winId()), FALSE))
        ModifyMenuW(menu, id, MF_BYCOMMAND | MF_STRING, id,
                    reinterpret_cast<const wchar_t*>(text.utf16()));
#else
    (void)window;
    (void)id;
    (void)text;
#endif
}

std::optional<unsigned> systemCommandOf(const QByteArray& eventType, void* message)
{
#ifdef Q_OS_WIN
    if (eventType == "windows_generic_MSG") {
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_SYSCOMMAND)
            return static_cast<unsigned>(msg->wParam);
    }
#else
    (void)eventType;
    (void)message;
#endif
    return std::nullopt;
}
