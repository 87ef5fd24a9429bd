// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A strict reader of CSV as RFC 4180 has it: records end in CR LF (the last
// one may lack it), fields are split by commas, a field that holds a comma,
// a quote, CR or LF is in quotes with its quotes doubled. Anything else (a
// lone CR or LF, a quote inside an unquoted field, text after a closing
// quote, an unclosed quote) is refused with a reason, so a test sees a
// writer's slip instead of a lenient guess.
std::optional<QList<QStringList>> ReadCsv(const QByteArray &text, QString *error);
