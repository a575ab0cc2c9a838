#pragma once

#include "game/gamemodel.h"
#include "game/narration.h"
#include "records/recordhandles.h"
#include "toolkit/dialogs.h"
#include "toolkit/handlerqueue.h"
#include "toolkit/imagesurface.h"
#include "toolkit/scale.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenuBar;
class QToolButton;

namespace sorvane {

namespace layout {
struct Control;
}
class Announcer;
class Label;
class RecordKeeper;

// The game's one window, the view of the game's model: its controls, menu and event wiring.
// The handlers pass the player's acts to the model, and the labels and the figure show what
// the model tells. Boxes go through `Dialogs`.
class Form1 : public QMainWindow
{
public:
    using Phase = GameModel::Phase;

    // On the classroom's board the window fills the screen, and the game in it, menu bar
    // included, is enlarged by one factor and centred on the window's own background.
    struct Board
    {
        ScreenFit fit;  // of the game's unscaled size to the screen's free area
        int menuHeight; // the unscaled menu bar's
    };
    // Measures the game as a window of its own shows it (the application's style must be the
    // unscaled one still) and fits it to a screen's free area, in device-independent pixels.
    static Board fitBoard(QSize available);

    // `recordFolder` is the machine-wide folder of the record files; `quit` is called once
    // when the program ends (the real one leaves the event loop). With `board`, the window is
    // the board's; the application's style must then be enlarged by the same factor. The
    // game's seconds come from `ticker` when given (it must outlive the window), else once a
    // second from the window's own.
    Form1(Dialogs& dialogs, RandomSource& random, QString recordFolder,
          std::function<void()> quit = {}, QWidget* parent = nullptr,
          std::optional<Board> board = std::nullopt, Ticker* ticker = nullptr);
    ~Form1() override;

    // The record files, being opened by the program's start before anything else ran
    // (RecordHandles::openElsewhere); without them, the files in the record folder are opened
    // by the record keeper itself.
    void openRecordsWith(std::function<RecordHandles()> opener)
    {
        recordOpener_ = std::move(opener);
    }

    // The record folder is the class's, named by the administrator: a folder that cannot be
    // used is said at start-up and the pupil plays without the record, rather than the game
    // ending. With `problem`, it is already known not to be usable, and why.
    void useClassFolder(std::optional<QString> problem = std::nullopt)
    {
        classFolder_ = true;
        classFolderProblem_ = std::move(problem);
    }

    // Start-up, run once before the window is first shown. False when the program has
    // ended during it (a record file could not be used); the window must not be shown then.
    bool Form_Load();
    // Shows the window once start-up has returned: on the board, over the whole screen even
    // where no window manager makes it full screen.
    void showWindow();

    // Event handlers.
    void Option1_Click(qint16 index);
    void Option1_GotFocus(qint16 index);
    void cmdverifica_Click();
    void Cmdexit1_Click();
    void help_Click();
    void acuto_Click();
    void retto_Click();
    void ottuso_Click();
    void piatto_Click();
    void concavo_Click();
    void grio_Click();
    void comp_Click();

    // Procedures other handlers call.
    void Command1_Click(); // a new question
    void Command4_Click(); // value buttons ready, then the first question
    void aggiornatempo();
    QString GetSystemDir() const;

    // The game, and what is spoken of it.
    const GameModel& model() const { return model_; }
    const Narration& narration() const { return narration_; }

    // The window's parts.
    QString dirsistema() const { return dirsistema_; }
    const ImageSurface& surface() const { return *surface_; }
    Label* label(const QString& name) const;
    QToolButton* option1(int index) const { return Option1_.at(index); }
    QToolButton* cmdverifica() const { return cmdverifica_; }
    QToolButton* cmdexit1() const { return Cmdexit1_; }
    QAction* menuCommand(const QString& name) const;
    QMenuBar* menu() const { return menu_; }
    const Announcer& announcer() const { return *announcer_; }
    // The enlargement of the game; 1 in a window of its own.
    Scale scale() const { return scale_; }

    // The window's background.
    static constexpr BgrColor backColor = 0xC0C000;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Handler = void (Form1::*)();

    void later(Handler handler);
    void buildLayout();
    void buildControl(QWidget* canvas, const layout::Control& control);
    QWidget* buildBoard(QWidget* canvas);
    void buildMenu();
    void showModel();
    void showDefinition(int index);
    void unselectValueButtons();
    void showTotals();
    void showEnding();
    void endProgram();

    Dialogs& dialogs_;
    QString recordFolder_;
    std::function<void()> quit_;
    std::optional<Board> board_;
    Scale scale_;

    SecondTicker Timer1_; // the game's seconds, unless the window was given a ticker
    GameModel model_;
    Narration narration_;
    QString dirsistema_;
    std::function<RecordHandles()> recordOpener_;
    std::unique_ptr<RecordKeeper> keeper_;
    bool classFolder_ = false;
    std::optional<QString> classFolderProblem_;
    HandlerQueue waiting_;
    ReturnPressesButton returnPresses_;

    std::unique_ptr<ImageSurface> surface_;

    // Controls the handlers use.
    Label* lblnome = nullptr;
    Label* lblpunti = nullptr;
    Label* lblangolo = nullptr;
    Label* lblScore = nullptr;
    Label* lblScore1 = nullptr;
    Label* lblnome1 = nullptr;
    Label* lblconto = nullptr;
    Label* lbltotale = nullptr;
    Label* lbltotal2 = nullptr;
    Label* lbltotal3 = nullptr;
    Label* lbltotal4 = nullptr;
    std::array<QToolButton*, 12> Option1_{};
    QToolButton* cmdverifica_ = nullptr;
    QToolButton* Cmdexit1_ = nullptr;
    QMenuBar* menu_ = nullptr;
    Announcer* announcer_ = nullptr;
};

} // namespace sorvane
