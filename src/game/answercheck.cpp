#include "game/answercheck.h"

#include "game/numbers.h"

namespace sorvane {

Judgement judge(const ExpectedAnswer& valoreesatto, qint16 somma)
{
    const QString expected = expectedText(valoreesatto);
    const double e = leadingNumber(expected);
    const double s = somma;
    if (e < s) {
        return {Verdict::TooBig,
                {QStringLiteral(" Hai raggiunto un valore maggiore. Il valore esatto era ") +
                     expected + u'°',
                 QStringLiteral("Attenzione"), BoxIcon::Error}};
    }
    if (e > s) {
        return {Verdict::TooSmall,
                {QStringLiteral("Fai attenzione, hai sbagliato. Il valore esatto era ") + expected +
                     u'°',
                 QStringLiteral("Attenzione"), BoxIcon::Error}};
    }
    return {
        Verdict::Right,
        {QStringLiteral(" Ok "), QStringLiteral("Giochiamo con gli angoli"), BoxIcon::Information}};
}

void Counts::count(Verdict verdict)
{
    if (verdict == Verdict::Right)
        esatte = addInt16(esatte, 1);
    else
        errate = addInt16(errate, 1);
}

} // namespace sorvane
