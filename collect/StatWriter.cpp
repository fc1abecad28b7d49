// Writing SPSS and Stata files with ReadStat.
#include "collect/StatWriter.h"

#include "collect/DataSet.h"
#include "collect/RunControl.h"
#include "collect/SafeOutput.h"
#include "collect/TextLimit.h"

#include <QFileInfo>
#include <QHash>

#include <readstat.h>
#include <string>

namespace StatWriter {
namespace {

// SPSS keeps 120 bytes of a value label and 255 of a variable label; Stata
// 118 keeps 80 characters of a variable label.
constexpr qsizetype kSavValueLabelBytes = 120;
constexpr qsizetype kSavVariableLabelBytes = 255;
constexpr qsizetype kDtaVariableLabelCharacters = 80;
constexpr qsizetype kDtaValueLabelBytes = 32000;

ssize_t writeBytes(const void *data, size_t size, void *context)
{
    auto *out = static_cast<SafeOutput *>(context);
    return out->write(static_cast<const char *>(data), qsizetype(size)) ? ssize_t(size) : -1;
}

std::string variableLabel(const QString &label, FileFormat format)
{
    const QByteArray utf8 = label.toUtf8();
    if (format == FileFormat::Sav)
        return TextLimit::cutBytes(utf8, kSavVariableLabelBytes).toByteArray().toStdString();
    return label.left(kDtaVariableLabelCharacters).toUtf8().toStdString();
}

std::string valueLabel(const QString &label, FileFormat format)
{
    const QByteArray utf8 = label.toUtf8();
    return TextLimit::cutBytes(utf8, format == FileFormat::Sav ? kSavValueLabelBytes : kDtaValueLabelBytes)
        .toByteArray()
        .toStdString();
}

readstat_type_t numericType(const DataSet::Variable &v)
{
    if (v.kind == DataSet::Kind::Number)
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
    // Stata's byte holds -127 to 100, its int -32767 to 32740.
    if (low >= -127 && high <= 100)
        return READSTAT_TYPE_INT8;
    if (low >= -32767 && high <= 32740)
        return READSTAT_TYPE_INT16;
    return READSTAT_TYPE_INT32;
}

class Writer {
public:
    Writer(const DataSet &data, FileFormat format, SafeOutput &out, RunControl &control)
        : data_(data), format_(format), out_(out), control_(control), writer_(readstat_writer_init())
    {
    }
    ~Writer() { readstat_writer_free(writer_); }

    bool run()
    {
        const QString item = QFileInfo(out_.target()).fileName();
        readstat_set_data_writer(writer_, writeBytes);
        // SPSS keeps 64 bytes of a file label: this one fits whole.
        readstat_writer_set_file_label(writer_, "2014年度全国Kelmar民营企业社会责任调研汇总");
        if (format_ == FileFormat::Dta)
            check(readstat_writer_set_file_format_version(writer_, 118));
        else
            check(readstat_writer_set_compression(writer_, READSTAT_COMPRESS_ROWS));

        const QList<DataSet::Variable> &variables = data_.variables();
        const QList<qsizetype> widths = stringWidths();
        QHash<QString, readstat_label_set_t *> labelSets;
        for (qsizetype i = 0; i < variables.size(); ++i) {
            const DataSet::Variable &v = variables[i];
            const std::string name = v.name.toStdString();
            readstat_variable_t *variable =
                v.isNumeric() ? readstat_add_variable(writer_, name.c_str(), numericType(v), 0)
                              : readstat_add_variable(writer_, name.c_str(), READSTAT_TYPE_STRING, size_t(widths[i]));
            readstat_variable_set_label(variable, variableLabel(v.label, format_).c_str());
            if (v.kind == DataSet::Kind::Number)
                readstat_variable_set_measure(variable, READSTAT_MEASURE_SCALE);
            else if (v.isNumeric())
                readstat_variable_set_measure(variable, READSTAT_MEASURE_NOMINAL);
            if (!v.valueLabels.isEmpty()) {
                readstat_label_set_t *&set = labelSets[v.labelSet];
                if (!set) {
                    set = readstat_add_label_set(writer_, READSTAT_TYPE_INT32, v.labelSet.toStdString().c_str());
                    for (const DataSet::ValueLabel &l : v.valueLabels)
                        readstat_label_int32_value(set, l.value, valueLabel(l.label, format_).c_str());
                }
                readstat_variable_set_label_set(variable, set);
            }
            variables_.append(variable);
        }

        const long rows = long(data_.rowCount());
        if (format_ == FileFormat::Dta)
            check(readstat_begin_writing_dta(writer_, &out_, rows));
        else
            check(readstat_begin_writing_sav(writer_, &out_, rows));

        std::string text;
        for (long row = 0; row < rows && ok(); ++row) {
            const DataSet::Record &record = data_.records()[row];
            const DataSet::Lines lines = DataSet::split(record);
            check(readstat_begin_row(writer_));
            for (qsizetype i = 0; i < variables.size() && ok(); ++i) {
                const DataSet::Variable &v = variables[i];
                readstat_variable_t *variable = variables_[i];
                if (!v.isNumeric()) {
                    const QByteArrayView value = TextLimit::cut(format_, DataSet::text(v, record, lines));
                    text.assign(value.data(), size_t(value.size()));
                    check(readstat_insert_string_value(writer_, variable, text.c_str()));
                    continue;
                }
                const std::optional<double> value = DataSet::number(v, record, lines);
                if (!value)
                    check(readstat_insert_missing_value(writer_, variable));
                else if (v.kind == DataSet::Kind::Number)
                    check(readstat_insert_double_value(writer_, variable, *value));
                else
                    insertInteger(variable, int(*value));
            }
            check(readstat_end_row(writer_));
            if ((row & 255) == 255) {
                if (control_.isCancelled())
                    return false;
                control_.progress(RunControl::Phase::Writing, row + 1, rows, item);
            }
        }
        if (ok())
            check(readstat_end_writing(writer_));
        if (control_.isCancelled())
            return false;
        control_.progress(RunControl::Phase::Writing, rows, rows, item);
        return ok();
    }

private:
    bool ok() const { return error_ == READSTAT_OK && !out_.failed(); }

    void check(readstat_error_t error)
    {
        if (error == READSTAT_OK || error_ != READSTAT_OK)
            return;
        error_ = error;
        out_.fail(QString::fromUtf8(readstat_error_message(error)));
    }

    void insertInteger(readstat_variable_t *variable, int value)
    {
        switch (readstat_variable_get_type(variable)) {
        case READSTAT_TYPE_INT8:
            check(readstat_insert_int8_value(writer_, variable, int8_t(value)));
            break;
        case READSTAT_TYPE_INT16:
            check(readstat_insert_int16_value(writer_, variable, int16_t(value)));
            break;
        default:
            check(readstat_insert_int32_value(writer_, variable, value));
            break;
        }
    }

    // Each string variable as wide as its longest value (at least 1), within the format's limit.
    QList<qsizetype> stringWidths() const
    {
        const QList<DataSet::Variable> &variables = data_.variables();
        QList<qsizetype> widths(variables.size(), 1);
        for (const DataSet::Record &record : data_.records()) {
            const DataSet::Lines lines = DataSet::split(record);
            for (qsizetype i = 0; i < variables.size(); ++i) {
                if (variables[i].isNumeric())
                    continue;
                const qsizetype size = TextLimit::cut(format_, DataSet::text(variables[i], record, lines)).size();
                widths[i] = std::max(widths[i], size);
            }
        }
        return widths;
    }

    const DataSet &data_;
    FileFormat format_;
    SafeOutput &out_;
    RunControl &control_;
    readstat_writer_t *writer_;
    QList<readstat_variable_t *> variables_;
    readstat_error_t error_ = READSTAT_OK;
};

} // namespace

bool write(const DataSet &data, FileFormat format, SafeOutput &out, RunControl &control)
{
    Writer writer(data, format, out, control);
    return writer.run();
}

} // namespace StatWriter
