// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The languages the window speaks. Russian is the window's first language;
// English is the one for a desktop in any language Kelvora does not have.
// A new language is a new enumerator, a row in Language.cpp's table and a
// translations/kelvora_<code>.ts.
enum class Language { Russian, English };

// "ru" and "en"; nothing for any other code.
std::optional<Language> LanguageFromCode(QStringView code);
QString LanguageCode(Language language);
// The codes --language takes, for its help and its refusal: "ru, en".
QString LanguageCodes();

// The first of the user's interface languages, in the order
// QLocale::uiLanguages() gives them ("de-DE", "de", "en-US", ...), that
// Kelvora has; English when it has none of them. The C and POSIX locales,
// and a list with nothing in it, are a machine with no language set: they
// mean Russian, the window's original language.
Language LanguageForUiLanguages(const QStringList &uiLanguages);
// The same for this process's environment (LANGUAGE, LC_ALL, LC_MESSAGES,
// LANG, as QLocale::system() reads them).
Language SystemLanguage();

// Where numbers, dates and times of `language` are formatted: the system's
// own locale when it is of that language (so an English desktop in Britain
// keeps its day-month order), else the language's main locale.
QLocale LanguageLocale(Language language, const QLocale &system = QLocale::system());

// Loads Kelvora's compiled-in translation of `language` into `translator`.
// False only when the program was built without it.
class QTranslator;
bool LoadKelvoraTranslation(QTranslator &translator, Language language);

// Puts `language` in force in the running application, in place of the one
// before: Kelvora's own texts, and for a language other than English Qt's
// own (qtbase_<code>.qm from QLibraryInfo's translations folder; without
// that file Qt's widgets keep their English words). Needs the application
// object. Returns false when Kelvora's translation could not be loaded.
bool UseLanguage(Language language);
// The language last put in force; Russian before any.
Language CurrentLanguage();
