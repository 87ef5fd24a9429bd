// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

#include <cstdint>

// Texts of the two error boxes.

// The error box message: a "." is appended when the text is not empty and its
// last character has a code above that of "." (letters, digits, ":" ...); a
// text ending in ".", "!", ")", ",", "-", a blank or another character of
// lower code is kept as it is.
QString WithFullStop(const QString &message);

// The start-up failure text, "Exception <class> in module <module> at
// <address>.\r\n<message>[.]\r\n", the address as 8 upper-case hexadecimal
// digits and a "." added unless the message is empty or already ends in ".".
QString StartupErrorText(const QString &className, const QString &module,
                         std::uint32_t address, const QString &message);
