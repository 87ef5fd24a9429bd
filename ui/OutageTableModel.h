// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#pragma once

#include <QAbstractTableModel>

#include <chrono>

class SessionRecord;

// The outages of a session record as a table, newest first: start, end (or
// "продолжается"), duration, failed checks and reason. Rows are read from
// the record when the view asks for them, so a long list costs nothing until
// it is scrolled to. The record is borrowed and must outlive the model.
class OutageTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Start, End, Length, FailedChecks, Reason, ColumnCount };

    explicit OutageTableModel(const SessionRecord &record, QObject *parent = nullptr);

    // Brings the table up to the record after a check: a new or ended outage
    // resets it, otherwise only the open outage's row changes.
    void Refresh();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const SessionRecord &record_;
    int rows_ = 0;
    bool open_ = false;
    std::chrono::system_clock::time_point newestStart_;
};
