// Independent readers of the collector's outputs, for the tests: CSV by the
// RFC's grammar, Excel by unzipping the workbook and reading its XML, SPSS and
// Stata through ReadStat's parsers.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace OutputReaders {

// An HTML text or attribute as a reader sees it: the report's four escapes undone.
QString unescapeHtml(QString text);

// Rows of fields; false when the text breaks the grammar (a stray quote, a
// row not ended by CR LF). The byte-order mark is expected and removed.
bool parseCsv(const QByteArray &bytes, QList<QStringList> &rows);

struct Cell {
    bool number = false;
    QString text;   // a number as written in the XML
    QString format; // its number format: "General", "#,##0.00", "0.0%", …
};

struct Sheet {
    QString name;
    QMap<QPair<int, int>, Cell> cells; // (row, column), both from 0
    QMap<QPair<int, int>, QString> notes;
    int frozenRows = 0;
    int frozenColumns = 0;
    QString autoFilter; // its range ("A1:F12"), empty for none
    // Links within the workbook: where each leads ("'Sheet'!A5").
    QMap<QPair<int, int>, QString> links;
};

// The sheets in workbook order; empty when the file is no workbook.
QList<Sheet> readXlsx(const QString &path);

struct StatVariable {
    QString name;
    QString label;
    bool isString = false;
    bool isStrL = false; // Stata: a strL
    QString labelSet;
    int storageWidth = 0;
    QString format;        // "F8.2", "A12", "%12s", …
    QString measure;       // "nominal", "ordinal", "scale", or empty
    int displayWidth = 0;  // SPSS
    QList<double> missing; // user-missing values (SPSS)
};

struct StatFile {
    bool ok = false;
    QString error;
    QString fileLabel;
    QList<StatVariable> variables;
    QHash<QString, QMap<int, QString>> labelSets; // a tagged missing value (Stata's .a) as -'a'
    QList<QList<QVariant>> rows; // QString, double, null for system missing, or a QChar: a tagged missing value
};

// format "sav" or "dta". Without ReadStat in the build, ok is false.
StatFile readStat(const QString &path, const QString &format);

// Whether this build writes SPSS and Stata files (with ReadStat). Where it
// does not, tests write the syntax file that stands for each instead and read
// back only what exists.
bool spssAndStataBuiltIn();
// "sav" or "dta" where they are built in; else "sps" or "do".
QString statExtension(const QString &format);

} // namespace OutputReaders
