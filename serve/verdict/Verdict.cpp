#include "serve/verdict/Verdict.h"

#include "collect/data/DataSet.h"
#include "collect/input/RecordReader.h"
#include "collect/merge/Duplicates.h"
#include "collect/merge/Merge.h"
#include "survey/DataChecks.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace Serve::Verdict {

namespace {

constexpr qsizetype kMaxNameLength = 255;

const QString kRejectedAdvice = QStringLiteral("请用填报程序打开原文件，保存后重新上传。");
const QString kCheckAdvice = QStringLiteral("请核对下列内容；如有错误，请在填报程序中改正，保存后重新上传。");

QJsonArray problemsOf(const InputScanner::File &file, const RecordReader::Result &result)
{
    QList<ProblemReport::Entry> entries;
    Merge::noteProblems(file, result, entries);
    QJsonArray problems;
    for (const ProblemReport::Entry &e : entries)
        problems.append(QJsonObject{{"line", e.line},
                                    {"variable", e.variable},
                                    {"kind", e.kindName()},
                                    {"what", e.what},
                                    {"raw", e.raw}});
    return problems;
}

QJsonArray findingsOf(const RecordReader::Result &result)
{
    const DataSet::Lines lines = DataSet::split(result.record);
    QJsonArray findings;
    for (const DataChecks::Finding &f : result.findings) {
        const DataChecks::Check &check = DataChecks::all()[size_t(f.check)];
        const QString values = DataChecks::values(f, lines);
        findings.append(QJsonObject{{"key", findingKey(f)},
                                    {"check", check.id.toString()},
                                    {"title", check.title.toString()},
                                    {"severity", DataChecks::severityText(check.severity)},
                                    {"values", values},
                                    {"question", QStringLiteral("请核对：") + values}});
    }
    return findings;
}

} // namespace

QString findingKey(const DataChecks::Finding &finding)
{
    return QStringLiteral("%1/%2/%3")
        .arg(DataChecks::all()[size_t(finding.check)].id.toString())
        .arg(finding.subject)
        .arg(finding.year);
}

namespace {

QString localText(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

QString cleanFileName(const QString &name)
{
    QString clean;
    for (const QChar c : name)
        if (!Survey::isControlCharacter(c.unicode()))
            clean += c;
    if (clean.size() > kMaxNameLength)
        clean = clean.left(kMaxNameLength - 1) + QChar(0x2026);
    return clean;
}

Submission judge(const QByteArray &bytes, const QString &fileName, const QDateTime &received)
{
    Submission s;
    s.bytes = bytes;
    s.sha256 = sha256Hex(bytes);
    s.size = bytes.size();
    s.fileName = cleanFileName(fileName);
    s.received = received.toUTC();
    const InputScanner::File file{{}, s.fileName, s.fileName};
    const RecordReader::Result result = RecordReader::readBytes(file, bytes, received.toMSecsSinceEpoch() * 1000000);
    s.accepted = result.accepted();
    QJsonObject verdict{{"accepted", s.accepted}};
    if (!s.accepted) {
        ProblemReport::Entry rejected;
        rejected.kind = ProblemReport::Kind::Rejected;
        rejected.rejection = result.rejection;
        s.reason = result.reason;
        verdict.insert("reason", result.reason);
        verdict.insert("kind", rejected.kindName());
        verdict.insert("line", result.rejectionLine);
        verdict.insert("message", result.reason + QStringLiteral("。") + kRejectedAdvice);
    } else {
        s.enterprise = result.enterprise;
        s.enterpriseKey = Duplicates::enterpriseOf(result);
        const QJsonArray problems = problemsOf(file, result);
        const QJsonArray findings = findingsOf(result);
        verdict.insert("enterprise", s.enterprise);
        verdict.insert("problems", problems);
        verdict.insert("findings", findings);
        if (!problems.isEmpty() || !findings.isEmpty())
            verdict.insert("message", kCheckAdvice);
    }
    s.verdict = QJsonDocument(verdict).toJson(QJsonDocument::Compact);
    return s;
}

QJsonObject answer(const Submission &s)
{
    QJsonObject answer = QJsonDocument::fromJson(s.verdict).object();
    answer.insert("receipt", QJsonObject{{"id", s.id},
                                         {"received", s.received.toString(Qt::ISODateWithMs)},
                                         {"receivedText", s.received.toLocalTime().toString("yyyy-MM-dd HH:mm:ss")},
                                         {"sha256", QString::fromLatin1(s.sha256)},
                                         {"size", s.size},
                                         {"fileName", s.fileName}});
    if (s.replaces)
        answer.insert("replaces",
                      QJsonObject{{"id", s.replaces},
                                  {"received", s.replacedReceived.toString(Qt::ISODateWithMs)},
                                  {"text", QStringLiteral("已替换 %1 收到的文件").arg(localText(s.replacedReceived))}});
    answer.insert("status", s.accepted ? QStringLiteral("已收到") : QStringLiteral("未收到"));
    return answer;
}

} // namespace Serve::Verdict
