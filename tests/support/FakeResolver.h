// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A DNS server on 127.0.0.1:53 of a private network that answers A queries
// from a table, and the process's resolver pointed at it: a resolv.conf of
// its own is mounted over /etc/resolv.conf in the process's own mount
// namespace (EnterPrivateNetwork makes one), so nothing outside the test
// sees it. Names not in the table are answered "no such name".
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

    // `name` (letter case ignored) resolves to `dotted`.
    void Answer(const std::string &name, const std::string &dotted);
    // The names asked for so far, as they came in the queries.
    std::vector<std::string> Asked() const;

private:
    void Serve();
    std::vector<unsigned char> Reply(const unsigned char *query, std::size_t length);

    int socket_ = -1;
    int wake_[2] = {-1, -1};
    bool mounted_ = false;
    QString error_;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> answers_;
    std::vector<std::string> asked_;
    std::thread thread_;
};
