// The basic information page's own rules on top of its table: the name it
// cannot go on without, the field that appears with industry 19, and where
// the keys go.
#include "pages/profile/BasicInformationPage.h"

#include "widgets/Fonts.h"
#include "widgets/MessageBoxes.h"
#include "widgets/PageMetrics.h"

#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using Profile::Detail;
using Profile::Item;
using Profile::Kind;

namespace {

constexpr int kFieldPixels = 12;
constexpr int kOtherIndustryPixels = 11;

} // namespace

BasicInformationPage::BasicInformationPage(AnswerRecord &record)
    : Page(PageMetrics::kBasicInformation, Page::Centring::Desktop)
{
    setObjectName(Profile::BasicInformation::kPageName.toString());
    // This page alone has a larger window font; "下一步" shows it.
    setFont(Fonts::pixelFont(Fonts::kWindow, PageMetrics::kBasicInformationFont));
    sheet_.build(this, Profile::BasicInformation::items(), ProfileLayout::basicInformation(), kFieldPixels, record);

    nameField_ = sheet_.get<QLineEdit>(Profile::BasicInformation::kNameField);
    otherIndustryField_ = static_cast<QLineEdit *>(
        sheet_.widgets([](const Item &item) { return item.detail == Detail::OtherIndustry; }).value(0));
    otherIndustryButton_ = static_cast<QAbstractButton *>(
        sheet_.widgets([](const Item &item) { return item.opens == Detail::OtherIndustry; }).value(0));
    otherIndustryField_->setFont(Fonts::pixelFont(Fonts::kSong, kOtherIndustryPixels));
    // The other industry is asked for only once industry 19 is chosen.
    otherIndustryField_->hide();

    const int industryLine =
        Profile::find(Profile::BasicInformation::items(), otherIndustryButton_->objectName())->line;
    for (QWidget *button : sheet_.widgets(
             [industryLine](const Item &item) { return item.kind == Kind::Choice && item.line == industryLine; })) {
        connect(static_cast<QRadioButton *>(button), &QRadioButton::toggled, this, [this](bool selected) {
            if (!selected)
                return;
            followIndustry();
            if (otherIndustryButton_->isChecked())
                otherIndustryField_->setFocus();
        });
    }
    for (QWidget *button : sheet_.widgets([](const Item &item) { return item.kind == Kind::Forward; }))
        connect(static_cast<QPushButton *>(button), &QPushButton::clicked, this, &BasicInformationPage::onNextClicked);
}

void BasicInformationPage::showEvent(QShowEvent *event)
{
    Page::showEvent(event);
    nameField_->setFocus();
}

void BasicInformationPage::changeEvent(QEvent *event)
{
    Page::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        nameField_->setFocus();
}

void BasicInformationPage::followIndustry()
{
    if (otherIndustryButton_->isChecked()) {
        otherIndustryField_->show();
    } else {
        otherIndustryField_->hide();
        otherIndustryField_->clear();
    }
}

void BasicInformationPage::onNextClicked()
{
    // The registered name names the result file; blanks count as a name.
    if (nameField_->text().isEmpty()) {
        MessageBoxes::message(this, Profile::BasicInformation::kNameMissing.toString());
        nameField_->setFocus();
        return;
    }
    sheet_.storeFields();
    emit forwardRequested();
}
