// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "app/TApplication.h"

// The start-up sequence: initialise, set the title "Kelvora", build the main
// window with `createMainForm`, run the event loop, shut down. Returns the
// process exit code: 0 on every normal end, 1 when the main window could not
// be built (after the "Application Error" box has been shown).
int RunProgram(TApplication &application, TApplication::FormFactory createMainForm);
