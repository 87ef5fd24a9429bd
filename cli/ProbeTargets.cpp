// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/ProbeTargets.h"

#include "base/ShownText.h"
#include "monitor/ConnectivityProbe.h"
#include "net/TIdStack.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace {

using Refusal = std::optional<QString>;

constexpr qint64 kMaxFileBytes = 1 << 20;

QString BadValue(const QString &what, const QString &value, const QString &expected)
{
    return QStringLiteral("%1: bad value '%2': %3").arg(what, ShownText(value), expected);
}

Refusal CheckHost(const QString &host, std::string &forResolver)
{
    const QString what = QStringLiteral("HOST");
    if (host.isEmpty())
        return QStringLiteral("HOST is empty");
    if (HoldsNonPrinting(host))
        return BadValue(what, host, QStringLiteral("a host name cannot hold a control character"));
    if (std::any_of(host.cbegin(), host.cend(), [](QChar c) { return c.isSpace(); }))
        return BadValue(what, host, QStringLiteral("a host name cannot hold a space"));
    forResolver = ConnectivityProbe::HostForClient(host);
    const bool ascii = std::all_of(forResolver.cbegin(), forResolver.cend(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii)
        return BadValue(what, host, QStringLiteral("not a valid international name"));
    if (!TIdStack::CanBeHostName(forResolver))
        return BadValue(what, host, QStringLiteral("a host name has at most 253 bytes, each label at most 63"));
    return std::nullopt;
}

// An IPv6 literal, perhaps with a zone ("%eth0").
bool LooksLikeIPv6(const QString &text)
{
    const qsizetype zone = text.indexOf(QLatin1Char('%'));
    if (zone == 0 || zone + 1 == text.size())
        return false;
    const QByteArray address = (zone < 0 ? text : text.left(zone)).toLatin1();
    unsigned char bytes[16];
    return ::inet_pton(AF_INET6, address.constData(), bytes) == 1;
}

Refusal ReadPort(const QString &target, const QString &text, std::uint16_t &port)
{
    const auto number = WholeNumber(text, 65535);
    if (!number)
        return BadValue(QStringLiteral("PORT"), target, QStringLiteral("expected a port number from 0 to 65535 after the colon"));
    port = static_cast<std::uint16_t>(*number);
    return std::nullopt;
}

// "[IPv6]" or "[IPv6]:PORT".
Refusal ReadBracketed(const QString &text, std::uint16_t defaultPort, TargetSpec &into)
{
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    const QString inside = close < 0 ? QString() : text.mid(1, close - 1);
    if (close < 0 || !LooksLikeIPv6(inside))
        return BadValue(QStringLiteral("HOST"), text, QStringLiteral("brackets hold an IPv6 address, as in [::1]:80"));
    const QString rest = text.mid(close + 1);
    into.port = defaultPort;
    if (!rest.isEmpty()) {
        if (!rest.startsWith(QLatin1Char(':')))
            return BadValue(QStringLiteral("HOST"), text, QStringLiteral("expected :PORT after the brackets"));
        if (auto problem = ReadPort(text, rest.mid(1), into.port))
            return problem;
    }
    into.host = inside;
    return CheckHost(into.host, into.hostForResolver);
}

bool PlainNumber(const QString &text)
{
    const QString digits = text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')) ? text.mid(1) : text;
    return std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

Refusal ReadOldForm(const std::vector<TargetOperand> &operands, std::uint16_t defaultPort, std::vector<TargetSpec> &into)
{
    TargetSpec target;
    if (auto problem = ReadTarget(operands[0].text, defaultPort, target))
        return problem;
    const QString &host = operands[0].text;
    const bool bracketed = host.startsWith(QLatin1Char('['));
    if ((bracketed && host.contains(QLatin1String("]:"))) || (!bracketed && host.count(QLatin1Char(':')) == 1))
        return QStringLiteral("PORT given twice: '%1' already has one").arg(ShownText(host));
    const auto port = WholeNumber(operands[1].text, 65535);
    if (!port)
        return BadValue(QStringLiteral("PORT"), operands[1].text, QStringLiteral("expected a number from 0 to 65535"));
    target.port = static_cast<std::uint16_t>(*port);
    into.push_back(std::move(target));
    return std::nullopt;
}

// `line` without its comment and the blanks around it.
QString Uncommented(const QString &line)
{
    const qsizetype hash = line.indexOf(QLatin1Char('#'));
    return (hash < 0 ? line : line.left(hash)).trimmed();
}

} // namespace

std::optional<std::uint64_t> WholeNumber(const QString &text, std::uint64_t highest)
{
    if (text.isEmpty() || !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const QByteArray bytes = text.toLatin1();
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value);
    if (error != std::errc() || end != bytes.constData() + bytes.size() || value > highest)
        return std::nullopt;
    return value;
}

std::optional<QString> ReadTarget(const QString &text, std::uint16_t defaultPort, TargetSpec &into)
{
    if (text.startsWith(QLatin1Char('[')))
        return ReadBracketed(text, defaultPort, into);
    into.port = defaultPort;
    into.host = text;
    const qsizetype colons = text.count(QLatin1Char(':'));
    if (colons == 1) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        if (auto problem = ReadPort(text, text.mid(colon + 1), into.port))
            return problem;
        into.host = text.left(colon);
    } else if (colons > 1 && !LooksLikeIPv6(text)) {
        return BadValue(QStringLiteral("HOST"), text, QStringLiteral("an IPv6 address with a port is written [ADDRESS]:PORT"));
    }
    return CheckHost(into.host, into.hostForResolver);
}

std::optional<QString> ReadTargetOperands(const std::vector<TargetOperand> &operands, std::uint16_t defaultPort,
                                          std::vector<TargetSpec> &into)
{
    // A negative number in the host's place; a host that begins with a dash
    // comes after "--".
    if (!operands.empty() && operands[0].text.startsWith(QLatin1Char('-')) && !operands[0].afterEndOfOptions)
        return QStringLiteral("unexpected argument '%1'").arg(ShownText(operands[0].text));
    if (operands.size() == 2 && PlainNumber(operands[1].text))
        return ReadOldForm(operands, defaultPort, into);
    for (const TargetOperand &operand : operands) {
        if (PlainNumber(operand.text) && !operand.text.isEmpty() && &operand != &operands.front())
            return QStringLiteral("'%1' reads as a port, which follows the host only when it is the one target: "
                                  "write HOST:PORT")
                .arg(ShownText(operand.text));
        TargetSpec target;
        if (auto problem = ReadTarget(operand.text, defaultPort, target))
            return problem;
        into.push_back(std::move(target));
    }
    if (into.size() > kMaxTargets)
        return QStringLiteral("too many targets: at most %1").arg(kMaxTargets);
    return std::nullopt;
}

std::optional<QString> ReadTargetLines(const QString &name, const QByteArray &text, std::uint16_t defaultPort,
                                       std::vector<TargetSpec> &into)
{
    if (text.size() > kMaxFileBytes)
        return QStringLiteral("%1: larger than 1 MiB").arg(ShownText(name));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder(text);
    if (decoder.hasError())
        return QStringLiteral("%1: not valid UTF-8").arg(ShownText(name));
    const QStringList lines = decoded.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString target = Uncommented(lines[i]);
        if (target.isEmpty())
            continue;
        TargetSpec read;
        if (auto problem = ReadTarget(target, defaultPort, read))
            return QStringLiteral("%1:%2: %3").arg(ShownText(name)).arg(i + 1).arg(*problem);
        into.push_back(std::move(read));
        if (into.size() > kMaxTargets)
            return QStringLiteral("%1:%2: too many targets: at most %3").arg(ShownText(name)).arg(i + 1).arg(kMaxTargets);
    }
    return std::nullopt;
}

std::optional<QString> ReadTargetsFile(const QString &path, std::uint16_t defaultPort, std::vector<TargetSpec> &into)
{
    // Opened without waiting: a fifo that no one writes to yet would hold
    // the open up for ever. Reads wait again once it is open.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return QStringLiteral("%1: %2").arg(ShownText(path), QString::fromLocal8Bit(std::strerror(errno)));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QStringLiteral("%1: %2").arg(ShownText(path), file.errorString());
    }
    // One byte past the limit tells a file that is too large, without
    // reading all of something endless (a fifo, /dev/zero).
    const QByteArray text = file.read(kMaxFileBytes + 1);
    if (file.error() != QFile::NoError)
        return QStringLiteral("%1: %2").arg(ShownText(path), file.errorString());
    return ReadTargetLines(path, text, defaultPort, into);
}

std::optional<QString> RefuseRepeatedTargets(const std::vector<TargetSpec> &targets)
{
    QSet<QString> seen;
    for (const TargetSpec &target : targets) {
        const QString name = TargetName(target);
        if (seen.contains(name))
            return QStringLiteral("target '%1' given twice").arg(ShownText(name));
        seen.insert(name);
    }
    return std::nullopt;
}

QString TargetName(const TargetSpec &target)
{
    const bool v6 = target.host.contains(QLatin1Char(':'));
    return (v6 ? QLatin1Char('[') + target.host + QLatin1Char(']') : target.host) + QLatin1Char(':')
           + QString::number(target.port);
}
