// TForm5: the questionnaire page (section "三.企业履责现状", 23 questions on five tabs).
#pragma once

#include "Page.h"
#include "QuestionnaireContent.h"

#include <QList>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTabWidget;

class TForm5 : public Page {
    Q_OBJECT
public:
    explicit TForm5(Shell &shell);

    // Question 21's ranking: the letters of its ticked options in the order they were ticked.
    const QString &ranking() const { return ranking_; }

protected:
    // The three-choice rule of question 1 sees presses before the box does.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct BuiltQuestion {
        const Questionnaire::Question *entry = nullptr;
        QList<QCheckBox *> boxes; // in code-position order
        QLineEdit *otherField = nullptr;
    };

    QWidget *buildTab(int index);
    QGroupBox *buildQuestion(const Questionnaire::Question &question, QWidget *sheet);
    void placeRankingLabel(QGroupBox *box);
    void buildClosingNote(QWidget *sheet);

    void FormCreate();
    // True when a press on a box of question 1 would tick a fourth one; tells the user so.
    bool refusesFourthTick(QCheckBox *box);
    int tickedInThreeChoiceGroup() const;
    void OtherOptionClick(QCheckBox *box, QLineEdit *field);
    void RankingOptionClick(QChar letter, bool ticked);
    void showTab(int index);
    void BitBtn1Click();
    void BitBtn9Click();
    void storeAnswers();

    QTabWidget *PageControl1 = nullptr;
    QLabel *Label3 = nullptr;
    QGroupBox *threeChoiceGroup_ = nullptr;
    QList<BuiltQuestion> questions_;
    QList<QCheckBox *> firstOptionOfTab_;
    QString ranking_;
};
