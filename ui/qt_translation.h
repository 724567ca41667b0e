#pragma once

class QTranslator;

// Loads Qt's own texts in Japanese (the edits' menus, the standard buttons),
// so that they speak the window's language whatever the system's is. False
// when Qt's Japanese translation is not installed: those texts then stay
// in English.
bool loadQtJapanese(QTranslator& translator);
