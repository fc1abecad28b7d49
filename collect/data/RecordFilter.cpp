// A condition is judged on the cell the data set itself would write, so a
// filter keeps exactly the records whose column shows one of its codes.
#include "collect/data/RecordFilter.h"

#include <algorithm>
#include <optional>

namespace {

using Kind = DataSet::Kind;

// The survey's variables, made once: conditions point into them.
const DataSet &survey()
{
    static const DataSet data;
    return data;
}

const DataSet::Variable *variableNamed(const QString &name)
{
    for (const DataSet::Variable &v : survey().variables())
        if (v.name == name)
            return &v;
    return nullptr;
}

// The value a code stands for: the data set's text of it (a choice's code, a
// list's item) or the number SPSS and Stata hold; nothing when neither.
std::optional<int> valueOf(const DataSet::Variable &v, const QString &code)
{
    for (qsizetype i = 0; i < v.codes.size() && i < v.values.size(); ++i)
        if (QString::fromUtf8(v.codes[i]) == code)
            return v.values[i];
    bool isNumber = false;
    const int number = code.toInt(&isNumber);
    if (!isNumber || code.front() == u'+')
        return std::nullopt;
    for (const DataSet::ValueLabel &label : v.valueLabels)
        if (label.value == number && number != DataSet::kNotApplicableCode)
            return number;
    return std::nullopt;
}

// A value as the description shows it: a choice by its code, as the
// questionnaire writes it; a list item or a tick by its number.
QString shown(const DataSet::Variable &v, int value)
{
    if (v.kind == Kind::Code)
        for (qsizetype i = 0; i < v.codes.size() && i < v.values.size(); ++i)
            if (v.values[i] == value)
                return QString::fromUtf8(v.codes[i]);
    return QString::number(value);
}

bool isError(const DataChecks::Finding &finding)
{
    return DataChecks::all()[size_t(finding.check)].severity == DataChecks::Severity::Error;
}

} // namespace

bool RecordFilter::canFilter(const DataSet::Variable &v)
{
    return v.kind == Kind::Code || v.kind == Kind::ListItem || v.kind == Kind::Flag;
}

QList<const DataSet::Variable *> RecordFilter::filterable()
{
    QList<const DataSet::Variable *> variables;
    for (const DataSet::Variable &v : survey().variables())
        if (canFilter(v))
            variables << &v;
    return variables;
}

bool RecordFilter::add(QStringView condition, QString &why)
{
    const qsizetype equals = condition.indexOf(u'=');
    Condition c;
    c.negated = equals > 0 && condition[equals - 1] == u'!';
    const QString name =
        condition.first(std::max<qsizetype>(equals, 0)).chopped(c.negated ? 1 : 0).trimmed().toString();
    QString codes = equals < 0 ? QString() : condition.sliced(equals + 1).toString();
    codes.replace(u'，', u','); // typed with a Chinese input method
    const QStringList parts = codes.split(u',');
    if (name.isEmpty() ||
        std::any_of(parts.begin(), parts.end(), [](const QString &p) { return p.trimmed().isEmpty(); })) {
        why = QStringLiteral("筛选条件“%1”应写成 变量=代码[,代码…] 或 变量!=代码[,代码…]").arg(condition);
        return false;
    }
    c.variable = variableNamed(name.toLower());
    if (!c.variable) {
        why = QStringLiteral("没有变量“%1”：变量名见变量说明").arg(name);
        return false;
    }
    if (!canFilter(*c.variable)) {
        why = QStringLiteral("变量 %1 是%2，不能筛选：只能按单选题、是否题、下拉选择或多选题的选项筛选")
                  .arg(c.variable->name, DataSet::typeName(*c.variable));
        return false;
    }
    QStringList texts;
    for (const QString &part : parts) {
        const QString code = part.trimmed();
        const std::optional<int> value = valueOf(*c.variable, code);
        if (!value) {
            why = QStringLiteral("“%1”不是变量 %2 的代码：可用 %3")
                      .arg(code, c.variable->name, DataSet::valuesText(*c.variable));
            return false;
        }
        if (!c.values.contains(*value)) {
            c.values << *value;
            texts << shown(*c.variable, *value);
        }
    }
    c.text = c.variable->name + (c.negated ? QStringLiteral("!=") : QStringLiteral("=")) + texts.join(u',');
    lastLine_ = std::max(lastLine_, c.variable->line);
    conditions_ << c;
    return true;
}

bool RecordFilter::keeps(const DataSet::Record &record, const QList<DataChecks::Finding> &findings) const
{
    if (withoutErrors_ && std::any_of(findings.begin(), findings.end(), isError))
        return false;
    if (conditions_.isEmpty())
        return true;
    // Only as far as the conditions read: the filter is judged on every record.
    const DataSet::Lines lines = DataSet::split(record, lastLine_);
    return std::all_of(conditions_.begin(), conditions_.end(), [&](const Condition &c) {
        const DataSet::Cell cell = DataSet::cell(*c.variable, record, lines);
        return cell.isValue() && c.values.contains(int(cell.number)) != c.negated;
    });
}

QString RecordFilter::description() const
{
    if (isEmpty())
        return {};
    QStringList parts;
    for (const Condition &c : conditions_)
        parts << c.text;
    if (withoutErrors_)
        parts << QStringLiteral("不含有“%1”的记录").arg(DataChecks::severityText(DataChecks::Severity::Error));
    return QStringLiteral("筛选：") + parts.join(QStringLiteral("；"));
}
