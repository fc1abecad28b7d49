// The problem table's model.
#include "collect/ProblemTableModel.h"

void ProblemTableModel::setEntries(const QList<ProblemReport::Entry> &entries, const QString &prefix)
{
    beginResetModel();
    entries_ = entries;
    prefix_ = prefix;
    endResetModel();
}

QString ProblemTableModel::shown(const QString &text) const
{
    if (prefix_.isEmpty())
        return text;
    QString out = text;
    return out.replace(prefix_, QString());
}

int ProblemTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(entries_.size());
}

int ProblemTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant ProblemTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    const ProblemReport::Entry &e = entries_[index.row()];
    if (role == Qt::ToolTipRole && index.column() == 0)
        return e.file;
    if (role == Qt::ToolTipRole && index.column() == 2)
        return e.raw.isEmpty() ? e.what : e.what + QStringLiteral("\n原文：") + e.raw;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return shown(e.file);
    case 1:
        return e.line > 0 ? QVariant(e.line) : QVariant();
    case 2:
        return shown(e.what);
    default:
        return {};
    }
}

QVariant ProblemTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case 0:
        return QStringLiteral("文件");
    case 1:
        return QStringLiteral("行");
    case 2:
        return QStringLiteral("问题");
    default:
        return {};
    }
}
