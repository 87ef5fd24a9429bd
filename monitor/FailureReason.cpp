// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "monitor/FailureReason.h"

#include "net/SocketErrors.h"

#include <QCoreApplication>

FailureReason ReasonFromErrorCode(std::int32_t code) noexcept
{
    switch (code) {
    case 0:
        return FailureReason::None;
    case WSAHOST_NOT_FOUND:
    case WSANO_RECOVERY:
        return FailureReason::Dns;
    case WSAECONNREFUSED:
        return FailureReason::Refused;
    case WSAETIMEDOUT:
        return FailureReason::Timeout;
    case WSAEHOSTUNREACH:
    case WSAEHOSTDOWN:
    case WSAEACCES: // a firewall rule that prohibits the road to the host
        return FailureReason::HostUnreachable;
    case WSAENETUNREACH:
    case WSAENETDOWN:
        return FailureReason::NetworkUnreachable;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENETRESET:
        return FailureReason::Reset;
    case WSAEINVAL:
    case WSAEAFNOSUPPORT:
    case WSAEDESTADDRREQ:
        return FailureReason::BadInput;
    default:
        return FailureReason::Other;
    }
}

std::string_view ReasonKey(FailureReason reason) noexcept
{
    switch (reason) {
    case FailureReason::None: return "";
    case FailureReason::Dns: return "dns";
    case FailureReason::Refused: return "refused";
    case FailureReason::Timeout: return "timeout";
    case FailureReason::HostUnreachable: return "host-unreachable";
    case FailureReason::NetworkUnreachable: return "network-unreachable";
    case FailureReason::Reset: return "reset";
    case FailureReason::BadInput: return "bad-input";
    case FailureReason::Other: return "other";
    }
    return "other";
}

std::string_view ReasonEnglish(FailureReason reason) noexcept
{
    switch (reason) {
    case FailureReason::None: return "ok";
    case FailureReason::Dns: return "host not found";
    case FailureReason::Refused: return "connection refused";
    case FailureReason::Timeout: return "timed out";
    case FailureReason::HostUnreachable: return "host unreachable";
    case FailureReason::NetworkUnreachable: return "network unreachable";
    case FailureReason::Reset: return "connection reset";
    case FailureReason::BadInput: return "bad host or port";
    case FailureReason::Other: return "other error";
    }
    return "other error";
}

QString ReasonRussian(FailureReason reason)
{
    switch (reason) {
    case FailureReason::None: return QStringLiteral("Связь есть");
    case FailureReason::Dns: return QStringLiteral("Узел не найден");
    case FailureReason::Refused: return QStringLiteral("Соединение отклонено");
    case FailureReason::Timeout: return QStringLiteral("Превышено время ожидания");
    case FailureReason::HostUnreachable: return QStringLiteral("Узел недоступен");
    case FailureReason::NetworkUnreachable: return QStringLiteral("Сеть недоступна");
    case FailureReason::Reset: return QStringLiteral("Соединение сброшено");
    case FailureReason::BadInput: return QStringLiteral("Неверный узел или порт");
    case FailureReason::Other: return QStringLiteral("Другая ошибка");
    }
    return QStringLiteral("Другая ошибка");
}

QString ReasonShown(FailureReason reason)
{
    const char *text = "Other error";
    switch (reason) {
    case FailureReason::None: text = QT_TRANSLATE_NOOP("FailureReason", "Connected"); break;
    case FailureReason::Dns: text = QT_TRANSLATE_NOOP("FailureReason", "Host not found"); break;
    case FailureReason::Refused: text = QT_TRANSLATE_NOOP("FailureReason", "Connection refused"); break;
    case FailureReason::Timeout: text = QT_TRANSLATE_NOOP("FailureReason", "Timed out"); break;
    case FailureReason::HostUnreachable: text = QT_TRANSLATE_NOOP("FailureReason", "Host unreachable"); break;
    case FailureReason::NetworkUnreachable: text = QT_TRANSLATE_NOOP("FailureReason", "Network unreachable"); break;
    case FailureReason::Reset: text = QT_TRANSLATE_NOOP("FailureReason", "Connection reset"); break;
    case FailureReason::BadInput: text = QT_TRANSLATE_NOOP("FailureReason", "Bad host or port"); break;
    case FailureReason::Other: text = QT_TRANSLATE_NOOP("FailureReason", "Other error"); break;
    }
    return QCoreApplication::translate("FailureReason", text);
}
