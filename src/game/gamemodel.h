#pragma once

#include "game/answercheck.h"
#include "game/clock.h"
#include "game/question.h"

#include <QObject>
#include <QString>

namespace sorvane {

// The game itself, without a window: the question on screen, the running sum, the counts, the
// time left, the phase, the player's name and the record shown. It takes the player's acts
// (a value pressed, a check, a clock tick, the end) and tells each change once, by its
// signals: the window shows what it tells, and the narration speaks it.
//
//   act                     changes                                   signal
//   startClock()            the clock at full time                    timeChanged
//   setPlayer(name)         the player's name                         playerChanged
//   setRecord(score, name)  the record shown                          recordChanged
//   newQuestion()           sum 0, a new given angle                  questionChanged
//   press(value)            the sum, plus the value                   sumChanged
//   judge()                 nothing: the verdict on the sum
//   count(verdict)          the counts, after the verdict was seen    countsChanged
//   tick()                  a second off the clock                    timeChanged
//   beginEnding(), end()    the phase, which the window asks for
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

    explicit GameModel(RandomSource& random, QObject* parent = nullptr);

    qint16 somma() const { return somma_; }
    qint16 primoangolo() const { return primoangolo_; }
    ExpectedAnswer valoreesatto() const { return valoreesatto_; }
    qint16 esatte() const { return counts_.esatte; }
    qint16 errate() const { return counts_.errate; }
    // Whether any answer has been judged yet.
    bool counted() const { return counts_.esatte > 0 || counts_.errate > 0; }
    const CountdownClock& clock() const { return clock_; }
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
    // Does nothing once the game is no longer played.
    void newQuestion();
    void press(double value);
    Judgement judge() const;
    void count(Verdict verdict);
    void tick();
    void beginEnding();
    void end();

signals:
    void timeChanged();
    void playerChanged();
    void recordChanged();
    void questionChanged();
    void sumChanged();
    void countsChanged();

private:
    RandomSource& random_;
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
