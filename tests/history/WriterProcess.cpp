// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "WriterProcess.h"

#include <QRegularExpression>

#include <csignal>

#ifndef KELVORA_HISTORY_WRITER
#error "KELVORA_HISTORY_WRITER must come from the build"
#endif

QString WriterProgram()
{
    return QStringLiteral(KELVORA_HISTORY_WRITER);
}

WriterProcess::WriterProcess(const QStringList &arguments)
    : process_(std::make_unique<QProcess>())
{
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->setStandardInputFile(QProcess::nullDevice());
    process_->start(WriterProgram(), arguments);
}

WriterProcess::~WriterProcess()
{
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(5000);
    }
}

void WriterProcess::Read()
{
    pending_ += process_->readAllStandardOutput();
    qsizetype end = 0;
    while ((end = pending_.indexOf('\n')) >= 0) {
        const QByteArray line = pending_.left(end);
        pending_.remove(0, end + 1);
        const QList<QByteArray> words = line.split(' ');
        if (line.startsWith("r ") && words.size() == 3) {
            recorded_ = words[1].toULongLong();
            times_.append(words[2].toLongLong());
        } else if (line.startsWith("c ") && words.size() == 2) {
            committed_ = words[1].toULongLong();
        } else if (line.startsWith("done ")) {
            static const QRegularExpression form(QStringLiteral("^done run=(\\d+) checks=(\\d+)$"));
            const auto match = form.match(QString::fromLatin1(line));
            run_ = match.captured(1).toLongLong();
            done_ = match.captured(2).toULongLong();
        } else if (line.startsWith("failed: ")) {
            failure_ = line;
        }
    }
}

std::optional<std::int64_t> WriterProcess::TimeOf(std::uint64_t n) const
{
    if (n == 0 || n > static_cast<std::uint64_t>(times_.size()))
        return std::nullopt;
    return times_[static_cast<qsizetype>(n - 1)];
}

void WriterProcess::Kill()
{
    ::kill(static_cast<pid_t>(process_->processId()), SIGKILL);
}

bool WriterProcess::Finish(int timeoutMs)
{
    const bool ended = process_->waitForFinished(timeoutMs);
    Read();
    return ended;
}
