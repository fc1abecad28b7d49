// Each cell is the check report's own cell, so the table says what the CSV says.
#include "collect/window/CheckTableModel.h"

#include "collect/data/FindingRows.h"

void CheckTableModel::setDataSet(const DataSet *data)
{
    beginResetModel();
    data_ = data;
    endResetModel();
}

int CheckTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !data_ ? 0 : int(data_->findings().size());
}

int CheckTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CheckTableModel::data(const QModelIndex &index, int role) const
{
    if (!data_ || !index.isValid() || index.row() >= data_->findings().size())
        return {};
    using C = FindingRows::Column;
    const DataSet::Finding &f = data_->findings()[index.row()];
    auto cell = [&](C column) { return FindingRows::cell(*data_, f, column); };
    if (role == Qt::ToolTipRole) {
        switch (index.column()) {
        case Check:
            return cell(C::Check) + QLatin1Char('\n') + cell(C::Description);
        case File:
            return cell(C::File) + QLatin1Char('\n') + cell(C::Enterprise);
        case Values:
            return cell(C::Values);
        default:
            return {};
        }
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Severity:
        return cell(C::Severity);
    case Check:
        return DataChecks::all()[size_t(f.check.check)].title.toString();
    case File:
        return cell(C::File);
    case Values:
        return cell(C::Values);
    default:
        return {};
    }
}

QVariant CheckTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    const QStringList captions = FindingRows::captions();
    switch (section) {
    case Severity:
        return captions[int(FindingRows::Column::Severity)];
    case Check:
        return captions[int(FindingRows::Column::Check)];
    case File:
        return captions[int(FindingRows::Column::File)];
    case Values:
        return captions[int(FindingRows::Column::Values)];
    default:
        return {};
    }
}
