#pragma once

// main() for the window tests: a TApplication whose boxes are recorded, in a
// network namespace of its own where the platform allows one, with a socket
// stack that answers every host lookup with "not found" inside the process
// and a recorder in place of the desktop's web handler. So no test, whatever
// it clicks or however long it runs, can resolve or reach another machine.

#include "../app/KelvoraTestMain.h"
#include "../monitor/PrivateNetwork.h"
#include "net/TIdStack.h"
#include "ui/Addresses.h"

#include <QUrl>

#include <memory>
#include <vector>

inline std::vector<QUrl> &OpenedUrls()
{
    static std::vector<QUrl> urls;
    return urls;
}

inline std::shared_ptr<ResolverRecord> &LookedUpNames()
{
    static auto record = std::make_shared<ResolverRecord>();
    return record;
}

// The stack and URL opener every window test runs with.
inline void UseSafeNetworkAndLinks()
{
    SetStackClass([] { return MakeNoResolverStack(LookedUpNames()); });
    SetUrlOpener([](const QUrl &url) { OpenedUrls().push_back(url); });
}

#define KELVORA_UI_TEST_MAIN(TestClass)                                               \
    int main(int argc, char **argv)                                                   \
    {                                                                                 \
        QString reason;                                                               \
        (void)EnterPrivateNetwork(&reason);                                           \
        UseSafeNetworkAndLinks();                                                     \
        TApplication application(argc, argv);                                         \
        application.SetTitle(QStringLiteral("Kelvora"));                              \
        RecordBoxes(application);                                                     \
        TestClass test;                                                               \
        QTEST_SET_MAIN_SOURCE_PATH                                                    \
        return QTest::qExec(&test, argc, argv);                                       \
    }
