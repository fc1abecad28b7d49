// The application shell: creates the pages, moves between them, ends the run
// and builds every message box of the program.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QWidget;
class FileSystemCalls;
class TForm1;
class TForm2;
class TForm3;
class TForm5;
class TForm7;

class Shell : public QObject {
    Q_OBJECT
public:
    static inline const QString kApplicationTitle = QStringLiteral("2014全国Kelmar社会责任调研问卷填报");
    static inline const QString kPageCaption = QStringLiteral("2014年度全国Kelmar民营企业社会责任调研填报");

    Shell();
    ~Shell() override;

    // Registers fonts and the title; call once after the QApplication exists.
    static void prepareApplication();

    // Creates the five pages, hidden, in the start-up order.
    void createPages();

    TForm1 *form1() const { return form1_; }
    TForm2 *form2() const { return form2_; }
    TForm3 *form3() const { return form3_; }
    TForm5 *form5() const { return form5_; }
    TForm7 *form7() const { return form7_; }
    // The five pages in start-up order.
    QList<QWidget *> pages() const;

    // Shows the intro page and runs the event loop until the end of the application.
    int run();

    // Hides one page, then shows the other.
    void switchPage(QWidget *from, QWidget *to);

    // Ends the run without asking anything.
    void endApplication();
    bool hasEnded() const { return ended_; }

    // Writes the result file from the answer record, tells the user where it
    // went and ends the application. A file error is thrown as FileError and
    // reaches the error box; the run then goes on.
    void saveResultFile();

    // The seam of the writer's system calls and the folder it writes to.
    void setFileSystem(FileSystemCalls *calls) { fileSystem_ = calls; }
    void setProgramFolder(const QString &folder) { programFolder_ = folder; }

    // Message boxes. Each is modal over the given page.
    bool confirmClose(QWidget *page);
    void showMessage(QWidget *page, const QString &text);
    void showInformation(QWidget *page, const QString &text);
    static void showError(const QString &message);

    // The error's message with a "." added when its last character sorts after ".".
    static QString errorBoxText(const QString &message);

private:
    TForm1 *form1_ = nullptr;
    TForm2 *form2_ = nullptr;
    TForm3 *form3_ = nullptr;
    TForm5 *form5_ = nullptr;
    TForm7 *form7_ = nullptr;
    FileSystemCalls *fileSystem_ = nullptr;
    QString programFolder_;
    bool running_ = false;
    bool ended_ = false;
};
