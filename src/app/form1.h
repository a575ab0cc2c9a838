#pragma once

#include "game/answercheck.h"
#include "game/clock.h"
#include "game/question.h"
#include "records/recordfiles.h"
#include "toolkit/dialogs.h"
#include "toolkit/imagesurface.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QToolButton;

namespace sorvane {

class Announcer;
class Label;

// The game's one window: its controls, menu and event wiring, and the handlers that turn
// clicks, menu commands and clock ticks into the game. Boxes go through `Dialogs`.
class Form1 : public QMainWindow
{
public:
    // Where the game stands: played, ending (the game end's boxes are open) or over. Every
    // handler asks it in the same way, through `playing()`.
    enum class Phase
    {
        Playing,
        Ending,
        Ended
    };

    // `recordFolder` is the machine-wide folder of the record files; `quit` is called once
    // when the program ends (the real one leaves the event loop).
    Form1(Dialogs& dialogs, RandomSource& random, QString recordFolder,
          std::function<void()> quit = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // The record files, opened by the program's start before anything else ran; without
    // them, start-up opens the files in the record folder itself.
    void keepOpenedRecords(RecordHandles opened) { openedRecords_ = std::move(opened); }

    // Start-up, run once before the window is first shown. False when the program has
    // ended during it (a record file could not be used); the window must not be shown then.
    bool Form_Load();

    // Event handlers.
    void Option1_Click(qint16 index);
    void Option1_GotFocus(qint16 index);
    void cmdverifica_Click();
    void Cmdexit1_Click();
    void Timer1_Timer();
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

    // What the game holds, for those who watch it (tests, the accessibility layer).
    qint16 somma() const { return somma_; }
    qint16 primoangolo() const { return primoangolo_; }
    ExpectedAnswer valoreesatto() const { return valoreesatto_; }
    qint16 esatte() const { return counts_.esatte; }
    qint16 errate() const { return counts_.errate; }
    const CountdownClock& clock() const { return clock_; }
    QString dirsistema() const { return dirsistema_; }
    const ImageSurface& surface() const { return *surface_; }
    bool timerRunning() const { return Timer1_.isActive(); }
    Phase phase() const { return phase_; }
    bool hasEnded() const { return phase_ == Phase::Ended; }

    Label* label(const QString& name) const;
    QToolButton* option1(int index) const { return Option1_.at(index); }
    QToolButton* cmdverifica() const { return cmdverifica_; }
    QToolButton* cmdexit1() const { return Cmdexit1_; }
    QAction* menuCommand(const QString& name) const;
    const Announcer& announcer() const { return *announcer_; }

    // The window's colours and fonts.
    static constexpr BgrColor backColor = 0xC0C000;
    static constexpr BgrColor valueFaceColor = 0xC0C000;
    static constexpr BgrColor valueTextColor = 0xFFFF80;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Handler = void (Form1::*)();

    bool playing() const { return phase_ == Phase::Playing; }
    void later(Handler handler);
    void buildLayout();
    void buildMenu();
    void showDefinition(int index);
    void unselectValueButtons();
    // Tells a screen reader, once, what has just changed (the only place that does).
    void announce(const QString& text);
    void fatal(const RecordError& error);
    void endProgram();

    Dialogs& dialogs_;
    RandomSource& random_;
    QString recordFolder_;
    std::function<void()> quit_;

    // Window state.
    qint16 somma_ = 0;
    qint16 primoangolo_ = 0;
    ExpectedAnswer valoreesatto_;
    Counts counts_;
    CountdownClock clock_;
    QString dirsistema_;
    std::optional<RecordHandles> openedRecords_;
    std::optional<RecordFiles> records_;
    Phase phase_ = Phase::Playing;

    // Handlers that open a box, asked for by a button or a menu command and run one at a
    // time once the action that asked for them has returned (`later`).
    std::deque<Handler> waiting_;
    bool runningLater_ = false;

    std::unique_ptr<ImageSurface> surface_;
    QTimer Timer1_;

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
    Announcer* announcer_ = nullptr;
};

} // namespace sorvane
