#include "game/gamemodel.h"

#include "game/numbers.h"
#include "game/valuebuttons.h"

namespace sorvane {

GameModel::GameModel(RandomSource& random, Ticker& ticker, QObject* parent)
    : QObject(parent), random_(random), ticker_(ticker)
{
}

QString GameModel::scoreText() const
{
    return decimalText(counts_.esatte);
}

void GameModel::reseed()
{
    random_.reseed();
}

void GameModel::startClock()
{
    if (!playing())
        return;
    clock_.start();
    ticker_.start([this] { tick(); });
    emit timeChanged();
}

void GameModel::setPlayer(const QString& name)
{
    player_ = name;
    emit playerChanged();
}

void GameModel::setRecord(const QString& score, const QString& name)
{
    if (!playing())
        return;
    recordScore_ = score;
    recordName_ = name;
    emit recordChanged();
}

void GameModel::newQuestion()
{
    if (!playing())
        return;
    if (somma_ != 0) {
        somma_ = 0;
        emit sumCleared();
    }
    random_.reseed();
    primoangolo_ = givenAngleFor(random_.next());
    valoreesatto_ = complementOf(primoangolo_);
    emit questionChanged();
}

void GameModel::press(int index)
{
    if (!playing() || !isValueButton(index))
        return;
    somma_ = addInt16(somma_, valueButton(index).value);
    emit sumChanged();
}

void GameModel::verifica(const std::function<void(const Message&)>& show)
{
    if (!playing())
        return;
    const qint16 built = somma_;
    somma_ = 0;
    emit sumCleared();
    const Judgement j = judge(valoreesatto_, built);
    show(j.message);
    if (!playing()) // the time ran out, or the window was closed, while the verdict was open
        return;
    counts_.count(j.verdict);
    emit countsChanged();
    newQuestion();
}

void GameModel::tick()
{
    if (!playing())
        return;
    // The second that finds the clock at its end, as the clock's label shows it, ends the
    // game instead of counting.
    if (CountdownClock::showsEnd(clock_.text())) {
        finish();
        return;
    }
    clock_.tick();
    emit timeChanged();
}

bool GameModel::finish()
{
    if (!playing())
        return false;
    phase_ = Phase::Ending;
    ticker_.stop();
    emit ending();
    return true;
}

void GameModel::end()
{
    phase_ = Phase::Ended;
    ticker_.stop();
}

} // namespace sorvane
