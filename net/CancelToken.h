// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <memory>

// Cancelling one check's connect waits, alone.
//
// A CancelSource belongs to whoever may want to stop a check early (the
// check's owner, a "stop this check" action); its CancelToken goes with the
// check into every wait the check makes. Cancel() ends the waits of that
// token at once (they fail with WSAEINTR) and refuses later ones until
// Reset(); waits of other tokens go on. Independently of any token, the
// process-wide interrupt (ConnectInterrupt.h) ends every wait.
//
// Tokens share the source's state, so a token stays usable (and simply
// never fires again) after its source is gone.

class CancelToken final {
public:
    // A token that no source cancels: only the process-wide interrupt ends
    // its waits.
    CancelToken() noexcept;

    // True once the source has been cancelled (and not reset since).
    bool Cancelled() const noexcept;

    // Becomes readable when the source is cancelled; -1 for a token without
    // a source. For poll; never read or closed by the waiter.
    int Descriptor() const noexcept;

private:
    friend class CancelSource;
    struct State;
    explicit CancelToken(std::shared_ptr<State> state) noexcept;

    std::shared_ptr<State> state_;
};

class CancelSource final {
public:
    // Raises std::system_error when the process has no descriptor left.
    CancelSource();
    ~CancelSource();
    CancelSource(const CancelSource &) = delete;
    CancelSource &operator=(const CancelSource &) = delete;

    CancelToken Token() const noexcept;

    // Ends the waits of every token of this source and refuses new ones.
    // Async-signal-safe; may be called from any thread, any number of times.
    void Cancel() noexcept;
    bool Cancelled() const noexcept;

    // Lets waits of this source's tokens happen again. Call only while no
    // wait of them runs (between checks).
    void Reset() noexcept;

private:
    std::shared_ptr<CancelToken::State> state_;
};
