#pragma once

#include <QIcon>
#include <QString>

// The application icon from the resources: the SVG where Qt's SVG icon
// engine is installed with Qt (Linux), and on Windows, whose Qt is built
// without SVG, the ICO file rendered from it at build time.
inline QIcon appIcon()
{
#ifdef Q_OS_WIN
    return QIcon(QStringLiteral(":/tovrik.ico"));
#else
    return QIcon(QStringLiteral(":/tovrik.svg"));
#endif
}
