#include "monitor/ConnectivityProbe.h"

#include "net/TIdTCPClient.h"

#include <cstdint>
#include <exception>

namespace {

constexpr std::int32_t kHttpPort = 80;

// Whole milliseconds between two readings, truncated toward zero, whichever
// comes first. Done in unsigned 64-bit arithmetic, which holds the distance
// between any two readings exactly.
std::int64_t MillisecondsApart(std::chrono::nanoseconds a, std::chrono::nanoseconds b)
{
    const auto ua = static_cast<std::uint64_t>(a.count());
    const auto ub = static_cast<std::uint64_t>(b.count());
    const std::uint64_t nanoseconds = a < b ? ub - ua : ua - ub;
    return static_cast<std::int64_t>(nanoseconds / 1'000'000u);
}

QString ReadoutText(std::int64_t milliseconds)
{
    return QStringLiteral("Пинг: ") + QString::number(milliseconds) + QStringLiteral(" мс");
}

} // namespace

ConnectivityProbe::ConnectivityProbe(ProbeView &view, TIdTCPClient &client, MonotonicClock clock)
    : view_(view), client_(client), clock_(std::move(clock))
{
}

bool ConnectivityProbe::CheckConnection()
{
    client_.SetHost(view_.HostText().toStdString());
    client_.SetPort(kHttpPort);

    bool ok = false;
    bool started = false;
    std::chrono::nanoseconds start{};
    std::chrono::nanoseconds finish{};
    try {
        start = clock_();
        started = true;
        client_.OpenConnection(-1);
        ok = true;
        client_.CloseConnection();
        finish = clock_();
    } catch (...) {
        // Any failure, of whatever kind, only makes this check fail.
        ok = false;
        CleanUp();
        finish = clock_();
        if (!started)
            start = finish;
    }

    ShowReadout(ReadoutText(MillisecondsApart(finish, start)));
    return ok;
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
