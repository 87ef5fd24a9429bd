// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "cli/MetricsExporter.h"

#include <CivetServer.h>
#include <civetweb.h>
#include <prometheus/exposer.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view kHomePage =
    "<!DOCTYPE html>\n"
    "<html><head><meta charset=\"utf-8\"><title>kelvora-probe</title></head>\n"
    "<body><h1>kelvora-probe</h1>\n"
    "<p>Connectivity checks of this machine's targets, for Prometheus.</p>\n"
    "<ul><li><a href=\"/metrics\">/metrics</a>: the metrics in Prometheus' text format</li></ul>\n"
    "</body></html>\n";

// The page on /; everything else is left to the exposer and civetweb.
int BeginRequest(mg_connection *connection)
{
    const mg_request_info *request = mg_get_request_info(connection);
    if (request == nullptr || request->local_uri == nullptr || std::string_view(request->local_uri) != "/")
        return 0;
    const std::string_view method = request->request_method == nullptr ? "" : request->request_method;
    if (method != "GET" && method != "HEAD") {
        mg_printf(connection, "HTTP/1.1 405 Method Not Allowed\r\nAllow: GET, HEAD\r\nContent-Length: 0\r\n"
                              "Connection: close\r\n\r\n");
        return 405;
    }
    mg_printf(connection,
              "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: %zu\r\n"
              "Connection: close\r\n\r\n",
              kHomePage.size());
    if (method == "GET")
        mg_write(connection, kHomePage.data(), kHomePage.size());
    return 200;
}

// civetweb would write its complaints about clients to standard error,
// among the probe's own lines.
int Silent(const mg_connection *, const char *)
{
    return 1;
}

const CivetCallbacks &Callbacks()
{
    static const CivetCallbacks callbacks = [] {
        CivetCallbacks made;
        made.begin_request = BeginRequest;
        made.log_message = Silent;
        return made;
    }();
    return callbacks;
}

std::vector<std::string> ServerOptions(const ListenAddress &address)
{
    return {"listening_ports",
            address.ForServer(),
            "num_threads",
            std::to_string(MetricsExporter::kThreads),
            "connection_queue",
            "16",
            "listen_backlog",
            "64",
            "request_timeout_ms",
            std::to_string(MetricsExporter::kRequestTimeoutMs),
            "max_request_size",
            "16384",
            "enable_keep_alive",
            "no",
            "linger_timeout_ms",
            "0"};
}

// Blocks every signal on this thread while it lives, so that the threads
// started meanwhile inherit a full mask.
class AllSignalsBlocked final {
public:
    AllSignalsBlocked()
    {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &previous_);
    }
    ~AllSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    AllSignalsBlocked(const AllSignalsBlocked &) = delete;
    AllSignalsBlocked &operator=(const AllSignalsBlocked &) = delete;

private:
    sigset_t previous_{};
};

} // namespace

std::string ListenProblem(const ListenAddress &address)
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_INET6;
    if (!address.address.empty() && address.address.find(':') == std::string::npos) {
        auto *v4 = reinterpret_cast<sockaddr_in *>(&storage);
        v4->sin_family = AF_INET;
        v4->sin_port = htons(address.port);
        inet_pton(AF_INET, address.address.c_str(), &v4->sin_addr);
        family = AF_INET;
        length = sizeof *v4;
    } else {
        auto *v6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(address.port);
        v6->sin6_addr = in6addr_any;
        if (!address.address.empty())
            inet_pton(AF_INET6, address.address.c_str(), &v6->sin6_addr);
        length = sizeof *v6;
    }
    const int probe = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return std::strerror(errno);
    const int on = 1;
    ::setsockopt(probe, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    std::string problem = "cannot listen there";
    if (::bind(probe, reinterpret_cast<sockaddr *>(&storage), length) != 0)
        problem = std::strerror(errno);
    ::close(probe);
    for (char &c : problem)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return problem;
}

std::unique_ptr<MetricsExporter> MetricsExporter::Start(const ListenAddress &address,
                                                        std::shared_ptr<prometheus::Registry> registry,
                                                        std::string *error)
{
    std::unique_ptr<prometheus::Exposer> exposer;
    try {
        const AllSignalsBlocked blocked;
        exposer = std::make_unique<prometheus::Exposer>(ServerOptions(address), &Callbacks());
    } catch (const std::exception &) {
        *error = ListenProblem(address);
        return nullptr;
    }
    exposer->RegisterCollectable(registry);
    const std::vector<int> ports = exposer->GetListeningPorts();
    const auto port = static_cast<std::uint16_t>(ports.empty() ? address.port : ports.front());
    return std::unique_ptr<MetricsExporter>(new MetricsExporter(std::move(exposer), address.address, port));
}

MetricsExporter::MetricsExporter(std::unique_ptr<prometheus::Exposer> exposer, std::string host, std::uint16_t port)
    : exposer_(std::move(exposer)), host_(std::move(host)), port_(port)
{
}

MetricsExporter::~MetricsExporter() = default;

std::string MetricsExporter::MetricsUrl() const
{
    const std::string host = host_.empty() ? "*" : host_.find(':') != std::string::npos ? "[" + host_ + "]" : host_;
    return "http://" + host + ":" + std::to_string(port_) + "/metrics";
}
