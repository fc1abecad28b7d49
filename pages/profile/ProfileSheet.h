// The builder that turns a profile page's table into widgets, and keeps the
// page's answer lines in step with them.
#pragma once

#include "pages/profile/ProfileLayout.h"
#include "survey/ProfileContent.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <span>

class AnswerRecord;

class QWidget;
class QButtonGroup;
class QGroupBox;

namespace Profile {

// The widgets of one page built from its table.
class Sheet {
public:
    // Builds every item on the page, each in its place (one place per item).
    // Captions and labels get the page's caption font, fields and lists the
    // given field size in pixels.
    void build(QWidget *page, std::span<const Item> table, std::span<const ProfileLayout::Place> places,
               int fieldPixels, AnswerRecord &record);

    template <class T> T *get(QStringView name) const { return static_cast<T *>(widget(name)); }
    QWidget *widget(QStringView name) const;
    // The widgets of the items that satisfy the test, in table order.
    QList<QWidget *> widgets(const std::function<bool(const Item &)> &test) const;

    // Copies every field, list and option group into its line, in line order.
    // Choices and pairs are not touched: they were written when chosen.
    void storeFields() const;

    // Opens a set of detail fields: enabled, contents kept.
    void openDetail(Detail detail) const;
    // Closes a set: disabled first, then every field emptied, every box
    // unticked and every list left with nothing picked.
    void closeDetail(Detail detail) const;
    // The lines of the yes/no pairs inside a set.
    QList<int> pairLines(Detail detail) const;

private:
    struct Built {
        const Item *item;
        QWidget *widget;
    };
    QWidget *make(const Item &item, const ProfileLayout::Place &place, QWidget *page, QGroupBox *group,
                  int fieldPixels);
    void nameForScreenReaders() const;
    void bindAnswers();
    void chainTabOrder() const;
    void bindChoice(const Item &item, QWidget *widget, QHash<int, QButtonGroup *> &groups);
    void bindPair(const Item &item, QWidget *widget);

    QList<Built> built_;
    AnswerRecord *record_ = nullptr;
};

// The text of a field or list as it goes into the record.
QString answerText(const QWidget *field);

} // namespace Profile
