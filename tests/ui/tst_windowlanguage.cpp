// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// The window in each language it speaks: the main window's captions and
// accessible texts, the menus, the tray's tool tip, Qt's own context menu,
// the session window and the notifications, in English and in Russian (the
// window's original texts, exactly); the history window, its menu items and
// its numbers and dates; and every caption of the main window
// measured against its box at layout scale 1 and 2.

#include "support/ApplicationTestMain.h"

#include "base/Language.h"
#include "controls/TGauge.h"
#include "controls/TSpinEdit.h"
#include "ui/Fonts.h"
#include "ui/HeatMap.h"
#include "ui/HistoryTexts.h"
#include "ui/HistoryWindow.h"
#include "ui/LayoutScaling.h"
#include "ui/OutageTableModel.h"
#include "ui/SessionController.h"
#include "ui/SessionTexts.h"
#include "ui/SessionWindow.h"
#include "ui/StateNotifier.h"
#include "ui/TButton.h"
#include "ui/TForm1.h"
#include "ui/TImage.h"
#include "ui/TLabel.h"
#include "ui/TProgressBar.h"
#include "ui/TrayStatus.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Language)

namespace {

TApplication &App()
{
    return *TApplication::Instance();
}

QMenu *g_trayMenu = nullptr;
QString g_toolTip;

class RecordingTrayIcon final : public TrayIcon {
public:
    void SetIcon(const QIcon &) override {}
    void SetToolTip(const QString &text) override { g_toolTip = text; }
    void SetMenu(QMenu *menu) override { g_trayMenu = menu; }
    void Show() override {}
    void ShowMessage(const QString &, const QString &) override {}
    void SetOnClick(std::function<void()>) override {}
};

class RecordingSink final : public NotificationSink {
public:
    QStringList told;
    void Notify(NoticeKind, const QString &title, const QString &body) override
    {
        told << title + QStringLiteral(" | ") + body;
    }
};

std::unique_ptr<QWidget> CreateForm1()
{
    Form1Services services;
    services.session.tray = [] { return std::make_unique<RecordingTrayIcon>(); };
    services.session.sink = [](TrayStatus *) { return std::make_unique<RecordingSink>(); };
    return std::make_unique<TForm1>(std::move(services));
}

QStringList MenuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QStringList AccessibleNamesUnder(const QWidget *widget)
{
    QStringList names;
    for (const QWidget *child : widget->findChildren<QWidget *>())
        if (!child->accessibleName().isEmpty())
            names << child->accessibleName();
    return names;
}

bool HaveQtTranslation(Language language)
{
    return QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_")
                             + LanguageCode(language) + QStringLiteral(".qm"));
}

CheckResult Check(bool ok, FailureReason reason = FailureReason::Refused)
{
    CheckResult result;
    result.ok = ok;
    result.reason = ok ? FailureReason::None : reason;
    return result;
}

// One of the main window's captions with its box in the layout and the
// left edge of the control to its right (0: none before the window's edge).
struct Caption {
    const char *name;
    QRect box;
    int neighbourLeft;
    bool readout;
};

// The layout's boxes: Label1 ends before the interval field at 248, Label6
// before the host field at 40; Label2 has the window to itself up to the
// exit button at 801; the readout's copies are 71 wide.
constexpr Caption kCaptions[] = {
    {"Label1", {8, 544, 232, 13}, 248, false},
    {"Label2", {336, 544, 42, 13}, 801, false},
    {"Label6", {8, 8, 33, 13}, 40, false},
    {"Label11", {8, 64, 71, 29}, 0, true},
};

QString CaptionText(const char *name, Language language)
{
    const bool en = language == Language::English;
    const QString label(QLatin1String{name});
    if (label == QStringLiteral("Label1"))
        return en ? QStringLiteral("Check the internet every") : QStringLiteral("Проверять наличие интернета каждые");
    if (label == QStringLiteral("Label2"))
        return en ? QStringLiteral("sec") : QStringLiteral("секунд");
    if (label == QStringLiteral("Label6"))
        return en ? QStringLiteral("Host:") : QStringLiteral("Хост:");
    return en ? QStringLiteral("Ping:") : QStringLiteral("Пинг:");
}

TLabel *LabelNamed(TForm1 &w, const char *name)
{
    const QString label(QLatin1String{name});
    if (label == QStringLiteral("Label1"))
        return w.Label1;
    if (label == QStringLiteral("Label2"))
        return w.Label2;
    if (label == QStringLiteral("Label6"))
        return w.Label6;
    return w.Label11;
}

} // namespace

class TestWindowLanguage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cleanupTestCase();

    void mainWindowTexts_data();
    void mainWindowTexts();
    void menusToolTipAndReadout_data();
    void menusToolTipAndReadout();
    void qtsOwnContextMenuSpeaksTheLanguage_data();
    void qtsOwnContextMenuSpeaksTheLanguage();
    void sessionWindowTexts_data();
    void sessionWindowTexts();
    void notifications_data();
    void notifications();
    void historyWindowTexts_data();
    void historyWindowTexts();
    void captionsFitTheirBoxes_data();
    void captionsFitTheirBoxes();
    void theWindowsCaptionsStayInsideTheirRoom_data();
    void theWindowsCaptionsStayInsideTheirRoom();

private:
    TForm1 &Shown(Language language);
};

void TestWindowLanguage::init()
{
    RecordBoxes(App());
    g_trayMenu = nullptr;
    g_toolTip.clear();
}

void TestWindowLanguage::cleanup()
{
    App().Shutdown();
    QVERIFY(RecordedBoxes().empty());
}

void TestWindowLanguage::cleanupTestCase()
{
    (void)UseLanguage(SystemLanguage());
}

TForm1 &TestWindowLanguage::Shown(Language language)
{
    [&] { QVERIFY(UseLanguage(language)); }();
    auto *window = static_cast<TForm1 *>(App().CreateForm(CreateForm1));
    window->show();
    [&] { QVERIFY(QTest::qWaitForWindowExposed(window)); }();
    return *window;
}

void TestWindowLanguage::mainWindowTexts_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QStringList>("captions");      // Label1, Label2, Label6, Label11, Button1
    QTest::addColumn<QStringList>("accessible");    // Edit1, SpinEdit1, Gauge1, ProgressBar1, Image1
    QTest::addColumn<QStringList>("descriptions");  // Label5, Button2
    QTest::addColumn<QStringList>("statuses");      // waiting, checking, online, offline
    QTest::addColumn<QStringList>("spinButtons");
    QTest::newRow("English") << Language::English
        << QStringList{"Check the internet every", "sec", "Host:", "Ping:", "Exit"}
        << QStringList{"Host", "Check interval, seconds", "Time to the next check", "Time to the next check",
                       "Varnholt Studios logo"}
        << QStringList{"Open the home page (F1)", "Use the host " + Addresses::kPresetHosts[0]}
        << QStringList{"Waiting for the first check", "Checking the connection", "Internet available",
                       "Internet unavailable"}
        << QStringList{"Increase", "Decrease"};
    QTest::newRow("Russian") << Language::Russian
        << QStringList{"Проверять наличие интернета каждые", "секунд", "Хост:", "Пинг:", "Выход"}
        << QStringList{"Хост", "Интервал проверки, секунд", "Время до следующей проверки",
                       "Время до следующей проверки", "Логотип Varnholt Studios"}
        << QStringList{"Открыть домашнюю страницу (F1)", "Подставить хост " + Addresses::kPresetHosts[0]}
        << QStringList{"Ожидание первой проверки", "Идёт проверка подключения", "Интернет доступен",
                       "Интернет недоступен"}
        << QStringList{"Больше", "Меньше"};
}

void TestWindowLanguage::mainWindowTexts()
{
    QFETCH(Language, language);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, accessible);
    QFETCH(QStringList, descriptions);
    QFETCH(QStringList, statuses);
    QFETCH(QStringList, spinButtons);
    TForm1 &w = Shown(language);
    QCOMPARE((QStringList{w.Label1->Caption(), w.Label2->Caption(), w.Label6->Caption(), w.Label11->Caption(),
                          w.Button1->text()}),
             captions);
    for (TLabel *copy : {w.Label7, w.Label8, w.Label9, w.Label10})
        QCOMPARE(copy->Caption(), captions[3]);
    QCOMPARE((QStringList{w.Edit1->accessibleName(), w.SpinEdit1->accessibleName(), w.Gauge1->accessibleName(),
                          w.ProgressBar1->accessibleName(), w.Image1->accessibleName()}),
             accessible);
    QCOMPARE(w.ProgressBar1->NativeBar()->accessibleName(), accessible[3]);
    QCOMPARE((QStringList{w.Label5->accessibleDescription(), w.Button2->accessibleDescription()}), descriptions);
    QCOMPARE(w.Image1->accessibleDescription(), descriptions[0]);
    QCOMPARE((QStringList{TForm1::StatusText(clStatusWaiting), TForm1::StatusText(clStatusChecking),
                          TForm1::StatusText(clStatusOnline), TForm1::StatusText(clStatusOffline)}),
             statuses);
    const QStringList spinNames = AccessibleNamesUnder(w.SpinEdit1);
    for (const QString &name : spinButtons)
        QVERIFY2(spinNames.contains(name), qPrintable(spinNames.join(u',')));
}

void TestWindowLanguage::menusToolTipAndReadout_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QStringList>("trayMenu");
    QTest::addColumn<QStringList>("contextMenu");
    QTest::addColumn<QString>("waiting");
    QTest::addColumn<QString>("failedToolTip");
    QTest::addColumn<QString>("readout");
    QTest::newRow("English") << Language::English
        << QStringList{"Show window", "Session…", "Notifications", "History…", "Record history", "Start at login",
                       "-", "Quit"}
        << QStringList{"Session…", "Notifications", "Protocol", "History…", "Record history", "Start at login"}
        << "Waiting for the first check"
        << "^Kelvora — no\\.such\\.host\nNo connection, \\d{1,2}:\\d\\d:\\d\\d( [AP]M)?\nHost not found$"
        << "^Ping: \\d+ ms$";
    QTest::newRow("Russian") << Language::Russian
        << QStringList{"Показать окно", "Сеанс…", "Уведомления", "История…", "Вести историю",
                       "Запускать при входе в систему", "-", "Выход"}
        << QStringList{"Сеанс…", "Уведомления", "Протокол", "История…", "Вести историю",
                       "Запускать при входе в систему"}
        << "Ожидание первой проверки"
        << "^Kelvora — no\\.such\\.host\nНет связи, \\d\\d:\\d\\d:\\d\\d\nУзел не найден$"
        << "^Пинг: \\d+ мс$";
}

void TestWindowLanguage::menusToolTipAndReadout()
{
    QFETCH(Language, language);
    QFETCH(QStringList, trayMenu);
    QFETCH(QStringList, contextMenu);
    QFETCH(QString, waiting);
    QFETCH(QString, failedToolTip);
    QFETCH(QString, readout);
    TForm1 &w = Shown(language);
    QVERIFY(g_trayMenu != nullptr);
    QCOMPARE(MenuTexts(g_trayMenu), trayMenu);
    QCOMPARE(MenuTexts(w.Session()->ContextMenu()), contextMenu);
    QCOMPARE(g_toolTip, QStringLiteral("Kelvora — ") + Addresses::kPresetHosts[0] + u'\n' + waiting);
    w.Edit1->setText(QStringLiteral("no.such.host"));
    w.Timer1Timer();
    QVERIFY2(QRegularExpression(failedToolTip).match(g_toolTip).hasMatch(), qPrintable(g_toolTip));
    QVERIFY2(QRegularExpression(readout).match(w.Label11->Caption()).hasMatch(), qPrintable(w.Label11->Caption()));
    QCOMPARE(w.Label7->Caption(), w.Label11->Caption());
}

void TestWindowLanguage::qtsOwnContextMenuSpeaksTheLanguage_data()
{
    QTest::addColumn<Language>("language");
    QTest::newRow("English") << Language::English;
    QTest::newRow("Russian") << Language::Russian;
}

void TestWindowLanguage::qtsOwnContextMenuSpeaksTheLanguage()
{
    QFETCH(Language, language);
    if (language != Language::English && !HaveQtTranslation(language))
        QSKIP("Qt's own translation is not installed (Debian package qt6-translations-l10n)");
    TForm1 &w = Shown(language);
    const std::unique_ptr<QMenu> menu(w.Edit1->createStandardContextMenu());
    // Without the shortcut each item shows after a tab.
    QStringList texts;
    for (const QString &text : MenuTexts(menu.get()))
        texts << text.section(u'\t', 0, 0);
    const bool english = texts.contains(QStringLiteral("&Copy")) && texts.contains(QStringLiteral("Select All"));
    QVERIFY2(english == (language == Language::English), qPrintable(texts.join(u',')));
    if (language == Language::Russian)
        QVERIFY2(texts.join(u',').contains(QStringLiteral("Копировать")), qPrintable(texts.join(u',')));
}

void TestWindowLanguage::sessionWindowTexts_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<QStringList>("someLabels");
    QTest::addColumn<QString>("unknownState");
    QTest::addColumn<QString>("downState");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QString>("openEnd");
    QTest::addColumn<QString>("loss");
    QTest::addColumn<QString>("axisNumber"); // 0.75 on the chart's axis
    QTest::newRow("English") << Language::English << "Session — Kelvora" << "Copy"
        << QStringList{"Host:", "Checks:", "Loss:", "min/avg/max/mdev, ms:", "Longest outage:"}
        << "unknown, not checked yet"
        << "^no connection since \\d{1,2}/\\d{1,2}/\\d\\d(\\d\\d)? \\d{1,2}:\\d\\d:\\d\\d( [AP]M)? \\(\\d+\\.\\d{3} s\\)$"
        << QStringList{"Start", "End", "Duration", "Failed checks", "Reason"} << "ongoing" << "100%" << "0.75";
    QTest::newRow("Russian") << Language::Russian << "Сеанс — Kelvora" << "Копировать"
        << QStringList{"Хост:", "Проверок:", "Потери:", "мин/сред/макс/откл, мс:", "Самый долгий сбой:"}
        << "неизвестно, ещё не проверялось"
        << "^нет связи, с \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d \\(\\d+,\\d{3} с\\)$"
        << QStringList{"Начало", "Конец", "Длительность", "Неудачных проверок", "Причина"} << "продолжается"
        << "100 %" << "0,75";
}

void TestWindowLanguage::sessionWindowTexts()
{
    QFETCH(Language, language);
    QFETCH(QString, title);
    QFETCH(QString, copy);
    QFETCH(QStringList, someLabels);
    QFETCH(QString, unknownState);
    QFETCH(QString, downState);
    QFETCH(QStringList, headers);
    QFETCH(QString, openEnd);
    QFETCH(QString, loss);
    QFETCH(QString, axisNumber);
    TForm1 &w = Shown(language);
    w.Session()->OpenSessionWindow();
    SessionWindow *session = w.Session()->Window();
    QVERIFY(session != nullptr);
    QCOMPARE(session->windowTitle(), title);
    QCOMPARE(SessionWindow::Title(), title);
    QStringList buttons;
    for (const QPushButton *button : session->findChildren<QPushButton *>())
        buttons << button->text();
    QVERIFY2(buttons.contains(copy), qPrintable(buttons.join(u',')));
    QStringList labels;
    for (const QLabel *label : session->findChildren<QLabel *>())
        labels << label->text();
    for (const QString &label : someLabels)
        QVERIFY2(labels.contains(label), qPrintable(label));
    QCOMPARE(session->FigureText(SessionWindow::Figure::State), unknownState);

    w.Edit1->setText(QStringLiteral("no.such.host"));
    w.Timer1Timer();
    session->Refresh();
    const QString state = session->FigureText(SessionWindow::Figure::State);
    QVERIFY2(QRegularExpression(downState).match(state).hasMatch(), qPrintable(state));
    QCOMPARE(session->FigureText(SessionWindow::Figure::Loss), loss);
    QCOMPARE(SessionTexts::Decimal(QStringLiteral("0.75")), axisNumber);
    const QTableView *table = session->findChild<QTableView *>();
    QVERIFY(table != nullptr);
    const QAbstractItemModel *model = table->model();
    QStringList shownHeaders;
    for (int column = 0; column < model->columnCount(); ++column)
        shownHeaders << model->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(shownHeaders, headers);
    QVERIFY(model->rowCount() >= 1);
    QCOMPARE(model->index(0, OutageTableModel::End).data().toString(), openEnd);
}

void TestWindowLanguage::notifications_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QStringList>("told");
    QTest::newRow("English") << Language::English
        << QStringList{"Connection lost: example.org | Connection refused",
                       "Connection restored: example.org | Was offline for 1 min 05 s",
                       "Connection lost: example.org | Host not found",
                       "Connection restored: example.org | Connected"};
    QTest::newRow("Russian") << Language::Russian
        << QStringList{"Связь потеряна: example.org | Соединение отклонено",
                       "Связь восстановлена: example.org | Связи не было 1 мин 05 с",
                       "Связь потеряна: example.org | Узел не найден",
                       "Связь восстановлена: example.org | Связь есть"};
}

void TestWindowLanguage::notifications()
{
    QFETCH(Language, language);
    QFETCH(QStringList, told);
    QVERIFY(UseLanguage(language));
    RecordingSink sink;
    StateNotifier notifier(sink);
    const QString host = QStringLiteral("example.org");
    notifier.CheckFinished(host, Check(true), std::nullopt);
    notifier.CheckFinished(host, Check(false), std::nullopt);
    notifier.CheckFinished(host, Check(true), std::chrono::seconds(65));
    notifier.CheckFinished(host, Check(false, FailureReason::Dns), std::nullopt);
    notifier.CheckFinished(host, Check(true), std::nullopt);
    QCOMPARE(sink.told, told);
}

void TestWindowLanguage::historyWindowTexts_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("ranges");
    QTest::addColumn<QStringList>("someLabels");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("exportTexts"); // the button, then its menu
    QTest::addColumn<QString>("empty");
    QTest::addColumn<QString>("mapName");
    QTest::addColumn<QString>("percent");       // 62.5
    QTest::addColumn<QString>("dateTime");      // a moment of an outage
    QTest::newRow("English") << Language::English
        << "History — Kelvora"
        << QStringList{"Today", "7 days", "30 days", "365 days", "Custom"}
        << QStringList{"Range:", "from", "to", "Time monitored:", "Availability:", "Outages:", "Longest:",
                       "Mean time between outages:"}
        << QStringList{"Start", "End", "Duration", "Failed checks", "Reasons"}
        << QStringList{"Export…", "Checks as CSV…", "Heat map as PNG…"} << "No history yet: it holds no checks."
        << "Availability heat map" << "62.5%"
        << "^\\d{1,2}/\\d{1,2}/\\d\\d(\\d\\d)? \\d{1,2}:\\d\\d:\\d\\d( [AP]M)?$";
    QTest::newRow("Russian") << Language::Russian
        << "История — Kelvora"
        << QStringList{"Сегодня", "7 дней", "30 дней", "365 дней", "Период"}
        << QStringList{"Период:", "с", "по", "Время наблюдения:", "Доступность:", "Отказов связи:", "Самый долгий:",
                       "Среднее время между отказами:"}
        << QStringList{"Начало", "Конец", "Длительность", "Неудачных проверок", "Причины"}
        << QStringList{"Экспорт…", "Проверки в CSV…", "Тепловая карта в PNG…"}
        << "История пока пуста: в ней нет ни одной проверки." << "Тепловая карта доступности" << "62,5 %"
        << "^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$";
}

// The history window over a file not yet written: its title, choices,
// labels, headers, export menu and what it says of the missing file; its
// numbers and dates as the language writes them.
void TestWindowLanguage::historyWindowTexts()
{
    QFETCH(Language, language);
    QFETCH(QString, title);
    QFETCH(QStringList, ranges);
    QFETCH(QStringList, someLabels);
    QFETCH(QStringList, headers);
    QFETCH(QStringList, exportTexts);
    QFETCH(QString, empty);
    QFETCH(QString, mapName);
    QFETCH(QString, percent);
    QFETCH(QString, dateTime);
    QVERIFY(UseLanguage(language));
    const QTemporaryDir dir;
    HistoryWindow history((dir.path() + QStringLiteral("/history.sqlite")).toStdString(), ReaderSettings{},
                          [](QWidget *, const QString &, const QString &, const QString &) { return QString(); });
    history.show();
    QCOMPARE(history.windowTitle(), title);
    QCOMPARE(HistoryWindow::Title(), title);
    QStringList shownRanges;
    for (int index = 0; index < history.Ranges()->count(); ++index)
        shownRanges << history.Ranges()->itemText(index);
    QCOMPARE(shownRanges, ranges);
    QStringList labels;
    for (const QLabel *label : history.findChildren<QLabel *>())
        labels << label->text();
    for (const QString &label : someLabels)
        QVERIFY2(labels.contains(label), qPrintable(label));
    QStringList shownHeaders;
    for (int column = 0; column < history.Outages()->columnCount(); ++column)
        shownHeaders << history.Outages()->horizontalHeaderItem(column)->text();
    QCOMPARE(shownHeaders, headers);
    const QPushButton *button = nullptr;
    for (const QPushButton *candidate : history.findChildren<QPushButton *>())
        if (candidate->menu() != nullptr)
            button = candidate;
    QVERIFY(button != nullptr);
    QCOMPARE(QStringList{button->text()} + MenuTexts(button->menu()), exportTexts);
    QCOMPARE(history.Problem()->text(), empty);
    QCOMPARE(history.Map()->accessibleName(), mapName);

    QCOMPARE(HistoryTexts::Percent(62.5), percent);
    const QString moment = HistoryTexts::DateTime(1'772'409'570'000); // 2026-03-02 00:19:30 UTC
    QVERIFY2(QRegularExpression(dateTime).match(moment).hasMatch(), qPrintable(moment));
}

void TestWindowLanguage::captionsFitTheirBoxes_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<int>("textHeight"); // 13: scale 1, 26: scale 2
    for (const Language language : {Language::English, Language::Russian}) {
        for (const int textHeight : {13, 26}) {
            const QString name = QStringLiteral("%1 at scale %2").arg(LanguageCode(language)).arg(textHeight / 13);
            QTest::newRow(qPrintable(name)) << language << textHeight;
        }
    }
}

// Each caption in the font the layout gives it at that scale, against the
// room it has: its box for English (a text too long gets a shorter
// wording, not a wider box), and for every language up to its neighbour.
void TestWindowLanguage::captionsFitTheirBoxes()
{
    QFETCH(Language, language);
    QFETCH(int, textHeight);
    const LayoutScale scale(textHeight);
    for (const Caption &caption : kCaptions) {
        const QFont font = caption.readout ? ReadoutFont(scale(24)) : WindowFont(scale(11), true);
        const int width = QFontMetrics(font).horizontalAdvance(CaptionText(caption.name, language));
        const int left = scale(caption.box.x());
        const QString what = QStringLiteral("%1 \"%2\": %3 px").arg(QLatin1String{caption.name},
                                                                    CaptionText(caption.name, language))
                                 .arg(width);
        if (language == Language::English)
            QVERIFY2(width <= scale(caption.box.width()), qPrintable(what + QStringLiteral(" > box")));
        if (caption.neighbourLeft > 0)
            QVERIFY2(left + width < scale(caption.neighbourLeft), qPrintable(what + QStringLiteral(" meets its neighbour")));
    }
}

void TestWindowLanguage::theWindowsCaptionsStayInsideTheirRoom_data()
{
    QTest::addColumn<Language>("language");
    QTest::newRow("English") << Language::English;
    QTest::newRow("Russian") << Language::Russian;
}

// The real window as the screen sizes it (CTest runs this file a second
// time with QT_SCALE_FACTOR=2): each label as wide as its text, no wider
// than the room before the control to its right, and as high as its box.
void TestWindowLanguage::theWindowsCaptionsStayInsideTheirRoom()
{
    QFETCH(Language, language);
    TForm1 &w = Shown(language);
    const LayoutScale &scale = w.Scale();
    for (const Caption &caption : kCaptions) {
        const TLabel *label = LabelNamed(w, caption.name);
        const QRect shown = label->geometry();
        QCOMPARE(label->Caption(), CaptionText(caption.name, language));
        QCOMPARE(shown.width(), label->TextExtent().width());
        QVERIFY2(shown.height() <= scale(caption.box.height()) + 1, caption.name);
        if (caption.neighbourLeft > 0)
            QVERIFY2(shown.right() < scale(caption.neighbourLeft), caption.name);
    }
    QVERIFY(w.Label1->geometry().right() < w.SpinEdit1->geometry().left());
    QVERIFY(w.Label6->geometry().right() < w.Edit1->geometry().left());
    QVERIFY(w.Label2->geometry().left() > w.SpinEdit1->geometry().right());
    QVERIFY(w.Label2->geometry().right() < w.Button1->geometry().left());
}

KELVORA_UI_TEST_MAIN(TestWindowLanguage)
#include "tst_windowlanguage.moc"
