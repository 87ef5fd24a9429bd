// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ToolRun.h"

#include <QProcess>
#include <QStandardPaths>

QString ToolRun::Describe() const
{
    QString state;
    if (!started)
        state = QStringLiteral("did not start");
    else if (!finished)
        state = QStringLiteral("did not end in time");
    else if (exitCode < 0)
        state = QStringLiteral("ended by a signal");
    else
        state = QStringLiteral("exit %1").arg(exitCode);
    return QStringLiteral("%1: %2\n%3%4").arg(command, state, LastLines(out, 40), LastLines(err, 40));
}

ToolRun RunTool(const QString &program, const QStringList &arguments, int timeoutMs,
                const QProcessEnvironment &environment, const QString &workingDirectory)
{
    ToolRun run;
    run.command = (QStringList{program} + arguments).join(QLatin1Char(' '));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    run.started = process.waitForStarted(10000);
    if (!run.started)
        return run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished(5000);
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

bool HaveTool(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QString LastLines(const QString &text, int count)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > count)
        lines = lines.mid(lines.size() - count);
    return lines.join(QLatin1Char('\n'));
}
