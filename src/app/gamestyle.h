#pragma once

#include "toolkit/scale.h"

#include <QProxyStyle>

namespace sorvane {

// The game's look: Qt's Fusion style, with the boxes' pictures drawn by the game and plain
// buttons in the boxes, as on the Windows boxes the game was first made for.
//
// Qt's own standard pictures are files, and reading the first of them loads every picture
// format plugin Qt has (SVG, JPEG, GIF, ICO and the libraries they need, about 400 KiB) for
// pictures the game never shows, such as the menu bar's overflow arrow. So the other standard
// pictures are handed out as promises: the base style makes one only when it is painted.
//
// Enlarged, for the classroom's board, the style's margins, spacings, icon sizes and the room
// around a button's or a menu item's text grow by the same factor as the fonts, so that every
// box and menu keeps its proportions; its lines stay one pixel of the screen, sharp.
class GameStyle : public QProxyStyle
{
public:
    // Over `base`, which the style takes; over Fusion when there is none.
    explicit GameStyle(QStyle* base = nullptr, Scale scale = {});

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget = nullptr) const override;

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

private:
    Scale scale_;
    mutable bool measuringAtOne_ = false;
};

// Makes the game's style the application's: every program that shows the game's window calls
// it after creating the application. Enlarged, the application's font grows with it.
void useGameStyle(Scale scale = {});

} // namespace sorvane
