// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "monitor/ConnectivityProbe.h"

#include "net/IdException.h"
#include "net/TIdTCPClient.h"

#include <QCoreApplication>
#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <limits>

namespace {

// Nanoseconds between two readings, whichever comes first. Done in unsigned
// 64-bit arithmetic, which holds the distance between any two readings
// exactly; the readout truncates it to whole milliseconds.
std::uint64_t NanosecondsApart(std::chrono::nanoseconds a, std::chrono::nanoseconds b)
{
    const auto ua = static_cast<std::uint64_t>(a.count());
    const auto ub = static_cast<std::uint64_t>(b.count());
    return a < b ? ub - ua : ua - ub;
}

QString ReadoutText(std::uint64_t milliseconds)
{
    // The whole milliseconds as plain digits in every language: the readout
    // is read from across the room, and its width is the labels' own.
    return QCoreApplication::translate("Readout", "Ping: %1 ms").arg(QString::number(milliseconds));
}

bool IsAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// A socket error's message is "Socket Error # <code>\r\n<text>"; the text
// alone says it, the code is kept apart. Other messages are kept whole, on
// one line.
std::string FailureMessage(const std::string &message)
{
    const std::size_t lineBreak = message.find("\r\n");
    if (lineBreak != std::string::npos && lineBreak + 2 < message.size())
        return message.substr(lineBreak + 2);
    std::string oneLine = message;
    std::replace(oneLine.begin(), oneLine.end(), '\r', ' ');
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    return oneLine;
}

IPFamilies FamiliesFor(FamilyChoice choice) noexcept
{
    switch (choice) {
    case FamilyChoice::IPv4Only: return IPFamilies::IPv4Only;
    case FamilyChoice::IPv6Only: return IPFamilies::IPv6Only;
    case FamilyChoice::Auto: break;
    }
    return IPFamilies::Any;
}

AddressFamily FamilyOf(IPVersion version) noexcept
{
    return version == IPVersion::IPv6 ? AddressFamily::IPv6 : AddressFamily::IPv4;
}

// What the client says of the connect beside its outcome: the family, the
// lookup's and the connect's durations, and a race's attempts.
void NoteConnect(CheckResult &result, const ConnectReport &report)
{
    if (report.version)
        result.family = FamilyOf(*report.version);
    result.lookupElapsed = report.lookupElapsed;
    result.connectElapsed = report.connectElapsed;
    result.attempts.clear();
    for (const ConnectAttemptReport &tried : report.attempts) {
        ConnectAttempt attempt;
        attempt.address = tried.address;
        attempt.family = FamilyOf(tried.version);
        attempt.errorCode = tried.errorCode;
        attempt.reason = tried.errorCode != 0 ? ReasonFromErrorCode(tried.errorCode) : FailureReason::None;
        attempt.errorMessage = tried.errorText;
        attempt.elapsed = tried.elapsed;
        result.attempts.push_back(std::move(attempt));
    }
}

void NoteFailure(CheckResult &result, std::int32_t code, const std::string &message)
{
    result.errorCode = code;
    result.reason = code != 0 ? ReasonFromErrorCode(code) : FailureReason::Other;
    result.errorMessage = FailureMessage(message);
}

} // namespace

ConnectivityProbe::ConnectivityProbe(ProbeView &view, TIdTCPClient &client, MonotonicClock clock,
                                     WallClock wallClock)
    : view_(view), client_(client), clock_(std::move(clock)), wallClock_(std::move(wallClock))
{
}

std::string ConnectivityProbe::HostForClient(const QString &hostText)
{
    // "[2001:db8::1]", as an IPv6 literal stands in a URL, is the literal.
    if (hostText.size() > 2 && hostText.startsWith(QLatin1Char('[')) && hostText.endsWith(QLatin1Char(']'))
        && hostText.contains(QLatin1Char(':')))
        return hostText.mid(1, hostText.size() - 2).toStdString();
    if (!IsAscii(hostText)) {
        const QByteArray ace = QUrl::toAce(hostText);
        if (!ace.isEmpty())
            return ace.toStdString();
    }
    return hostText.toStdString();
}

bool ConnectivityProbe::CheckConnection()
{
    client_.SetHost(HostForClient(view_.HostText()));
    client_.SetPort(port_);
    client_.SetCancellation(cancellation_);
    client_.SetFamilies(FamiliesFor(familyChoice_));
    client_.SetResolveOnce(resolveOnce_);

    CheckResult result;
    bool started = false;
    std::chrono::nanoseconds start{};
    std::chrono::nanoseconds finish{};
    try {
        result.startedAt = wallClock_();
        start = clock_();
        started = true;
        client_.OpenConnection(timeout_);
        result.ok = true;
        result.address = client_.PeerIP();
        NoteConnect(result, client_.LastConnectReport());
        client_.CloseConnection();
        finish = clock_();
    } catch (...) {
        // Any failure, of whatever kind, only makes this check fail.
        result.ok = false;
        result.address = client_.PeerIP();
        NoteConnect(result, client_.LastConnectReport());
        try {
            throw;
        } catch (const EIdSocketError &error) {
            NoteFailure(result, error.LastError(), error.Message());
        } catch (const std::exception &error) {
            NoteFailure(result, 0, error.what());
        } catch (...) {
            NoteFailure(result, 0, "Unknown error");
        }
        CleanUp();
        finish = clock_();
        if (!started)
            start = finish;
    }
    const std::uint64_t elapsed = NanosecondsApart(finish, start);
    result.startedMonotonic = start;
    result.elapsed = std::chrono::nanoseconds(
        static_cast<std::int64_t>(std::min<std::uint64_t>(elapsed, std::numeric_limits<std::int64_t>::max())));
    last_ = std::move(result);
    ShowReadout(ReadoutText(elapsed / 1'000'000u));
    return last_.ok;
}

void ConnectivityProbe::CleanUp() noexcept
{
    // The close raises nothing on its own; should a status handler raise in
    // it, the check still ends with a readout and a failed result.
    try {
        client_.CloseConnection();
    } catch (...) {
    }
}

void ConnectivityProbe::ShowReadout(const QString &text)
{
    // Label11 last: it lies on top of the other four.
    for (const auto label : {ProbeView::ReadoutLabel::Label7, ProbeView::ReadoutLabel::Label8,
                             ProbeView::ReadoutLabel::Label9, ProbeView::ReadoutLabel::Label10,
                             ProbeView::ReadoutLabel::Label11})
        view_.SetReadoutCaption(label, text);
}
