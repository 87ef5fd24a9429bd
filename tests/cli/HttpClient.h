// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QByteArray>

#include <cstdint>

// Plain HTTP/1.0 requests to 127.0.0.1 over POSIX sockets, for tests of
// servers on loopback.

// A connection to 127.0.0.1:`port`, non-blocking when asked; -1 on failure.
int ConnectLoopback(std::uint16_t port, bool nonBlocking = false);

// Reads until the peer closes or `timeoutMs` passes.
QByteArray ReadToEnd(int fd, int timeoutMs);

// Sends `request` whole and returns the whole answer (status line, headers
// and body); empty when nothing could be connected.
QByteArray HttpExchange(std::uint16_t port, const QByteArray &request, int timeoutMs = 10000);

// "GET <path> HTTP/1.0" and the answer.
QByteArray HttpGet(std::uint16_t port, const QByteArray &path, int timeoutMs = 10000);

// The status code of an answer, 0 for none; its body.
int HttpStatus(const QByteArray &answer);
QByteArray HttpBody(const QByteArray &answer);

// A port on 127.0.0.1 that nothing listens on just now (the kernel's pick,
// released again).
std::uint16_t FreeLoopbackPort();
