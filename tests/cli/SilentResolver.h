// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

// A DNS server on 127.0.0.1:53 of a private network that takes queries and
// never answers, with the process's resolver pointed at it (a resolv.conf of
// its own mounted over /etc/resolv.conf in the process's own mount
// namespace, a five-second time-out): a lookup then hangs for that long.
class SilentResolver final {
public:
    SilentResolver();
    ~SilentResolver();
    SilentResolver(const SilentResolver &) = delete;
    SilentResolver &operator=(const SilentResolver &) = delete;

    // False with the reason in Error() when it could not be set up.
    bool IsValid() const { return error_.isEmpty(); }
    QString Error() const { return error_; }

    // True once a query has come in (and waits, unanswered).
    bool QueryWaiting() const;

private:
    int socket_ = -1;
    bool mounted_ = false;
    QString confPath_;
    QString error_;
};
