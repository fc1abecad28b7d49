// The foundation page's own rule on top of its table: a question's "是" opens
// its detail fields, its "否" closes and empties them.
#include "pages/profile/FoundationPage.h"

#include "survey/AnswerRecord.h"
#include "widgets/PageMetrics.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using Profile::Detail;
using Profile::Item;
using Profile::Kind;

namespace {

constexpr int kFieldPixels = 11;

} // namespace

FoundationPage::FoundationPage(AnswerRecord &record)
    : Page(PageMetrics::kFoundation, Page::Centring::PrimaryScreen), record_(record)
{
    setObjectName(Profile::Foundation::kPageName.toString());
    const std::span<const Item> table = Profile::Foundation::items();
    sheet_.build(this, table, ProfileLayout::foundation(), kFieldPixels, record);

    // A question's "是" opens its detail fields and its "否" closes them. The
    // buttons write their line themselves as they become selected; this runs after.
    QList<Detail> details;
    for (const Item &item : table) {
        if (item.kind != Kind::Choice || item.opens == Detail::None)
            continue;
        const Opener opener{sheet_.get<QAbstractButton>(item.name), item.opens};
        details.append(item.opens);
        const int line = item.line;
        for (QWidget *widget :
             sheet_.widgets([line](const Item &other) { return other.kind == Kind::Choice && other.line == line; })) {
            auto *button = static_cast<QRadioButton *>(widget);
            const bool opens = button == opener.button;
            connect(button, &QRadioButton::toggled, this, [this, opener, opens](bool selected) {
                if (selected)
                    onDetailAnswered(opener, opens);
            });
        }
    }
    for (QWidget *button : sheet_.widgets([](const Item &item) { return item.kind == Kind::Forward; }))
        connect(static_cast<QPushButton *>(button), &QPushButton::clicked, this, [this] {
            sheet_.storeFields();
            emit forwardRequested();
        });
    for (QWidget *button : sheet_.widgets([](const Item &item) { return item.kind == Kind::Back; }))
        connect(static_cast<QPushButton *>(button), &QPushButton::clicked, this, &Page::backRequested);

    // Every set starts closed, the last first.
    for (qsizetype i = details.size(); i-- > 0;)
        sheet_.closeDetail(details[i]);
}

void FoundationPage::onDetailAnswered(const Opener &opener, bool opened)
{
    if (opened) {
        sheet_.openDetail(opener.detail);
        const Detail detail = opener.detail;
        const QList<QWidget *> fields =
            sheet_.widgets([detail](const Item &item) { return item.detail == detail && item.kind == Kind::Text; });
        if (!fields.isEmpty())
            fields.first()->setFocus();
        return;
    }
    sheet_.closeDetail(opener.detail);
    // Unticking leaves a pair's line as it was, but a report that was never
    // published has no audit or shortcomings answer to keep.
    for (int line : sheet_.pairLines(opener.detail))
        record_.set(line, QString());
}
