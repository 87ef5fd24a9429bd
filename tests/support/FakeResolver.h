// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QString>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A DNS server on 127.0.0.1:53 of a private network that answers A and AAAA
// queries from a table, and the process's resolver pointed at it: a resolv.conf of
// its own is mounted over /etc/resolv.conf in the process's own mount
// namespace (EnterPrivateNetwork makes one), so nothing outside the test
// sees it. Names not in the table are answered "no such name"; a name in
// it asked for a family it has no address of gets an empty answer.
class FakeResolver final {
public:
    FakeResolver();
    ~FakeResolver();
    FakeResolver(const FakeResolver &) = delete;
    FakeResolver &operator=(const FakeResolver &) = delete;

    // False with the reason in Error() when the server or the mount could
    // not be set up (tests then skip).
    bool IsValid() const { return error_.isEmpty(); }
    QString Error() const { return error_; }

    // `name` (letter case ignored) resolves to `address`, dotted IPv4 or
    // IPv6 text, in place of its earlier address of that family.
    void Answer(const std::string &name, const std::string &address);
    // The names asked for so far, as they came in the queries (a lookup of
    // both families asks twice).
    std::vector<std::string> Asked() const;
    // The same, each name once, in the order first asked.
    std::vector<std::string> AskedNames() const;

private:
    void Serve();
    std::vector<unsigned char> Reply(const unsigned char *query, std::size_t length);

    int socket_ = -1;
    int wake_[2] = {-1, -1};
    bool mounted_ = false;
    QString error_;
    mutable std::mutex mutex_;
    struct Addresses {
        std::string v4;
        std::string v6;
    };
    std::map<std::string, Addresses> answers_;
    std::vector<std::string> asked_;
    std::thread thread_;
};
