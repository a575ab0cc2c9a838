#pragma once

#include "toolkit/dialogs.h"
#include "toolkit/scale.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <optional>

class QDialog;
class QScreen;

namespace sorvane {

// The real boxes: QMessageBox and QInputDialog, modal, over the given window. With the letter
// pad, for a board without a keyboard, the input box has keys of its own under its field.
//
// On the classroom's board every box is the game's own, enlarged by the board's factor, with
// a title of its own in place of the window manager's; until the game's window is up, the
// boxes stand over the game's background, which covers the board's screen.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    ~QtDialogs() override;
    // The window the boxes stand over once it is shown.
    void setParent(QWidget* parent);
    void setLetterPad(bool shown) { letterPad_ = shown; }

    struct Board
    {
        Scale scale;     // the application's style and font must be enlarged by it
        QScreen* screen; // the board's
        QColor background;
    };
    // Shows the background on the board's screen at once, and every box from now on for the
    // board.
    void setBoard(const Board& board);

    QString input(const QString& prompt, const QString& title) override;

protected:
    void showMessage(const QString& text, const QString& title, BoxIcon icon) override;

private:
    QString inputWithPad(const QString& prompt, const QString& title);
    // The window that a box stands over: the game's once shown, else the board's background.
    QWidget* owner() const;

    QPointer<QWidget> parent_;
    bool letterPad_ = false;
    std::optional<Board> board_;
    QPointer<QWidget> backdrop_;
};

} // namespace sorvane

namespace sorvane {

// Loads Qt's own Italian translation, so that the boxes' standard buttons read "OK" and
// "Annulla" whatever the desktop's language. False when it is not installed.
bool installItalianTranslation();

} // namespace sorvane
