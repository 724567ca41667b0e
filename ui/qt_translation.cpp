#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool loadQtJapanese(QTranslator& translator)
{
    // Qt's own folder, or a "translations" folder beside the executable, as
    // a self-contained installation has it.
    const QString folders[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
    };
    for (const QString& folder : folders)
        if (translator.load(QStringLiteral("qtbase_ja"), folder))
            return true;
    return false;
}
