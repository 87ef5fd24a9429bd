// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

class LatencyChart;
class OutageTableModel;
class QLabel;
class QPushButton;
class QTableView;
class SessionHistory;

// The session window "Сеанс — Kelvora": the figures of the session record
// with Russian labels, the latency chart of the whole session, the outages
// newest first and the button "Копировать", which puts the session on the
// clipboard (SessionHistory::CopyText).
//
// A plain non-modal top-level window that hides when closed. It shows the
// history as of its last Refresh; it refreshes itself when shown, and its
// owner refreshes it after each check while it is visible (never while it is
// hidden, so it costs nothing then). The history is borrowed and must
// outlive the window; `hostNow` gives the host field's text for a copy made
// before the first check.
class SessionWindow final : public QWidget {
    Q_OBJECT
public:
    // The figures, in the order they are shown.
    enum class Figure {
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
    };

    SessionWindow(const SessionHistory &history, std::function<std::string()> hostNow, QWidget *parent = nullptr);
    ~SessionWindow() override;

    static QString Title() { return QStringLiteral("Сеанс — Kelvora"); }
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
    void changeEvent(QEvent *event) override;

private:
    QWidget *BuildFigures();

    const SessionHistory &history_;
    std::function<std::string()> hostNow_;
    std::map<Figure, QLabel *> figures_;
    LatencyChart *chart_ = nullptr;
    OutageTableModel *outageModel_ = nullptr;
    QTableView *outages_ = nullptr;
    QPushButton *copy_ = nullptr;
};
