// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/Program.h"

#include <stdexcept>

int RunProgram(TApplication &application, TApplication::FormFactory createMainForm)
{
    application.Initialize();
    application.SetTitle(QStringLiteral("Kelvora"));
    try {
        application.CreateForm(createMainForm);
    } catch (const std::exception &error) {
        application.ShowStartupError(error, reinterpret_cast<const void *>(createMainForm));
        return 1;
    } catch (...) {
        application.ShowStartupError(std::runtime_error("Unknown error"),
                                     reinterpret_cast<const void *>(createMainForm));
        return 1;
    }
    application.Run();
    return 0;
}
