#pragma once

#include <QString>

namespace sorvane::captions {

// The window's captions that a screen reader also says, in one spelling for both.
inline const QString rightAnswers = QStringLiteral("Risposte esatte");
inline const QString wrongAnswers = QStringLiteral("Risposte errate");
inline const QString timeLeft = QStringLiteral("Tempo restante");

} // namespace sorvane::captions
