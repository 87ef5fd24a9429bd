// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/FormHost.h"

#include <QCoreApplication>

FormHost *FormHost::Current()
{
    return dynamic_cast<FormHost *>(QCoreApplication::instance());
}
