// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// One run of an outside program with its whole output, for tests that check
// files with the system's own tools.
struct ToolRun {
    bool started = false;
    bool finished = false; // ended by itself within the time allowed
    int exitCode = -1;     // valid when finished
    QString out;
    QString err;

    bool Succeeded() const { return finished && exitCode == 0; }
    // "dpkg-deb --contents x.deb: exit 2: <standard error>", for messages.
    QString Describe() const;
    QString command;
};

// Runs `program` with `arguments`, standard input closed, and waits up to
// `timeoutMs`; a run that takes longer is killed and reported unfinished.
ToolRun RunTool(const QString &program, const QStringList &arguments, int timeoutMs = 60000,
                const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                const QString &workingDirectory = QString());

// Whether `program` is found on PATH.
bool HaveTool(const QString &program);

// The last `count` lines of `text`.
QString LastLines(const QString &text, int count);
