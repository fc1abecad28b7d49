// Benchmark of the questionnaire program, each figure against a baseline
// measured in the same run:
//   start-up: process start to the intro page shown, against an empty Qt
//     window and a window with one Chinese label; process start to every page
//     built; "开始填报" pressed to the basic information page shown;
//   the save of a full record against a plain file write and against the same
//     save without its two syncs to the disk;
//   the draft of a full record: the work on the user-interface thread (taking
//     the state, and a keystroke with drafts kept against one without) and the
//     write on the draft thread; the load of a result file into the pages.
//   csr-bench [runs]      prints the figures (default 9 start-ups per side)
#include "app/drafts/Draft.h"
#include "app/drafts/DraftFolder.h"
#include "app/drafts/DraftKeeper.h"
#include "app/drafts/DraftStore.h"
#include "app/drafts/PageState.h"
#include "app/Shell.h"
#include "app/SurveyApplication.h"
#include "pages/intro/IntroPage.h"
#include "survey/AnswerRecord.h"
#include "platform/FileSystemCalls.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"
#include "survey/ResultFileReader.h"
#include "survey/ResultFileWriter.h"
#include "tests/support/ForwardingFileSystem.h"
#include "widgets/Fonts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
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

// Shows the window and lets it paint.
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
    if (mode == "survey") { // the intro page as the program shows it, up to its first paint
        Shell::prepareApplication();
        Shell shell;
        QObject::connect(&shell, &Shell::introPainted, [launchedAt] {
            std::printf("%.3f %ld\n", monotonicMs() - launchedAt, peakKiB());
            QCoreApplication::exit(0);
        });
        shell.showIntroPage();
        return QApplication::exec();
    } else if (mode == "all") { // until the last page is built behind the intro page
        Shell::prepareApplication();
        Shell shell;
        QObject::connect(&shell, &Shell::allPagesBuilt, [launchedAt] {
            std::printf("%.3f %ld\n", monotonicMs() - launchedAt, peakKiB());
            QCoreApplication::exit(0);
        });
        shell.showIntroPage();
        return QApplication::exec();
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

double percentile95(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() * 95 / 100];
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

// A result file with every line answered, as the program writes it.
QStringList fullAnswers()
{
    QStringList lines(Survey::kLineCount);
    for (const Survey::Line &line : Survey::lines()) {
        QString &text = lines[line.number - 1];
        switch (line.kind) {
        case Survey::LineKind::FreeText:
            text = line.number == 1 ? QStringLiteral("北京某某科技股份有限公司") : QStringLiteral("某某说明文字");
            break;
        case Survey::LineKind::Number:
            text = QStringLiteral("12345.67");
            break;
        case Survey::LineKind::SingleChoice:
        case Survey::LineKind::YesNoPair:
            text = line.choices.first().code;
            break;
        case Survey::LineKind::ListPick:
            text = line.items.last();
            break;
        case Survey::LineKind::OptionCodes:
            for (qsizetype i = 0; i < line.positions.size(); ++i)
                text += (line.maxTicks == 0 || i < line.maxTicks) ? QLatin1Char('1') : QLatin1Char('9');
            break;
        case Survey::LineKind::Ranking:
            text = QStringLiteral("CAEBD");
            break;
        }
    }
    // The other industry is named only with industry 19.
    lines[6] = QStringLiteral("19");
    lines[7] = QStringLiteral("新能源");
    return lines;
}

void startUpFigures(const QString &self, int runs)
{
    QList<double> emptyMs, emptyKiB, labelMs, labelKiB, surveyMs, surveyKiB, allMs, allKiB;
    for (int i = 0; i < runs; ++i) { // interleaved, so all sides see the same machine
        if (!startUp(self, "empty", emptyMs, emptyKiB) || !startUp(self, "label", labelMs, labelKiB) ||
            !startUp(self, "survey", surveyMs, surveyKiB) || !startUp(self, "all", allMs, allKiB)) {
            std::fprintf(stderr, "a start-up run failed\n");
            std::exit(1);
        }
    }
    std::printf("start-up, median of %d runs each (process start to the window shown):\n", runs);
    std::printf("  empty Qt window          %8.2f ms   peak %7.1f MiB\n", median(emptyMs), median(emptyKiB) / 1024);
    std::printf("  one Chinese label        %8.2f ms   peak %7.1f MiB\n", median(labelMs), median(labelKiB) / 1024);
    std::printf("  (a) intro page shown     %8.2f ms   peak %7.1f MiB   %.2f x the label window (target <= 1.15)\n",
                median(surveyMs), median(surveyKiB) / 1024, median(surveyMs) / median(labelMs));
    std::printf("  (b) every page built     %8.2f ms   peak %7.1f MiB\n", median(allMs), median(allKiB) / 1024);
}

// "开始填报" pressed to the basic information page shown, in a warm process:
// with the page still to be built (a press before the background building
// reached it), and with every page built.
void startButtonFigures()
{
    QList<double> onDemand, built;
    for (int i = 0; i < 21; ++i) {
        for (bool buildFirst : {false, true}) {
            Shell shell;
            settle(shell.introPage()); // shown without the background building
            if (buildFirst)
                shell.createPages();
            auto *start = shell.introPage()->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
            QElapsedTimer timer;
            timer.start();
            start->click();
            QWidget *page = shell.page(Survey::PageId::BasicInformation);
            page->repaint(); // drawn, not only mapped
            (buildFirst ? built : onDemand) << timer.nsecsElapsed() / 1e6;
        }
    }
    std::printf("(c) \"开始填报\" pressed to the basic information page shown, median of 21 (target < 50 ms):\n");
    std::printf("  the page built on demand   %6.2f ms (worst %6.2f)\n", median(onDemand),
                *std::max_element(onDemand.begin(), onDemand.end()));
    std::printf("  every page already built   %6.2f ms (worst %6.2f)\n", median(built),
                *std::max_element(built.begin(), built.end()));
}

// The system's file calls without the two waits for the disk: what the save
// cost before it was durable.
class WithoutSync : public ForwardingFileSystem {
public:
    int sync(Handle) override { return 0; }
    int syncPath(const QByteArray &) override { return 0; }
};

void saveFigures()
{
    AnswerRecord record;
    fillRecord(record);
    QTemporaryDir folder;
    const QString path = folder.path() + QLatin1Char('/');
    WithoutSync withoutSync;
    ResultFileWriter writer(record, FileSystemCalls::system(), path);
    ResultFileWriter unsynced(record, withoutSync, path);
    const QByteArray bytes = writer.content();
    QList<double> saveMs, unsyncedMs, plainMs;
    for (int i = 0; i < 200; ++i) { // interleaved, so that each sees the same disk
        QElapsedTimer timer;
        timer.start();
        writer.write();
        saveMs << timer.nsecsElapsed() / 1e6;

        timer.restart();
        unsynced.write();
        unsyncedMs << timer.nsecsElapsed() / 1e6;

        timer.restart();
        QFile plain(path + QStringLiteral("plain.dbf"));
        if (!plain.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        plain.write(bytes);
        plain.close();
        plainMs << timer.nsecsElapsed() / 1e6;
    }
    std::printf("save of a full record (%lld bytes, %d lines), 200 saves:\n", static_cast<long long>(bytes.size()),
                Survey::kLineCount);
    std::printf("  plain file write         median %6.3f ms\n", median(plainMs));
    std::printf("  result file, not synced  median %6.3f ms, 95th percentile %6.3f ms\n", median(unsyncedMs),
                percentile95(unsyncedMs));
    std::printf("  result file (durable)    median %6.3f ms, 95th percentile %6.3f ms (target < 5 ms; the disk's"
                " two syncs are most of it)\n",
                median(saveMs), percentile95(saveMs));
}

// Time of one key typed into a field, as the event reaches it.
double keystrokeMs(QLineEdit *field)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    QElapsedTimer timer;
    timer.start();
    QCoreApplication::sendEvent(field, &press);
    QCoreApplication::sendEvent(field, &release);
    return timer.nsecsElapsed() / 1e6;
}

void draftFigures()
{
    QTemporaryDir folder;
    DraftStore drafts(DraftFolder(folder.path()).takeNew(), FileSystemCalls::system());
    Shell shell;
    shell.showIntroPage();
    shell.createPages();
    PageState::restore(shell, PageState::fromLines(fullAnswers())); // the figures below time each step on its own

    QList<double> captureMs, writeMs, keyWithMs, keyWithoutMs;
    QByteArray text;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer timer;
        timer.start();
        text = PageState::capture(shell).toText();
        captureMs << timer.nsecsElapsed() / 1e6;
        timer.restart();
        drafts.write(text);
        writeMs << timer.nsecsElapsed() / 1e6;
    }

    // A keystroke with drafts kept (the field is watched) against one without.
    Shell plain;
    plain.createPages();
    DraftKeeper keeper(shell);
    keeper.keepIn(&drafts);
    auto *watched = shell.page(Survey::PageId::Performance)->findChild<QLineEdit *>(QStringLiteral("Edit2"));
    auto *unwatched = plain.page(Survey::PageId::Performance)->findChild<QLineEdit *>(QStringLiteral("Edit2"));
    keeper.watch(shell.page(Survey::PageId::Performance));
    for (int i = 0; i < 400; ++i) {
        keyWithMs << keystrokeMs(watched);
        keyWithoutMs << keystrokeMs(unwatched);
        if (i % 40 == 39) {
            watched->clear();
            unwatched->clear();
        }
    }
    keeper.stop();

    std::printf("draft of a full record (%lld bytes), 200 drafts:\n", static_cast<long long>(text.size()));
    std::printf("  user-interface thread, taking the state and its text  median %6.3f ms, 95th percentile %6.3f ms"
                " (target < 2 ms)\n",
                median(captureMs), percentile95(captureMs));
    std::printf("  draft thread, the write (temporary, sync, rename)      median %6.3f ms, 95th percentile %6.3f ms\n",
                median(writeMs), percentile95(writeMs));
    std::printf("  a keystroke, drafts kept %6.3f ms / without %6.3f ms (medians; 95th %6.3f / %6.3f)\n",
                median(keyWithMs), median(keyWithoutMs), percentile95(keyWithMs), percentile95(keyWithoutMs));
}

void loadFigures()
{
    QTemporaryDir folder;
    AnswerRecord record;
    const QStringList answers = fullAnswers();
    for (int k = 1; k <= Survey::kLineCount; ++k)
        record.set(k, answers[k - 1]);
    ResultFileWriter writer(record, FileSystemCalls::system(), folder.path() + QLatin1Char('/'));
    const QString path = writer.write();

    QList<double> readMs, loadMs, buildMs;
    for (int i = 0; i < 51; ++i) {
        Shell shell;
        QElapsedTimer timer;
        timer.start();
        shell.createPages();
        buildMs << timer.nsecsElapsed() / 1e6;

        timer.restart();
        const ResultFileReader::Result read = ResultFileReader::read(path);
        const QList<RecordCheck::Problem> problems = RecordCheck::check(read.lines);
        readMs << timer.nsecsElapsed() / 1e6;
        if (!read.accepted() || std::any_of(problems.cbegin(), problems.cend(), [](const RecordCheck::Problem &p) {
                return RecordCheck::blocksReopening(p.kind);
            })) {
            std::fprintf(stderr, "the benchmark's file does not fit\n");
            return;
        }
        timer.restart();
        PageState::restore(shell, PageState::fromLines(read.lines));
        loadMs << timer.nsecsElapsed() / 1e6;
    }
    std::printf("load of a full result file into the pages, median of 51:\n");
    std::printf("  building the five pages (baseline)  %6.2f ms\n", median(buildMs));
    std::printf("  reading and checking the file       %6.2f ms\n", median(readMs));
    std::printf("  filling the built pages from it     %6.2f ms\n", median(loadMs));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QByteArray(argv[2]), std::atof(argv[3]));

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    {
        QCoreApplication application(argc, argv);
        startUpFigures(QCoreApplication::applicationFilePath(), runs);
    }
    SurveyApplication application(argc, argv);
    Shell::prepareApplication();
    startButtonFigures();
    saveFigures();
    draftFigures();
    loadFigures();
    return 0;
}
