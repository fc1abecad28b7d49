// The performance data page (section "二.绩效数据", three tabs of figures):
// lines 25 to 64 and 110 to 139.
#pragma once

#include "widgets/TabbedPage.h"

#include <QFont>
#include <QList>

class AnswerRecord;
class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace Performance {
struct FigureRow;
struct FiguresTab;
} // namespace Performance

class PerformancePage : public TabbedPage {
    Q_OBJECT
public:
    explicit PerformancePage(AnswerRecord &record);

protected:
    void finishTabs() override;

private:
    // A project type row: its tick opens and its untick empties these fields.
    struct ProjectTypeRow {
        QCheckBox *box = nullptr;
        QLineEdit *amount2013 = nullptr;
        QLineEdit *amount2014 = nullptr;
        QLineEdit *name = nullptr; // only the "其他" row names its type
    };
    // A field and the answer line it is stored in.
    struct StoredField {
        int line;
        QLineEdit *field;
    };
    // A row's two figures.
    struct Figures {
        QLineEdit *of2013;
        QLineEdit *of2014;
    };
    struct FocusChain;

    void buildTab(const Performance::FiguresTab &content);
    void addColumnHeadings(QWidget *sheet, const Performance::FiguresTab &content);
    Figures addFigureRow(QWidget *sheet, const Performance::FigureRow &row, int y, FocusChain &chain);
    QGroupBox *addProjectTypeGroup(QWidget *sheet, int top, int rows);
    Figures addProjectTypeRow(QGroupBox *group, const Performance::FigureRow &row, FocusChain &chain);
    Figures addFigures(QWidget *parent, const Performance::FigureRow &row, QRect of2013, const QFont &font,
                       FocusChain &chain);
    void closeProjectTypes();
    void onProjectTypeToggled(int row);
    void storeAnswerLines();

    AnswerRecord &record_;
    const QFont labelFont_;         // row labels, units, the project types and their group
    const QFont figureFont_;        // the figures of the plain rows
    const QFont projectFigureFont_; // the figures of the project types
    QList<ProjectTypeRow> projectTypes_;
    QList<StoredField> storedFields_; // the number fields, in answer line order once built
    StoredField otherTypeName_{0, nullptr};
};
