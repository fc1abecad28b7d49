// The boxes the program shows and their texts: questions, warnings, the error
// box, and the picker of unfinished fillings.
#include "widgets/MessageBoxes.h"

#include "survey/Captions.h"
#include "survey/ResultFileFormat.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace MessageBoxes {

namespace {

int show(QWidget *page, QMessageBox::Icon icon, const QString &title, const QString &text,
         QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
{
    QMessageBox box(icon, title, text, buttons, page ? page : QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return box.exec();
}

QString applicationTitle()
{
    return Captions::kApplicationTitle.toString();
}

// What happens to the work while no draft is kept.
const QString kWithoutDraft =
    QStringLiteral("填报可以照常继续，保存退出不受影响；但程序若意外关闭，未保存的填写内容将会丢失。");

QString enterpriseOf(const DraftEntry &entry)
{
    return entry.enterprise.isEmpty() ? QStringLiteral("未填企业名称") : entry.enterprise;
}

QString timeOf(const DraftEntry &entry)
{
    return entry.changed.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString otherMachineOf(const DraftEntry &entry)
{
    return QStringLiteral("可能正在另一台电脑上使用（主机 %1）").arg(entry.otherMachine);
}

// The filling as a question names it: "甲公司，2026-12-09 08:30".
QString named(const DraftEntry &entry)
{
    QString text = enterpriseOf(entry) + QStringLiteral("，") + timeOf(entry);
    if (!entry.otherMachine.isEmpty())
        text += QStringLiteral("，") + otherMachineOf(entry);
    return text;
}

// A question that tells "否" from no answer at all: Esc and the close box choose nothing.
class UndecidedBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool chose() const { return !dismissed_ && clickedButton(); }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->matches(QKeySequence::Cancel))
            dismissed_ = true;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (!clickedButton())
            dismissed_ = true;
        QMessageBox::closeEvent(event);
    }

private:
    bool dismissed_ = false;
};

// A question with "是" and "否"; Yes, No, or NoButton when neither was chosen.
QMessageBox::StandardButton askYesNoOrNothing(QWidget *page, QMessageBox::Icon icon, const QString &text,
                                              QMessageBox::StandardButton defaultButton)
{
    UndecidedBox box(icon, applicationTitle(), text, QMessageBox::Yes | QMessageBox::No,
                     page ? page : QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    box.setDefaultButton(defaultButton);
    box.exec();
    return box.chose() ? box.standardButton(box.clickedButton()) : QMessageBox::NoButton;
}

bool askYesNo(QWidget *page, QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButton defaultButton)
{
    return askYesNoOrNothing(page, icon, text, defaultButton) == QMessageBox::Yes;
}

} // namespace

bool confirmClose(QWidget *page)
{
    return show(page, QMessageBox::NoIcon, Captions::kCloseTitle.toString(), Captions::kCloseQuestion.toString(),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void message(QWidget *page, const QString &text)
{
    show(page, QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok);
}

void information(QWidget *page, const QString &text)
{
    show(page, QMessageBox::Information, applicationTitle(), text, QMessageBox::Ok);
}

void error(QWidget *page, const QString &message)
{
    show(page, QMessageBox::Critical, applicationTitle(), errorBoxText(message), QMessageBox::Ok);
}

bool askYesNo(QWidget *page, const QString &text)
{
    return askYesNo(page, QMessageBox::Question, text, QMessageBox::Yes);
}

void warning(QWidget *page, const QString &text)
{
    show(page, QMessageBox::Warning, applicationTitle(), text, QMessageBox::Ok);
}

void resultFileRefused(QWidget *page, const QString &path, int line, const QString &reason)
{
    QString text = QStringLiteral("无法打开填报结果文件：\n%1\n\n").arg(path);
    if (line > 0)
        text += QStringLiteral("第 %1 行：").arg(line);
    text += reason + QStringLiteral("\n\n文件没有被读入，程序将开始新的填报。");
    warning(page, text);
}

DraftChoice askContinueDraft(QWidget *page, const DraftEntry &draft)
{
    switch (askYesNoOrNothing(page, QMessageBox::Question,
                              QStringLiteral("发现未完成的填报（%1），是否继续填报？").arg(named(draft)),
                              QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return DraftChoice::Continue;
    case QMessageBox::No:
        return DraftChoice::StartNew;
    default:
        return DraftChoice::NotChosen;
    }
}

bool confirmDeleteDraft(QWidget *page, const DraftEntry &draft)
{
    return askYesNo(page, QMessageBox::Question,
                    QStringLiteral("确定删除未完成的填报（%1）吗？删除后无法恢复。").arg(named(draft)),
                    QMessageBox::No);
}

void draftNotDeleted(QWidget *page, const QString &reason)
{
    warning(page, QStringLiteral("草稿无法删除（%1），已原样保留。").arg(reason));
}

bool askTakeOver(QWidget *page, const QString &machine)
{
    return askYesNo(page, QMessageBox::Warning,
                    QStringLiteral("这份填报可能正在另一台电脑上使用（主机 %1），本机无法查明。\n\n"
                                   "如果那台电脑上的填报程序已经关闭（例如它曾意外退出，或者用户文件夹是从"
                                   "那台电脑搬过来的），可以在本机接管并继续；如果它还开着，两边的填写会"
                                   "互相覆盖。\n\n是否在本机接管这份填报？")
                        .arg(machine),
                    QMessageBox::No);
}

void fileOpenElsewhere(QWidget *page)
{
    information(page, QStringLiteral("该文件正在另一个窗口中修改"));
}

void saveRefusedOpenElsewhere(QWidget *page, const QString &path)
{
    warning(page, QStringLiteral("该文件正在另一个窗口中修改：%1\n\n现在保存会覆盖那个窗口里的修改，所以这次没有保存，"
                                 "这里填写的内容都还在。\n\n请先在另一个窗口中完成修改并保存，或者关闭那个窗口，"
                                 "然后再按“%2”。")
                      .arg(path, Captions::kSave));
}

void tooLargeToSave(QWidget *page, qint64 bytes, int line, const QString &label, qsizetype characters)
{
    warning(page, QStringLiteral("填写的内容太多：结果文件最多 %1 字节（%2 MiB），现在的内容有 %3 字节，无法保存。"
                                 "\n\n最长的一项是第 %4 行（%5），有 %6 个字。请把它改短后再继续。")
                      .arg(Survey::kMaxFileBytes)
                      .arg(Survey::kMaxFileBytes >> 20)
                      .arg(bytes)
                      .arg(line)
                      .arg(label)
                      .arg(characters));
}

namespace {

// One row a draft: the enterprise, when it was saved, the file it changes
// and the machine it was left on; the first chosen.
QListWidget *draftList(const QList<DraftEntry> &drafts, QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QStringLiteral("draftList"));
    for (qsizetype i = 0; i < drafts.size(); ++i) {
        const DraftEntry &entry = drafts[i];
        QString text = enterpriseOf(entry) + QStringLiteral("　　") + timeOf(entry);
        if (!entry.source.isEmpty())
            text += QStringLiteral("\n修改的填报结果文件：") + entry.source;
        if (!entry.otherMachine.isEmpty())
            text += QLatin1Char('\n') + otherMachineOf(entry);
        auto *item = new QListWidgetItem(text, list);
        item->setData(Qt::UserRole, int(i));
    }
    list->setCurrentRow(0);
    return list;
}

} // namespace

int pickDraft(QWidget *page, const QList<DraftEntry> &drafts, const std::function<QString(int)> &remove)
{
    QDialog dialog(page ? page : QApplication::activeWindow(),
                   Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog.setObjectName(QStringLiteral("draftPicker"));
    dialog.setWindowTitle(applicationTitle());
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        new QLabel(QStringLiteral("发现多份未完成的填报。请选择要继续填报的一份，或开始新的填报："), &dialog));
    QListWidget *list = draftList(drafts, &dialog);
    layout->addWidget(list);

    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *continueButton = buttons->addButton(QStringLiteral("继续填报"), QDialogButtonBox::AcceptRole);
    continueButton->setObjectName(QStringLiteral("continueDraft"));
    continueButton->setDefault(true);
    QPushButton *newButton = buttons->addButton(QStringLiteral("开始新的填报"), QDialogButtonBox::RejectRole);
    newButton->setObjectName(QStringLiteral("startNewFilling"));
    QPushButton *deleteButton = buttons->addButton(QStringLiteral("删除"), QDialogButtonBox::ActionRole);
    deleteButton->setObjectName(QStringLiteral("deleteDraft"));
    layout->addWidget(buttons);

    int chosen = -1;
    auto continueCurrent = [&] {
        if (QListWidgetItem *item = list->currentItem()) {
            chosen = item->data(Qt::UserRole).toInt();
            dialog.accept();
        }
    };
    QObject::connect(continueButton, &QPushButton::clicked, &dialog, continueCurrent);
    QObject::connect(list, &QListWidget::itemActivated, &dialog, continueCurrent);
    QObject::connect(newButton, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(deleteButton, &QPushButton::clicked, &dialog, [&] {
        QListWidgetItem *item = list->currentItem();
        if (!item)
            return;
        const int index = item->data(Qt::UserRole).toInt();
        if (!confirmDeleteDraft(&dialog, drafts[index]))
            return;
        const QString failure = remove(index);
        if (!failure.isEmpty()) {
            draftNotDeleted(&dialog, failure);
            return;
        }
        delete item;
        if (list->count() == 0)
            dialog.reject();
    });
    dialog.exec();
    return chosen;
}

void draftUnusable(QWidget *page, const QString &reason, const QString &movedTo, const QString &keptAt)
{
    QString text = QStringLiteral("上次未完成的填报草稿无法读取：%1。\n\n").arg(reason);
    if (!movedTo.isEmpty())
        text += QStringLiteral("草稿已原样移至：\n%1").arg(QDir::toNativeSeparators(movedTo));
    else
        text += QStringLiteral("草稿无法移开，已原样保留在：\n%1").arg(QDir::toNativeSeparators(keptAt));
    warning(page, text);
}

void draftUnsaved(QWidget *page, const QString &reason)
{
    warning(page, QStringLiteral("填报草稿无法保存（%1）。\n\n").arg(reason) + kWithoutDraft);
}

void draftsOff(QWidget *page, const QString &location)
{
    warning(
        page,
        QStringLiteral("找不到当前用户自己的数据文件夹（系统给出的是“%1”），本次填报不保存草稿。\n\n").arg(location) +
            kWithoutDraft);
}

QString errorBoxText(const QString &message)
{
    // Words of the program's own end with their own full stop.
    if (!message.isEmpty() && message.back() > QLatin1Char('.') && message.back() != u'。')
        return message + QLatin1Char('.');
    return message;
}

} // namespace MessageBoxes
