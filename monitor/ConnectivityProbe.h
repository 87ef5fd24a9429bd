// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "monitor/CheckResult.h"
#include "monitor/FamilyChoice.h"
#include "monitor/MonotonicClock.h"
#include "monitor/ProbeView.h"
#include "monitor/WallClock.h"
#include "net/CancelToken.h"

#include <cstdint>
#include <string>

class TIdTCPClient;

// One connectivity check: opens a TCP connection to a port (80 unless set)
// of the host the user typed, closes it at once and shows how long that took.
//
// The host text goes to the client exactly as typed (UTF-8, untrimmed) when
// it is pure ASCII; an IPv6 literal in brackets ("[::1]") goes without them. A text with other characters is an international name:
// it goes in its ASCII-compatible form ("пример.рф" becomes
// "xn--e1afmkfd.xn--p1ai"), which the resolver understands; a text that has
// no such form goes unchanged, and the resolver does not find it.
//
// The time runs from just before the open to just after the close, or to
// just after the clean-up close when anything failed; it is read from a
// monotonic clock, so a change of the local time cannot distort it. The
// readout, "Пинг: <ms> мс" in Russian and "Ping: <ms> ms" in English (the
// translation in force), goes to all five readout labels, Label7 first, on
// success and on failure alike.
//
// The result names the address connected to (IPv6 in its RFC 5952 text)
// and its family, the lookup's and the connect's shares of the time, and,
// when the host had several addresses, each one tried.
//
// A failed connection is a result, not an error: whatever the open or the
// close raises is caught, CheckConnection returns false and LastResult says
// why. The view and the client are borrowed and must outlive the probe.
class ConnectivityProbe final {
public:
    ConnectivityProbe(ProbeView &view, TIdTCPClient &client, MonotonicClock clock = SteadyClockNow,
                      WallClock wallClock = SystemClockNow);

    // The port to connect to; 80 unless set. Written to the client on every
    // check.
    std::int32_t Port() const noexcept { return port_; }
    void SetPort(std::int32_t port) noexcept { port_ = port; }

    // The connect time limit as the client's OpenConnection takes it: -1
    // (the default) and 0 for the client's own limit, else milliseconds.
    std::int32_t Timeout() const noexcept { return timeout_; }
    void SetTimeout(std::int32_t timeout) noexcept { timeout_ = timeout; }

    // Cancelling this token ends the check's connect wait at once (the check
    // then fails with WSAEINTR); a default token leaves only the process-wide
    // interrupt. Written to the client on every check.
    const CancelToken &Cancellation() const noexcept { return cancellation_; }
    void SetCancellation(const CancelToken &token) { cancellation_ = token; }

    // The address families a check may connect over; Auto unless set.
    // Written to the client on every check.
    FamilyChoice GetFamilyChoice() const noexcept { return familyChoice_; }
    void SetFamilyChoice(FamilyChoice choice) noexcept { familyChoice_ = choice; }

    // While true, the host is looked up at the first check and its addresses
    // reused by the checks after it, until a check fails (the next one looks
    // it up again) or the host text changes. False (the default) looks the
    // host up at every check. Written to the client on every check.
    bool ResolveOnce() const noexcept { return resolveOnce_; }
    void SetResolveOnce(bool resolveOnce) noexcept { resolveOnce_ = resolveOnce; }

    // True when both the open and the close completed without an error.
    // Blocks for as long as the connection attempt lasts.
    bool CheckConnection();

    // What the last check found (a default result before the first).
    const CheckResult &LastResult() const noexcept { return last_; }

    // The text the client is given for a host text (see above).
    static std::string HostForClient(const QString &hostText);

private:
    void CleanUp() noexcept;
    void ShowReadout(const QString &text);

    ProbeView &view_;
    TIdTCPClient &client_;
    MonotonicClock clock_;
    WallClock wallClock_;
    std::int32_t port_ = 80;
    std::int32_t timeout_ = -1;
    CancelToken cancellation_;
    FamilyChoice familyChoice_ = FamilyChoice::Auto;
    bool resolveOnce_ = false;
    CheckResult last_;
};
