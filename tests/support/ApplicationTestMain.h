// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

// main() for tests that need the application object: QtTest runs inside a
// TApplication whose boxes are recorded instead of shown (a test that wants
// the real box installs ShowMessageBox itself).
//
//   KELVORA_TEST_MAIN(TestClass)     the application object, nothing more
//   KELVORA_UI_TEST_MAIN(TestClass)  for window tests: besides, a network
//       namespace of its own where the platform allows one, a socket stack
//       that answers every host lookup with "not found" inside the process,
//       and a recorder in place of the desktop's web handler. So no window
//       test, whatever it clicks or however long it runs, can resolve or
//       reach another machine.

#include "app/MessageBox.h"
#include "app/TApplication.h"
#include "net/TIdStack.h"
#include "support/PrivateNetwork.h"
#include "ui/Addresses.h"

#include <QUrl>
#include <QtTest>

#include <memory>
#include <vector>

// The boxes the application asked to show since the last ClearRecordedBoxes.
inline std::vector<MessageBoxRequest> &RecordedBoxes()
{
    static std::vector<MessageBoxRequest> boxes;
    return boxes;
}

inline void RecordBoxes(TApplication &application)
{
    RecordedBoxes().clear();
    application.SetMessageBoxPresenter(
        [](const MessageBoxRequest &request) { RecordedBoxes().push_back(request); });
}

// The web addresses the window handed to the desktop.
inline std::vector<QUrl> &OpenedUrls()
{
    static std::vector<QUrl> urls;
    return urls;
}

// The names the window tests' socket stack was asked to resolve.
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

enum class TestProcess { Application, Window };

template <class TestClass>
int RunApplicationTests(int argc, char **argv, TestProcess process, const char *sourceFile)
{
    if (process == TestProcess::Window) {
        // Before anything can start a thread: the namespace is per thread.
        QString reason;
        (void)EnterPrivateNetwork(&reason);
        UseSafeNetworkAndLinks();
    }
    TApplication application(argc, argv);
    application.SetTitle(QStringLiteral("Kelvora"));
    RecordBoxes(application);
    TestClass test;
#ifdef QT_TESTCASE_BUILDDIR
    QTest::setMainSourcePath(sourceFile, QT_TESTCASE_BUILDDIR);
#else
    QTest::setMainSourcePath(sourceFile);
#endif
    return QTest::qExec(&test, argc, argv);
}

#define KELVORA_TEST_MAIN(TestClass)                                                          \
    int main(int argc, char **argv)                                                           \
    {                                                                                         \
        return RunApplicationTests<TestClass>(argc, argv, TestProcess::Application, __FILE__); \
    }

#define KELVORA_UI_TEST_MAIN(TestClass)                                                  \
    int main(int argc, char **argv)                                                      \
    {                                                                                    \
        return RunApplicationTests<TestClass>(argc, argv, TestProcess::Window, __FILE__); \
    }
