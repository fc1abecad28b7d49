// The window composes the same condition a person types after --where, so
// both ways into a run read a filter in one place.
#include "collect/window/FilterChoices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

// The codes wrap into a few rows under the variable; more scroll.
constexpr int kCodeRowsShown = 3;

} // namespace

FilterChoices::FilterChoices(QWidget *parent) : QWidget(parent)
{
    variableBox_ = new QComboBox(this);
    variableBox_->setObjectName(QStringLiteral("filterVariableBox"));
    variableBox_->addItem(QStringLiteral("不筛选"), QString());
    for (const DataSet::Variable *v : RecordFilter::filterable())
        variableBox_->addItem(QStringLiteral("%1  %2").arg(v->name, v->label), v->name);
    // Labels are long: the box keeps the window's width, its list shows them whole.
    variableBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    variableBox_->setMinimumContentsLength(24);
    codeList_ = new QListWidget(this);
    codeList_->setObjectName(QStringLiteral("filterCodeList"));
    codeList_->setFlow(QListView::LeftToRight);
    codeList_->setWrapping(true);
    codeList_->setResizeMode(QListView::Adjust);
    codeList_->setMaximumHeight(codeList_->fontMetrics().height() * (kCodeRowsShown + 1) + 8);
    codeList_->hide();
    withoutErrorsBox_ = new QCheckBox(
        QStringLiteral("去掉数据核查发现“%1”的记录").arg(DataChecks::severityText(DataChecks::Severity::Error)), this);
    withoutErrorsBox_->setObjectName(QStringLiteral("withoutErrorsBox"));

    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("只汇总"), this));
    row->addWidget(variableBox_, 1);
    row->addWidget(new QLabel(QStringLiteral("为勾选代码的记录"), this));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(codeList_);
    layout->addWidget(withoutErrorsBox_);
    connect(variableBox_, &QComboBox::currentIndexChanged, this, &FilterChoices::showCodes);
}

// A box for each value of the chosen variable, as its value labels name it.
void FilterChoices::showCodes()
{
    codeList_->clear();
    const QString name = variableBox_->currentData().toString();
    for (const DataSet::Variable *v : RecordFilter::filterable()) {
        if (v->name != name)
            continue;
        for (const DataSet::ValueLabel &label : v->valueLabels) {
            if (label.value == DataSet::kNotApplicableCode)
                continue;
            auto *item = new QListWidgetItem(QStringLiteral("%1=%2").arg(label.value).arg(label.label), codeList_);
            item->setData(Qt::UserRole, QString::number(label.value));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    codeList_->setVisible(codeList_->count() > 0);
}

bool FilterChoices::filter(RecordFilter &filter, QString &why) const
{
    filter.setWithoutErrors(withoutErrorsBox_->isChecked());
    const QString name = variableBox_->currentData().toString();
    if (name.isEmpty())
        return true;
    QStringList codes;
    for (int i = 0; i < codeList_->count(); ++i)
        if (codeList_->item(i)->checkState() == Qt::Checked)
            codes << codeList_->item(i)->data(Qt::UserRole).toString();
    if (codes.isEmpty()) {
        why = QStringLiteral("请勾选要保留的代码，或选择“不筛选”。");
        return false;
    }
    return filter.add(name + QLatin1Char('=') + codes.join(QLatin1Char(',')), why);
}
