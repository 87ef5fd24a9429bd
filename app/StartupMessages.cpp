// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "app/StartupMessages.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct HeldMessage {
    QtMsgType type;
    QString category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage> heldMessages;

void HoldMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        heldMessages.push_back({type, QString::fromUtf8(context.category ? context.category : ""),
                                text});
        return;
    }
    // The first warning usually names the cause ("could not connect to
    // display :5"); the fatal text itself is a general advice.
    QString cause = text.section(u'\n', 0, 0);
    for (const HeldMessage &held : heldMessages) {
        if (held.type == QtWarningMsg || held.type == QtCriticalMsg) {
            cause = held.text.section(u'\n', 0, 0);
            break;
        }
    }
    std::fprintf(stderr, "kelvora: cannot start the desktop application: %s\n",
                 cause.toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

StartupMessageGuard::StartupMessageGuard()
{
    heldMessages.clear();
    previousHandler = qInstallMessageHandler(HoldMessage);
}

StartupMessageGuard::~StartupMessageGuard()
{
    qInstallMessageHandler(previousHandler);
    const std::vector<HeldMessage> held = std::move(heldMessages);
    heldMessages.clear();
    for (const HeldMessage &message : held) {
        const QByteArray category = message.category.toUtf8();
        const QMessageLogContext context(nullptr, 0, nullptr,
                                         category.isEmpty() ? nullptr : category.constData());
        qt_message_output(message.type, context, message.text);
    }
}
