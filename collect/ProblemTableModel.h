// The window's table of problems: file, line, what is wrong.
#pragma once

#include "collect/ProblemReport.h"

#include <QAbstractTableModel>

class ProblemTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Paths are shown without the leading prefix (the folder that holds the
    // input folder), so that the table shows what tells files apart; the
    // tooltip has the whole path.
    void setEntries(const QList<ProblemReport::Entry> &entries, const QString &prefix = {});
    const QList<ProblemReport::Entry> &entries() const { return entries_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString shown(const QString &text) const;

    QList<ProblemReport::Entry> entries_;
    QString prefix_;
};
