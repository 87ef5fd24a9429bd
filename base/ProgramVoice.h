// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>
#include <QStringView>

#include <string_view>

// What both programs say in the same words: the usage error line, the
// --version text, and the end of a program whose output could not be
// written. `program` is the name as the binary spells it ("kelvora",
// "kelvora-probe").

// Exit status when the output could not be written (a full disk, an I/O
// error; not a closed pipe).
inline constexpr int kOutputFailedStatus = 3;

// "<program>: <problem>. Try '<program> --help'." and a line break.
// `problem` is one line without a full stop at its end.
QString UsageErrorLine(QStringView program, QStringView problem);

// The program's name and version on the first line, then the copyright and
// the licence, as GNU programs give them.
QString VersionText(QStringView program);

// "<program>: cannot write standard output: <reason>" and a line break,
// for the error number of a failed write.
QString OutputFailedLine(QStringView program, int error);

// Writes `text` whole to standard output (blocking). On any error but a
// closed pipe, says OutputFailedLine on standard error and returns
// kOutputFailedStatus; else returns `status`.
int PrintOrFail(QStringView program, std::string_view text, int status);

// The error number of a failed write of `text` to `fd`, or 0 when it was
// written whole. EINTR is retried; a descriptor made non-blocking by someone
// else is waited for.
int WriteWhole(int fd, std::string_view text) noexcept;
