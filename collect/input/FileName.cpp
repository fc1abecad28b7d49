// Written out rather than as a regular expression: the readers call it on
// their own threads, and PCRE2's per-thread JIT stack crashed at such a
// thread's end in the static Windows build.
#include "collect/input/FileName.h"

#include "survey/ResultFileFormat.h"

namespace FileName {

const QString &extension()
{
    static const QString dbf = [] {
        const QStringView suffix = Survey::kResultFileSuffix;
        return suffix.mid(suffix.lastIndexOf(u'.')).toString();
    }();
    return dbf;
}

qsizetype copyMarkLength(QStringView s)
{
    const qsizetype end = s.size();
    auto isBlank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    auto blanksBefore = [&](qsizetype i) {
        while (i > 0 && isBlank(s[i - 1]))
            --i;
        return i;
    };
    // A dash before the word, with blanks around it; else the blanks alone, if any.
    auto afterWord = [&](qsizetype wordStart, bool needsBlank) -> qsizetype {
        const qsizetype beforeBlanks = blanksBefore(wordStart);
        if (beforeBlanks > 0 && s[beforeBlanks - 1] == u'-')
            return end - blanksBefore(beforeBlanks - 1);
        if (needsBlank && beforeBlanks == wordStart)
            return 0;
        return end - beforeBlanks;
    };
    if (end > 0 && (s[end - 1] == u')' || s[end - 1] == u'）')) {
        qsizetype i = end - 1;
        while (i > 0 && isDigit(s[i - 1]))
            --i;
        if (i < end - 1 && i > 0 && (s[i - 1] == u'(' || s[i - 1] == u'（'))
            return end - blanksBefore(i - 1);
    }
    if (s.endsWith(u"副本")) {
        const qsizetype word = end - 2;
        const qsizetype beforeBlanks = blanksBefore(word);
        if (beforeBlanks > 0 && s[beforeBlanks - 1] == u'-')
            return end - blanksBefore(beforeBlanks - 1);
        return end - blanksBefore(word > 0 && s[word - 1] == u'的' ? word - 1 : word);
    }
    if (s.endsWith(u"opy") && end >= 4 && (s[end - 4] == u'C' || s[end - 4] == u'c')) {
        if (const qsizetype mark = afterWord(end - 4, true))
            return mark;
    }
    qsizetype digits = end;
    while (digits > 0 && isDigit(s[digits - 1]))
        --digits;
    if (digits < end && blanksBefore(digits) < digits)
        return end - blanksBefore(digits);
    return 0;
}

Match match(const QString &fileName, const QString &enterprise)
{
    const QString &dbf = extension();
    static const QString stemSuffix = Survey::kResultFileSuffix.chopped(dbf.size()).toString();
    if (fileName.size() <= dbf.size() || !fileName.endsWith(dbf, Qt::CaseInsensitive))
        return Match::None;
    const QString expected = enterprise + stemSuffix;
    QString stem = fileName.chopped(dbf.size());
    if (stem == expected)
        return Match::Exact;
    for (;;) {
        const qsizetype mark = copyMarkLength(stem);
        if (mark == 0)
            return Match::None;
        stem.chop(mark);
        if (stem == expected)
            return Match::AfterCopyMarks;
    }
}

} // namespace FileName
