// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Every program that links the window's texts speaks the user's language
// from the moment its application object exists, before any of those texts
// is made: the window program (which may switch to the one --language
// asks for), and any test or tool that builds a window or a readout. Linked
// as an object of its own, since nothing calls it by name.
#include "base/Language.h"

#include <QCoreApplication>

namespace {

void UseSystemLanguage()
{
    (void)UseLanguage(SystemLanguage());
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(UseSystemLanguage)
