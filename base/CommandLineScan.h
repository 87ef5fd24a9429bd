// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

// The words of a command line split into options and operands by a table of
// option names, the way GNU programs read them, in one pass:
//
//   --name, --name=VALUE, --name VALUE   a long option (exact names only)
//   -x, -xVALUE, -x VALUE, -qD           short options, several in one word
//   --                                   ends the options: operands follow
//   -                                    an operand
//
// A value option takes the next word whatever it looks like ("-c -1" gives
// --count the value "-1"). An option whose value is optional takes one only
// when it is attached ("--history=FILE", "-HFILE"); written alone
// ("--history FILE") the next word stays a word of its own. Options and
// operands may come in any order.
//
// With SingleDashWords::LongNames a single-dash word names a long option
// ("-style fusion", "-style=fusion"; Qt's own options are written so), and a
// one-letter one may name a short option ("-h").
//
// With ShortLetters, a word that looks like a negative number ("-1", "-.5")
// is an operand unless the table has a short option of that digit, so that
// the caller can say what is wrong with it as a value.
//
// The first word that cannot be read ends the scan with `problem` set: one
// line without the program's name, the word shown safely (ShownText):
//   unknown option '--x'
//   option '--count' needs a value
//   option '--quiet' takes no value
struct OptionName {
    QString longName; // without the dashes; empty for none
    QChar shortName;  // QChar() for none
    bool takesValue = false;
    // With takesValue false: a value may be attached, but need not be.
    bool optionalValue = false;
};

enum class SingleDashWords { ShortLetters, LongNames };

struct ScannedOption {
    std::size_t index = 0; // into the table
    QString spelled;       // the option as written, without a value: "-c", "--count"
    QString value;         // empty for a switch
    // Whether a value was given, even an empty one ("--history=").
    bool valueGiven = false;
};

struct ScannedOperand {
    QString text;
    bool afterEndOfOptions = false; // came after "--"
};

struct ScannedCommandLine {
    std::vector<ScannedOption> options; // in the order given
    std::vector<ScannedOperand> operands;
    QString problem; // empty when every word was read
};

// `words` without the program's name.
ScannedCommandLine ScanCommandLine(const QStringList &words, std::span<const OptionName> table,
                                   SingleDashWords mode);

// The program's arguments (without its name) as text, each of which must be
// valid UTF-8; else nullopt with `problem` set to one line naming the
// argument, shown safely: "argument '\xff' is not valid UTF-8".
std::optional<QStringList> DecodedArguments(const QList<QByteArray> &arguments, QString *problem);

// The problem line of a value that an option or operand refuses, the value
// shown safely: "--count: bad value '0': expected a whole number ...".
QString BadValueProblem(QStringView what, QStringView value, QStringView expected);
