// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/OutageTableModel.h"

#include "session/SessionRecord.h"
#include "ui/SessionTexts.h"

#include <QCoreApplication>
#include <algorithm>
#include <limits>

OutageTableModel::OutageTableModel(const SessionRecord &record, QObject *parent)
    : QAbstractTableModel(parent), record_(record)
{
    Refresh();
}

void OutageTableModel::Refresh()
{
    const int rows = static_cast<int>(std::min<std::size_t>(record_.OutagesKept(), std::numeric_limits<int>::max()));
    const std::optional<Outage> newest = record_.OutageAt(0);
    const bool open = newest && newest->open;
    const auto newestStart = newest ? newest->start : std::chrono::system_clock::time_point{};
    // The rows stay while no outage begins or ends; meanwhile only the open
    // outage at the top grows.
    if (rows != rows_ || open != open_ || newestStart != newestStart_) {
        beginResetModel();
        rows_ = rows;
        open_ = open;
        newestStart_ = newestStart;
        endResetModel();
    } else if (open) {
        emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
    }
}

int OutageTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int OutageTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OutageTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_ || (role != Qt::DisplayRole && role != Qt::TextAlignmentRole))
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == Reason ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    const std::optional<Outage> outage = record_.OutageAt(static_cast<std::size_t>(index.row()));
    if (!outage)
        return {};
    switch (index.column()) {
    case Start:
        return SessionTexts::DateTime(outage->start);
    case End:
        return outage->open ? QCoreApplication::translate("Outages", "ongoing") : SessionTexts::DateTime(outage->end);
    case Length:
        return SessionTexts::Duration(outage->duration);
    case FailedChecks:
        return QString::number(outage->failedChecks);
    case Reason:
        return SessionTexts::Reasons(outage->reasons);
    default:
        return {};
    }
}

QVariant OutageTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Start: return QCoreApplication::translate("Outages", "Start");
    case End: return QCoreApplication::translate("Outages", "End");
    case Length: return QCoreApplication::translate("Outages", "Duration");
    case FailedChecks: return QCoreApplication::translate("Outages", "Failed checks");
    case Reason: return QCoreApplication::translate("Outages", "Reason");
    default: return {};
    }
}
