#pragma once

// main() for tests that need the application object: QtTest runs inside a
// TApplication whose boxes are recorded instead of shown (a test that wants
// the real box installs ShowMessageBox itself).

#include "app/MessageBox.h"
#include "app/TApplication.h"

#include <QtTest>

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

#define KELVORA_TEST_MAIN(TestClass)                                                  \
    int main(int argc, char **argv)                                                   \
    {                                                                                 \
        TApplication application(argc, argv);                                         \
        application.SetTitle(QStringLiteral("Kelvora"));                              \
        RecordBoxes(application);                                                     \
        TestClass test;                                                               \
        QTEST_SET_MAIN_SOURCE_PATH                                                    \
        return QTest::qExec(&test, argc, argv);                                       \
    }
