// The window's table of the data checks' findings: the severity, the check,
// the file and the values involved; the check's description in its tooltip.
// Rows are put in words only when shown, from the data set of the last merge.
#pragma once

#include "collect/data/DataSet.h"

#include <QAbstractTableModel>

class CheckTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Severity, Check, File, Values, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // The findings of data, which must outlive its showing here; nullptr for none.
    void setDataSet(const DataSet *data);
    const DataSet *dataSet() const { return data_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const DataSet *data_ = nullptr;
};
