#include "toolkit/boardbox.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace sorvane {

namespace {

// The room above and below the title's text, and before it, at the window's size.
constexpr int titlePadding = 4;
constexpr int titleIndent = 8;
// The gap between a message box's icon, or its left margin when it has none, and its text.
constexpr int iconIndent = 7;
constexpr int noIconIndent = 15;
// A window's message box keeps its text on one line up to this width, and wraps beyond; it
// is never narrower than its title with this much room beside it.
constexpr int oneLineBoxWidth = 500;
constexpr int titleRoom = 50;

QFont titleFont(const QWidget& box)
{
    QFont f = box.font();
    f.setBold(true);
    return f;
}

// The font at the window's size, from the board's.
QFont unscaled(const QFont& font, Scale scale)
{
    QFont f = font;
    if (font.pixelSize() > 0)
        f.setPixelSize(std::max(1, int(std::lround(font.pixelSize() / scale.factor()))));
    else
        f.setPointSizeF(font.pointSizeF() / scale.factor());
    return f;
}

QAccessibleInterface* alertFor(const QString& className, QObject* object)
{
    if (className == QLatin1String(BoardMessage::staticMetaObject.className()) &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
    return nullptr;
}

} // namespace

int linesOf(const QString& text, const QFont& font, int width)
{
    QString shown = text;
    shown.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(shown, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return lines;
}

BoardBox::BoardBox(const QString& title, Scale scale, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), scale_(scale),
      content_(new QVBoxLayout)
{
    setWindowTitle(title);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    // The title is painted in this room: a label would be read a second time after the name.
    const int titleHeight = QFontMetrics(titleFont(*this)).height() + 2 * scale_(titlePadding);
    column->addSpacing(titleHeight);
    content_->setContentsMargins(0, 0, 0, 0);
    column->addLayout(content_);
}

void BoardBox::keepWindowMargins(QLayout& layout) const
{
    const QStyle& s = *style();
    layout.setContentsMargins(s.pixelMetric(QStyle::PM_LayoutLeftMargin, nullptr, this),
                              s.pixelMetric(QStyle::PM_LayoutTopMargin, nullptr, this),
                              s.pixelMetric(QStyle::PM_LayoutRightMargin, nullptr, this),
                              s.pixelMetric(QStyle::PM_LayoutBottomMargin, nullptr, this));
}

void BoardBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QFont font = titleFont(*this);
    const int height = QFontMetrics(font).height() + 2 * scale_(titlePadding);
    const QRect strip(0, 0, width(), height);
    p.fillRect(strip, palette().color(QPalette::Highlight));
    p.setFont(font);
    p.setPen(palette().color(QPalette::HighlightedText));
    p.drawText(strip.adjusted(scale_(titleIndent), 0, -scale_(titleIndent), 0),
               Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               QFontMetrics(font).elidedText(windowTitle(), Qt::ElideRight,
                                             width() - 2 * scale_(titleIndent)));
    // A frame of one line of the screen, so that the box stands out from the game behind it.
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

BoardMessage::BoardMessage(const QString& text, const QString& title, QMessageBox::Icon icon,
                           Scale scale, QWidget* parent)
    : BoardBox(title, scale, parent), text_(new QLabel(text, this)), ok_(nullptr)
{
    static const bool installed = (QAccessible::installFactory(alertFor), true);
    Q_UNUSED(installed);
    setModal(true);
    // Laid out as a window's message box, with the style's margins and sizes, which the
    // board's style enlarges.
    auto* grid = new QGridLayout;
    content()->addLayout(grid);
    const QStyle::StandardPixmap sign =
        icon == QMessageBox::Warning       ? QStyle::SP_MessageBoxWarning
        : icon == QMessageBox::Critical    ? QStyle::SP_MessageBoxCritical
        : icon == QMessageBox::Information ? QStyle::SP_MessageBoxInformation
                                           : QStyle::SP_CustomBase;
    const bool hasIcon = sign != QStyle::SP_CustomBase;
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    if (hasIcon) {
        auto* picture = new QLabel(this);
        picture->setPixmap(style()->standardIcon(sign, nullptr, this).pixmap(side, side));
        picture->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        grid->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
    }
    const int indent = scale(hasIcon ? iconIndent : noIconIndent);
    grid->addItem(new QSpacerItem(indent, 1, QSizePolicy::Fixed, QSizePolicy::Fixed), 0,
                  hasIcon ? 1 : 0, 2, 1);
    text_->setTextFormat(Qt::PlainText);
    text_->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    grid->addWidget(text_, 0, hasIcon ? 2 : 1, 1, 1);
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QDialogButtonBox::Ok);
    ok_->setDefault(true);
    buttons->setCenterButtons(
        style()->styleHint(QStyle::SH_MessageBox_CenterButtons, nullptr, this));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    grid->addWidget(buttons, 2, 0, 1, grid->columnCount());
    keepWindowMargins(*grid);
    grid->setHorizontalSpacing(
        style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, this));
    grid->setVerticalSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing, nullptr, this));
    const int left = grid->contentsMargins().left();
    const int right = grid->contentsMargins().right();

    // The text as wide as a window's box has it, enlarged. Wrapped, where the font's enlarged
    // widths do not keep exactly to the factor, a little wider or narrower, so that it keeps
    // its lines.
    const int spacing = grid->horizontalSpacing();
    const int besides = left + right + indent + spacing + (hasIcon ? side + spacing : 0);
    const QFont windowFont = unscaled(font(), scale);
    const QScreen* where = parent ? parent->screen() : screen();
    const int screenWidth = where ? where->availableGeometry().width() : 2 * oneLineBoxWidth;
    const WindowText window = windowText(text, title, windowFont,
                                         int(std::lround(besides / scale.factor())), screenWidth);
    const int target = scale(window.width);
    text_->setWordWrap(window.wraps);
    if (!window.wraps) {
        text_->setMinimumWidth(target);
    } else {
        const int lines = linesOf(text, windowFont, window.width);
        int width = target;
        for (int step = 1; step <= target / 10 && linesOf(text, font(), width) != lines; ++step)
            width = linesOf(text, font(), target + step) == lines ? target + step : target - step;
        if (linesOf(text, font(), width) != lines)
            width = target;
        // Never wider than the screen.
        text_->setFixedWidth(screenWidth > besides ? std::min(width, screenWidth - besides)
                                                   : width);
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

BoardMessage::WindowText BoardMessage::windowText(const QString& text, const QString& title,
                                                  const QFont& font, int besides, int screenWidth)
{
    const QFontMetrics fm(font);
    const int soft = std::min(screenWidth / 2, oneLineBoxWidth);
    const int oneLine =
        fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextExpandTabs, text).width();
    const bool wraps = besides + oneLine > soft;
    const int box =
        std::max(wraps ? soft : besides + oneLine, fm.horizontalAdvance(title) + titleRoom);
    return {box - besides, wraps};
}

void BoardMessage::showEvent(QShowEvent* event)
{
    BoardBox::showEvent(event);
    // As a window's message box does: a screen reader reads it out as it opens.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace sorvane
