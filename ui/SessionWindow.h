// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QWidget>

#include <map>

class LatencyChart;
class OutageTableModel;
class QLabel;
class QPushButton;
class QTableView;
class SessionHistory;

// The session window "Сеанс — Kelvora": the session's target and the
// figures of its record with Russian labels (the last check's address with
// its family, and its time with the lookup's and the connect's shares), the latency chart of the whole
// session, the outages newest first and the button "Копировать", which puts
// the session on the clipboard (SessionHistory::CopyText). Before the
// session's first check it says that the state is unknown.
//
// A plain non-modal top-level window that hides when closed or on Escape. It
// shows the history as of its last Refresh; it refreshes itself when shown,
// and its owner refreshes it after each check while it is visible (never
// while it is hidden, so it costs nothing then). The history is borrowed and
// must outlive the window.
class SessionWindow final : public QWidget {
    Q_OBJECT
public:
    // The figures, in the order they are shown.
    enum class Figure {
        Host,
        Checks,
        Succeeded,
        Failed,
        Loss,
        Latency,
        Percentiles,
        State,
        TotalUp,
        TotalDown,
        LongestOutage,
        LongestUptime,
        Address,
        LastCheck,
    };

    explicit SessionWindow(const SessionHistory &history, QWidget *parent = nullptr);
    ~SessionWindow() override;

    static QString Title() { return QCoreApplication::translate("SessionWindow", "Session — Kelvora"); }
    static QString Label(Figure figure);

    // Reads the history and shows it.
    void Refresh();
    // The text a figure shows now.
    QString FigureText(Figure figure) const;

    LatencyChart *Chart() const { return chart_; }
    QTableView *Outages() const { return outages_; }
    OutageTableModel *OutageModel() const { return outageModel_; }
    QPushButton *CopyButton() const { return copy_; }

    // Puts the session on the clipboard.
    void Copy();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *BuildFigures();
    void BuildOutages();

    const SessionHistory &history_;
    std::map<Figure, QLabel *> figures_;
    LatencyChart *chart_ = nullptr;
    OutageTableModel *outageModel_ = nullptr;
    QTableView *outages_ = nullptr;
    QPushButton *copy_ = nullptr;
};
