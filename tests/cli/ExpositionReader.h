// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

// A strict reader of Prometheus' text exposition format, enough to hold a
// writer to its rules: each family's # HELP and # TYPE come once, before its
// samples; a family's samples come together; names and label names have
// their allowed characters; label values use only the escapes \\, \" and \n;
// values are floats (or +Inf, -Inf, NaN); every line ends in a line break.
// A histogram's samples are <name>_bucket (with le), <name>_sum and
// <name>_count; a summary's are <name> (with quantile), <name>_sum and
// <name>_count.
struct ExpositionSample {
    QString name;                  // as written, with any _bucket/_sum/_count
    QMap<QString, QString> labels; // unescaped values
    double value = 0;
    QString valueText;
};

struct ExpositionFamily {
    QString name;
    QString type;
    QString help;
    QList<ExpositionSample> samples;
};

std::optional<QList<ExpositionFamily>> ReadExposition(const QByteArray &text, QString *error);
