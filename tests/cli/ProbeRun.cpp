// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ProbeRun.h"

#include <QFile>
#include <QJsonDocument>
#include <QTest>

#include <signal.h>

#ifndef KELVORA_PROBE_PATH
#error "KELVORA_PROBE_PATH must name the built kelvora-probe"
#endif

QString ProbeProgram()
{
    return QStringLiteral(KELVORA_PROBE_PATH);
}

ProbeRun::ProbeRun(const QStringList &arguments, std::function<void()> childSetup,
                   const QProcessEnvironment &environment)
    : process_(std::make_unique<QProcess>())
{
    process_->setProgram(ProbeProgram());
    process_->setArguments(arguments);
    process_->setProcessEnvironment(environment);
    process_->setStandardInputFile(QProcess::nullDevice());
    if (childSetup)
        process_->setChildProcessModifier(std::move(childSetup));
    process_->start();
    process_->waitForStarted();
}

ProbeRun::~ProbeRun()
{
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished();
    }
}

QByteArray ProbeRun::Out()
{
    out_ += process_->readAllStandardOutput();
    return out_;
}

QByteArray ProbeRun::Err()
{
    err_ += process_->readAllStandardError();
    return err_;
}

QList<QByteArray> ProbeRun::OutLines()
{
    QList<QByteArray> lines = Out().split('\n');
    lines.removeLast(); // what follows the last line break
    return lines;
}

QJsonObject JsonObjectOf(const QByteArray &line, QString *error)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error = QStringLiteral("not a JSON object (%1): %2").arg(parseError.errorString(), QString::fromUtf8(line));
        return {};
    }
    return document.object();
}

QList<QJsonObject> ProbeRun::JsonLines()
{
    QList<QJsonObject> objects;
    for (const QByteArray &line : OutLines()) {
        QString error;
        objects << JsonObjectOf(line, &error);
        if (!error.isEmpty())
            QTest::qFail(qPrintable(error), __FILE__, __LINE__);
    }
    return objects;
}

void ProbeRun::Signal(int number)
{
    ::kill(static_cast<pid_t>(process_->processId()), number);
}

bool ProbeRun::Finish(int timeoutMs)
{
    const bool ended = process_->state() == QProcess::NotRunning || process_->waitForFinished(timeoutMs);
    Out();
    Err();
    if (!ended) {
        process_->kill();
        process_->waitForFinished();
    }
    return ended;
}

int ProbeRun::RunToEnd(const QStringList &arguments, QByteArray *out, QByteArray *err, int timeoutMs)
{
    ProbeRun run(arguments);
    const bool ended = run.Finish(timeoutMs);
    if (out != nullptr)
        *out = run.Out();
    if (err != nullptr)
        *err = run.Err();
    return ended && !run.Crashed() ? run.ExitCode() : -1;
}

int ConnectsPendingTo(std::uint16_t port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    int pending = 0;
    // "sl local_address rem_address st ...": addresses in hex, host order of
    // the kernel's words; 0100007F is 127.0.0.1. State 02 is SYN_SENT.
    const QByteArray remote = QByteArray("0100007F:") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[2] == remote && fields[3] == "02")
            ++pending;
    }
    return pending;
}
