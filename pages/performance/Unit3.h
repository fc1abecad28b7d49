// TForm3: the performance data page (section "二.绩效数据", three tabs of figures).
#pragma once

#include "Page.h"

#include <QList>

class GlyphButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTabWidget;

class TForm3 : public Page {
    Q_OBJECT
public:
    explicit TForm3(Shell &shell);

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
    void FormCreate();
    void CheckBoxClick(int row);
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void showTab(int tab);
    void storeAnswerLines();

    QLabel *Label1 = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QList<ProjectTypeRow> projectTypes_;
    QList<StoredField> storedFields_; // the number fields, in answer line order once built
    StoredField otherTypeName_{0, nullptr};
    QList<QLineEdit *> firstFieldOfTab_;
};
