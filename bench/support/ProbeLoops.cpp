// SPDX-License-Identifier: MIT
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
    TIdHTTP client;
    client.SetHost("127.0.0.1");
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

void RawProbe(benchmark::State &state, std::uint16_t port)
{
    const sockaddr_in peer = LoopbackAddress(port);
    for (auto _ : state) {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int connected = ::connect(s, reinterpret_cast<const sockaddr *>(&peer), sizeof peer);
        const int failure = errno;
        ::close(s);
        if (s == -1 || connected == -1) {
            state.SkipWithError((std::string("raw connect failed: ") + std::strerror(failure)).c_str());
            break;
        }
    }
}
