#include "game/gamemodel.h"

#include "game/numbers.h"

namespace sorvane {

GameModel::GameModel(RandomSource& random, QObject* parent) : QObject(parent), random_(random) {}

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
    clock_.start();
    emit timeChanged();
}

void GameModel::setPlayer(const QString& name)
{
    player_ = name;
    emit playerChanged();
}

void GameModel::setRecord(const QString& score, const QString& name)
{
    recordScore_ = score;
    recordName_ = name;
    emit recordChanged();
}

void GameModel::newQuestion()
{
    if (!playing())
        return;
    somma_ = 0;
    random_.reseed();
    primoangolo_ = givenAngleFor(random_.next());
    valoreesatto_ = complementOf(primoangolo_);
    emit questionChanged();
}

void GameModel::press(double value)
{
    if (!playing())
        return;
    somma_ = addInt16(somma_, value);
    emit sumChanged();
}

Judgement GameModel::judge() const
{
    return sorvane::judge(valoreesatto_, somma_);
}

void GameModel::count(Verdict verdict)
{
    counts_.count(verdict);
    emit countsChanged();
}

void GameModel::tick()
{
    clock_.tick();
    emit timeChanged();
}

void GameModel::beginEnding()
{
    phase_ = Phase::Ending;
}

void GameModel::end()
{
    phase_ = Phase::Ended;
}

} // namespace sorvane
