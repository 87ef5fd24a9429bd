// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/ErrorText.h"

#include <QCoreApplication>

QString WithFullStop(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

QString StartupErrorText(const QString &className, const QString &module,
                         std::uint32_t address, const QString &message)
{
    const QString stop = (!message.isEmpty() && !message.endsWith(u'.')) ? QStringLiteral(".")
                                                                         : QString();
    return QCoreApplication::translate("ErrorReport", "Exception %1 in module %2 at %3.\r\n%4%5\r\n")
        .arg(className, module,
             QStringLiteral("%1").arg(address, 8, 16, QLatin1Char('0')).toUpper(),
             message, stop);
}
