#pragma once

#include <QStringList>
#include <QTranslator>

// The languages the window speaks: Japanese, its own (the texts in the
// code), and English, from the translation made at build time.
enum class UiLanguage { Japanese, English };

// Japanese for a user whose first UI language is Japanese, and in the C
// locale, where the program keeps its own language; English for every other
// language. uiLanguages is what QLocale::system().uiLanguages() gives.
UiLanguage uiLanguageOf(const QStringList& uiLanguages);

// Where the window's translations are: a "translations" folder beside the
// program (a Windows folder, the build tree), then the data folder of an
// installation on Linux.
QStringList translationFolders();

// Loads Qt's own texts (the edits' menus, the standard buttons) in the
// language, from Qt's folder or a "translations" folder beside the
// program. False when Qt's translation is not installed.
bool loadQtTexts(QTranslator& translator, UiLanguage language);

// Qt's texts and the window's in one language, installed into the
// application for as long as this object lives. Without the window's
// English texts the window stays Japanese, Qt's texts with it, so that no
// window mixes the two languages.
class UiTranslation {
public:
    explicit UiTranslation(UiLanguage wanted, const QStringList& folders = translationFolders());
    ~UiTranslation();
    UiTranslation(const UiTranslation&) = delete;
    UiTranslation& operator=(const UiTranslation&) = delete;

    UiLanguage language() const { return language_; }

private:
    QTranslator qtTexts_;
    QTranslator windowTexts_;
    UiLanguage language_ = UiLanguage::Japanese;
};
