// TForm5: the questionnaire page (section "三.企业履责现状", 23 questions on five tabs).
#include "Unit5.h"

#include "AnswerRecord.h"
#include "Fonts.h"
#include "GlyphButton.h"
#include "Shell.h"
#include "performance/Unit3.h"

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

using namespace Questionnaire;

namespace {

constexpr int kHeadingTop = 6;
constexpr int kTabsTop = 40;
constexpr int kOtherFieldMinWidth = 120;
constexpr int kOtherFieldMaxWidth = 320;
constexpr int kRankingLabelWidth = 120;
constexpr QSize kButtonSize(105, 32);

// "F. 其他" -> "其他": what a screen reader says for the field beside the option.
QString withoutLetter(QStringView caption)
{
    const QString text = caption.trimmed().toString();
    const qsizetype mark = text.indexOf(QRegularExpression(QStringLiteral("[.．]")));
    return mark < 0 ? text : text.mid(mark + 1).trimmed();
}

} // namespace

TForm5::TForm5(Shell &shell) : Page(shell, QSize(1013, 651), Page::Centring::Desktop)
{
    setObjectName(QStringLiteral("Form5"));

    auto *heading = new QLabel(kHeading.toString(), this);
    heading->setObjectName(QStringLiteral("Label1"));
    heading->setFont(Fonts::pixelFont(Fonts::kYaHei, 21, true));
    QPalette black = heading->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    heading->setPalette(black);
    heading->adjustSize();
    heading->move(8, kHeadingTop);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setFont(Fonts::pixelFont(Fonts::kYaHei, 16));
    PageControl1->setGeometry(0, kTabsTop, width(), height() - kTabsTop);
    for (int index = 0; index < int(tabs().size()); ++index)
        PageControl1->addTab(buildTab(index), tabs()[index].title.toString());

    FormCreate();
}

QWidget *TForm5::buildTab(int index)
{
    const Tab &tab = tabs()[index];
    auto *sheet = new QWidget;
    sheet->setObjectName(QString::fromLatin1(tab.sheet));
    auto *column = new QVBoxLayout(sheet);
    column->setContentsMargins(8, 4, 8, 6);
    column->setSpacing(4);

    for (const Question &question : tab.questions)
        column->addWidget(buildQuestion(question, sheet));
    firstOptionOfTab_.append(questions_[questions_.size() - int(tab.questions.size())].boxes.first());

    const bool lastTab = index == int(tabs().size()) - 1;
    if (lastTab)
        buildClosingNote(sheet);
    column->addStretch(1);

    auto *back = new GlyphButton(Glyph::Back, kBackCaption.toString(), sheet);
    back->setObjectName(QString::fromLatin1(tab.backButton));
    auto *forward = new GlyphButton(lastTab ? Glyph::Save : Glyph::Forward,
                                    (lastTab ? kSaveCaption : kForwardCaption).toString(), sheet);
    forward->setObjectName(QString::fromLatin1(tab.forwardButton));
    back->setFixedSize(kButtonSize);
    forward->setFixedSize(kButtonSize);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(40, 0, 40, 0);
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(forward);
    column->addLayout(buttons);

    if (index == 0)
        connect(back, &QPushButton::clicked, this, &TForm5::BitBtn1Click);
    else
        connect(back, &QPushButton::clicked, this, [this, index] { showTab(index - 1); });
    if (lastTab)
        connect(forward, &QPushButton::clicked, this, &TForm5::BitBtn9Click);
    else
        connect(forward, &QPushButton::clicked, this, [this, index] { showTab(index + 1); });
    return sheet;
}

QGroupBox *TForm5::buildQuestion(const Question &question, QWidget *sheet)
{
    auto *box = new QGroupBox(question.caption.toString(), sheet);
    box->setObjectName(QString::fromLatin1(question.groupBox));
    box->setFont(Fonts::pixelFont(Fonts::kYaHei, 14));
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(10, 2, 10, 4);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(1);
    for (int c = 0; c < question.columns; ++c)
        grid->setColumnStretch(c, 1);

    const bool limited = qstrcmp(question.groupBox, kThreeChoiceGroup) == 0;
    if (limited)
        threeChoiceGroup_ = box;
    BuiltQuestion built;
    built.entry = &question;
    const QString questionName = question.caption.trimmed().toString();
    const int count = int(question.options.size());
    for (int position = 0; position < count; ++position) {
        const Option &option = question.options[position];
        auto *check = new QCheckBox(option.caption.toString(), box);
        check->setObjectName(QString::fromLatin1(option.box));
        check->setAccessibleName(questionName + QLatin1Char(' ') + option.caption.trimmed().toString());
        built.boxes.append(check);
        if (limited) {
            check->installEventFilter(this);
            // Ticks that come by neither mouse nor key (an assistive tool's toggle) are held to the limit too.
            connect(check, &QCheckBox::toggled, this, [this, check](bool ticked) {
                if (ticked && tickedInThreeChoiceGroup() > kThreeChoiceLimit) {
                    check->setChecked(false);
                    shell().showInformation(this, kThreeChoiceMessage.toString());
                }
            });
        }
        const int row = position / question.columns;
        const int col = position % question.columns;

        const bool other = question.hasOtherField() && position == count - 1;
        if (!other) {
            // As wide as its caption: a press on the blank rest of the row is no press on the option.
            grid->addWidget(check, row, col, Qt::AlignLeft | Qt::AlignVCenter);
            continue;
        }
        // The other field stands right after its option and may use the rest of the row.
        auto *field = new QLineEdit(box);
        field->setObjectName(QString::fromLatin1(question.otherField));
        field->setFont(Fonts::pixelFont(Fonts::kSong, 14));
        field->setMinimumWidth(kOtherFieldMinWidth);
        field->setMaximumWidth(kOtherFieldMaxWidth);
        field->setAccessibleName(questionName + QLatin1Char(' ') + withoutLetter(option.caption));
        check->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        auto *pair = new QHBoxLayout;
        pair->setSpacing(4);
        pair->addWidget(check);
        pair->addWidget(field, 1);
        pair->addStretch(0);
        grid->addLayout(pair, row, col, 1, question.columns - col);
        built.otherField = field;
        connect(check, &QCheckBox::toggled, this, [this, check, field] { OtherOptionClick(check, field); });
    }

    if (question.isRanked()) {
        for (int position = 0; position < count; ++position) {
            const QChar letter = question.rankLetters[position];
            connect(built.boxes[position], &QCheckBox::toggled, this,
                    [this, letter](bool ticked) { RankingOptionClick(letter, ticked); });
        }
        placeRankingLabel(box);
    }
    questions_.append(built);
    return box;
}

void TForm5::placeRankingLabel(QGroupBox *box)
{
    Label3 = new QLabel(kRankingLabel.toString(), box);
    Label3->setObjectName(QStringLiteral("Label3"));
    // Right after the caption that the style draws in the frame's top edge.
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.rect = QRect(0, 0, PageControl1->width(), 100);
    option.text = box->title();
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    Label3->setGeometry(title.right() + 8, title.top(), kRankingLabelWidth, title.height());
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TForm5::buildClosingNote(QWidget *sheet)
{
    auto *column = static_cast<QVBoxLayout *>(sheet->layout());

    auto *closing = new QLabel(kClosingWords.toString(), sheet);
    closing->setObjectName(QStringLiteral("Label2"));
    closing->setFont(Fonts::pixelFont(Fonts::kYaHei, 35));
    closing->setAlignment(Qt::AlignCenter);
    QPalette black = closing->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    closing->setPalette(black);
    column->addSpacing(6);
    column->addWidget(closing);

    auto *memo = new QPlainTextEdit(sheet);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setFont(Fonts::pixelFont(Fonts::kSong, 16));
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

void TForm5::FormCreate()
{
    ranking_.clear();
    for (const BuiltQuestion &question : questions_) {
        if (question.otherField)
            question.otherField->setEnabled(false);
    }
    PageControl1->setCurrentIndex(0);
}

bool TForm5::eventFilter(QObject *watched, QEvent *event)
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

bool TForm5::refusesFourthTick(QCheckBox *box)
{
    if (box->isChecked() || tickedInThreeChoiceGroup() < kThreeChoiceLimit)
        return false;
    box->setChecked(false);
    shell().showInformation(this, kThreeChoiceMessage.toString());
    return true;
}

int TForm5::tickedInThreeChoiceGroup() const
{
    int ticked = 0;
    for (const QCheckBox *option : threeChoiceGroup_->findChildren<QCheckBox *>())
        ticked += option->isChecked() ? 1 : 0;
    return ticked;
}

void TForm5::OtherOptionClick(QCheckBox *box, QLineEdit *field)
{
    if (box->isChecked()) {
        field->setEnabled(true);
        field->setFocus();
    } else {
        field->clear();
        field->setEnabled(false);
    }
}

void TForm5::RankingOptionClick(QChar letter, bool ticked)
{
    if (ticked) {
        ranking_.append(letter);
    } else {
        const qsizetype at = ranking_.indexOf(letter);
        if (at >= 0)
            ranking_.remove(at, 1);
    }
    Label3->setText(ranking_);
}

void TForm5::showTab(int index)
{
    PageControl1->setCurrentIndex(index);
    firstOptionOfTab_[index]->setFocus();
}

void TForm5::BitBtn1Click()
{
    shell().switchPage(this, shell().form3());
}

void TForm5::BitBtn9Click()
{
    storeAnswers();
    // A file error leaves this handler for the error box; the page and its answers stay as they are.
    shell().saveResultFile();
}

void TForm5::storeAnswers()
{
    AnswerRecord &record = AnswerRecord::instance();
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
