// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
class TIdStack;

// Moves the process into a network namespace of its own whose only interface
// is a loopback that is up, so a test may listen on 127.0.0.1:80 and nothing
// it does can reach another machine; and, where allowed, into a mount
// namespace of its own, whose mounts nobody else sees. Call it first thing in main(), before
// any thread starts. Returns false with `reason` set when the platform does
// not allow it (tests that need it then skip).
bool EnterPrivateNetwork(QString *reason);

// True once EnterPrivateNetwork has succeeded in this process.
bool InPrivateNetwork();

// Narrows the kernel's range of local ports for connects in the private
// network (the setting is per namespace) for the object's lifetime, then
// puts the old range back. IsValid() is false when the range cannot be set.
class ScopedLocalPortRange final {
public:
    ScopedLocalPortRange(std::uint16_t first, std::uint16_t last);
    ~ScopedLocalPortRange();
    ScopedLocalPortRange(const ScopedLocalPortRange &) = delete;
    ScopedLocalPortRange &operator=(const ScopedLocalPortRange &) = delete;

    bool IsValid() const { return !previous_.isEmpty(); }

private:
    QByteArray previous_;
};

// A TCP socket bound to 127.0.0.1:`port` (0: the kernel chooses). When
// `listening`, it accepts connections and closes each at once, counting them
// (from the event loop, or on AcceptPending()); otherwise connections to it
// are refused.
class NamespaceListener final {
public:
    NamespaceListener(std::uint16_t port, bool listening);
    ~NamespaceListener();
    NamespaceListener(const NamespaceListener &) = delete;
    NamespaceListener &operator=(const NamespaceListener &) = delete;

    bool IsValid() const { return fd_ >= 0; }
    QString Error() const { return error_; }
    std::uint16_t Port() const { return port_; }
    // Accepts what is waiting; returns the number accepted so far.
    int AcceptPending();
    int Accepted() const { return accepted_; }
    // Stops listening and closes the socket: later connections are refused.
    void Close();

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
    int accepted_ = 0;
    QString error_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// A socket stack whose host lookups never leave the process: each name is
// recorded and answered with "not found" (11001). Everything else goes to
// the POSIX stack. Install with
//   SetStackClass([record] { return MakeNoResolverStack(record); });
struct ResolverRecord {
    std::vector<std::string> names;
};
std::unique_ptr<TIdStack> MakeNoResolverStack(std::shared_ptr<ResolverRecord> record);

// main() for a QtCore test that runs inside a network namespace of its own
// where the platform allows one. The namespace is per thread, so it is entered
// before anything can start a thread; without it the port-80 cases skip.
#define KELVORA_PRIVATE_NETWORK_TEST_MAIN(TestClass)                                  \
    int main(int argc, char **argv)                                                   \
    {                                                                                 \
        QString reason;                                                               \
        if (!EnterPrivateNetwork(&reason))                                            \
            qWarning("no private network namespace (%s): port 80 cases skip",         \
                     qPrintable(reason));                                             \
        QCoreApplication app(argc, argv);                                             \
        TestClass test;                                                               \
        QTEST_SET_MAIN_SOURCE_PATH                                                    \
        return QTest::qExec(&test, argc, argv);                                       \
    }
