// SPDX-License-Identifier: MIT
#pragma once

// A process-wide way to end connect waits early, for a program that has been
// asked to stop. Once InterruptConnects has been called, a connect that is
// waiting fails at once with WSAEINTR, and so does every later one: a program
// on its way out has no reason to start another.
//
// PrepareConnectInterrupt must run (once, from ordinary code) before a
// signal handler may call InterruptConnects; before it, interrupting only
// sets the flag, which later connects still honour.

// Creates the descriptor that connect waits watch. Safe to call again.
void PrepareConnectInterrupt();

// Ends waiting and later connects. Async-signal-safe.
void InterruptConnects() noexcept;

// True once InterruptConnects has been called.
bool ConnectsInterrupted() noexcept;

// A descriptor that becomes readable when connects are interrupted, or -1
// before PrepareConnectInterrupt.
int ConnectInterruptDescriptor() noexcept;

// Test hook: connects may wait again (the descriptor is emptied).
void ResetConnectInterruptForTesting() noexcept;
