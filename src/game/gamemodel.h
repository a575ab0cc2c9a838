#pragma once

#include "game/answercheck.h"
#include "game/clock.h"
#include "game/question.h"
#include "game/ticker.h"
#include "texts/message.h"

#include <QObject>
#include <QString>

#include <functional>

namespace sorvane {

// The game itself, without a window: the question on screen, the running sum, the counts, the
// time left, the phase, the player's name and the record shown. It takes the player's acts,
// runs the game from them and from its own seconds, and tells each change once, by its
// signals: the window shows what it tells, and the narration speaks it. Every act is ignored
// once the game is no longer played.
//
//   act                     changes                                   signal
//   startClock()            the clock at full time, and it runs       timeChanged
//   setPlayer(name)         the player's name                         playerChanged
//   setRecord(score, name)  the record shown                          recordChanged
//   newQuestion()           sum 0, a new given angle                  sumCleared, questionChanged
//   press(index)            the sum, plus that value button's value   sumChanged
//   verifica(show)          sum 0; the verdict shown; the counts;     sumCleared, countsChanged,
//                           the next question                         questionChanged
//   a second of the clock   a second off; at the end, the ending      timeChanged, ending
//   finish()                the phase: the ending begins              ending
//   end()                   the phase: over
class GameModel : public QObject
{
    Q_OBJECT

public:
    // Where the game stands: played, ending (the game end's boxes are open) or over.
    enum class Phase
    {
        Playing,
        Ending,
        Ended
    };

    // The model's seconds come from `ticker`, which must outlive it.
    GameModel(RandomSource& random, Ticker& ticker, QObject* parent = nullptr);

    qint16 somma() const { return somma_; }
    qint16 primoangolo() const { return primoangolo_; }
    ExpectedAnswer valoreesatto() const { return valoreesatto_; }
    qint16 esatte() const { return counts_.esatte; }
    qint16 errate() const { return counts_.errate; }
    // Whether any answer has been judged yet.
    bool counted() const { return counts_.esatte > 0 || counts_.errate > 0; }
    const CountdownClock& clock() const { return clock_; }
    bool ticking() const { return ticker_.running(); }
    Phase phase() const { return phase_; }
    bool playing() const { return phase_ == Phase::Playing; }
    const QString& player() const { return player_; }
    const QString& recordScore() const { return recordScore_; }
    const QString& recordName() const { return recordName_; }
    // The score as the window shows it.
    QString scoreText() const;

    void reseed();
    void startClock();
    void setPlayer(const QString& name);
    void setRecord(const QString& score, const QString& name);
    void newQuestion();
    // The value button `index` of `valueButtons` pressed; any other index adds nothing.
    void press(int index);
    // The whole turn of a check: the totals show 0 at once, the sum built is judged and
    // `show` shows the verdict until the player closes it; then the verdict is counted and
    // the next question drawn, unless the game's end has begun meanwhile.
    void verifica(const std::function<void(const Message&)>& show);
    // The game's end begins, from "Esci" or when a second finds the time up: the clock
    // stops and `ending` is told once. False when it had begun already.
    bool finish();
    void end();

signals:
    void timeChanged();
    void playerChanged();
    void recordChanged();
    void questionChanged();
    void sumChanged(); // by a press
    void sumCleared(); // back to 0, for a check or a new question
    void countsChanged();
    void ending();

private:
    void tick();

    RandomSource& random_;
    Ticker& ticker_;
    qint16 somma_ = 0;
    qint16 primoangolo_ = 0;
    ExpectedAnswer valoreesatto_;
    Counts counts_;
    CountdownClock clock_;
    Phase phase_ = Phase::Playing;
    QString player_;
    QString recordScore_;
    QString recordName_;
};

} // namespace sorvane
