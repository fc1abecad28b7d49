// The two profile pages are built from a table of items: this is the table's
// row and the builder that turns a table into widgets and answer lines.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <span>

class QWidget;
class QButtonGroup;
class QGroupBox;

namespace Profile {

enum class Kind {
    Heading, // the section heading at the top of the page
    Group,   // a group box; the items after it go inside it
    Label,   // a label in front of a field, or the question in front of its choices
    Unit,    // a unit label after a number field
    Mark,    // the red mark of a required field
    Text,    // a free text field
    Amount,  // a number field with the numeric entry filter
    Count,   // a whole-number field with the digit-only filter
    List,    // a pick-only drop-down list
    Choice,  // a radio button: its code goes to the line the moment it becomes selected
    Option,  // a check box: its code ("1"/"9") joins the line's other options in table order
    Pair,    // a check box of a yes/no pair: ticking it unticks its partner and writes its code
    Forward, // the "next" button
    Back,    // the "previous" button
};

// One row of a page's table. Positions are in pixels within the group box (or
// the page, for headings, group boxes and buttons); y is the top of a 22-pixel
// row in which the widget is centred. A width of 0 sizes the widget to its text.
struct Item {
    Kind kind;
    const char *name = nullptr;    // object name; none for labels the survey does not name
    const char *caption = nullptr; // shown text; blanks and full-width marks as the survey has them
    int line = 0;                  // answer line, 0 for none
    const char *code = nullptr;    // Choice, Pair: the code written when chosen
    std::span<const char *const> items = {};
    int detail = 0; // the page's set of detail fields that open and close together, 0 for none
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0; // group boxes only
};

// The widgets of one page built from its table.
class Sheet {
public:
    // Builds every item on the page. Captions and labels get the page's caption
    // font, fields and lists the given field size in pixels.
    void build(QWidget *page, std::span<const Item> table, int fieldPixels);

    template <class T> T *get(const char *name) const { return static_cast<T *>(widget(name)); }
    QWidget *widget(const char *name) const;

    // Copies every field, list and option group into its line, in line order.
    // Choices and pairs are not touched: they were written when chosen.
    void storeFields() const;

    // Opens a set of detail fields: enabled, contents kept.
    void openDetail(int detail) const;
    // Closes a set: disabled first, then every field emptied, every box
    // unticked and every list left with nothing picked.
    void closeDetail(int detail) const;
    // The lines of the yes/no pairs inside a set.
    QList<int> pairLines(int detail) const;

private:
    struct Built {
        const Item *item;
        QWidget *widget;
    };
    QWidget *make(const Item &item, QWidget *page, QGroupBox *group, int fieldPixels);
    void bindChoice(const Item &item, QWidget *widget, QHash<int, QButtonGroup *> &groups);
    void bindPair(const Item &item, QWidget *widget);

    QList<Built> built_;
};

// The text of a field or list as it goes into the record.
QString answerText(const QWidget *field);

} // namespace Profile
