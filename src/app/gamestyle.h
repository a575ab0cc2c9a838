#pragma once

#include <QProxyStyle>

namespace sorvane {

// The game's look: Qt's Fusion style, with the boxes' pictures drawn by the game and plain
// buttons in the boxes, as on the Windows boxes the game was first made for.
//
// Qt's own standard pictures are files, and reading the first of them loads every picture
// format plugin Qt has (SVG, JPEG, GIF, ICO and the libraries they need, about 400 KiB) for
// pictures the game never shows, such as the menu bar's overflow arrow. So the other standard
// pictures are handed out as promises: the base style makes one only when it is painted.
class GameStyle : public QProxyStyle
{
public:
    // Over `base`, which the style takes; over Fusion when there is none.
    explicit GameStyle(QStyle* base = nullptr);

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

// Makes the game's style the application's: every program that shows the game's window calls
// it after creating the application.
void useGameStyle();

} // namespace sorvane
