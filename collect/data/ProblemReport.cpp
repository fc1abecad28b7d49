// Names of the report's kinds for scripts, and its cells.
#include "collect/data/ProblemReport.h"

namespace {

QString rejectionName(ResultFileReader::Rejection rejection)
{
    using R = ResultFileReader::Rejection;
    switch (rejection) {
    case R::Unreadable:
        return QStringLiteral("rejected_unreadable");
    case R::TooLarge:
        return QStringLiteral("rejected_too_large");
    case R::Framing:
        return QStringLiteral("rejected_framing");
    case R::NotGbk:
        return QStringLiteral("rejected_not_gbk");
    case R::Utf8Mark:
        return QStringLiteral("rejected_utf8_mark");
    case R::None:
        break;
    }
    return QStringLiteral("rejected");
}

QString recordProblemName(RecordCheck::ProblemKind kind)
{
    using P = RecordCheck::ProblemKind;
    switch (kind) {
    case P::BadCode:
        return QStringLiteral("bad_code");
    case P::UnknownListItem:
        return QStringLiteral("unknown_list_item");
    case P::TooManyTicks:
        return QStringLiteral("too_many_ticks");
    case P::UngatedFigure:
        return QStringLiteral("ungated_figure");
    case P::OtherWithoutTick:
        return QStringLiteral("other_without_tick");
    case P::OtherIndustry:
        return QStringLiteral("other_industry");
    case P::BadRanking:
        return QStringLiteral("bad_ranking");
    case P::NotANumber:
        return QStringLiteral("not_a_number");
    case P::NumberOutOfRange:
        return QStringLiteral("number_out_of_range");
    }
    return QStringLiteral("record");
}

} // namespace

QString ProblemReport::Entry::kindName() const
{
    switch (kind) {
    case Kind::Rejected:
        return rejectionName(rejection);
    case Kind::Record:
        return recordProblemName(recordKind);
    case Kind::FileName:
        return QStringLiteral("file_name");
    case Kind::Duplicate:
        return QStringLiteral("duplicate_dropped");
    case Kind::IdenticalCopy:
        return QStringLiteral("identical_copy");
    case Kind::TextCut:
        return QStringLiteral("text_cut");
    case Kind::ControlCharacters:
        return QStringLiteral("control_characters");
    case Kind::Input:
        return QStringLiteral("input");
    case Kind::LinkNotFollowed:
        return QStringLiteral("link_not_followed");
    case Kind::NotRead:
        return QStringLiteral("not_read");
    }
    return {};
}

QStringList ProblemReport::columns()
{
    return {QStringLiteral("file"), QStringLiteral("line"), QStringLiteral("variable"),
            QStringLiteral("kind"), QStringLiteral("what"), QStringLiteral("raw")};
}

QString ProblemReport::cell(const Entry &entry, Column column)
{
    switch (column) {
    case Column::File:
        return entry.file;
    case Column::Line:
        return entry.line > 0 ? QString::number(entry.line) : QString();
    case Column::Variable:
        return entry.variable;
    case Column::Kind:
        return entry.kindName();
    case Column::What:
        return entry.what;
    case Column::Raw:
        return entry.raw;
    }
    return {};
}

QList<QStringList> ProblemReport::rows() const
{
    QList<QStringList> rows;
    rows.reserve(entries_.size());
    for (const Entry &entry : entries_) {
        QStringList cells;
        for (int c = 0; c < kColumnCount; ++c)
            cells << cell(entry, Column(c));
        rows << cells;
    }
    return rows;
}
