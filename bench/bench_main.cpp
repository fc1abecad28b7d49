// Benchmark: start-up (five pages created, intro page shown) against an empty
// Qt window (and, for scale, a window with one Chinese label), and the save of a full record against a plain file
// write, each baseline measured in the same run.
//   csr-bench [runs]      prints the figures (default 9 start-ups per side)
#include "AnswerRecord.h"
#include "FileSystemCalls.h"
#include "Fonts.h"
#include "ResultFileWriter.h"
#include "Shell.h"
#include "SurveyApplication.h"
#include "IntroPage.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void settle(QWidget *window)
{
    window->show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

double monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// One start-up in a fresh process, timed from the moment the parent launched
// it (loading the libraries included): prints "<milliseconds> <peak KiB>".
int child(int argc, char *argv[], const QByteArray &mode, double launchedAt)
{
    SurveyApplication application(argc, argv);
    if (mode == "survey") {
        Shell::prepareApplication();
        Shell shell;
        shell.createPages();
        settle(shell.introPage());
        std::printf("%.3f %ld\n", monotonicMs() - launchedAt, peakKiB());
    } else {
        QWidget window;
        window.resize(839, 529);
        if (mode == "label") { // the least a window with Chinese text pays: the font system's first use
            Shell::prepareApplication();
            auto *label = new QLabel(QStringLiteral("软件使用说明："), &window);
            label->setFont(Fonts::pixelFont(Fonts::kHei, 19));
        }
        settle(&window);
        std::printf("%.3f %ld\n", monotonicMs() - launchedAt, peakKiB());
    }
    return 0;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

bool startUp(const QString &self, const char *mode, QList<double> &ms, QList<double> &kib)
{
    QProcess process;
    process.start(self, {QStringLiteral("--child"), QString::fromLatin1(mode), QString::number(monotonicMs(), 'f', 3)});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return false;
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 2)
        return false;
    ms << fields[0].toDouble();
    kib << fields[1].toDouble();
    return true;
}

void fillRecord(AnswerRecord &record)
{
    record.set(1, QStringLiteral("北京某某科技股份有限公司"));
    for (int k = 2; k <= AnswerRecord::kSlotCount; ++k)
        record.set(k, k % 3 == 0 ? QStringLiteral("有限责任公司") : QStringLiteral("12345.67"));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QByteArray(argv[2]), std::atof(argv[3]));

    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const QString self = QCoreApplication::applicationFilePath();

    QList<double> emptyMs, emptyKiB, labelMs, labelKiB, surveyMs, surveyKiB;
    for (int i = 0; i < runs; ++i) { // interleaved, so all sides see the same machine
        if (!startUp(self, "empty", emptyMs, emptyKiB) || !startUp(self, "label", labelMs, labelKiB) ||
            !startUp(self, "survey", surveyMs, surveyKiB)) {
            std::fprintf(stderr, "a start-up run failed\n");
            return 1;
        }
    }
    std::printf("start-up, median of %d runs each (process start to the window shown):\n", runs);
    std::printf("  empty Qt window   %8.2f ms   peak %7.1f MiB\n", median(emptyMs), median(emptyKiB) / 1024);
    std::printf("  one Chinese label %8.2f ms   peak %7.1f MiB\n", median(labelMs), median(labelKiB) / 1024);
    std::printf("  the survey        %8.2f ms   peak %7.1f MiB\n", median(surveyMs), median(surveyKiB) / 1024);
    std::printf("  ratio %.2f (target <= 1.5), extra memory %.1f MiB (target <= 15)\n",
                median(surveyMs) / median(emptyMs), (median(surveyKiB) - median(emptyKiB)) / 1024);
    std::printf("  against the window with one Chinese label: ratio %.2f, extra memory %.1f MiB\n",
                median(surveyMs) / median(labelMs), (median(surveyKiB) - median(labelKiB)) / 1024);

    AnswerRecord record;
    fillRecord(record);
    QTemporaryDir folder;
    const QString path = folder.path() + QLatin1Char('/');
    ResultFileWriter writer(record, PosixFileSystem::instance(), path);
    const QByteArray bytes = writer.content();
    QList<double> saveMs, plainMs;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer timer;
        timer.start();
        writer.write();
        saveMs << timer.nsecsElapsed() / 1e6;

        timer.restart();
        QFile plain(path + QStringLiteral("plain.dbf"));
        plain.open(QIODevice::WriteOnly | QIODevice::Truncate);
        plain.write(bytes);
        plain.close();
        plainMs << timer.nsecsElapsed() / 1e6;
    }
    std::sort(saveMs.begin(), saveMs.end());
    std::printf("save of a full record (%lld bytes, 139 lines), 200 saves:\n", static_cast<long long>(bytes.size()));
    std::printf("  plain file write  median %6.3f ms\n", median(plainMs));
    std::printf("  result file       median %6.3f ms, 95th percentile %6.3f ms (target < 5 ms)\n", median(saveMs),
                saveMs[saveMs.size() * 95 / 100]);
    return 0;
}
