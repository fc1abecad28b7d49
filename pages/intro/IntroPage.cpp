// The first window: the banner (decoded on another core while the labels are
// built), the usage instructions, "开始填报", and a result file dropped on it
// to reopen.
#include "pages/intro/IntroPage.h"

#include "survey/Captions.h"
#include "survey/IntroContent.h"
#include "widgets/Banner.h"
#include "widgets/Fonts.h"
#include "widgets/GlyphButton.h"
#include "widgets/PageMetrics.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPixmap>
#include <future>

namespace {

constexpr QRect kBannerArea(0, 0, 839, 165);
constexpr QPoint kHeadingAt(8, 194);
constexpr int kInstructionWidth = 780;
// The top left corner of each instruction's label, in the table's order.
constexpr QPoint kInstructionAt[] = {{16, 236}, {16, 259}, {16, 283}, {16, 306}, {14, 330}};
static_assert(std::size(kInstructionAt) == std::size(Intro::kInstructions));
constexpr QRect kStartButton(620, 452, 153, 41);

QLabel *makeLabel(QWidget *parent, QStringView name, const QString &text, const QFont &font)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name.toString());
    label->setFont(font);
    label->setFocusPolicy(Qt::NoFocus);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

} // namespace

IntroPage::IntroPage() : Page(PageMetrics::kIntro)
{
    // The banner decodes on another core while the labels meet the font
    // system for the first time: together they are most of the first window's cost.
    std::future<QImage> banner = std::async(std::launch::async, [] {
        // In the screen's own format already, so that showing it copies nothing more.
        return Banner::load().convertToFormat(QImage::Format_RGB32);
    });
    setObjectName(Intro::kPageName.toString());

    banner_ = new QLabel(this);
    banner_->setObjectName(Intro::kBannerName.toString());
    banner_->setGeometry(kBannerArea);
    // Natural size from the top-left corner: what does not fit is cut off.
    banner_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    banner_->setScaledContents(false);

    QLabel *heading = makeLabel(this, Intro::kHeadingName, Intro::kHeading.toString(),
                                Fonts::pixelFont(Fonts::kHei, PageMetrics::kIntroHeading));
    heading->move(kHeadingAt);
    heading->adjustSize();

    const QFont instructionFont = Fonts::pixelFont(Fonts::kHei, PageMetrics::kIntroInstruction);
    for (size_t i = 0; i < std::size(Intro::kInstructions); ++i) {
        const Intro::Instruction &line = Intro::kInstructions[i];
        QLabel *label = makeLabel(this, line.name, line.text.toString(), instructionFont);
        label->adjustSize();
        label->setGeometry(QRect(kInstructionAt[i], QSize(kInstructionWidth, label->height())));
    }

    startButton_ = new GlyphButton(Glyph::Pencil, Captions::kStart.toString(), this);
    startButton_->setObjectName(Intro::kStartButtonName.toString());
    startButton_->setGeometry(kStartButton);
    connect(startButton_, &QPushButton::clicked, this, &Page::forwardRequested);
    startButton_->setFocus();
    setAcceptDrops(true);
    setBanner(banner.get());
}

namespace {

// The one local file of a drop, or nothing.
QString droppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    return data->urls().first().toLocalFile();
}

} // namespace

void IntroPage::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void IntroPage::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    emit resultFileDropped(path);
}

void IntroPage::setBanner(const QImage &banner)
{
    if (banner.isNull())
        banner_->clear();
    else
        banner_->setPixmap(QPixmap::fromImage(banner));
}
