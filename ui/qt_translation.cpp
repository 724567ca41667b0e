// How a new text of the window is translated: write it in Japanese inside
// tr() (or QT_TR_NOOP / QT_TRANSLATE_NOOP where it is a constant), run
// `cmake --build build --target update_translations` to add it to
// ui/translations/tovrik_en.ts, give it its English text there (in Qt
// Linguist or an editor) without the "unfinished" mark, and build: lrelease
// makes the .qm file, and the test Translations.CompleteAndCurrent fails
// while a text has no English.
#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace {

QString qtTextsName(UiLanguage language)
{
    return language == UiLanguage::English ? QStringLiteral("qtbase_en")
                                           : QStringLiteral("qtbase_ja");
}

bool loadFrom(QTranslator& translator, const QString& name, const QStringList& folders)
{
    for (const QString& folder : folders)
        if (translator.load(name, folder))
            return true;
    return false;
}

} // namespace

UiLanguage uiLanguageOf(const QStringList& uiLanguages)
{
    if (uiLanguages.isEmpty())
        return UiLanguage::Japanese;
    const QLocale::Language first = QLocale(uiLanguages.first()).language();
    return first == QLocale::Japanese || first == QLocale::C ? UiLanguage::Japanese
                                                             : UiLanguage::English;
}

QStringList translationFolders()
{
    const QString here = QCoreApplication::applicationDirPath();
    return {here + QStringLiteral("/translations"),
            here + QStringLiteral("/" TOVRIK_INSTALLED_TRANSLATIONS)};
}

bool loadQtTexts(QTranslator& translator, UiLanguage language)
{
    return loadFrom(translator, qtTextsName(language),
                    {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                     QCoreApplication::applicationDirPath() + QStringLiteral("/translations")});
}

UiTranslation::UiTranslation(UiLanguage wanted, const QStringList& folders)
{
    if (wanted == UiLanguage::English &&
        loadFrom(windowTexts_, QStringLiteral(TOVRIK_TRANSLATION_NAME "_en"), folders)) {
        language_ = UiLanguage::English;
        QCoreApplication::installTranslator(&windowTexts_);
    }
    if (loadQtTexts(qtTexts_, language_))
        QCoreApplication::installTranslator(&qtTexts_);
}

UiTranslation::~UiTranslation()
{
    QCoreApplication::removeTranslator(&qtTexts_);
    QCoreApplication::removeTranslator(&windowTexts_);
}
