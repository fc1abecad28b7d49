// Both files are made from the data set's variables and the dictionary the
// .sav and .dta writers use, so the three routes agree. The syntax names the
// CSV by its whole path: SPSS and Stata resolve a bare name against their own
// working folder, not the syntax file's.
#include "collect/export/SyntaxExporter.h"

#include "collect/data/DataSet.h"
#include "collect/export/CsvText.h"
#include "collect/export/StatDictionary.h"
#include "platform/SafeFile.h"

#include <QFileInfo>
#include <QHash>

#include <functional>

namespace SyntaxExporter {
namespace {

using Kind = DataSet::Kind;

// Syntax lines kept short, as older SPSS versions want them.
constexpr qsizetype kChunkBytes = 60;
constexpr qsizetype kLineWidth = 72;
// The name a widened text is read under first.
constexpr QStringView kWideSuffix = u"_csv";

// The names, wrapped into lines of the given indent.
QString wrapped(const QStringList &names, const QString &indent)
{
    QString out;
    QString line = indent;
    for (const QString &name : names) {
        if (line.size() > indent.size() && line.size() + 1 + name.size() > kLineWidth) {
            out += line + QLatin1Char('\n');
            line = indent;
        }
        if (line.size() > indent.size())
            line += QLatin1Char(' ');
        line += name;
    }
    return out + line;
}

QString cutToBytes(const QString &text, qsizetype bytes)
{
    return QString::fromUtf8(TextLimit::cutBytes(text.toUtf8(), bytes).toByteArray());
}

// An SPSS string literal: '…', a quote doubled, long texts in pieces joined by +.
QString spssQuoted(const QString &text)
{
    QByteArray rest = text.toUtf8();
    QStringList pieces;
    do {
        const QByteArray piece = TextLimit::cutBytes(rest, kChunkBytes).toByteArray();
        rest = rest.mid(piece.size());
        pieces << QLatin1Char('\'') + QString::fromUtf8(piece).replace(QLatin1Char('\''), QStringLiteral("''")) +
                      QLatin1Char('\'');
    } while (!rest.isEmpty());
    return pieces.join(QStringLiteral("\n      + "));
}

// Text in a do-file: $ and ` would name macros, so they are escaped.
QString stataText(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('$'), QStringLiteral("\\$"));
    text.replace(QLatin1Char('`'), QStringLiteral("\\`"));
    return text;
}

// A Stata string in compound quotes, which hold any quote.
QString stataQuoted(const QString &text)
{
    return QStringLiteral("`\"") + stataText(text) + QStringLiteral("\"'");
}

// The names wrapped for Stata, each line but the last continued by ///.
QString stataWrapped(const QStringList &names, const QString &indent, const QString &continued)
{
    return wrapped(names, indent).replace(QLatin1Char('\n'), QStringLiteral(" ///\n") + continued);
}

// The CSV's formula characters as SPSS strings: "=", "+", ..., X'09'.
QString spssFormulaStarts()
{
    QStringList strings;
    for (char c : CsvText::kFormulaStarts)
        strings << (QChar(QLatin1Char(c)).isPrint()
                        ? QStringLiteral("\"%1\"").arg(QLatin1Char(c))
                        : QStringLiteral("X'%1'").arg(
                              QString::number(int(c), 16).rightJustified(2, QLatin1Char('0')).toUpper()));
    return strings.join(QStringLiteral(", "));
}

// The CSV's formula characters as a class of a regular expression: [=+\-@\t\r].
QString regexFormulaStarts()
{
    QString chars;
    for (char c : CsvText::kFormulaStarts) {
        if (c == '\t')
            chars += QStringLiteral("\\t");
        else if (c == '\r')
            chars += QStringLiteral("\\r");
        else if (QByteArrayView("-]\\^[").contains(c))
            chars += QStringLiteral("\\") + QLatin1Char(c);
        else
            chars += QLatin1Char(c);
    }
    return QLatin1Char('[') + chars + QLatin1Char(']');
}

// What both syntax files are made from: the variables, their dictionary, the CSV's path.
class Syntax : public Exporter {
public:
    bool open(SafeFile &file, const Target &target) override
    {
        file_ = &file;
        data_ = &target.data;
        csv_ = QFileInfo(target.companion).absoluteFilePath();
        limit_ = target.limit;
        return true;
    }

    bool header() override
    {
        columns_ = statColumns(*data_);
        return file_->write(text().toUtf8());
    }

    bool row(qsizetype) override { return true; }
    bool finish() override { return !file_->failed(); }
    QString errorText() const override { return file_->errorText(); }

protected:
    virtual QString text() const = 0;

    const QList<DataSet::Variable> &variables() const { return data_->variables(); }

    // Variables that share a label set, in the order of their first member.
    struct LabelGroup {
        const DataSet::Variable *first;
        QStringList names;
    };
    QList<LabelGroup> labelGroups(bool (*labelled)(const DataSet::Variable &)) const
    {
        QList<LabelGroup> groups;
        QHash<QString, qsizetype> groupOf;
        for (const DataSet::Variable &v : variables()) {
            if (!labelled(v))
                continue;
            auto it = groupOf.constFind(v.labelSet);
            if (it == groupOf.cend()) {
                it = groupOf.insert(v.labelSet, groups.size());
                groups.append(LabelGroup{&v, {}});
            }
            groups[it.value()].names << v.name;
        }
        return groups;
    }

    QStringList namesWhere(const std::function<bool(const DataSet::Variable &)> &keep) const
    {
        QStringList names;
        for (const DataSet::Variable &v : variables())
            if (keep(v))
                names << v.name;
        return names;
    }

    // A comment line with the filter that made the data set; nothing without one.
    QString filterNote(QStringView end) const
    {
        return data_->filter().isEmpty() ? QString() : QStringLiteral("* %1%2\n").arg(data_->filter(), end);
    }

    static bool isText(const DataSet::Variable &v) { return !v.isNumeric(); }
    static bool holdsNotApplicableCode(const DataSet::Variable &v) { return v.canBeNotApplicable() && v.isNumeric(); }

    SafeFile *file_ = nullptr;
    const DataSet *data_ = nullptr;
    QString csv_;
    TextLimit limit_;
    QList<StatColumn> columns_;
};

// SPSS syntax, one command after another.
class SpssSyntax : public Syntax {
protected:
    QString text() const override
    {
        // In order: reading the CSV names the texts that the later steps take up.
        QStringList texts, widened;
        QString s = preamble();
        s += getData(texts, widened);
        s += formulaMark(texts);
        s += widen(widened);
        s += QStringLiteral("EXECUTE.\n\n");
        // As the .sav's; the words end at the point, so the title holds none.
        s += QStringLiteral("FILE LABEL %1.\n\n").arg(statFileLabel(*data_));
        s += formats();
        s += variableLabels();
        s += valueLabels();
        s += missingValues();
        s += levels();
        s += widths();
        return s;
    }

private:
    QString preamble() const
    {
        QString s = QStringLiteral("* Encoding: UTF-8.\n");
        // A comment ends with a point at the end of its line (interactive syntax).
        s += QStringLiteral("* %1：读取 CSV，加上变量标签、值标签、缺失值（含“不适用”）、格式和测量级别.\n")
                 .arg(kStatDataSetTitle);
        s += QStringLiteral("* 文件移动后，把 /FILE 中的路径改为 CSV 的新位置。读入后可用 SAVE OUTFILE 保存为 .sav.\n");
        s += filterNote(u".");
        return s;
    }

    // Reading the CSV. A text whose longest value has the CSV's formula mark
    // is read one byte wider under another name (in widened), and copied into
    // its own width once the mark is off.
    QString getData(QStringList &texts, QStringList &widened) const
    {
        QString s = QStringLiteral("GET DATA\n  /TYPE=TXT\n  /FILE=%1\n  /ENCODING='UTF8'\n  /ARRANGEMENT=DELIMITED\n"
                                   "  /DELCASE=LINE\n  /FIRSTCASE=2\n  /DELIMITERS=\",\"\n  /QUALIFIER='\"'\n"
                                   "  /VARIABLES=\n")
                        .arg(spssQuoted(csv_));
        for (qsizetype i = 0; i < variables().size(); ++i) {
            const DataSet::Variable &v = variables()[i];
            const StatColumn &c = columns_[i];
            QString name = v.name, input;
            if (!v.isNumeric()) {
                input = c.spssFormat(v, limit_);
                if (c.csvBytes > c.bytes && c.bytes < limit_.most) {
                    name += kWideSuffix;
                    input = QStringLiteral("A%1").arg(std::min(c.csvBytes, limit_.most));
                    widened << v.name;
                }
                texts << name;
            } else {
                // Read as plain numbers: a format's decimals would put a point into "5".
                input = v.kind == Kind::Modified ? QStringLiteral("YMDHMS19") : QStringLiteral("F40.0");
            }
            s += QStringLiteral("    %1 %2\n").arg(name, input);
        }
        return s + QStringLiteral(".\n\n");
    }

    // The CSV marks a text that a spreadsheet would take for a formula with a
    // leading '; the mark comes off here.
    QString formulaMark(const QStringList &texts) const
    {
        return QStringLiteral("* 去掉 CSV 为防公式而加在文字前的 '.\nDO REPEAT v =\n%1.\n"
                              "IF (SUBSTR(v, 1, 1) = \"'\" AND ANY(SUBSTR(LTRIM(v, \"'\"), 1, 1), %2)) "
                              "v = SUBSTR(v, 2).\nEND REPEAT.\n")
            .arg(wrapped(texts, QStringLiteral("    ")), spssFormulaStarts());
    }

    QString widen(const QStringList &widened) const
    {
        if (widened.isEmpty())
            return {};
        QString s;
        for (qsizetype i = 0; i < variables().size(); ++i) {
            const DataSet::Variable &v = variables()[i];
            if (widened.contains(v.name))
                s += QStringLiteral("STRING %1 (%2).\nCOMPUTE %1 = %1%3.\n")
                         .arg(v.name, columns_[i].spssFormat(v, limit_), kWideSuffix);
        }
        QStringList names;
        for (const DataSet::Variable &v : variables())
            names << v.name;
        return s + QStringLiteral("MATCH FILES /FILE=* /KEEP=\n%1.\n").arg(wrapped(names, QStringLiteral("    ")));
    }

    // A command of parts, one a line, each after the first begun with /.
    static QString command(const QString &name, const QStringList &parts)
    {
        return name + QLatin1Char('\n') + parts.join(QStringLiteral("\n /")) + QStringLiteral(".\n\n");
    }

    QString formats() const
    {
        QStringList parts;
        for (qsizetype i = 0; i < variables().size(); ++i)
            if (variables()[i].isNumeric())
                parts << QStringLiteral("  %1 (%2)")
                             .arg(variables()[i].name, columns_[i].spssFormat(variables()[i], limit_));
        return command(QStringLiteral("FORMATS"), parts);
    }

    QString variableLabels() const
    {
        QStringList parts;
        for (const DataSet::Variable &v : variables())
            parts << QStringLiteral("  %1 %2").arg(
                v.name, spssQuoted(cutToBytes(v.label, StatLimits::kSpssVariableLabelBytes)));
        return command(QStringLiteral("VARIABLE LABELS"), parts);
    }

    QString valueLabels() const
    {
        QStringList parts;
        const auto labelled = [](const DataSet::Variable &v) { return !v.valueLabels.isEmpty(); };
        for (const LabelGroup &group : labelGroups(labelled)) {
            QString part = wrapped(group.names, QStringLiteral("  "));
            for (const DataSet::ValueLabel &l : group.first->valueLabels)
                part += QStringLiteral("\n    %1 %2")
                            .arg(l.value)
                            .arg(spssQuoted(cutToBytes(l.label, StatLimits::kSpssValueLabelBytes)));
            parts << part;
        }
        return command(QStringLiteral("VALUE LABELS"), parts);
    }

    QString missingValues() const
    {
        const QStringList coded = namesWhere(holdsNotApplicableCode);
        if (coded.isEmpty())
            return {};
        return QStringLiteral("* 不适用：%1.\nMISSING VALUES\n%2 (%1).\n\n")
            .arg(DataSet::kNotApplicableCode)
            .arg(wrapped(coded, QStringLiteral("  ")));
    }

    QString levels() const
    {
        const struct {
            DataSet::Measure measure;
            const char *word;
        } levels[] = {{DataSet::Measure::Nominal, "NOMINAL"},
                      {DataSet::Measure::Ordinal, "ORDINAL"},
                      {DataSet::Measure::Scale, "SCALE"}};
        QStringList parts;
        for (const auto &level : levels) {
            const QStringList names =
                namesWhere([&](const DataSet::Variable &v) { return v.measure == level.measure; });
            if (!names.isEmpty())
                parts << wrapped(names, QStringLiteral("  ")) + QStringLiteral(" (%1)").arg(QLatin1String(level.word));
        }
        return command(QStringLiteral("VARIABLE LEVEL"), parts);
    }

    QString widths() const
    {
        QStringList parts;
        for (qsizetype i = 0; i < variables().size(); ++i)
            parts << QStringLiteral("  %1 (%2)").arg(variables()[i].name).arg(columns_[i].displayWidth);
        return command(QStringLiteral("VARIABLE WIDTH"), parts);
    }
};

// A Stata do-file, one step after another.
class StataSyntax : public Syntax {
protected:
    QString text() const override
    {
        return preamble() + importCsv() + formulaMark() + dateTimes() + notApplicable() + variableLabels() +
               valueLabels() + notes() + formats() +
               QStringLiteral("\nlabel data %1\n").arg(stataQuoted(statFileLabel(*data_)));
    }

private:
    QString preamble() const
    {
        return QStringLiteral("* %1：读取 CSV，加上变量标签、值标签、“不适用”（.a）和显示格式。\n")
                   .arg(kStatDataSetTitle) +
               QStringLiteral("* Stata 14 或更新版本。文件移动后，把 using 后的路径改为 CSV 的新位置。\n") +
               filterNote({}) + QStringLiteral("version 14\n");
    }

    // The CSV's columns by number, then their names.
    QString importCsv() const
    {
        QStringList textColumns, numberColumns;
        for (qsizetype i = 0; i < variables().size(); ++i) {
            const DataSet::Variable &v = variables()[i];
            (!v.isNumeric() || v.kind == Kind::Modified ? textColumns : numberColumns) << QString::number(i + 1);
        }
        QString s =
            QStringLiteral("import delimited using %1, delimiters(\",\") bindquote(strict) varnames(nonames) ///\n"
                           "    rowrange(2) encoding(\"utf-8\") asdouble clear ///\n"
                           "    stringcols(%2) ///\n"
                           "    numericcols(%3)\n")
                .arg(stataQuoted(csv_), stataWrapped(textColumns, QString(), QStringLiteral("        ")),
                     stataWrapped(numberColumns, QString(), QStringLiteral("        ")));
        for (qsizetype i = 0; i < variables().size(); ++i)
            s += QStringLiteral("rename v%1 %2\n").arg(i + 1).arg(variables()[i].name);
        return s;
    }

    QString formulaMark() const
    {
        return QStringLiteral("\n* 去掉 CSV 为防公式而加在文字前的 '。\nforeach v of varlist ///\n%1 {\n"
                              "    quietly replace `v' = substr(`v', 2, .) if ustrregexm(`v', \"^'+%2\")\n}\n")
            .arg(stataWrapped(namesWhere(isText), QStringLiteral("    "), QString()), regexFormulaStarts());
    }

    QString dateTimes() const
    {
        QString s;
        for (const DataSet::Variable &v : variables())
            if (v.kind == Kind::Modified)
                s += QStringLiteral("\ngenerate double %1_ = clock(%1, \"YMDhms\")\norder %1_, after(%1)\ndrop %1\n"
                                    "rename %1_ %1\n")
                         .arg(v.name);
        return s;
    }

    QString notApplicable() const
    {
        const QStringList coded = namesWhere(holdsNotApplicableCode);
        if (coded.isEmpty())
            return {};
        return QStringLiteral("\n* 不适用：.a\nmvdecode ///\n%1, mv(%2 = .a)\n")
            .arg(stataWrapped(coded, QStringLiteral("    "), QString()))
            .arg(DataSet::kNotApplicableCode);
    }

    QString variableLabels() const
    {
        QString s = QStringLiteral("\n");
        for (const DataSet::Variable &v : variables())
            s += QStringLiteral("label variable %1 %2\n")
                     .arg(v.name, stataQuoted(v.label.left(StatLimits::kStataVariableLabelCharacters)));
        return s;
    }

    QString valueLabels() const
    {
        QString s = QStringLiteral("\n");
        const QList<LabelGroup> groups = labelGroups(stataLabelled);
        for (const LabelGroup &group : groups) {
            s += QStringLiteral("label define %1").arg(group.first->labelSet);
            for (const DataSet::ValueLabel &l : group.first->valueLabels) {
                const QString value =
                    l.value == DataSet::kNotApplicableCode ? QStringLiteral(".a") : QString::number(l.value);
                s += QStringLiteral(" ///\n    %1 %2").arg(value, stataQuoted(l.label));
            }
            s += QLatin1Char('\n');
        }
        for (const LabelGroup &group : groups)
            s += QStringLiteral("label values %1 %2\n")
                     .arg(stataWrapped(group.names, QString(), QStringLiteral("    ")), group.first->labelSet);
        return s;
    }

    // A figure that can be .a has no value label to say what .a is: its note
    // does, in the gate's own words ("…时不适用").
    QString notes() const
    {
        QString s;
        for (const DataSet::Variable &v : variables())
            if (holdsNotApplicableCode(v) && !stataLabelled(v))
                s += QStringLiteral("notes %1: %2\n")
                         .arg(v.name, stataText(QStringLiteral(".a：%1（%2）")
                                                    .arg(DataSet::notApplicableLabel(), v.notApplicableWhen)));
        return s.isEmpty() ? s : QLatin1Char('\n') + s;
    }

    QString formats() const
    {
        QString s = QStringLiteral("\n");
        for (qsizetype i = 0; i < variables().size(); ++i) {
            const QString format = columns_[i].stataFormat(variables()[i]);
            if (!format.isEmpty())
                s += QStringLiteral("format %1 %2\n").arg(variables()[i].name, format);
        }
        return s;
    }
};

} // namespace

QString refusal(const QString &path)
{
    // The CSV is named by its whole path, beside the syntax file.
    const QString whole = QFileInfo(path).absoluteFilePath();
    if (whole.contains(QLatin1Char('\n')) || whole.contains(QLatin1Char('\r')))
        return QStringLiteral("路径中有换行符，SPSS 和 Stata 的命令无法引用：请换一个文件夹或文件名");
    return {};
}

std::unique_ptr<Exporter> makeSps()
{
    return std::make_unique<SpssSyntax>();
}

std::unique_ptr<Exporter> makeDo()
{
    return std::make_unique<StataSyntax>();
}

} // namespace SyntaxExporter
