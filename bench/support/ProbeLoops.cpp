// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "support/ProbeLoops.h"

#include "support/AcceptAndCloseServer.h"

#include "net/IdException.h"
#include "net/TIdHTTP.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

void ClientProbe(benchmark::State &state, std::uint16_t port)
{
    ClientProbeTo(state, "127.0.0.1", port);
}

void ClientProbeTo(benchmark::State &state, const std::string &host, std::uint16_t port)
{
    TIdHTTP client;
    client.SetHost(host);
    client.SetPort(port);
    for (auto _ : state) {
        try {
            client.OpenConnection(-1);
            client.CloseConnection();
        } catch (const EIdException &error) {
            state.SkipWithError(error.what());
            break;
        }
    }
}

namespace {

template <class Address>
void RawProbeOf(benchmark::State &state, const Address &peer)
{
    const int family = reinterpret_cast<const sockaddr &>(peer).sa_family;
    for (auto _ : state) {
        const int s = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int connected = ::connect(s, reinterpret_cast<const sockaddr *>(&peer), sizeof peer);
        const int failure = errno;
        ::close(s);
        if (s == -1 || connected == -1) {
            state.SkipWithError((std::string("raw connect failed: ") + std::strerror(failure)).c_str());
            break;
        }
    }
}

} // namespace

void RawProbe(benchmark::State &state, std::uint16_t port)
{
    RawProbeOf(state, LoopbackAddress(port));
}

void RawProbe6(benchmark::State &state, std::uint16_t port)
{
    RawProbeOf(state, LoopbackAddress6(port));
}
