// The window's table of problems: what is wrong first, then the file and the
// line. A reason too long for its column shows whole in its tooltip, with the
// text at fault.
#pragma once

#include "collect/data/ProblemReport.h"

#include <QAbstractTableModel>

class ProblemTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { What, File, Line, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(const QList<ProblemReport::Entry> &entries);
    const QList<ProblemReport::Entry> &entries() const { return entries_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<ProblemReport::Entry> entries_;
};
