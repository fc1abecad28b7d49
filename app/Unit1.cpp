// TForm1: the intro page (banner, instructions, "开始填报").
#include "Unit1.h"

#include "AnswerRecord.h"
#include "Banner.h"
#include "Fonts.h"
#include "GlyphButton.h"
#include "Shell.h"
#include "profile/Unit2.h"

#include <QLabel>
#include <QPixmap>

namespace {

struct Instruction {
    const char *name;
    int x, y;
    const char *text;
};

// Instruction 4 is split over two labels; the three blanks line the second
// part up under the first.
const Instruction kInstructions[] = {
    {"Label2", 16, 236, "1. 本软件只做数据收集使用。"},
    {"Label3", 16, 259, "2. 点击“开始填报”按钮进入问卷页面，依次点击“下一步”进行填报。"},
    {"Label4", 16, 283, "3. 点击“上一步”可对已填报内容进行浏览和修改。"},
    {"Label5", 16, 306,
     "4. 最后点击“保存并退出”按钮，系统自动在本软件所在目录生成一个以“企业名称_填报结果”命名的MDF文件，请将此文件提"},
    {"Label6", 14, 330, "   交给数据收集人员。"},
};

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QFont &font)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    label->setFocusPolicy(Qt::NoFocus);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

} // namespace

TForm1::TForm1(Shell &shell) : Page(shell, QSize(839, 529))
{
    setObjectName(QStringLiteral("Form1"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 839, 165);
    // Natural size from the top-left corner: what does not fit is cut off.
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setScaledContents(false);
    setBanner(Banner::load());

    QLabel *heading = makeLabel(this, "Label1", QStringLiteral("软件使用说明："), Fonts::pixelFont(Fonts::kHei, 19));
    heading->move(8, 194);
    heading->adjustSize();

    const QFont instructionFont = Fonts::pixelFont(Fonts::kHei, 13);
    for (const Instruction &line : kInstructions) {
        QLabel *label = makeLabel(this, line.name, QString::fromUtf8(line.text), instructionFont);
        label->adjustSize();
        label->setGeometry(line.x, line.y, 780, label->height());
    }

    BitBtn1 = new GlyphButton(Glyph::Pencil, QStringLiteral("开始填报"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(620, 452, 153, 41);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    BitBtn1->setFocus();

    FormCreate();
}

void TForm1::setBanner(const QImage &banner)
{
    if (banner.isNull())
        Image1->clear();
    else
        Image1->setPixmap(QPixmap::fromImage(banner));
}

void TForm1::FormCreate()
{
    AnswerRecord::instance().clear();
}

void TForm1::BitBtn1Click()
{
    shell().switchPage(this, shell().form2());
}
