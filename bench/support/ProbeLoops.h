// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

// The two probe loops that several benchmarks measure against a loopback
// AcceptAndCloseServer listening on `port`. Each iteration is one probe; the
// first failure ends the loop with SkipWithError, saying why.

// Opens and closes a connection through one TIdHTTP client that lives across
// the probes, as the window's client does.
void ClientProbe(benchmark::State &state, std::uint16_t port);
// The same to another host text: "::1", or a name the stack answers.
void ClientProbeTo(benchmark::State &state, const std::string &host, std::uint16_t port);

// socket, connect and close, nothing else: the least a probe can cost.
void RawProbe(benchmark::State &state, std::uint16_t port);
// The same over IPv6 to ::1.
void RawProbe6(benchmark::State &state, std::uint16_t port);
