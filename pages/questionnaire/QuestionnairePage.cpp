// Builds the questionnaire's five tabs from its table and keeps its rules:
// three ticks at most in question 1, other fields that open with their
// option, the ranking of question 21, and the lines stored on save.
#include "pages/questionnaire/QuestionnairePage.h"

#include "survey/AnswerRecord.h"
#include "survey/Captions.h"
#include "widgets/Fonts.h"
#include "widgets/GlyphButton.h"
#include "widgets/MessageBoxes.h"
#include "widgets/PageMetrics.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

using namespace Questionnaire;

namespace {

constexpr int kHeadingTop = 6;
constexpr int kTabsTop = 40;
constexpr int kOtherFieldMinWidth = 120;
constexpr int kOtherFieldMaxWidth = 320;
constexpr int kRankingLabelWidth = 120;
constexpr QSize kButtonSize(105, 32);
constexpr QPoint kHeadingAt(8, kHeadingTop);
constexpr int kClosingWordsPixels = 35;
constexpr int kNotePixels = 16;
constexpr int kOtherFieldPixels = 14;

// Options per row: questions with long options (numbers 1 to 23 in the
// table's order) stand in two columns, the others in three.
int optionsPerRow(int questionNumber)
{
    constexpr int twoColumns[] = {1, 2, 4, 14, 18, 23};
    return std::find(std::begin(twoColumns), std::end(twoColumns), questionNumber) != std::end(twoColumns) ? 2 : 3;
}

// "F. 其他" -> "其他": what a screen reader says for the field beside the option.
QString withoutLetter(QStringView caption)
{
    const QString text = caption.trimmed().toString();
    const qsizetype mark = text.indexOf(QRegularExpression(QStringLiteral("[.．]")));
    return mark < 0 ? text : text.mid(mark + 1).trimmed();
}

// The grid of a question's options: equal columns, rows close together.
QGridLayout *makeOptionGrid(QGroupBox *box, int columns)
{
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(10, 2, 10, 4);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(1);
    for (int c = 0; c < columns; ++c)
        grid->setColumnStretch(c, 1);
    return grid;
}

// The field that names an "其他" option's answer.
QLineEdit *makeOtherField(QGroupBox *box, QStringView name, const QString &accessibleName)
{
    auto *field = new QLineEdit(box);
    field->setObjectName(name.toString());
    field->setFont(Fonts::pixelFont(Fonts::kSong, kOtherFieldPixels));
    field->setMinimumWidth(kOtherFieldMinWidth);
    field->setMaximumWidth(kOtherFieldMaxWidth);
    field->setAccessibleName(accessibleName);
    return field;
}

// The option as wide as its caption, its field taking what the row has left.
QHBoxLayout *besideEachOther(QCheckBox *option, QLineEdit *field)
{
    option->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *pair = new QHBoxLayout;
    pair->setSpacing(4);
    pair->addWidget(option);
    pair->addWidget(field, 1);
    pair->addStretch(0);
    return pair;
}

} // namespace

QuestionnairePage::QuestionnairePage(AnswerRecord &record)
    : TabbedPage(PageMetrics::kQuestionnaire, Page::Centring::Desktop, kTabsName), record_(record)
{
    setObjectName(kPageName.toString());

    auto *heading = new QLabel(kHeading.toString(), this);
    heading->setObjectName(kHeadingName.toString());
    heading->setFont(Fonts::pixelFont(Fonts::kYaHei, PageMetrics::kSectionHeading, true));
    QPalette black = heading->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    heading->setPalette(black);
    heading->adjustSize();
    heading->move(kHeadingAt);

    QTabWidget *sheets = tabWidget();
    sheets->setFont(Fonts::pixelFont(Fonts::kYaHei, PageMetrics::kTabTitle));
    sheets->setGeometry(0, kTabsTop, width(), height() - kTabsTop);
    for (int index = 0; index < int(tabs().size()); ++index)
        buildTab(index);

    for (const BuiltQuestion &question : questions_) {
        if (question.otherField)
            question.otherField->setEnabled(false);
    }
    sheets->setCurrentIndex(0);
}

void QuestionnairePage::buildTab(int index)
{
    const Tab &tab = tabs()[index];
    auto *sheet = new QWidget;
    sheet->setObjectName(tab.sheet.toString());
    auto *column = new QVBoxLayout(sheet);
    column->setContentsMargins(8, 4, 8, 6);
    column->setSpacing(4);

    for (const Question &question : tab.questions)
        column->addWidget(buildQuestion(question, sheet));
    QCheckBox *firstOption = questions_[questions_.size() - int(tab.questions.size())].boxes.first();

    const bool lastTab = index == int(tabs().size()) - 1;
    if (lastTab)
        buildClosingNote(sheet);
    column->addStretch(1);

    auto *back = new GlyphButton(Glyph::Back, Captions::kBack.toString(), sheet);
    back->setObjectName(tab.backButton.toString());
    auto *forward = new GlyphButton(lastTab ? Glyph::Save : Glyph::Forward,
                                    (lastTab ? Captions::kSave : Captions::kForward).toString(), sheet);
    forward->setObjectName(tab.forwardButton.toString());
    back->setFixedSize(kButtonSize);
    forward->setFixedSize(kButtonSize);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(40, 0, 40, 0);
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(forward);
    column->addLayout(buttons);

    tabWidget()->addTab(sheet, tab.title.toString());
    bindTabMoves(firstOption, back, forward);
}

QGroupBox *QuestionnairePage::buildQuestion(const Question &question, QWidget *sheet)
{
    auto *box = new QGroupBox(question.caption.toString(), sheet);
    box->setObjectName(question.groupBox.toString());
    box->setFont(Fonts::pixelFont(Fonts::kYaHei, PageMetrics::kQuestionCaption));
    const int columns = optionsPerRow(int(questions_.size()) + 1);
    QGridLayout *grid = makeOptionGrid(box, columns);

    const bool limited = question.groupBox == kThreeChoiceGroup;
    if (limited)
        threeChoiceGroup_ = box;
    BuiltQuestion built;
    built.entry = &question;
    const QString questionName = question.caption.trimmed().toString();
    const int count = int(question.options.size());
    for (int position = 0; position < count; ++position) {
        const Option &option = question.options[position];
        auto *check = new QCheckBox(option.caption.toString(), box);
        check->setObjectName(option.box.toString());
        check->setAccessibleName(questionName + QLatin1Char(' ') + option.caption.trimmed().toString());
        built.boxes.append(check);
        if (limited)
            holdToThreeTicks(check);
        const int row = position / columns;
        const int col = position % columns;

        const bool other = question.hasOtherField() && position == count - 1;
        if (!other) {
            // As wide as its caption: a press on the blank rest of the row is no press on the option.
            grid->addWidget(check, row, col, Qt::AlignLeft | Qt::AlignVCenter);
            continue;
        }
        QLineEdit *field =
            makeOtherField(box, question.otherField, questionName + QLatin1Char(' ') + withoutLetter(option.caption));
        // The other field stands right after its option and may use the rest of the row.
        grid->addLayout(besideEachOther(check, field), row, col, 1, columns - col);
        built.otherField = field;
        connect(check, &QCheckBox::toggled, this, [this, check, field] { onOtherOptionToggled(check, field); });
    }

    if (question.isRanked())
        bindRanking(question, built.boxes, box);
    questions_.append(built);
    return box;
}

void QuestionnairePage::holdToThreeTicks(QCheckBox *option)
{
    option->installEventFilter(this);
    // Ticks that come by neither mouse nor key (an assistive tool's toggle) are held to the limit too.
    connect(option, &QCheckBox::toggled, this, [this, option](bool ticked) {
        if (ticked && tickedInThreeChoiceGroup() > kThreeChoiceLimit) {
            option->setChecked(false);
            MessageBoxes::information(this, kThreeChoiceMessage.toString());
        }
    });
}

void QuestionnairePage::bindRanking(const Question &question, const QList<QCheckBox *> &options, QGroupBox *box)
{
    for (int position = 0; position < int(options.size()); ++position) {
        const QChar letter = question.rankLetters[position];
        connect(options[position], &QCheckBox::toggled, this,
                [this, letter](bool ticked) { onRankingOptionToggled(letter, ticked); });
    }
    placeRankingLabel(box);
}

void QuestionnairePage::placeRankingLabel(QGroupBox *box)
{
    rankingLabel_ = new QLabel(kRankingLabel.toString(), box);
    rankingLabel_->setObjectName(kRankingLabelName.toString());
    // Right after the caption that the style draws in the frame's top edge.
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.rect = QRect(0, 0, tabWidget()->width(), 100);
    option.text = box->title();
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    rankingLabel_->setGeometry(title.right() + 8, title.top(), kRankingLabelWidth, title.height());
    rankingLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void QuestionnairePage::buildClosingNote(QWidget *sheet)
{
    auto *column = static_cast<QVBoxLayout *>(sheet->layout());

    auto *closing = new QLabel(kClosingWords.toString(), sheet);
    closing->setObjectName(kClosingWordsName.toString());
    closing->setFont(Fonts::pixelFont(Fonts::kYaHei, kClosingWordsPixels));
    closing->setAlignment(Qt::AlignCenter);
    QPalette black = closing->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    closing->setPalette(black);
    column->addSpacing(6);
    column->addWidget(closing);

    auto *memo = new QPlainTextEdit(sheet);
    memo->setObjectName(kNoteName.toString());
    memo->setFont(Fonts::pixelFont(Fonts::kSong, kNotePixels));
    memo->setFrameShape(QFrame::NoFrame);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A note for the user: nothing reads it, so it takes neither edits nor the focus.
    memo->setReadOnly(true);
    memo->setFocusPolicy(Qt::NoFocus);
    QStringList lines;
    for (QStringView line : kNoteLines)
        lines << line.toString();
    memo->setPlainText(lines.join(QLatin1Char('\n')));
    QPalette note = memo->palette();
    note.setColor(QPalette::Base, QApplication::palette("QMenuBar").color(QPalette::Window));
    note.setColor(QPalette::Text, Qt::black);
    memo->setPalette(note);
    const int lineHeight = QFontMetrics(memo->font()).lineSpacing();
    memo->setFixedHeight(int(std::size(kNoteLines)) * lineHeight + 14);
    column->addWidget(memo);
}

bool QuestionnairePage::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QCheckBox *>(watched);
    if (box && threeChoiceGroup_ && box->parentWidget() == threeChoiceGroup_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // Swallowing the press leaves the box up, so its release ticks nothing.
            return refusesFourthTick(box);
        case QEvent::KeyPress: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() != Qt::Key_Space && key->key() != Qt::Key_Select)
                break;
            if (key->isAutoRepeat()) // a held key asks once; the box itself ignores repeats
                return true;
            return refusesFourthTick(box);
        }
        default:
            break;
        }
    }
    return Page::eventFilter(watched, event);
}

bool QuestionnairePage::refusesFourthTick(QCheckBox *box)
{
    if (box->isChecked() || tickedInThreeChoiceGroup() < kThreeChoiceLimit)
        return false;
    box->setChecked(false);
    MessageBoxes::information(this, kThreeChoiceMessage.toString());
    return true;
}

int QuestionnairePage::tickedInThreeChoiceGroup() const
{
    int ticked = 0;
    for (const QCheckBox *option : threeChoiceGroup_->findChildren<QCheckBox *>())
        ticked += option->isChecked() ? 1 : 0;
    return ticked;
}

void QuestionnairePage::onOtherOptionToggled(QCheckBox *box, QLineEdit *field)
{
    if (box->isChecked()) {
        field->setEnabled(true);
        field->setFocus();
    } else {
        field->clear();
        field->setEnabled(false);
    }
}

void QuestionnairePage::onRankingOptionToggled(QChar letter, bool ticked)
{
    if (ticked) {
        ranking_.append(letter);
    } else {
        const qsizetype at = ranking_.indexOf(letter);
        if (at >= 0)
            ranking_.remove(at, 1);
    }
    rankingLabel_->setText(ranking_);
}

void QuestionnairePage::finishTabs()
{
    storeAnswers();
    // The shell writes the file; on failure the page and its answers stay as they are.
    emit saveRequested();
}

void QuestionnairePage::storeAnswers()
{
    AnswerRecord &record = record_;
    for (const BuiltQuestion &question : questions_) {
        if (question.entry->isRanked()) {
            record.set(question.entry->codeLine, ranking_);
            continue;
        }
        QString codes;
        for (const QCheckBox *box : question.boxes)
            codes += box->isChecked() ? QLatin1Char('1') : QLatin1Char('9');
        record.set(question.entry->codeLine, codes);
    }
    for (const BuiltQuestion &question : questions_) {
        if (question.otherField)
            record.set(question.entry->otherLine, question.otherField->text());
    }
}
