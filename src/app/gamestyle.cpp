#include "app/gamestyle.h"

#include "app/icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPointer>
#include <QScopedValueRollback>
#include <QStyleFactory>

#include <optional>

namespace sorvane {

namespace {

// One of the base style's standard pictures, asked of the style the first time it is needed
// to paint or to measure, and kept from then on.
class DeferredIconEngine : public QIconEngine
{
public:
    DeferredIconEngine(QStyle* style, QStyle::StandardPixmap which) : style_(style), which_(which)
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }
    QString key() const override { return QStringLiteral("sorvane-deferred"); }

private:
    const QIcon& icon()
    {
        if (!made_)
            made_ = style_ ? style_->standardIcon(which_) : QIcon();
        return *made_;
    }

    QPointer<QStyle> style_; // the icon may outlive the style
    QStyle::StandardPixmap which_;
    std::optional<QIcon> made_;
};

} // namespace

GameStyle::GameStyle(QStyle* base, Scale scale)
    : QProxyStyle(base ? base : QStyleFactory::create(QStringLiteral("Fusion"))), scale_(scale)
{
}

int GameStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const
{
    const int base = QProxyStyle::pixelMetric(metric, option, widget);
    if (!scale_.enlarges() || measuringAtOne_)
        return base;
    switch (metric) {
    case PM_ButtonMargin:
    case PM_ButtonIconSize:
    case PM_SmallIconSize:
    case PM_LargeIconSize:
    case PM_MessageBoxIconSize:
    case PM_ToolBarIconSize:
    case PM_MenuBarItemSpacing:
    case PM_MenuBarHMargin:
    case PM_MenuBarVMargin:
    case PM_MenuHMargin:
    case PM_MenuVMargin:
    case PM_ToolBarExtensionExtent:
    case PM_LayoutLeftMargin:
    case PM_LayoutTopMargin:
    case PM_LayoutRightMargin:
    case PM_LayoutBottomMargin:
    case PM_LayoutHorizontalSpacing:
    case PM_LayoutVerticalSpacing:
    case PM_DialogButtonsButtonWidth:
    case PM_DialogButtonsButtonHeight:
    case PM_DialogButtonsSeparator:
    case PM_TextCursorWidth:
    case PM_ScrollBarExtent:
    case PM_TitleBarHeight:
        return scale_(base);
    default:
        return base;
    }
}

QSize GameStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                  const QSize& contents, const QWidget* widget) const
{
    if (scale_.enlarges()) {
        switch (type) {
        case CT_PushButton:
        case CT_ToolButton:
        case CT_MenuBarItem:
        case CT_MenuItem:
        case CT_LineEdit: {
            // Measured as at 1 and enlarged: the room the style adds around the text, and its
            // least widths, grow with the text.
            // The base style asks this one for the margins it adds: those are at 1 too, or
            // they would be enlarged twice.
            const double k = scale_.factor();
            const QSize unscaled(qRound(contents.width() / k), qRound(contents.height() / k));
            const QScopedValueRollback atOne(measuringAtOne_, true);
            return scale_(QProxyStyle::sizeFromContents(type, option, unscaled, widget));
        }
        default:
            break;
        }
    }
    return QProxyStyle::sizeFromContents(type, option, contents, widget);
}

QIcon GameStyle::standardIcon(StandardPixmap which, const QStyleOption*, const QWidget*) const
{
    switch (which) {
    case SP_MessageBoxInformation:
        return icons::information();
    case SP_MessageBoxWarning:
        return icons::warning();
    case SP_MessageBoxCritical:
        return icons::error();
    default:
        break;
    }
    // Made later, for no widget in particular: the widget may be gone by then, and the game's
    // windows all read left to right, so none needs a mirrored picture.
    return QIcon(new DeferredIconEngine(baseStyle(), which));
}

int GameStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const
{
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void useGameStyle(Scale scale)
{
    QApplication::setStyle(new GameStyle(nullptr, scale));
    if (scale.enlarges())
        QApplication::setFont(scale(QApplication::font()));
}

} // namespace sorvane
