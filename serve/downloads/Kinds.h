// What can be downloaded, in one table made from the collector's own: the
// data set in each format this build writes, the codebook, the problem list
// and the checks in theirs, the report in each of its formats, and the zip
// of the original files.
#pragma once

#include "collect/export/Formats.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace Serve::Downloads {

struct Kind {
    QString name;    // in the address and as the file's name: "data.csv", "report.pdf", "originals.zip"
    QString caption; // for people
    OutputContent content = OutputContent::DataSet;
    bool originals = false;
    bool companion = false; // a syntax file: sent zipped with the CSV it reads

    QString fileName() const; // as sent: the syntax files in a zip
    QByteArray contentType() const;
};

QList<Kind> kinds();
std::optional<Kind> kindOf(const QString &name);

} // namespace Serve::Downloads
