#include <QTest>
class ReportTest : public QObject {
    Q_OBJECT
};
QTEST_MAIN(ReportTest)
#include "tst_collect_report.moc"
