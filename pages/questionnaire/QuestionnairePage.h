// The questionnaire page (section "三.企业履责现状", 23 questions on five
// tabs): lines 65 to 109, and the save.
#pragma once

#include "survey/QuestionnaireContent.h"
#include "widgets/TabbedPage.h"

#include <QList>
#include <QString>

class AnswerRecord;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

class QuestionnairePage : public TabbedPage {
    Q_OBJECT
public:
    explicit QuestionnairePage(AnswerRecord &record);

    // Question 21's ranking: the letters of its ticked options in the order they were ticked.
    const QString &ranking() const { return ranking_; }

signals:
    // "保存退出": the page's lines are stored; the shell writes the file.
    void saveRequested();

protected:
    // The three-choice rule of question 1 sees presses before the box does.
    bool eventFilter(QObject *watched, QEvent *event) override;
    // "保存退出".
    void finishTabs() override;

private:
    struct BuiltQuestion {
        const Questionnaire::Question *entry = nullptr;
        QList<QCheckBox *> boxes; // in code-position order
        QLineEdit *otherField = nullptr;
    };

    void buildTab(int index);
    QGroupBox *buildQuestion(const Questionnaire::Question &question, QWidget *sheet);
    // Question 1: a press that would tick a fourth option is refused.
    void holdToThreeTicks(QCheckBox *option);
    // Question 21: each tick adds its option's letter to the ranking, each untick takes it out.
    void bindRanking(const Questionnaire::Question &question, const QList<QCheckBox *> &options, QGroupBox *box);
    void placeRankingLabel(QGroupBox *box);
    void buildClosingNote(QWidget *sheet);

    // True when a press on a box of question 1 would tick a fourth one; tells the user so.
    bool refusesFourthTick(QCheckBox *box);
    int tickedInThreeChoiceGroup() const;
    void onOtherOptionToggled(QCheckBox *box, QLineEdit *field);
    void onRankingOptionToggled(QChar letter, bool ticked);
    void storeAnswers();

    AnswerRecord &record_;
    QLabel *rankingLabel_ = nullptr;
    QGroupBox *threeChoiceGroup_ = nullptr;
    QList<BuiltQuestion> questions_;
    QString ranking_;
};
