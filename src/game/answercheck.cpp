#include "game/answercheck.h"

#include "game/numbers.h"
#include "texts/boxtexts.h"

namespace sorvane {

Judgement judge(const ExpectedAnswer& valoreesatto, qint16 somma)
{
    const QString expected = expectedText(valoreesatto);
    const double e = leadingNumber(expected);
    const double s = somma;
    if (e < s)
        return {Verdict::TooBig, sumTooBig(expected)};
    if (e > s)
        return {Verdict::TooSmall, sumTooSmall(expected)};
    return {Verdict::Right, sumRight()};
}

void Counts::count(Verdict verdict)
{
    if (verdict == Verdict::Right)
        esatte = addInt16(esatte, 1);
    else
        errate = addInt16(errate, 1);
}

} // namespace sorvane
