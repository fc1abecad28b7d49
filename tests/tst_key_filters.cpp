// The number fields' key filters and the shared behaviour of every text field.
#include "NumericEntryFilter.h"
#include "TestMain.h"
#include "TextFieldGuard.h"

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

} // namespace

Q_DECLARE_METATYPE(Steps)

class KeyFiltersTest : public QObject {
    Q_OBJECT
private slots:
    void fieldHoldsWhatThePersonCouldEnter_data();
    void fieldHoldsWhatThePersonCouldEnter();
};

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

SURVEY_TEST_MAIN(KeyFiltersTest)
#include "tst_key_filters.moc"
