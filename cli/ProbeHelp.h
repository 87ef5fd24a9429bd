// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

// What kelvora-probe says about its options, made from its one option table
// (ProbeOptionTable): the --help text, and the option list of the manual
// page in roff, so that the two never disagree.

// The --help text, lines of at most 80 columns, ending in a line break.
QString HelpText();

// The manual page's option list: for each option a .TP paragraph with its
// names and value and the same words as --help, as sentences.
QString ManPageOptionList();
