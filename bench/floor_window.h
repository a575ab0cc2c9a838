#pragma once

#include <QMainWindow>

#include <memory>

class QLabel;

// The fair floor of the game's window: the same content written the plainest way with stock
// Qt widgets. A main window with the same menu bar, the same labels with the same pixel fonts,
// colours and borders, the thirteen buttons with 32 x 32 icons and their captions, the two
// pies painted in a widget, and a clock label. The benchmarks measure the game against it.
struct FloorWindow
{
    std::unique_ptr<QMainWindow> window;
    QLabel* clock = nullptr;
};

FloorWindow makeFloorWindow();
