#pragma once

#include <QIcon>
#include <QString>

// The application icon from the resources: the SVG where Qt's SVG icon
// engine is installed with Qt (Linux), and on Windows, whose Qt is built
// without SVG, the ICO file rendered from it at build time.
// The resources are compiled into a static library, whose objects the
// linker keeps only when something refers to them: hence the explicit
// initialisation.
inline QIcon appIcon()
{
#ifdef Q_OS_WIN
    Q_INIT_RESOURCE(windows_icon);
    return QIcon(QStringLiteral(":/tovrik.ico"));
#else
    Q_INIT_RESOURCE(tovrik);
    return QIcon(QStringLiteral(":/tovrik.svg"));
#endif
}
