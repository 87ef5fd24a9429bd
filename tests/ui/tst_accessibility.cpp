// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The main window as assistive technology reads it, through QAccessible (no
// accessibility bus needed): one readout, a status bar object that says the
// status in words, a named progress bar, press actions on the drawn link,
// the logo and the spin buttons, and one change event per status change.

#include "support/ApplicationTestMain.h"

#include "base/TColor.h"
#include "controls/TSpinEdit.h"
#include "ui/Addresses.h"
#include "ui/TForm1.h"
#include "ui/TImage.h"
#include "ui/TLabel.h"
#include "ui/TProgressBar.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QProgressBar>
#include <QtTest>

#include <dlfcn.h>

#include <functional>

namespace {

TApplication &App()
{
    return *TApplication::Instance();
}

std::unique_ptr<QWidget> CreateForm1()
{
    return std::make_unique<TForm1>();
}

// Every interface of the tree below `root`, depth first.
void Walk(QAccessibleInterface *root, const std::function<void(QAccessibleInterface *)> &visit)
{
    if (root == nullptr)
        return;
    visit(root);
    for (int i = 0; i < root->childCount(); ++i)
        Walk(root->child(i), visit);
}

QList<QAccessibleInterface *> Find(QAccessibleInterface *root,
                                   const std::function<bool(QAccessibleInterface *)> &match)
{
    QList<QAccessibleInterface *> found;
    Walk(root, [&](QAccessibleInterface *node) {
        if (match(node))
            found << node;
    });
    return found;
}

// The events assistive technology would be sent, kept while a test runs.
struct Announcements {
    static inline QList<QAccessible::Event> events;
    static inline QList<QObject *> objects;
};

} // namespace

// This test program's own QAccessible::updateAccessibility: it takes the
// place of the toolkit's for every caller in the process, the toolkit's own
// widgets included, so every event is seen; each is recorded, then handed on
// to the toolkit's.
void QAccessible::updateAccessibility(QAccessibleEvent *event)
{
    Announcements::events << event->type();
    Announcements::objects << event->object();
    using Update = void (*)(QAccessibleEvent *);
    static const auto toolkits = reinterpret_cast<Update>(
        ::dlsym(RTLD_NEXT, "_ZN11QAccessible19updateAccessibilityEP16QAccessibleEvent"));
    if (toolkits != nullptr)
        toolkits(event);
}

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void theReadoutIsThereOnce();
    void theStatusIsAStatusBarInWords();
    void theCountdownBarIsNamed();
    void theLinkAndTheLogoOpenTheHomePage_data();
    void theLinkAndTheLogoOpenTheHomePage();
    void theHomePageHasAKey();
    void theSpinButtonsHaveNamesAndActions();
    void aStatusChangeIsAnnouncedOnce();

private:
    TForm1 &Shown();
};

void TestAccessibility::initTestCase()
{
    // The stand-in above is the one the process uses.
    Announcements::events.clear();
    QWidget probe;
    probe.setAccessibleDescription(QStringLiteral("probe"));
    QVERIFY2(Announcements::events.contains(QAccessible::DescriptionChanged),
             "the toolkit's accessibility events are not seen");
}

void TestAccessibility::cleanup()
{
    App().Shutdown();
    OpenedUrls().clear();
    Announcements::events.clear();
    Announcements::objects.clear();
}

TForm1 &TestAccessibility::Shown()
{
    auto *window = static_cast<TForm1 *>(App().CreateForm(CreateForm1));
    window->show();
    [&] { QVERIFY(QTest::qWaitForWindowExposed(window)); }();
    return *window;
}

void TestAccessibility::theReadoutIsThereOnce()
{
    TForm1 &w = Shown();
    w.Timer1Timer(); // one check: the readout shows its time
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&w);
    const auto readouts = Find(root, [](QAccessibleInterface *node) {
        return node->text(QAccessible::Name).startsWith(QStringLiteral("Пинг:"));
    });
    QCOMPARE(readouts.size(), 1);
    QCOMPARE(readouts.front()->object(), w.Label11);
    QCOMPARE(readouts.front()->role(), QAccessible::StaticText);
    QCOMPARE(readouts.front()->text(QAccessible::Name), w.Label11->Caption());
}

void TestAccessibility::theStatusIsAStatusBarInWords()
{
    TForm1 &w = Shown();
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&w);
    auto statusBars = Find(root, [](QAccessibleInterface *node) { return node->role() == QAccessible::StatusBar; });
    QCOMPARE(statusBars.size(), 1);
    QCOMPARE(statusBars.front()->text(QAccessible::Name), QStringLiteral("Ожидание первой проверки"));
    QCOMPARE(statusBars.front()->parent()->object(), &w);
    // After a check that fails (window tests resolve no name): the reason too.
    w.Timer1Timer();
    QCOMPARE(w.Color(), clRed);
    QCOMPARE(statusBars.front()->text(QAccessible::Name),
             QStringLiteral("Интернет недоступен: Узел не найден"));
    QCOMPARE(w.accessibleDescription(), statusBars.front()->text(QAccessible::Name));
}

void TestAccessibility::theCountdownBarIsNamed()
{
    TForm1 &w = Shown();
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(w.ProgressBar1->NativeBar());
    QVERIFY(bar != nullptr);
    QCOMPARE(bar->role(), QAccessible::ProgressBar);
    QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("Время до следующей проверки"));
}

void TestAccessibility::theLinkAndTheLogoOpenTheHomePage_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("role");
    QTest::newRow("the link") << QStringLiteral("Label5") << int(QAccessible::Link);
    QTest::newRow("the logo") << QStringLiteral("Image1") << int(QAccessible::Graphic);
}

void TestAccessibility::theLinkAndTheLogoOpenTheHomePage()
{
    QFETCH(QString, which);
    QFETCH(int, role);
    TForm1 &w = Shown();
    QWidget *control = which == QLatin1String("Label5") ? static_cast<QWidget *>(w.Label5) : w.Image1;
    QAccessibleInterface *interface = QAccessible::queryAccessibleInterface(control);
    QVERIFY(interface != nullptr);
    QCOMPARE(int(interface->role()), role);
    QVERIFY(interface->text(QAccessible::Description).contains(QStringLiteral("F1")));
    QVERIFY(!interface->state().focusable); // a drawn control still takes no focus
    QAccessibleActionInterface *actions = interface->actionInterface();
    QVERIFY(actions != nullptr);
    QCOMPARE(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(OpenedUrls().size(), 1u);
    QCOMPARE(OpenedUrls().front(), Addresses::HomePageUrl());
}

void TestAccessibility::theHomePageHasAKey()
{
    TForm1 &w = Shown();
    w.activateWindow();
    QTest::keyClick(w.SpinEdit1, Qt::Key_F1);
    QCOMPARE(OpenedUrls().size(), 1u);
    QCOMPARE(w.SpinEdit1->text(), QStringLiteral("30")); // the field is left alone
}

void TestAccessibility::theSpinButtonsHaveNamesAndActions()
{
    TForm1 &w = Shown();
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&w);
    for (const QString &name : {QStringLiteral("Больше"), QStringLiteral("Меньше")}) {
        const auto buttons = Find(root, [&](QAccessibleInterface *node) {
            return node->role() == QAccessible::Button && node->text(QAccessible::Name) == name;
        });
        QCOMPARE(buttons.size(), 1);
        QVERIFY(buttons.front()->actionInterface() != nullptr);
        QCOMPARE(buttons.front()->actionInterface()->actionNames(),
                 QStringList{QAccessibleActionInterface::pressAction()});
    }
}

void TestAccessibility::aStatusChangeIsAnnouncedOnce()
{
    TForm1 &w = Shown();
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&w);
    const auto isAnnouncement = [](QAccessible::Event type) {
        return type == QAccessible::DescriptionChanged || type == QAccessible::NameChanged
            || type == QAccessible::Alert;
    };
    const auto countFor = [&](QObject *object) {
        int count = 0;
        for (int i = 0; i < Announcements::events.size(); ++i)
            count += isAnnouncement(Announcements::events[i]) && Announcements::objects[i] == object;
        return count;
    };
    QVERIFY(root != nullptr);
    Announcements::events.clear();
    Announcements::objects.clear();
    w.SetWindowColor(clStatusChecking);
    QCOMPARE(countFor(&w), 1);
    w.SetWindowColor(clStatusChecking); // no change, nothing said
    QCOMPARE(countFor(&w), 1);
    w.SetWindowColor(clStatusOnline);
    QCOMPARE(countFor(&w), 2);
}

KELVORA_UI_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
