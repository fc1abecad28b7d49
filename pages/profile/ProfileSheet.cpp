// Builds a profile page from its table and keeps its answer lines in step with it.
#include "pages/profile/ProfileSheet.h"

#include "survey/AnswerRecord.h"
#include "widgets/Fonts.h"
#include "widgets/GlyphButton.h"
#include "widgets/NumericEntryFilter.h"
#include "widgets/PageMetrics.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QRadioButton>
#include <algorithm>

namespace Profile {

namespace {

constexpr int kRowHeight = 22;
constexpr int kFieldHeight = 21;

QString text(QStringView view)
{
    return view.toString();
}

bool isField(Kind kind)
{
    return kind == Kind::Text || kind == Kind::Amount || kind == Kind::Count || kind == Kind::List;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// Puts a widget in its place, centred in its row and kept inside it, so that
// a click lands on the control the user sees.
void putInRow(QWidget *widget, const ProfileLayout::Place &place, int height)
{
    const int width = place.w > 0 ? place.w : widget->sizeHint().width();
    height = std::min(height, kRowHeight);
    widget->setGeometry(place.x, place.y + (kRowHeight - height) / 2, width, height);
}

// A field to type in or pick from, in the page's field font.
QWidget *makeField(const Item &item, const ProfileLayout::Place &place, QWidget *parent, const QFont &font)
{
    if (item.kind == Kind::List) {
        auto *list = new QComboBox(parent);
        list->setEditable(false);
        list->setFont(font);
        for (QStringView entry : item.items)
            list->addItem(text(entry));
        list->setCurrentIndex(-1);
        putInRow(list, place, kRowHeight);
        return list;
    }
    auto *edit = new QLineEdit(parent);
    edit->setFont(font);
    putInRow(edit, place, kFieldHeight);
    if (item.kind == Kind::Amount)
        NumericEntryFilter::install(edit, NumericEntryFilter::Mode::Decimal);
    else if (item.kind == Kind::Count)
        NumericEntryFilter::install(edit, NumericEntryFilter::Mode::DigitsOnly);
    return edit;
}

} // namespace

QString answerText(const QWidget *field)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(field))
        return edit->text();
    if (auto *list = qobject_cast<const QComboBox *>(field))
        return list->currentText();
    return {};
}

void Sheet::build(QWidget *page, std::span<const Item> table, std::span<const ProfileLayout::Place> places,
                  int fieldPixels, AnswerRecord &record)
{
    // Content and places are two tables in step: an item without its place
    // would shift every control after it.
    if (places.size() != table.size())
        qFatal("%s: %zu places for %zu items", qPrintable(page->objectName()), places.size(), table.size());
    record_ = &record;
    QGroupBox *group = nullptr;
    for (size_t i = 0; i < table.size(); ++i) {
        const Item &item = table[i];
        QWidget *widget = make(item, places[i], page, group, fieldPixels);
        if (!widget)
            continue;
        if (!item.name.isEmpty())
            widget->setObjectName(item.name.toString());
        if (item.kind == Kind::Group)
            group = static_cast<QGroupBox *>(widget);
        built_.append({&item, widget});
    }
    nameForScreenReaders();
    bindAnswers();
    chainTabOrder();
}

// A field is named by the label just before it, a choice or box by its
// question (the last label, else the group's title) followed by its own caption.
void Sheet::nameForScreenReaders() const
{
    QString question;
    QString previous;
    QLabel *pendingLabel = nullptr;
    for (const Built &b : built_) {
        const QString caption = text(b.item->caption).trimmed();
        switch (b.item->kind) {
        case Kind::Group:
            question = caption;
            previous = caption;
            pendingLabel = nullptr;
            break;
        case Kind::Label:
            question = caption;
            previous = caption;
            pendingLabel = static_cast<QLabel *>(b.widget);
            break;
        case Kind::Choice:
        case Kind::Option:
        case Kind::Pair:
            b.widget->setAccessibleName(question + QLatin1Char(' ') + caption);
            previous = caption;
            pendingLabel = nullptr;
            break;
        default:
            if (isField(b.item->kind)) {
                b.widget->setAccessibleName(previous);
                if (pendingLabel)
                    pendingLabel->setBuddy(b.widget);
                pendingLabel = nullptr;
            }
            break;
        }
    }
}

// Bound once every widget exists: a box of a pair needs its partner.
void Sheet::bindAnswers()
{
    QHash<int, QButtonGroup *> groups;
    for (const Built &b : built_) {
        if (b.item->kind == Kind::Choice)
            bindChoice(*b.item, b.widget, groups);
        else if (b.item->kind == Kind::Pair)
            bindPair(*b.item, b.widget);
    }
}

// The tab order is the table's order, whatever the positions on screen.
void Sheet::chainTabOrder() const
{
    QWidget *before = nullptr;
    for (const Built &b : built_) {
        if (b.widget->focusPolicy() == Qt::NoFocus || b.item->kind == Kind::Group)
            continue;
        if (before)
            QWidget::setTabOrder(before, b.widget);
        before = b.widget;
    }
}

QWidget *Sheet::make(const Item &item, const ProfileLayout::Place &place, QWidget *page, QGroupBox *group,
                     int fieldPixels)
{
    QWidget *parent = group ? static_cast<QWidget *>(group) : page;
    switch (item.kind) {
    case Kind::Heading: {
        auto *label = new QLabel(text(item.caption), page);
        label->setFont(Fonts::pixelFont(Fonts::kYaHei, PageMetrics::kProfileHeading, true));
        setTextColour(label, Qt::black);
        label->adjustSize();
        label->move(place.x, place.y);
        return label;
    }
    case Kind::Group: {
        auto *box = new QGroupBox(text(item.caption), page);
        box->setFont(Fonts::pixelFont(Fonts::kSong, PageMetrics::kProfileCaption));
        box->setGeometry(place.x, place.y, place.w, place.h);
        return box;
    }
    case Kind::Label:
    case Kind::Unit:
    case Kind::Mark: {
        auto *label = new QLabel(text(item.caption), parent);
        if (item.kind == Kind::Mark)
            setTextColour(label, Qt::red);
        putInRow(label, place, label->sizeHint().height());
        return label;
    }
    case Kind::Text:
    case Kind::Amount:
    case Kind::Count:
    case Kind::List:
        return makeField(item, place, parent, Fonts::pixelFont(Fonts::kSong, fieldPixels));
    case Kind::Choice: {
        auto *button = new QRadioButton(text(item.caption), parent);
        putInRow(button, place, button->sizeHint().height());
        return button;
    }
    case Kind::Option:
    case Kind::Pair: {
        auto *box = new QCheckBox(text(item.caption), parent);
        putInRow(box, place, box->sizeHint().height());
        return box;
    }
    case Kind::Forward:
    case Kind::Back: {
        auto *button =
            new GlyphButton(item.kind == Kind::Forward ? Glyph::Forward : Glyph::Back, text(item.caption), page);
        button->setGeometry(place.x, place.y, place.w, place.h);
        return button;
    }
    }
    return nullptr;
}

QWidget *Sheet::widget(QStringView name) const
{
    for (const Built &b : built_)
        if (!b.item->name.isEmpty() && b.item->name == name)
            return b.widget;
    return nullptr;
}

QList<QWidget *> Sheet::widgets(const std::function<bool(const Item &)> &test) const
{
    QList<QWidget *> found;
    for (const Built &b : built_)
        if (test(*b.item))
            found.append(b.widget);
    return found;
}

void Sheet::bindChoice(const Item &item, QWidget *widget, QHash<int, QButtonGroup *> &groups)
{
    auto *button = static_cast<QRadioButton *>(widget);
    // One exclusive group per answer line: a question once answered can be
    // changed but not withdrawn.
    QButtonGroup *&group = groups[item.line];
    if (!group)
        group = new QButtonGroup(widget->window());
    group->addButton(button);

    // toggled(true) only: selecting the button that is already selected does nothing.
    const int line = item.line;
    const QString code = text(item.code);
    AnswerRecord *record = record_;
    QObject::connect(button, &QRadioButton::toggled, button, [record, line, code](bool selected) {
        if (selected)
            record->set(line, code);
    });
}

void Sheet::bindPair(const Item &item, QWidget *widget)
{
    auto *box = static_cast<QCheckBox *>(widget);
    QCheckBox *partner = nullptr;
    for (const Built &b : built_)
        if (b.item->kind == Kind::Pair && b.item->line == item.line && b.widget != widget)
            partner = static_cast<QCheckBox *>(b.widget);

    // Runs on every change of the tick, the page's own included. Unticking
    // leaves the line with the code written last.
    const int line = item.line;
    const QString code = text(item.code);
    AnswerRecord *record = record_;
    QObject::connect(box, &QCheckBox::toggled, box, [record, partner, line, code](bool ticked) {
        if (!ticked)
            return;
        if (partner)
            partner->setChecked(false);
        record->set(line, code);
    });
}

void Sheet::storeFields() const
{
    QMap<int, QString> lines; // ordered by line number
    for (const Built &b : built_) {
        const Item &item = *b.item;
        if (item.line == 0)
            continue;
        if (isField(item.kind))
            lines[item.line] = answerText(b.widget);
        else if (item.kind == Kind::Option)
            lines[item.line] += static_cast<QCheckBox *>(b.widget)->isChecked() ? QLatin1Char('1') : QLatin1Char('9');
    }
    for (auto it = lines.cbegin(); it != lines.cend(); ++it)
        record_->set(it.key(), it.value());
}

void Sheet::openDetail(Detail detail) const
{
    for (const Built &b : built_)
        if (b.item->detail == detail)
            b.widget->setEnabled(true);
}

void Sheet::closeDetail(Detail detail) const
{
    for (const Built &b : built_)
        if (b.item->detail == detail)
            b.widget->setEnabled(false);
    for (const Built &b : built_) {
        if (b.item->detail != detail)
            continue;
        if (auto *edit = qobject_cast<QLineEdit *>(b.widget))
            edit->clear();
        else if (auto *box = qobject_cast<QCheckBox *>(b.widget))
            box->setChecked(false);
        else if (auto *list = qobject_cast<QComboBox *>(b.widget))
            list->setCurrentIndex(-1);
    }
}

QList<int> Sheet::pairLines(Detail detail) const
{
    QList<int> lines;
    for (const Built &b : built_)
        if (b.item->detail == detail && b.item->kind == Kind::Pair && !lines.contains(b.item->line))
            lines.append(b.item->line);
    return lines;
}

} // namespace Profile
