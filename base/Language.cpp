// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <array>

namespace {

struct LanguageRow {
    Language language;
    const char16_t *code;
    QLocale::Language locale;
};

constexpr std::array kLanguages{
    LanguageRow{Language::Russian, u"ru", QLocale::Russian},
    LanguageRow{Language::English, u"en", QLocale::English},
};

const LanguageRow &RowOf(Language language)
{
    for (const LanguageRow &row : kLanguages) {
        if (row.language == language)
            return row;
    }
    return kLanguages.front();
}

// "de-Latn-DE" -> "de"; "C" stays "C".
QStringView PrimaryTag(QStringView tag)
{
    const qsizetype end = tag.indexOf(u'-') >= 0 ? tag.indexOf(u'-') : tag.indexOf(u'_');
    return end >= 0 ? tag.left(end) : tag;
}

Language current = Language::Russian;
QPointer<QTranslator> kelvoraTranslator;
QPointer<QTranslator> qtTranslator;

void RemoveInstalled()
{
    for (QPointer<QTranslator> *installed : {&kelvoraTranslator, &qtTranslator}) {
        if (*installed) {
            QCoreApplication::removeTranslator(*installed);
            delete installed->data();
        }
    }
}

} // namespace

std::optional<Language> LanguageFromCode(QStringView code)
{
    for (const LanguageRow &row : kLanguages) {
        if (code == QStringView(row.code))
            return row.language;
    }
    return std::nullopt;
}

QString LanguageCode(Language language)
{
    return QString::fromUtf16(RowOf(language).code);
}

QString LanguageCodes()
{
    QStringList codes;
    for (const LanguageRow &row : kLanguages)
        codes << QString::fromUtf16(row.code);
    return codes.join(QStringLiteral(", "));
}

Language LanguageForUiLanguages(const QStringList &uiLanguages)
{
    if (uiLanguages.isEmpty())
        return Language::Russian;
    for (const QString &tag : uiLanguages) {
        const QStringView primary = PrimaryTag(tag);
        if (primary == u"C" || primary == u"POSIX")
            return Language::Russian;
        if (const auto language = LanguageFromCode(primary.toString().toLower()))
            return *language;
    }
    return Language::English;
}

Language SystemLanguage()
{
    return LanguageForUiLanguages(QLocale::system().uiLanguages());
}

QLocale LanguageLocale(Language language, const QLocale &system)
{
    const QLocale::Language wanted = RowOf(language).locale;
    return system.language() == wanted ? system : QLocale(wanted);
}

bool LoadKelvoraTranslation(QTranslator &translator, Language language)
{
    return translator.load(QStringLiteral(":/i18n/kelvora_%1.qm").arg(LanguageCode(language)));
}

bool UseLanguage(Language language)
{
    RemoveInstalled();
    current = language;
    QCoreApplication *application = QCoreApplication::instance();
    if (application == nullptr)
        return false;
    auto *own = new QTranslator(application);
    if (!LoadKelvoraTranslation(*own, language)) {
        delete own;
        return false;
    }
    QCoreApplication::installTranslator(own);
    kelvoraTranslator = own;
    if (language != Language::English) {
        auto *qt = new QTranslator(application);
        if (qt->load(QStringLiteral("qtbase_%1").arg(LanguageCode(language)),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(qt);
            qtTranslator = qt;
        } else {
            delete qt;
        }
    }
    return true;
}

Language CurrentLanguage()
{
    return current;
}
