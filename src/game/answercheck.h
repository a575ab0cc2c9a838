#pragma once

#include "game/question.h"
#include "texts/message.h"

#include <QtGlobal>

namespace sorvane {

enum class Verdict
{
    TooBig,
    TooSmall,
    Right
};

struct Judgement
{
    Verdict verdict;
    Message message;
};

// Judges the running sum against the expected answer of the question on screen.
Judgement judge(const ExpectedAnswer& valoreesatto, qint16 somma);

// The counts after a judgement has been seen (held at 32767).
struct Counts
{
    qint16 esatte = 0;
    qint16 errate = 0;
    void count(Verdict verdict);
};

} // namespace sorvane
