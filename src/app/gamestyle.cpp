#include "app/gamestyle.h"

#include "app/icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPointer>
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

GameStyle::GameStyle(QStyle* base)
    : QProxyStyle(base ? base : QStyleFactory::create(QStringLiteral("Fusion")))
{
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

void useGameStyle()
{
    QApplication::setStyle(new GameStyle);
}

} // namespace sorvane
