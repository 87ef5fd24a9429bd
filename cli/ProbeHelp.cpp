// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/ProbeHelp.h"

#include "cli/ProbeOptions.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

constexpr qsizetype kWidth = 80;
constexpr qsizetype kHelpColumn = 26;

QString Names(const ProbeOption &option)
{
    QString names = option.shortName.isNull() ? QStringLiteral("    ")
                                              : QStringLiteral("-%1, ").arg(option.shortName);
    names += QStringLiteral("--") + option.longName;
    if (option.optionalValue)
        names += QStringLiteral("[=%1]").arg(option.valueName);
    else if (!option.valueName.isEmpty())
        names += QLatin1Char(' ') + option.valueName;
    return names;
}

// `text` in lines of at most kWidth columns, the first after `lead`, the
// others indented to kHelpColumn.
QString Wrapped(const QString &lead, const QString &text)
{
    QString out = lead.size() + 2 > kHelpColumn ? lead + QLatin1Char('\n') + QString(kHelpColumn, u' ')
                                                : lead.leftJustified(kHelpColumn);
    qsizetype column = kHelpColumn;
    bool first = true;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!first && column + 1 + word.size() > kWidth) {
            out += QLatin1Char('\n') + QString(kHelpColumn, u' ');
            column = kHelpColumn;
        } else if (!first) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += word.size();
        first = false;
    }
    return out + QLatin1Char('\n');
}

bool BeginsWord(const QString &text, qsizetype i)
{
    return i == 0 || text[i - 1] == u' ' || text[i - 1] == u'(';
}

// Whether the dash at `i` is one of the dashes that begin an option.
bool OptionDash(const QString &text, qsizetype i)
{
    const bool first = BeginsWord(text, i);
    const bool second = i > 0 && text[i - 1] == u'-' && BeginsWord(text, i - 1);
    const bool followed = i + 1 < text.size() && (text[i + 1].isLetter() || text[i + 1] == u'-');
    return (first || second) && followed;
}

// Text for roff: backslashes escaped, the dashes of options as minus signs,
// and no line that could be taken for a request.
QString Roff(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\')
            out += QStringLiteral("\\e");
        else if (text[i] == u'-' && OptionDash(text, i))
            out += QStringLiteral("\\-");
        else
            out += text[i];
    }
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

QString RoffItalic(const QString &word)
{
    return QStringLiteral("\\fI%1\\fR").arg(word);
}

QString ManEntry(const ProbeOption &option)
{
    QString head = option.shortName.isNull() ? QString() : QStringLiteral("\\fB\\-%1\\fR, ").arg(option.shortName);
    head += QStringLiteral("\\fB\\-\\-%1\\fR").arg(Roff(option.longName));
    if (option.optionalValue)
        head += QStringLiteral("[=%1]").arg(RoffItalic(option.valueName));
    else if (!option.valueName.isEmpty())
        head += QLatin1Char(' ') + RoffItalic(option.valueName);
    QString body = option.help;
    body[0] = body[0].toUpper();
    body = Roff(body + QLatin1Char('.'));
    if (!option.valueName.isEmpty()) {
        const QRegularExpression value(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(option.valueName)));
        body.replace(value, RoffItalic(option.valueName));
    }
    return QStringLiteral(".TP\n%1\n%2\n").arg(head, body);
}

} // namespace

QString HelpText()
{
    QString help = QStringLiteral(
        "Usage: kelvora-probe [options] HOST [PORT]\n"
        "       kelvora-probe [options] TARGET...\n"
        "Checks again and again that TCP port PORT (80 unless given) of HOST can be\n"
        "reached: opens a connection, closes it at once and reports how long that\n"
        "took. Nothing is sent over the connection. The name is resolved anew for\n"
        "each check unless --resolve-once is given.\n"
        "\n"
        "A TARGET is HOST, HOST:PORT or [IPv6]:PORT; an IPv6 address without brackets\n"
        "is never split at a colon. Two arguments of which the second is a number read\n"
        "as HOST PORT, one target; otherwise each argument is a target of its own.\n"
        "Every target has its own schedule, lines and summary; with several, an\n"
        "internet summary follows (see --internet).\n"
        "\n"
        "Options:\n");
    for (const ProbeOption &option : ProbeOptionTable())
        help += Wrapped(QStringLiteral("  ") + Names(option), option.help);
    help += QStringLiteral(
        "\n"
        "While it runs, SIGQUIT (Ctrl+\\) or, on a terminal, the Enter key prints the\n"
        "statistics so far to standard error. It ends after N checks, or on SIGINT\n"
        "(Ctrl+C), SIGTERM or SIGHUP, with a summary: on standard output for text and\n"
        "json, on standard error for csv. A closed output pipe ends it quietly.\n"
        "\n"
        "Exit status: 0 when at least one check succeeded (with several targets: when\n"
        "the internet was up at least once), 1 when none did, 2 for bad usage, a\n"
        "history file that cannot be used or an address --listen cannot listen on,\n"
        "3 when the output could not be written.\n");
    return help;
}

QString ManPageOptionList()
{
    QString list;
    for (const ProbeOption &option : ProbeOptionTable())
        list += ManEntry(option);
    return list;
}
