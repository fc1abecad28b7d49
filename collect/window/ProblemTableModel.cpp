// The table shows the entries as they are; a reason is wrapped by the view, whole in its tooltip.
#include "collect/window/ProblemTableModel.h"

void ProblemTableModel::setEntries(const QList<ProblemReport::Entry> &entries)
{
    beginResetModel();
    entries_ = entries;
    endResetModel();
}

int ProblemTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(entries_.size());
}

int ProblemTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProblemTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    const ProblemReport::Entry &e = entries_[index.row()];
    if (role == Qt::ToolTipRole && index.column() == What)
        return e.raw.isEmpty() ? e.what : e.what + QStringLiteral("\n原文：") + e.raw;
    if (role == Qt::ToolTipRole && index.column() == File)
        return e.file;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case What:
        return e.what;
    case File:
        return e.file;
    case Line:
        return e.line > 0 ? QVariant(e.line) : QVariant();
    default:
        return {};
    }
}

QVariant ProblemTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case What:
        return QStringLiteral("问题");
    case File:
        return QStringLiteral("文件");
    case Line:
        return QStringLiteral("行");
    default:
        return {};
    }
}
