// SPDX-License-Identifier: MIT
#include "ui/FormHost.h"

#include <QCoreApplication>

FormHost *FormHost::Current()
{
    return dynamic_cast<FormHost *>(QCoreApplication::instance());
}
