// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <string>

// The parts of a web address that the HTTP client keeps in step with its
// Host and Port.
class TIdURI final {
public:
    const std::string &Host() const noexcept { return host_; }
    void SetHost(const std::string &host) { host_ = host; }
    // The port as decimal text.
    const std::string &Port() const noexcept { return port_; }
    void SetPort(const std::string &port) { port_ = port; }

private:
    std::string host_;
    std::string port_;
};
