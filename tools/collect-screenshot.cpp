// Renders docs/collect-window.png: the collector's window after a merge that
// found problems, on sample files made for the picture.
//   QT_QPA_PLATFORM=offscreen build/csr-collect-screenshot docs
#include "collect/window/CollectWindow.h"
#include "tests/collect/SampleRecords.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString docs = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QTemporaryDir scratch;
    const QString in = scratch.path() + QStringLiteral("/2014年填报结果");
    QDir().mkpath(in + QStringLiteral("/华北"));
    QDir().mkpath(in + QStringLiteral("/华东"));

    QRandomGenerator rng(2014);
    auto make = [&](int index) {
        return SampleRecords::make(rng, index, SampleRecords::Texts::Plain, SampleRecords::Values::Consistent);
    };
    for (int i = 0; i < 146; ++i)
        SampleRecords::write(make(i), in + (i % 2 ? QStringLiteral("/华北/") : QStringLiteral("/华东/")));
    AnswerRecord odd = make(200);
    odd.set(7, QStringLiteral("25"));
    odd.set(25, QStringLiteral("约3000"));
    SampleRecords::write(odd, in + QStringLiteral("/华北/"));
    // A listed company that is no joint-stock company, and an enterprise under a second form of its name.
    AnswerRecord listed = make(201);
    listed.set(10, QStringLiteral("1"));
    listed.set(5, QStringLiteral("有限责任公司"));
    SampleRecords::write(listed, in + QStringLiteral("/华北/"));
    AnswerRecord renamed = make(202);
    renamed.set(1, QStringLiteral("北京发展3有限责任公司"));
    SampleRecords::write(renamed, in + QStringLiteral("/华北/"));
    AnswerRecord again = make(3);
    again.set(1, QStringLiteral("北京发展3有限公司"));
    SampleRecords::write(again, in + QStringLiteral("/华东/"));
    QFile::copy(in + QStringLiteral("/华东/北京发展3有限公司_填报结果.dbf"),
                in + QStringLiteral("/北京发展3有限公司_填报结果.dbf"));
    QFile broken(in + QStringLiteral("/华东/上海科技_填报结果.dbf"));
    if (broken.open(QIODevice::WriteOnly))
        broken.write("上海科技\r\n");
    broken.close();

    CollectWindow window;
    window.resize(820, 520);
    window.setInputFolder(in);
    window.setOutputBase(scratch.path() + QStringLiteral("/2014年填报结果_汇总"));
    window.show();
    QSignalSpy ended(&window, &CollectWindow::mergeEnded);
    QMetaObject::invokeMethod(window.findChild<QWidget *>(QStringLiteral("startButton")), "click");
    if (!ended.wait(60000))
        return 1;
    // Paths in the picture as a collector would see them.
    for (QLineEdit *edit : window.findChildren<QLineEdit *>())
        edit->setText(edit->text().replace(scratch.path(), QStringLiteral("/home/collector")));
    for (QLabel *label : window.findChildren<QLabel *>())
        label->setText(label->text().replace(scratch.path(), QStringLiteral("/home/collector")));
    app.processEvents();
    QDir().mkpath(docs);
    return window.grab().save(docs + QStringLiteral("/collect-window.png")) ? 0 : 1;
}
