// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

// The process-wide stop for connect waits, for a program that has been
// asked to stop (a signal handler calls InterruptConnects). While the stop
// lasts, every connect wait of every check fails at once with WSAEINTR,
// whatever its CancelToken, and so does every connect that starts: a
// program on its way out has no reason to start another. EndConnectInterrupt
// ends the stop, so that a later run in the same process can connect again.
// One check alone is stopped through its own CancelSource instead.
//
// PrepareConnectInterrupt must run (once, from ordinary code) before a
// signal handler may call InterruptConnects; before it, interrupting only
// sets the flag, which connects still honour when they start.

// Creates the descriptor that connect waits watch. Safe to call again.
void PrepareConnectInterrupt();

// Ends every waiting connect and refuses new ones. Async-signal-safe.
void InterruptConnects() noexcept;

// True from InterruptConnects to EndConnectInterrupt.
bool ConnectsInterrupted() noexcept;

// Lets connects wait again. Call from ordinary code once the waits that the
// stop ended have returned.
void EndConnectInterrupt() noexcept;

// A descriptor that is readable while connects are interrupted, or -1
// before PrepareConnectInterrupt.
int ConnectInterruptDescriptor() noexcept;
