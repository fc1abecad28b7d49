// ReadStat wants every variable, label set and width before the first row;
// the widths and formats come from one pass over the data (StatDictionary).
#include "collect/export/StatExporter.h"

#include "collect/data/DataSet.h"
#include "collect/export/StatDictionary.h"
#include "platform/SafeFile.h"

#include <QHash>

#include <readstat.h>
#include <string>

namespace StatExporter {
namespace {

using Kind = DataSet::Kind;

enum class Flavour { Spss, Stata };

constexpr char kNotApplicableTag = 'a';
// ReadStat refuses a longer line of SPSS's document record.
constexpr qsizetype kSpssNoteBytes = 80;

ssize_t writeBytes(const void *data, size_t size, void *context)
{
    auto *file = static_cast<SafeFile *>(context);
    return file->write(static_cast<const char *>(data), qsizetype(size)) ? ssize_t(size) : -1;
}

readstat_type_t numericType(const DataSet::Variable &v)
{
    if (v.kind == Kind::Number || v.kind == Kind::Modified)
        return READSTAT_TYPE_DOUBLE;
    int low = 0, high = 0;
    for (const DataSet::ValueLabel &l : v.valueLabels) {
        low = std::min(low, l.value);
        high = std::max(high, l.value);
    }
    for (int value : v.values) {
        low = std::min(low, value);
        high = std::max(high, value);
    }
    high = std::max(high, int(v.codes.size())); // a rank
    // Stata's byte holds -127 to 100, its int -32767 to 32740.
    if (low >= -127 && high <= 100)
        return READSTAT_TYPE_INT8;
    if (low >= -32767 && high <= 32740)
        return READSTAT_TYPE_INT16;
    return READSTAT_TYPE_INT32;
}

readstat_measure_t measureOf(const DataSet::Variable &v)
{
    switch (v.measure) {
    case DataSet::Measure::Nominal:
        return READSTAT_MEASURE_NOMINAL;
    case DataSet::Measure::Ordinal:
        return READSTAT_MEASURE_ORDINAL;
    case DataSet::Measure::Scale:
        return READSTAT_MEASURE_SCALE;
    }
    return READSTAT_MEASURE_UNKNOWN;
}

class StatFile : public Exporter {
public:
    explicit StatFile(Flavour flavour) : flavour_(flavour), writer_(readstat_writer_init()) {}
    ~StatFile() override { readstat_writer_free(writer_); }

    bool open(SafeFile &file, const Target &target) override
    {
        file_ = &file;
        data_ = &target.data;
        limit_ = target.limit;
        readstat_set_data_writer(writer_, writeBytes);
        readstat_writer_set_file_label(writer_, statFileLabel(*data_).toUtf8().constData());
        addFilterNotes();
        if (flavour_ == Flavour::Stata)
            check(readstat_writer_set_file_format_version(writer_, 118));
        else
            check(readstat_writer_set_compression(writer_, READSTAT_COMPRESS_ROWS));
        return ok();
    }

    bool header() override
    {
        const QList<DataSet::Variable> &variables = data_->variables();
        columns_ = statColumns(*data_);
        QHash<QString, readstat_label_set_t *> labelSets;
        for (qsizetype i = 0; i < variables.size(); ++i) {
            const DataSet::Variable &v = variables[i];
            const StatColumn &column = columns_[i];
            variables_.append(addVariable(v, column));
            readstat_variable_t *variable = variables_.back();
            readstat_variable_set_label(variable, variableLabel(v.label).c_str());
            readstat_variable_set_measure(variable, measureOf(v));
            const QString format = flavour_ == Flavour::Spss ? column.spssFormat(v, limit_) : column.stataFormat(v);
            if (!format.isEmpty())
                readstat_variable_set_format(variable, format.toStdString().c_str());
            if (flavour_ == Flavour::Spss) {
                readstat_variable_set_display_width(variable, column.displayWidth);
                if (v.canBeNotApplicable() && v.isNumeric())
                    check(readstat_variable_add_missing_double_value(variable, DataSet::kNotApplicableCode));
            }
            if (flavour_ == Flavour::Spss ? !v.valueLabels.isEmpty() : stataLabelled(v)) {
                readstat_label_set_t *&set = labelSets[v.labelSet];
                if (!set)
                    set = labelSet(v);
                readstat_variable_set_label_set(variable, set);
            }
        }
        const long rows = long(data_->rowCount());
        if (flavour_ == Flavour::Stata) {
            check(readstat_begin_writing_dta(writer_, file_, rows));
            addStrLs();
        } else {
            check(readstat_begin_writing_sav(writer_, file_, rows));
        }
        return ok();
    }

    bool row(qsizetype index) override
    {
        const QList<DataSet::Variable> &variables = data_->variables();
        const DataSet::Record &record = data_->records()[index];
        const DataSet::Lines lines = DataSet::split(record);
        nextStrL_ = index * strLsPerRow_;
        check(readstat_begin_row(writer_));
        for (qsizetype i = 0; i < variables.size() && ok(); ++i)
            insert(variables[i], variables_[i], DataSet::cell(variables[i], record, lines));
        check(readstat_end_row(writer_));
        return ok();
    }

    bool finish() override
    {
        check(readstat_end_writing(writer_));
        return ok();
    }

    QString errorText() const override { return file_->errorText(); }

private:
    bool ok() const { return error_ == READSTAT_OK && !file_->failed(); }

    // A filtered data set's label is its filter, perhaps cut: the notes keep
    // the title and the whole filter, in SPSS's lines of at most 80 bytes.
    void addFilterNotes()
    {
        if (data_->filter().isEmpty())
            return;
        readstat_add_note(writer_, kStatDataSetTitle.toUtf8().constData());
        const QByteArray filter = data_->filter().toUtf8();
        for (QByteArrayView rest = filter; !rest.isEmpty();) {
            const QByteArray line = TextLimit::cutBytes(rest, kSpssNoteBytes).toByteArray();
            readstat_add_note(writer_, line.constData());
            rest = rest.sliced(line.size());
        }
    }

    void check(readstat_error_t error)
    {
        if (error == READSTAT_OK || error_ != READSTAT_OK)
            return;
        error_ = error;
        file_->fail(QString::fromUtf8(readstat_error_message(error)));
    }

    // ReadStat measures the strLs for the file's map when the first row
    // begins, so every one is added before: row by row, as Stata orders them.
    // Empty texts share one.
    void addStrLs()
    {
        const QList<DataSet::Variable> &variables = data_->variables();
        QList<qsizetype> strLs;
        for (qsizetype i = 0; i < variables.size(); ++i)
            if (readstat_variable_get_type(variables_[i]) == READSTAT_TYPE_STRING_REF)
                strLs << i;
        if (strLs.isEmpty())
            return;
        readstat_string_ref_t *empty = nullptr;
        for (const DataSet::Record &record : data_->records()) {
            const DataSet::Lines lines = DataSet::split(record);
            for (qsizetype i : strLs) {
                const QByteArrayView text = DataSet::cell(variables[i], record, lines).text;
                if (text.isEmpty() && !empty)
                    empty = readstat_add_string_ref(writer_, "");
                strLRefs_.append(text.isEmpty() ? empty : readstat_add_string_ref(writer_, cString(text)));
            }
        }
        strLsPerRow_ = strLs.size();
    }

    readstat_variable_t *addVariable(const DataSet::Variable &v, const StatColumn &column)
    {
        const std::string name = v.name.toStdString();
        if (v.isNumeric())
            return readstat_add_variable(writer_, name.c_str(), numericType(v), 0);
        if (flavour_ == Flavour::Stata && column.isStrL())
            return readstat_add_variable(writer_, name.c_str(), READSTAT_TYPE_STRING_REF, 0);
        const qsizetype width = flavour_ == Flavour::Spss ? std::min(column.bytes, limit_.most) : column.bytes;
        return readstat_add_variable(writer_, name.c_str(), READSTAT_TYPE_STRING, size_t(width));
    }

    std::string variableLabel(const QString &label) const
    {
        if (flavour_ == Flavour::Spss)
            return TextLimit::cutBytes(label.toUtf8(), StatLimits::kSpssVariableLabelBytes).toByteArray().toStdString();
        return label.left(StatLimits::kStataVariableLabelCharacters).toUtf8().toStdString();
    }

    std::string valueLabel(const QString &label) const
    {
        return TextLimit::cutBytes(label.toUtf8(), flavour_ == Flavour::Spss ? StatLimits::kSpssValueLabelBytes
                                                                             : StatLimits::kStataValueLabelBytes)
            .toByteArray()
            .toStdString();
    }

    readstat_label_set_t *labelSet(const DataSet::Variable &v)
    {
        readstat_label_set_t *set =
            readstat_add_label_set(writer_, READSTAT_TYPE_INT32, v.labelSet.toStdString().c_str());
        for (const DataSet::ValueLabel &l : v.valueLabels) {
            if (l.value == DataSet::kNotApplicableCode && flavour_ == Flavour::Stata)
                readstat_label_tagged_value(set, kNotApplicableTag, valueLabel(l.label).c_str());
            else
                readstat_label_int32_value(set, l.value, valueLabel(l.label).c_str());
        }
        return set;
    }

    void insert(const DataSet::Variable &v, readstat_variable_t *variable, const DataSet::Cell &cell)
    {
        using State = DataSet::Cell::State;
        if (!v.isNumeric()) {
            if (readstat_variable_get_type(variable) == READSTAT_TYPE_STRING_REF) {
                check(readstat_insert_string_ref(writer_, variable, strLRefs_[nextStrL_++]));
                return;
            }
            check(readstat_insert_string_value(writer_, variable,
                                               cString(flavour_ == Flavour::Spss ? limit_.cut(cell.text) : cell.text)));
            return;
        }
        if (cell.state == State::Missing) {
            check(readstat_insert_missing_value(writer_, variable));
            return;
        }
        if (cell.state == State::NotApplicable && flavour_ == Flavour::Stata) {
            check(readstat_insert_tagged_missing_value(writer_, variable, kNotApplicableTag));
            return;
        }
        const double value = cell.state == State::NotApplicable ? double(DataSet::kNotApplicableCode)
                             : v.kind != Kind::Modified         ? cell.number
                             : flavour_ == Flavour::Spss        ? spssDateTime(cell.number)
                                                                : stataDateTime(cell.number);
        switch (readstat_variable_get_type(variable)) {
        case READSTAT_TYPE_INT8:
            check(readstat_insert_int8_value(writer_, variable, int8_t(value)));
            break;
        case READSTAT_TYPE_INT16:
            check(readstat_insert_int16_value(writer_, variable, int16_t(value)));
            break;
        case READSTAT_TYPE_INT32:
            check(readstat_insert_int32_value(writer_, variable, int32_t(value)));
            break;
        default:
            check(readstat_insert_double_value(writer_, variable, value));
            break;
        }
    }

    const char *cString(QByteArrayView text)
    {
        if (text.isEmpty())
            text_.clear();
        else
            text_.assign(text.data(), size_t(text.size()));
        return text_.c_str();
    }

    Flavour flavour_;
    readstat_writer_t *writer_;
    SafeFile *file_ = nullptr;
    const DataSet *data_ = nullptr;
    TextLimit limit_;
    QList<StatColumn> columns_;
    QList<readstat_variable_t *> variables_;
    readstat_error_t error_ = READSTAT_OK;
    std::string text_;
    QList<readstat_string_ref_t *> strLRefs_; // row by row
    qsizetype strLsPerRow_ = 0;
    qsizetype nextStrL_ = 0;
};

} // namespace

bool builtIn()
{
    return true;
}

std::unique_ptr<Exporter> makeSav()
{
    return std::make_unique<StatFile>(Flavour::Spss);
}

std::unique_ptr<Exporter> makeDta()
{
    return std::make_unique<StatFile>(Flavour::Stata);
}

} // namespace StatExporter
