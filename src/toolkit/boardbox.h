#pragma once

#include "toolkit/scale.h"

#include <QDialog>
#include <QMessageBox>

class QLabel;
class QPushButton;
class QLayout;
class QVBoxLayout;

namespace sorvane {

// A box for the classroom's board, framed by the game itself: the window manager's frame, with
// its small title-bar buttons that a finger hits by mistake, is left out, and the box carries
// its own title above its content, enlarged with everything else. The title stays the box's
// window title too, which is what a screen reader reads as its name.
class BoardBox : public QDialog
{
    Q_OBJECT

public:
    BoardBox(const QString& title, Scale scale, QWidget* parent = nullptr);

    // Where the box's own content goes, under the title.
    QVBoxLayout* content() const { return content_; }
    QLabel* titleLabel() const { return title_; }
    Scale scale() const { return scale_; }
    // Gives a layout of the content the margins that a window's own layout has.
    void keepWindowMargins(QLayout& layout) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Scale scale_;
    QLabel* title_;
    QVBoxLayout* content_;
};

// The message box of a window, enlarged for the board: an OK button, at most one icon, and
// its text in as many lines as the window's box has, with its text width, margins, icon and
// button all enlarged by one factor. A screen reader is told of it as of an alert, as of the
// window's.
class BoardMessage : public BoardBox
{
    Q_OBJECT

public:
    BoardMessage(const QString& text, const QString& title, QMessageBox::Icon icon, Scale scale,
                 QWidget* parent = nullptr);

    QLabel* textLabel() const { return text_; }
    QPushButton* okButton() const { return ok_; }

    // How a window's message box lays out its text in `font` (a window's font), on a screen
    // whose free area is `screenWidth` wide, when its icon, margins and spacings take
    // `besides`: the text keeps to one line up to a box of 500 pixels and wraps beyond, in a
    // box never narrower than its title needs.
    struct WindowText
    {
        int width; // of the text
        bool wraps;
    };
    static WindowText windowText(const QString& text, const QString& title, const QFont& font,
                                 int besides, int screenWidth);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* text_;
    QPushButton* ok_;
};

// The lines `text` takes in `font` when it wraps at word boundaries within `width` pixels, as a
// label draws it.
int linesOf(const QString& text, const QFont& font, int width);

} // namespace sorvane
