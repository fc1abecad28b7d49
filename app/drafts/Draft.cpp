// The draft's text form. One record per line, "key value", values escaped so
// that a line break in a value can never split a record; a closing "end"
// record shows that the draft was written whole.
#include "app/drafts/Draft.h"

#include "survey/LineMap.h"

#include <QStringDecoder>
#include <optional>

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

// The first line names the format and its version; the fault when this
// program cannot read that version.
std::optional<Draft::Parsed> checkFirstLine(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return failed(Draft::Fault::Empty, QStringLiteral("草稿文件是空的"));
    const qsizetype firstBreak = bytes.indexOf('\n');
    const QByteArray first = bytes.left(firstBreak < 0 ? bytes.size() : firstBreak);
    if (!first.startsWith(kMagic + ' '))
        return failed(Draft::Fault::NotADraft, QStringLiteral("文件不是本程序的草稿"));
    bool numeric = false;
    const int version = first.mid(kMagic.size() + 1).toInt(&numeric);
    if (!numeric || version < 1)
        return failed(Draft::Fault::Damaged, QStringLiteral("草稿的版本号已损坏"));
    if (version > Draft::kVersion)
        return failed(Draft::Fault::NewerVersion, QStringLiteral("草稿由较新版本的程序写成（版本 %1）").arg(version));
    return std::nullopt;
}

// Reads the records after the first line into a draft, one at a time.
class RecordReader {
public:
    Draft draft;

    // False when the record is damaged.
    bool read(QStringView key, QStringView rest)
    {
        if (key == u"saved")
            return readSaved(rest);
        if (key == u"page" || key == u"tab")
            return readPosition(key == u"page" ? draft.page : draft.tab, rest);
        if (key == u"ranking")
            return unescaped(rest, draft.ranking);
        if (key == u"source")
            return readSource(rest);
        if (key == u"line")
            return readLine(rest);
        if (key == u"control")
            return readControl(rest);
        return false;
    }

    // Every line and the time were there.
    bool isWhole() const { return sawSaved_ && !seenLine_.contains(false); }

private:
    bool readSaved(QStringView rest)
    {
        draft.savedAt = QDateTime::fromString(rest.toString(), Qt::ISODateWithMs);
        sawSaved_ = draft.savedAt.isValid();
        return sawSaved_;
    }

    static bool readPosition(int &to, QStringView rest)
    {
        bool ok = false;
        const int value = rest.toInt(&ok);
        if (!ok || value < 0 || value > 16)
            return false;
        to = value;
        return true;
    }

    bool readSource(QStringView rest)
    {
        // The file's name as the file system gave it, percent-encoded: it need not be UTF-8.
        if (rest.isEmpty())
            return false;
        draft.source = QByteArray::fromPercentEncoding(rest.toLatin1());
        return true;
    }

    bool readLine(QStringView rest)
    {
        const qsizetype gap = rest.indexOf(u' ');
        bool ok = false;
        const int number = gap < 0 ? 0 : rest.left(gap).toInt(&ok);
        QString value;
        if (!ok || number < 1 || number > Survey::kLineCount || seenLine_[number - 1] ||
            !unescaped(rest.mid(gap + 1), value))
            return false;
        seenLine_[number - 1] = true;
        draft.lines[number - 1] = value;
        return true;
    }

    bool readControl(QStringView rest)
    {
        const qsizetype gap = rest.indexOf(u' ');
        QString value;
        if (gap <= 0 || !rest.left(gap).contains(u'/') || !unescaped(rest.mid(gap + 1), value))
            return false;
        draft.controls.insert(rest.left(gap).toString(), value);
        return true;
    }

    QList<bool> seenLine_ = QList<bool>(Survey::kLineCount, false);
    bool sawSaved_ = false;
};

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
    if (!source.isEmpty())
        text += QStringLiteral("source ") + QString::fromLatin1(source.toPercentEncoding("/")) + QLatin1Char('\n');
    for (int k = 1; k <= Survey::kLineCount; ++k)
        text += QStringLiteral("line %1 ").arg(k) + escaped(lines.value(k - 1)) + QLatin1Char('\n');
    for (auto it = controls.cbegin(); it != controls.cend(); ++it)
        text += QStringLiteral("control ") + it.key() + QLatin1Char(' ') + escaped(it.value()) + QLatin1Char('\n');
    text += QStringLiteral("end\n");
    return text.toUtf8();
}

Draft::Parsed Draft::fromText(const QByteArray &bytes)
{
    if (std::optional<Parsed> fault = checkFirstLine(bytes))
        return *fault;
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

    RecordReader reader;
    const QList<QStringView> records = QStringView(text).split(u'\n');
    // records[0] is the first line, and the last is the empty one after "end".
    const qsizetype end = records.size() - 2;
    for (qsizetype i = 1; i < end; ++i) {
        const QStringView record = records[i];
        const qsizetype blank = record.indexOf(u' ');
        if (blank < 0 || !reader.read(record.left(blank), record.mid(blank + 1)))
            return failed(Fault::Damaged, QStringLiteral("草稿第 %1 行已损坏").arg(i + 1));
    }
    if (!reader.isWhole())
        return failed(Fault::Damaged, QStringLiteral("草稿缺少内容"));
    Parsed parsed;
    parsed.draft = std::move(reader.draft);
    return parsed;
}
