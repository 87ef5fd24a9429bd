// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text from outside the program (an argument, a file name) as a message may
// echo it to a terminal: nothing in it can move the cursor, start an escape
// sequence, break the line or turn the direction of the text around.
//
// Every character that does not print is escaped: C0 controls and DEL as
// \xNN, C1 controls, format characters (the bidirectional embeddings,
// overrides, isolates and marks among them), the line and paragraph
// separators, surrogates, private-use and unassigned code points as \uNNNN
// (\UNNNNNNNN above the BMP); a backslash as \\ so that the escapes stay
// unambiguous. Past `limit` characters of the result, the rest is left out
// and "..." ends it; a negative limit shows everything.
inline constexpr qsizetype kShownTextLimit = 40;

QString ShownText(QStringView text, qsizetype limit = kShownTextLimit);

// True when `text` holds a character that does not print, as above (a
// backslash does print).
bool HoldsNonPrinting(QStringView text);

// Bytes that are not valid UTF-8, shown the same way: printable ASCII as it
// is, every other byte as \xNN.
QString ShownBytes(QByteArrayView bytes, qsizetype limit = kShownTextLimit);
