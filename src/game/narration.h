#pragma once

#include "game/gamemodel.h"

#include <QObject>
#include <QString>

namespace sorvane {

// What a screen reader is told of the game, and the one place that composes it. By itself,
// once, as the model changes: the new angle, after the counts once there are any; the total
// after each press; the time left at the clock's spoken milestones. And each fact again, when
// the screen reader asks for it.
class Narration : public QObject
{
    Q_OBJECT

public:
    explicit Narration(const GameModel& model, QObject* parent = nullptr);

    enum class Fact
    {
        Angle,
        Total,
        RightAnswers,
        WrongAnswers,
        TimeLeft
    };
    QString fact(Fact which) const;

signals:
    void said(const QString& text);

private:
    const GameModel& model_;
};

} // namespace sorvane
