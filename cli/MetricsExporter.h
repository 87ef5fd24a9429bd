// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include "cli/ListenAddress.h"

#include <prometheus/registry.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace prometheus {
class Exposer;
}

// The exporter of --listen: prometheus-cpp's pull exposer over civetweb,
// serving the registry on GET /metrics and a short HTML page with links on
// GET /. Everything else gets civetweb's own 404.
//
// Bounded against slow and hostile clients: a few server threads, a short
// accept queue, a request may take at most 16 KiB and a connection waits
// at most kRequestTimeoutMs for its request, and no keep-alive; so a
// thousand idle connections or a request line of a megabyte are dropped
// and the server's memory stays small. The checks never wait for it: it
// runs on threads of its own (with every signal blocked, so that signals
// reach the run loop's thread) and reads the registry, which the checks
// update without waiting for a scrape.
class MetricsExporter final {
public:
    static constexpr int kRequestTimeoutMs = 3000;
    static constexpr int kThreads = 8;

    // Starts serving; nothing, with `error` set to one line ("address
    // already in use"), when the address cannot be listened on.
    static std::unique_ptr<MetricsExporter> Start(const ListenAddress &address,
                                                  std::shared_ptr<prometheus::Registry> registry,
                                                  std::string *error);
    ~MetricsExporter();
    MetricsExporter(const MetricsExporter &) = delete;
    MetricsExporter &operator=(const MetricsExporter &) = delete;

    // The port listened on (the one the system chose for port 0).
    std::uint16_t Port() const noexcept { return port_; }
    // "http://127.0.0.1:9374/metrics", "http://[::1]:9374/metrics",
    // "http://*:9374/metrics".
    std::string MetricsUrl() const;

private:
    MetricsExporter(std::unique_ptr<prometheus::Exposer> exposer, std::string host, std::uint16_t port);

    std::unique_ptr<prometheus::Exposer> exposer_;
    std::string host_;
    std::uint16_t port_;
};

// Why `address` cannot be listened on, from the system's own attempt to
// bind it: "address already in use", "permission denied", ...
std::string ListenProblem(const ListenAddress &address);
