// The performance data page (section "二.绩效数据", three tabs of figures):
// lines 25 to 64 and 110 to 139.
#pragma once

#include "widgets/Page.h"

#include <QList>

class AnswerRecord;
class GlyphButton;
class QCheckBox;
class QLineEdit;
class QTabWidget;

class PerformancePage : public Page {
    Q_OBJECT
public:
    explicit PerformancePage(AnswerRecord &record);

    int currentTab() const;
    // Shows the tab with its first figure focused.
    void showTab(int tab);

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

    void buildTab(int tab);
    void closeProjectTypes();
    void onProjectTypeToggled(int row);
    void onLastNextClicked();
    void storeAnswerLines();

    AnswerRecord &record_;
    QTabWidget *tabs_ = nullptr;
    QList<ProjectTypeRow> projectTypes_;
    QList<StoredField> storedFields_; // the number fields, in answer line order once built
    StoredField otherTypeName_{0, nullptr};
    QList<QLineEdit *> firstFieldOfTab_;
};
