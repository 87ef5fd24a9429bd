// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "base/ProgramVoice.h"

#include "base/Version.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

QString UsageErrorLine(QStringView program, QStringView problem)
{
    return QStringLiteral("%1: %2. Try '%1 --help'.\n").arg(program, problem);
}

QString VersionText(QStringView program)
{
    return QStringLiteral("%1 %2\n"
                          "Copyright (C) %3.\n"
                          "License MIT: <https://opensource.org/licenses/MIT>.\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n")
        .arg(program, QLatin1String(kKelvoraVersion), QString::fromUtf8(kKelvoraCopyright));
}

int WriteWhole(int fd, std::string_view text) noexcept
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written >= 0) {
            text.remove_prefix(static_cast<std::size_t>(written));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd ready{fd, POLLOUT, 0};
            ::poll(&ready, 1, -1);
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

QString OutputFailedLine(QStringView program, int error)
{
    return QStringLiteral("%1: cannot write standard output: %2\n")
        .arg(program, QString::fromLocal8Bit(std::strerror(error)));
}

int PrintOrFail(QStringView program, std::string_view text, int status)
{
    const int error = WriteWhole(STDOUT_FILENO, text);
    if (error == 0 || error == EPIPE)
        return status;
    WriteWhole(STDERR_FILENO, OutputFailedLine(program, error).toStdString());
    return kOutputFailedStatus;
}
