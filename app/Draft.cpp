// The draft's text form. One record per line, "key value", values escaped so
// that a line break in a value can never split a record; a closing "end"
// record shows that the draft was written whole.
#include "app/Draft.h"

#include "survey/LineMap.h"

#include <QStringDecoder>

namespace {

const QByteArray kMagic = "csr-survey-draft";

QString escaped(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

bool unescaped(QStringView value, QString &out)
{
    out.clear();
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\') {
            out += value[i];
            continue;
        }
        if (++i >= value.size())
            return false;
        switch (value[i].unicode()) {
        case u'\\':
            out += u'\\';
            break;
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        default:
            return false;
        }
    }
    return true;
}

Draft::Parsed failed(Draft::Fault fault, const QString &reason)
{
    Draft::Parsed parsed;
    parsed.fault = fault;
    parsed.reason = reason;
    return parsed;
}

} // namespace

Draft::Draft() : lines(Survey::kLineCount) {}

QString Draft::controlKey(const QString &page, const QString &control)
{
    return page + QLatin1Char('/') + control;
}

bool Draft::holdsAnswers() const
{
    for (const QString &line : lines)
        if (!line.isEmpty())
            return true;
    for (auto it = controls.cbegin(); it != controls.cend(); ++it)
        if (!it.value().isEmpty() && it.value() != QLatin1String("-1"))
            return true;
    return !ranking.isEmpty();
}

QByteArray Draft::toText() const
{
    QString text;
    text.reserve(8192);
    text += QString::fromLatin1(kMagic) + QLatin1Char(' ') + QString::number(kVersion) + QLatin1Char('\n');
    text += QStringLiteral("saved ") + savedAt.toString(Qt::ISODateWithMs) + QLatin1Char('\n');
    text += QStringLiteral("page %1\ntab %2\n").arg(page).arg(tab);
    text += QStringLiteral("ranking ") + escaped(ranking) + QLatin1Char('\n');
    for (int k = 1; k <= Survey::kLineCount; ++k)
        text += QStringLiteral("line %1 ").arg(k) + escaped(lines.value(k - 1)) + QLatin1Char('\n');
    for (auto it = controls.cbegin(); it != controls.cend(); ++it)
        text += QStringLiteral("control ") + it.key() + QLatin1Char(' ') + escaped(it.value()) + QLatin1Char('\n');
    text += QStringLiteral("end\n");
    return text.toUtf8();
}

Draft::Parsed Draft::fromText(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return failed(Fault::Empty, QStringLiteral("草稿文件是空的"));
    const qsizetype firstBreak = bytes.indexOf('\n');
    const QByteArray first = bytes.left(firstBreak < 0 ? bytes.size() : firstBreak);
    if (!first.startsWith(kMagic + ' '))
        return failed(Fault::NotADraft, QStringLiteral("文件不是本程序的草稿"));
    bool numeric = false;
    const int version = first.mid(kMagic.size() + 1).toInt(&numeric);
    if (!numeric || version < 1)
        return failed(Fault::Damaged, QStringLiteral("草稿的版本号已损坏"));
    if (version > kVersion)
        return failed(Fault::NewerVersion, QStringLiteral("草稿由较新版本的程序写成（版本 %1）").arg(version));

    QString text;
    {
        // Strict UTF-8: a damaged byte makes the draft unreadable rather than silently changed.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = decoder.decode(bytes);
        if (decoder.hasError())
            return failed(Fault::Damaged, QStringLiteral("草稿含有无法识别的字节"));
    }
    // The closing record comes last: without it the write was cut off.
    if (!text.endsWith(QLatin1String("\nend\n")))
        return failed(Fault::CutOff, QStringLiteral("草稿不完整"));

    Parsed parsed;
    Draft &draft = parsed.draft;
    QList<bool> seenLine(Survey::kLineCount, false);
    bool ended = false;
    bool sawSaved = false;
    const QList<QStringView> records = QStringView(text).split(u'\n');
    for (qsizetype i = 1; i < records.size(); ++i) {
        const QStringView record = records[i];
        if (ended) {
            if (!record.isEmpty())
                return failed(Fault::Damaged, QStringLiteral("草稿在结尾之后还有内容"));
            continue;
        }
        const qsizetype blank = record.indexOf(u' ');
        const QStringView key = blank < 0 ? record : record.left(blank);
        const QStringView rest = blank < 0 ? QStringView() : record.mid(blank + 1);
        const QString where = QStringLiteral("草稿第 %1 行已损坏").arg(i + 1);
        if (key == u"end" && blank < 0) {
            ended = true;
        } else if (key == u"saved") {
            draft.savedAt = QDateTime::fromString(rest.toString(), Qt::ISODateWithMs);
            if (!draft.savedAt.isValid())
                return failed(Fault::Damaged, where);
            sawSaved = true;
        } else if (key == u"page" || key == u"tab") {
            bool ok = false;
            const int value = rest.toInt(&ok);
            if (!ok || value < 0 || value > 16)
                return failed(Fault::Damaged, where);
            (key == u"page" ? draft.page : draft.tab) = value;
        } else if (key == u"ranking") {
            if (!unescaped(rest, draft.ranking))
                return failed(Fault::Damaged, where);
        } else if (key == u"line") {
            const qsizetype gap = rest.indexOf(u' ');
            bool ok = false;
            const int number = gap < 0 ? 0 : rest.left(gap).toInt(&ok);
            QString value;
            if (!ok || number < 1 || number > Survey::kLineCount || seenLine[number - 1] ||
                !unescaped(rest.mid(gap + 1), value))
                return failed(Fault::Damaged, where);
            seenLine[number - 1] = true;
            draft.lines[number - 1] = value;
        } else if (key == u"control") {
            const qsizetype gap = rest.indexOf(u' ');
            QString value;
            if (gap <= 0 || !rest.left(gap).contains(u'/') || !unescaped(rest.mid(gap + 1), value))
                return failed(Fault::Damaged, where);
            draft.controls.insert(rest.left(gap).toString(), value);
        } else {
            return failed(Fault::Damaged, where);
        }
    }
    if (!ended)
        return failed(Fault::CutOff, QStringLiteral("草稿不完整"));
    if (!sawSaved || seenLine.contains(false))
        return failed(Fault::Damaged, QStringLiteral("草稿缺少内容"));
    return parsed;
}
