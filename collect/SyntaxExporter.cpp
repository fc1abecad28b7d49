// Both files are made from the data set's variables and the dictionary the
// .sav and .dta writers use, so the three routes agree. The syntax names the
// CSV by its whole path: SPSS and Stata resolve a bare name against their own
// working folder, not the syntax file's.
#include "collect/SyntaxExporter.h"

#include "collect/DataSet.h"
#include "collect/Formats.h"
#include "collect/StatDictionary.h"
#include "survey/SafeFile.h"

#include <QFileInfo>
#include <QHash>

#include <functional>

namespace SyntaxExporter {
namespace {

using Kind = DataSet::Kind;

constexpr QStringView kTitle = u"2014年度全国Kelmar民营企业社会责任调研汇总";
// Stata 118 keeps 80 characters of a variable label, SPSS 255 bytes.
constexpr qsizetype kStataLabelCharacters = 80;
constexpr qsizetype kSpssLabelBytes = 255;
constexpr qsizetype kSpssValueLabelBytes = 120;
// Syntax lines kept short, as older SPSS versions want them.
constexpr qsizetype kChunkBytes = 60;
constexpr qsizetype kLineWidth = 72;
// The name a widened text is read under first.
constexpr QStringView kWideSuffix = u"_csv";

enum class Flavour { Spss, Stata };

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

// A Stata string in compound quotes, which hold any quote; $ and ` would
// name macros, so they are escaped.
QString stataQuoted(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('$'), QStringLiteral("\\$"));
    text.replace(QLatin1Char('`'), QStringLiteral("\\`"));
    return QStringLiteral("`\"") + text + QStringLiteral("\"'");
}

class Syntax : public Exporter {
public:
    explicit Syntax(Flavour flavour) : flavour_(flavour) {}

    bool open(SafeFile &file, const Target &target) override
    {
        file_ = &file;
        data_ = &target.data;
        csv_ = QFileInfo(target.companion).absoluteFilePath();
        limit_ = Formats::of(Formats::all(), target.path)->limit;
        return true;
    }

    bool header() override
    {
        columns_ = statColumns(*data_);
        const QString text = flavour_ == Flavour::Spss ? spss() : stata();
        return file_->write(text.toUtf8());
    }

    bool row(qsizetype) override { return true; }
    bool finish() override { return !file_->failed(); }
    QString errorText() const override { return file_->errorText(); }

private:
    const QList<DataSet::Variable> &variables() const { return data_->variables(); }

    // Variables that share a label set, in the order of their first member.
    struct LabelGroup {
        const DataSet::Variable *first;
        QStringList names;
    };
    QList<LabelGroup> labelGroups() const
    {
        QList<LabelGroup> groups;
        QHash<QString, qsizetype> groupOf;
        for (const DataSet::Variable &v : variables()) {
            if (v.valueLabels.isEmpty())
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

    static bool isText(const DataSet::Variable &v) { return !v.isNumeric(); }
    static bool holdsNotApplicableCode(const DataSet::Variable &v) { return v.canBeNotApplicable() && v.isNumeric(); }

    QString spss() const
    {
        QString s;
        s += QStringLiteral("* Encoding: UTF-8.\n");
        // A comment ends with a point at the end of its line (interactive syntax).
        s +=
            QStringLiteral("* %1：读取 CSV，加上变量标签、值标签、缺失值（含“不适用”）、格式和测量级别.\n").arg(kTitle);
        s += QStringLiteral("* 文件移动后，把 /FILE 中的路径改为 CSV 的新位置。读入后可用 SAVE OUTFILE 保存为 .sav.\n");
        s += QStringLiteral("GET DATA\n  /TYPE=TXT\n  /FILE=%1\n  /ENCODING='UTF8'\n  /ARRANGEMENT=DELIMITED\n"
                            "  /DELCASE=LINE\n  /FIRSTCASE=2\n  /DELIMITERS=\",\"\n  /QUALIFIER='\"'\n  /VARIABLES=\n")
                 .arg(spssQuoted(csv_));
        // A text whose longest value has the CSV's formula mark is read one
        // byte wider under another name, and copied into its own width once
        // the mark is off.
        QStringList texts, widened, names;
        for (qsizetype i = 0; i < variables().size(); ++i) {
            const DataSet::Variable &v = variables()[i];
            const StatColumn &c = columns_[i];
            names << v.name;
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
        s += QStringLiteral(".\n\n");
        // The CSV marks a text that a spreadsheet would take for a formula
        // with a leading '; the mark comes off here.
        s += QStringLiteral("* 去掉 CSV 为防公式而加在文字前的 '.\nDO REPEAT v =\n%1.\n")
                 .arg(wrapped(texts, QStringLiteral("    ")));
        s += QStringLiteral("IF (SUBSTR(v, 1, 1) = \"'\" AND ANY(SUBSTR(LTRIM(v, \"'\"), 1, 1), \"=\", \"+\", \"-\", "
                            "\"@\", \"\t\")) v = SUBSTR(v, 2).\nEND REPEAT.\n");
        if (!widened.isEmpty()) {
            for (qsizetype i = 0; i < variables().size(); ++i) {
                const DataSet::Variable &v = variables()[i];
                if (widened.contains(v.name))
                    s += QStringLiteral("STRING %1 (%2).\nCOMPUTE %1 = %1%3.\n")
                             .arg(v.name, columns_[i].spssFormat(v, limit_), kWideSuffix);
            }
            s += QStringLiteral("MATCH FILES /FILE=* /KEEP=\n%1.\n").arg(wrapped(names, QStringLiteral("    ")));
        }
        s += QStringLiteral("EXECUTE.\n\nFORMATS\n");
        QStringList parts;
        for (qsizetype i = 0; i < variables().size(); ++i)
            if (variables()[i].isNumeric())
                parts << QStringLiteral("  %1 (%2)")
                             .arg(variables()[i].name, columns_[i].spssFormat(variables()[i], limit_));
        s += parts.join(QStringLiteral("\n /")) + QStringLiteral(".\n\nVARIABLE LABELS\n");
        parts.clear();
        for (const DataSet::Variable &v : variables())
            parts << QStringLiteral("  %1 %2").arg(v.name, spssQuoted(cutToBytes(v.label, kSpssLabelBytes)));
        s += parts.join(QStringLiteral("\n /")) + QStringLiteral(".\n\nVALUE LABELS\n");
        parts.clear();
        for (const LabelGroup &group : labelGroups()) {
            QString part = wrapped(group.names, QStringLiteral("  "));
            for (const DataSet::ValueLabel &l : group.first->valueLabels)
                part += QStringLiteral("\n    %1 %2")
                            .arg(l.value)
                            .arg(spssQuoted(cutToBytes(l.label, kSpssValueLabelBytes)));
            parts << part;
        }
        s += parts.join(QStringLiteral("\n /")) + QStringLiteral(".\n\n");
        const QStringList coded = namesWhere(holdsNotApplicableCode);
        if (!coded.isEmpty())
            s += QStringLiteral("* 不适用：%1.\nMISSING VALUES\n%2 (%1).\n\n")
                     .arg(DataSet::kNotApplicableCode)
                     .arg(wrapped(coded, QStringLiteral("  ")));
        s += QStringLiteral("VARIABLE LEVEL\n");
        parts.clear();
        const struct {
            DataSet::Measure measure;
            const char *word;
        } levels[] = {{DataSet::Measure::Nominal, "NOMINAL"},
                      {DataSet::Measure::Ordinal, "ORDINAL"},
                      {DataSet::Measure::Scale, "SCALE"}};
        for (const auto &level : levels) {
            const QStringList names =
                namesWhere([&](const DataSet::Variable &v) { return v.measure == level.measure; });
            if (!names.isEmpty())
                parts << wrapped(names, QStringLiteral("  ")) + QStringLiteral(" (%1)").arg(QLatin1String(level.word));
        }
        s += parts.join(QStringLiteral("\n /")) + QStringLiteral(".\n\nVARIABLE WIDTH\n");
        parts.clear();
        for (qsizetype i = 0; i < variables().size(); ++i)
            parts << QStringLiteral("  %1 (%2)").arg(variables()[i].name).arg(columns_[i].displayWidth);
        s += parts.join(QStringLiteral("\n /")) + QStringLiteral(".\n\n");
        return s;
    }

    QString stata() const
    {
        QString s;
        s += QStringLiteral("* %1：读取 CSV，加上变量标签、值标签、“不适用”（.a）和显示格式。\n").arg(kTitle);
        s += QStringLiteral("* Stata 14 或更新版本。文件移动后，把 using 后的路径改为 CSV 的新位置。\n");
        s += QStringLiteral("version 14\n");
        QStringList textColumns, numberColumns;
        for (qsizetype i = 0; i < variables().size(); ++i) {
            const DataSet::Variable &v = variables()[i];
            (!v.isNumeric() || v.kind == Kind::Modified ? textColumns : numberColumns) << QString::number(i + 1);
        }
        s += QStringLiteral("import delimited using %1, delimiters(\",\") bindquote(strict) varnames(nonames) ///\n"
                            "    rowrange(2) encoding(\"utf-8\") clear ///\n"
                            "    stringcols(%2) ///\n"
                            "    numericcols(%3)\n")
                 .arg(stataQuoted(csv_),
                      wrapped(textColumns, QString()).replace(QLatin1Char('\n'), QStringLiteral(" ///\n        ")),
                      wrapped(numberColumns, QString()).replace(QLatin1Char('\n'), QStringLiteral(" ///\n        ")));
        for (qsizetype i = 0; i < variables().size(); ++i)
            s += QStringLiteral("rename v%1 %2\n").arg(i + 1).arg(variables()[i].name);
        s += QStringLiteral("\n* 去掉 CSV 为防公式而加在文字前的 '。\nforeach v of varlist ///\n%1 {\n"
                            "    quietly replace `v' = substr(`v', 2, .) if ustrregexm(`v', \"^'+[-=+@\\t]\")\n}\n")
                 .arg(wrapped(namesWhere(isText), QStringLiteral("    "))
                          .replace(QLatin1Char('\n'), QStringLiteral(" ///\n")));
        for (const DataSet::Variable &v : variables()) {
            if (v.kind != Kind::Modified)
                continue;
            s += QStringLiteral("\ngenerate double %1_ = clock(%1, \"YMDhms\")\norder %1_, after(%1)\ndrop %1\n"
                                "rename %1_ %1\n")
                     .arg(v.name);
        }
        const QStringList coded = namesWhere(holdsNotApplicableCode);
        if (!coded.isEmpty())
            s += QStringLiteral("\n* 不适用：.a\nmvdecode ///\n%1, mv(%2 = .a)\n")
                     .arg(wrapped(coded, QStringLiteral("    ")).replace(QLatin1Char('\n'), QStringLiteral(" ///\n")))
                     .arg(DataSet::kNotApplicableCode);
        s += QLatin1Char('\n');
        for (const DataSet::Variable &v : variables())
            s += QStringLiteral("label variable %1 %2\n").arg(v.name, stataQuoted(v.label.left(kStataLabelCharacters)));
        s += QLatin1Char('\n');
        const QList<LabelGroup> groups = labelGroups();
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
                     .arg(wrapped(group.names, QString()).replace(QLatin1Char('\n'), QStringLiteral(" ///\n    ")),
                          group.first->labelSet);
        s += QLatin1Char('\n');
        for (qsizetype i = 0; i < variables().size(); ++i) {
            const QString format = columns_[i].stataFormat(variables()[i]);
            if (!format.isEmpty())
                s += QStringLiteral("format %1 %2\n").arg(variables()[i].name, format);
        }
        s += QStringLiteral("\nlabel data %1\n").arg(stataQuoted(kTitle.toString()));
        return s;
    }

    Flavour flavour_;
    SafeFile *file_ = nullptr;
    const DataSet *data_ = nullptr;
    QString csv_;
    TextLimit limit_;
    QList<StatColumn> columns_;
};

} // namespace

std::unique_ptr<Exporter> makeSps()
{
    return std::make_unique<Syntax>(Flavour::Spss);
}

std::unique_ptr<Exporter> makeDo()
{
    return std::make_unique<Syntax>(Flavour::Stata);
}

} // namespace SyntaxExporter
