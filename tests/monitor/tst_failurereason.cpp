// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "monitor/FailureReason.h"
#include "net/SocketErrors.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <limits>

Q_DECLARE_METATYPE(FailureReason)

class TestFailureReason : public QObject {
    Q_OBJECT
private slots:
    void categoryOfEveryClientError_data();
    void categoryOfEveryClientError();
    void everyCategoryHasItsWords();
    void keysAreUniqueAndMachineReadable();
    void noneAndValuesOutsideTheEnumeration();
};

void TestFailureReason::categoryOfEveryClientError_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<FailureReason>("reason");
    const auto row = [](const char *name, int code, FailureReason reason) {
        QTest::newRow(name) << code << reason;
    };
    using R = FailureReason;
    row("no error", 0, R::None);
    row("host not found", WSAHOST_NOT_FOUND, R::Dns);
    row("resolver failure", WSANO_RECOVERY, R::Dns);
    row("refused", WSAECONNREFUSED, R::Refused);
    row("timed out", WSAETIMEDOUT, R::Timeout);
    row("host unreachable", WSAEHOSTUNREACH, R::HostUnreachable);
    row("host down", WSAEHOSTDOWN, R::HostUnreachable);
    row("prohibited by a firewall rule", WSAEACCES, R::HostUnreachable);
    row("network unreachable", WSAENETUNREACH, R::NetworkUnreachable);
    row("network down", WSAENETDOWN, R::NetworkUnreachable);
    row("reset", WSAECONNRESET, R::Reset);
    row("aborted", WSAECONNABORTED, R::Reset);
    row("network reset", WSAENETRESET, R::Reset);
    row("invalid argument", WSAEINVAL, R::BadInput);
    row("address not available (local ports used up)", WSAEADDRNOTAVAIL, R::Other);
    row("address family not supported", WSAEAFNOSUPPORT, R::BadInput);
    row("destination address required", WSAEDESTADDRREQ, R::BadInput);
    // Everything else the client can raise is "other".
    row("interrupted", WSAEINTR, R::Other);
    row("bad descriptor", WSAEBADF, R::Other);
    row("fault", WSAEFAULT, R::Other);
    row("too many open files", WSAEMFILE, R::Other);
    row("would block", WSAEWOULDBLOCK, R::Other);
    row("in progress", WSAEINPROGRESS, R::Other);
    row("already", WSAEALREADY, R::Other);
    row("not a socket", WSAENOTSOCK, R::Other);
    row("message too long", WSAEMSGSIZE, R::Other);
    row("wrong protocol type", WSAEPROTOTYPE, R::Other);
    row("bad protocol option", WSAENOPROTOOPT, R::Other);
    row("protocol not supported", WSAEPROTONOSUPPORT, R::Other);
    row("socket type not supported", WSAESOCKTNOSUPPORT, R::Other);
    row("operation not supported", WSAEOPNOTSUPP, R::Other);
    row("protocol family not supported", WSAEPFNOSUPPORT, R::Other);
    row("address in use", WSAEADDRINUSE, R::Other);
    row("no buffer space", WSAENOBUFS, R::Other);
    row("already connected", WSAEISCONN, R::Other);
    row("not connected", WSAENOTCONN, R::Other);
    row("shut down", WSAESHUTDOWN, R::Other);
    row("too many references", WSAETOOMANYREFS, R::Other);
    row("loop", WSAELOOP, R::Other);
    row("name too long", WSAENAMETOOLONG, R::Other);
    row("directory not empty", WSAENOTEMPTY, R::Other);
    // Numbers without a socket meaning pass through the client unchanged.
    row("errno without a socket meaning", 5, R::Other);
    row("unknown number", 12345, R::Other);
    row("negative", -1, R::Other);
    row("smallest", std::numeric_limits<std::int32_t>::min(), R::Other);
    row("largest", std::numeric_limits<std::int32_t>::max(), R::Other);
}

void TestFailureReason::categoryOfEveryClientError()
{
    QFETCH(int, code);
    QFETCH(FailureReason, reason);
    QCOMPARE(ReasonFromErrorCode(code), reason);
}

void TestFailureReason::everyCategoryHasItsWords()
{
    // The list holds every category once, in declaration order after None.
    QCOMPARE(std::size(kFailureReasons), std::size_t(FailureReason::Other));
    for (std::size_t i = 0; i < std::size(kFailureReasons); ++i)
        QCOMPARE(static_cast<std::size_t>(kFailureReasons[i]), i + 1);

    const QRegularExpression cyrillic(QStringLiteral("\\p{Cyrillic}"));
    QSet<QString> english;
    QSet<QString> russian;
    for (const FailureReason reason : kFailureReasons) {
        const QString name = QString::fromLatin1(ReasonKey(reason).data(), qsizetype(ReasonKey(reason).size()));
        QVERIFY2(!ReasonEnglish(reason).empty(), qPrintable(name));
        QVERIFY2(ReasonRussian(reason).contains(cyrillic), qPrintable(name));
        english.insert(QString::fromUtf8(ReasonEnglish(reason).data(), qsizetype(ReasonEnglish(reason).size())));
        russian.insert(ReasonRussian(reason));
    }
    // Two categories never read alike.
    QCOMPARE(std::size_t(english.size()), std::size(kFailureReasons));
    QCOMPARE(std::size_t(russian.size()), std::size(kFailureReasons));
}

void TestFailureReason::keysAreUniqueAndMachineReadable()
{
    const QRegularExpression shape(QStringLiteral("^[a-z]+(-[a-z]+)*$"));
    QSet<QString> keys;
    for (const FailureReason reason : kFailureReasons) {
        const QString key = QString::fromLatin1(ReasonKey(reason).data(), qsizetype(ReasonKey(reason).size()));
        QVERIFY2(shape.match(key).hasMatch(), qPrintable(key));
        QVERIFY2(!keys.contains(key), qPrintable(key));
        keys.insert(key);
    }
}

void TestFailureReason::noneAndValuesOutsideTheEnumeration()
{
    QCOMPARE(ReasonKey(FailureReason::None), std::string_view());
    QVERIFY(!ReasonEnglish(FailureReason::None).empty());
    QVERIFY(!ReasonRussian(FailureReason::None).isEmpty());
    const auto outside = static_cast<FailureReason>(200);
    QCOMPARE(ReasonKey(outside), ReasonKey(FailureReason::Other));
    QCOMPARE(ReasonEnglish(outside), ReasonEnglish(FailureReason::Other));
    QCOMPARE(ReasonRussian(outside), ReasonRussian(FailureReason::Other));
}

QTEST_GUILESS_MAIN(TestFailureReason)
#include "tst_failurereason.moc"
