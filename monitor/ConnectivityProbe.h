#pragma once

#include "monitor/MonotonicClock.h"
#include "monitor/ProbeView.h"

class TIdTCPClient;

// One connectivity check: opens a TCP connection to port 80 of the host the
// user typed, closes it at once and shows how long that took.
//
// The host text goes to the client exactly as typed (UTF-8, untrimmed). The
// time runs from just before the open to just after the close, or to just
// after the clean-up close when anything failed; it is read from a monotonic
// clock, so a change of the local time cannot distort it. The readout
// "Пинг: <ms> мс" goes to all five readout labels, Label7 first, on success
// and on failure alike.
//
// A failed connection is a result, not an error: whatever the open or the
// close raises is caught and discarded, and CheckConnection returns false.
// The view and the client are borrowed and must outlive the probe.
class ConnectivityProbe final {
public:
    ConnectivityProbe(ProbeView &view, TIdTCPClient &client, MonotonicClock clock = SteadyClockNow);

    // True when both the open and the close completed without an error.
    // Blocks for as long as the connection attempt lasts.
    bool CheckConnection();

private:
    void CleanUp() noexcept;
    void ShowReadout(const QString &text);

    ProbeView &view_;
    TIdTCPClient &client_;
    MonotonicClock clock_;
};
