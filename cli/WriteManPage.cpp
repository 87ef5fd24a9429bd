// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// kelvora-probe-manpage TEMPLATE OUTPUT: the build's writer of the manual
// page. Copies TEMPLATE to OUTPUT with the marker line replaced by the option
// list made from the program's option table (ManPageOptionList).

#include "cli/ProbeHelp.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {

constexpr char kMarker[] = ".\\\" The option list, made from the program's option table, goes here.\n";

int Fail(const QString &problem)
{
    std::fprintf(stderr, "kelvora-probe-manpage: %s\n", problem.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return Fail(QStringLiteral("usage: kelvora-probe-manpage TEMPLATE OUTPUT"));
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly))
        return Fail(input.fileName() + QStringLiteral(": ") + input.errorString());
    QByteArray page = input.readAll();
    const qsizetype marker = page.indexOf(kMarker);
    if (marker < 0)
        return Fail(input.fileName() + QStringLiteral(": no marker line for the option list"));
    page.replace(marker, qsizetype(sizeof kMarker - 1), ManPageOptionList().toUtf8());
    QSaveFile output(QString::fromLocal8Bit(argv[2]));
    if (!output.open(QIODevice::WriteOnly) || output.write(page) != page.size() || !output.commit())
        return Fail(output.fileName() + QStringLiteral(": ") + output.errorString());
    return 0;
}
