// The number fields' key filters and the shared behaviour of every text field,
// on a window of one field of each kind and on every field of the real pages.
#include "survey/LineMap.h"
#include "tests/support/Drive.h"
#include "tests/support/TestMain.h"
#include "widgets/NumericEntryFilter.h"
#include "widgets/Page.h"
#include "widgets/TextFieldGuard.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

namespace {

// One step a person takes in a field.
struct Step {
    enum Kind { Type, Key, Commit, SelectAll, MenuPaste, ShiftInsert };
    Kind kind;
    QString text;
    int key = 0;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};
using Steps = QList<Step>;

Step type(const QString &text)
{
    return {Step::Type, text};
}
Step key(int k, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    return {Step::Key, {}, k, m};
}
Step commit(const QString &text)
{
    return {Step::Commit, text};
}
Step selectAll()
{
    return {Step::SelectAll, {}};
}
Step menuPaste(const QString &clip)
{
    return {Step::MenuPaste, clip};
}
Step shiftInsert(const QString &clip)
{
    return {Step::ShiftInsert, clip};
}

// A page-like window holding one field of each kind.
struct Fields {
    QWidget window;
    QLineEdit *decimal;
    QLineEdit *digits;
    QLineEdit *plain;

    Fields()
    {
        auto *layout = new QVBoxLayout(&window);
        decimal = new QLineEdit(&window);
        digits = new QLineEdit(&window);
        plain = new QLineEdit(&window);
        for (QLineEdit *f : {decimal, digits, plain})
            layout->addWidget(f);
        NumericEntryFilter::install(decimal, NumericEntryFilter::Mode::Decimal);
        NumericEntryFilter::install(digits, NumericEntryFilter::Mode::DigitsOnly);
        TextFieldGuard::guardFieldsOf(&window);
        window.show();
    }

    QLineEdit *field(const QString &kind) const
    {
        return kind == QLatin1String("decimal") ? decimal : kind == QLatin1String("digits") ? digits : plain;
    }
};

void pasteFromContextMenu(QLineEdit *field)
{
    std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
    for (QAction *action : menu->actions()) {
        if (action->text().remove(QLatin1Char('&')).startsWith(QLatin1String("Paste"))) {
            action->trigger();
            return;
        }
    }
    QFAIL("the context menu has no paste");
}

void run(QLineEdit *field, const Steps &steps)
{
    field->setFocus();
    for (const Step &s : steps) {
        switch (s.kind) {
        case Step::Type:
            for (QChar c : s.text) {
                if (c.unicode() < 0x80)
                    QTest::keyClick(field, c.toLatin1());
                else // a character a keyboard layout types directly
                    QTest::sendKeyEvent(QTest::Click, field, Qt::Key(c.unicode()), QString(c), Qt::NoModifier);
            }
            break;
        case Step::Key:
            QTest::keyClick(field, Qt::Key(s.key), s.modifiers);
            break;
        case Step::Commit: {
            QInputMethodEvent event;
            event.setCommitString(s.text);
            QCoreApplication::sendEvent(field, &event);
            break;
        }
        case Step::SelectAll:
            field->selectAll();
            break;
        case Step::MenuPaste:
            QGuiApplication::clipboard()->setText(s.text);
            pasteFromContextMenu(field);
            break;
        case Step::ShiftInsert:
            QGuiApplication::clipboard()->setText(s.text);
            QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
            break;
        }
    }
}

// The text quoted, with line breaks and separators written out.
QString visible(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

Q_DECLARE_METATYPE(Steps)

class KeyFiltersTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void fieldHoldsWhatThePersonCouldEnter_data();
    void fieldHoldsWhatThePersonCouldEnter();
    void everyFieldOfThePagesKeepsLineBreaksAndForeignCharactersOut_data();
    void everyFieldOfThePagesKeepsLineBreaksAndForeignCharactersOut();

private:
    // One run through all the pages, as the shell builds them, for the field test.
    std::unique_ptr<Shell> shell_;
};

void KeyFiltersTest::initTestCase()
{
    shell_ = std::make_unique<Shell>();
    shell_->createPages();
}

void KeyFiltersTest::cleanupTestCase()
{
    shell_.reset();
}

void KeyFiltersTest::fieldHoldsWhatThePersonCouldEnter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QString>("expected");

    // The numeric entry filter.
    QTest::newRow("second point swallowed") << "decimal" << Steps{type(".5.")} << ".5";
    QTest::newRow("selected point not replaced by a point")
        << "decimal" << Steps{type("12.5"), selectAll(), type(".")} << "12.5";
    QTest::newRow("selected text replaced by a digit")
        << "decimal" << Steps{type("12.5"), selectAll(), type("7")} << "7";
    QTest::newRow("minus comma blank letter refused") << "decimal" << Steps{type("3-, a+")} << "3";
    QTest::newRow("full-width plus and chinese refused") << "decimal" << Steps{type("3"), type("＋中１")} << "3";
    QTest::newRow("backspace with a point") << "decimal" << Steps{type("1.5"), key(Qt::Key_Backspace)} << "1.";
    QTest::newRow("digits anywhere") << "decimal"
                                     << Steps{type("12.5"), key(Qt::Key_Home), type("0"), key(Qt::Key_End), type("0")}
                                     << "012.50";
    QTest::newRow("arrows and delete keep working")
        << "decimal" << Steps{type("123"), key(Qt::Key_Left), key(Qt::Key_Left), key(Qt::Key_Delete), type(".")}
        << "1.3";
    QTest::newRow("lone point and trailing point") << "decimal" << Steps{type("5.")} << "5.";
    QTest::newRow("input method: full-width digit swallowed") << "decimal" << Steps{type("1"), commit("２")} << "1";
    QTest::newRow("input method: chinese swallowed") << "decimal" << Steps{commit("中文")} << "";
    QTest::newRow("input method: ascii digits pass, second point not")
        << "decimal" << Steps{commit("1.2"), commit(".3")} << "1.23";
    QTest::newRow("ctrl+v does nothing") << "decimal" << Steps{menuPaste("9"), key(Qt::Key_V, Qt::ControlModifier)}
                                         << "9";
    QTest::newRow("ctrl+x and ctrl+c do nothing")
        << "decimal"
        << Steps{type("42"), selectAll(), key(Qt::Key_X, Qt::ControlModifier), key(Qt::Key_C, Qt::ControlModifier)}
        << "42";
    QTest::newRow("ctrl+z does nothing") << "decimal" << Steps{type("42"), key(Qt::Key_Z, Qt::ControlModifier)} << "42";
    QTest::newRow("context-menu paste passes unfiltered, then a point")
        << "decimal" << Steps{menuPaste("abc"), type(".")} << "abc.";
    QTest::newRow("shift+insert passes unfiltered") << "decimal" << Steps{shiftInsert("x-1")} << "x-1";

    // The digit-only filter.
    QTest::newRow("digit-only refuses a point even when empty") << "digits" << Steps{type(".12.3")} << "123";
    QTest::newRow("digit-only refuses letters, keeps backspace")
        << "digits" << Steps{type("4a5"), key(Qt::Key_Backspace)} << "4";
    QTest::newRow("digit-only: input method digit passes") << "digits" << Steps{commit("7"), commit("７")} << "7";

    // Every text field.
    QTest::newRow("pasted line breaks become one blank each")
        << "plain" << Steps{menuPaste("北京\r\n海淀\n区\r1号")} << "北京 海淀 区 1号";
    QTest::newRow("characters outside code page 936 dropped")
        << "plain" << Steps{type("A"), commit("ก😀中"), menuPaste("한x")} << "A中x";
    QTest::newRow("pasted control characters dropped, a tab kept")
        << "plain" << Steps{menuPaste(QStringLiteral("a\u0001b\u007Fc\td") + QChar(0) + QStringLiteral("e"))}
        << "abc\tde";
    QTest::newRow("plain field takes any GBK text typed")
        << "plain" << Steps{type(" a.b-1 "), commit("甲公司")} << " a.b-1 甲公司";
    QTest::newRow("number field: pasted line break becomes a blank") << "decimal" << Steps{menuPaste("1\n2")} << "1 2";
}

void KeyFiltersTest::fieldHoldsWhatThePersonCouldEnter()
{
    QFETCH(QString, field);
    QFETCH(Steps, steps);
    QFETCH(QString, expected);
    Fields fields;
    QVERIFY(QTest::qWaitForWindowExposed(&fields.window));
    run(fields.field(field), steps);
    QCOMPARE(fields.field(field)->text(), expected);
}

void KeyFiltersTest::everyFieldOfThePagesKeepsLineBreaksAndForeignCharactersOut_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("line"); // the answer line the field fills, 0 when none claims it
    const QList<Page *> pages = shell_->pages();
    for (int index = 0; index < pages.size(); ++index) {
        for (QLineEdit *field : pages[index]->findChildren<QLineEdit *>()) {
            int line = 0;
            for (const Survey::Line &answer : Survey::lines())
                if (int(answer.page) == index && answer.controls.contains(field->objectName()))
                    line = answer.number;
            QTest::addRow("%s %s", qPrintable(pages[index]->objectName()), qPrintable(field->objectName()))
                << index << field->objectName() << line;
        }
    }
}

// Whichever way text reaches a field of the real pages, the field ends up with
// no line break (each becomes one blank) and nothing code page 936 lacks.
void KeyFiltersTest::everyFieldOfThePagesKeepsLineBreaksAndForeignCharactersOut()
{
    QFETCH(int, page);
    QFETCH(QString, field);
    QFETCH(int, line);
    QVERIFY2(line > 0, "a field that fills no line");
    const Survey::Line &answer = Survey::line(line);
    // A number field's key filter lets only the digits of what is typed through.
    const bool number = answer.kind == Survey::LineKind::Number;

    Page *window = shell_->page(Survey::PageId(page));
    if (!window->isVisible())
        shell_->moveTo(Survey::PageId(page));
    QVERIFY(QTest::qWaitForWindowActive(window, Drive::kPatience));
    auto *edit = Drive::control<QLineEdit>(window, field);
    QVERIFY(edit);
    if (!edit->isEnabled() || edit->isHidden()) { // opened as a person does: by its choice or tick
        QVERIFY2(!answer.gateControl.isEmpty(), "closed, and nothing opens it");
        Drive::showTabOf(window, answer.gateControl);
        Drive::click(Drive::control<QAbstractButton>(window, answer.gateControl));
        QVERIFY(edit->isEnabled() && !edit->isHidden());
    }
    Drive::showTabOf(edit);
    if (QTest::currentTestFailed())
        return;

    // What arrives; what the field holds when it arrives whole (pasted, set
    // by the program, committed by an input method into a text field); what
    // it holds when typed key by key into a text field, where Enter is a key
    // that inserts nothing.
    struct Input {
        const char *what;
        QString text;
        QString whole;
        QString typed;
    };
    const Input inputs[] = {
        {"LF", QStringLiteral("1\n2"), QStringLiteral("1 2"), QStringLiteral("12")},
        {"CR LF", QStringLiteral("1\r\n2"), QStringLiteral("1 2"), QStringLiteral("12")},
        {"CR", QStringLiteral("1\r2"), QStringLiteral("1 2"), QStringLiteral("12")},
        {"two LF", QStringLiteral("1\n\n2"), QStringLiteral("1  2"), QStringLiteral("12")},
        {"line separator", QStringLiteral("1\u20282"), QStringLiteral("1 2"), QStringLiteral("1 2")},
        {"paragraph separator", QStringLiteral("1\u20292"), QStringLiteral("1 2"), QStringLiteral("1 2")},
        {"emoji", QStringLiteral("1😀2"), QStringLiteral("12"), QStringLiteral("12")},
        {"Thai", QStringLiteral("1ก2"), QStringLiteral("12"), QStringLiteral("12")},
        {"Korean", QStringLiteral("1한2"), QStringLiteral("12"), QStringLiteral("12")},
        {"Chinese stays", QStringLiteral("1中2"), QStringLiteral("1中2"), QStringLiteral("1中2")},
    };
    enum Way { SetText, Insert, ShiftInsert, MenuPaste, CtrlV, Keys, InputMethod };
    const char *const ways[] = {"setText", "insert", "Shift+Insert", "menu paste", "Ctrl+V", "typed", "input method"};
    for (const Input &input : inputs) {
        for (int way = SetText; way <= InputMethod; ++way) {
            edit->clear();
            QString expected = input.whole;
            switch (way) {
            case SetText:
                edit->setText(input.text);
                break;
            case Insert:
                edit->insert(input.text);
                break;
            case ShiftInsert:
                QGuiApplication::clipboard()->setText(input.text);
                Drive::clickInto(edit);
                QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
                break;
            case MenuPaste:
                QGuiApplication::clipboard()->setText(input.text);
                pasteFromContextMenu(edit);
                break;
            case CtrlV: // does nothing in a number field
                QGuiApplication::clipboard()->setText(input.text);
                Drive::clickInto(edit);
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
                if (number)
                    expected.clear();
                break;
            case Keys:
                Drive::type(edit, input.text);
                expected = number ? QStringLiteral("12") : input.typed;
                break;
            case InputMethod:
                Drive::commit(edit, input.text);
                if (number)
                    expected = QStringLiteral("12");
                break;
            }
            QVERIFY2(edit->text() == expected, qPrintable(QStringLiteral("%1, %2: %3, not %4")
                                                              .arg(QLatin1String(input.what), QLatin1String(ways[way]),
                                                                   visible(edit->text()), visible(expected))));
        }
    }
    edit->clear();
}

SURVEY_TEST_MAIN(KeyFiltersTest)
#include "tst_key_filters.moc"
