#include "game/narration.h"

#include "game/numbers.h"
#include "texts/spoken.h"

namespace sorvane {

Narration::Narration(const GameModel& model, QObject* parent) : QObject(parent), model_(model)
{
    connect(&model, &GameModel::questionChanged, this, [this] {
        const QString angle = fact(Fact::Angle);
        emit said(model_.counted() ? spoken::counts(model_.esatte(), model_.errate()) + u' ' + angle
                                   : angle);
    });
    connect(&model, &GameModel::sumChanged, this,
            [this] { emit said(decimalText(model_.somma())); });
    connect(&model, &GameModel::timeChanged, this, [this] {
        if (model_.clock().isMilestone())
            emit said(fact(Fact::TimeLeft));
    });
}

QString Narration::fact(Fact which) const
{
    switch (which) {
    case Fact::Angle:
        return model_.primoangolo() > 0 ? spoken::angle(model_.primoangolo()) : QString();
    case Fact::Total:
        return spoken::total(model_.somma());
    case Fact::RightAnswers:
        return spoken::rightAnswers(model_.esatte());
    case Fact::WrongAnswers:
        return spoken::wrongAnswers(model_.errate());
    case Fact::TimeLeft:
        return spoken::timeLeft(model_.clock().spokenText());
    }
    return {};
}

} // namespace sorvane
