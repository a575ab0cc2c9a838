#include "texts/definitions.h"

namespace sorvane {

const std::array<Definition, 8>& definitions()
{
    // The texts are the game's own, blanks and wording exactly as the pupils have always
    // read them.
    static const std::array<Definition, 8> table{{
        {"help",
         QStringLiteral("Help"),
         {QStringLiteral(
              "Per iniziare a giocare clicca  su uno dei pulsante in basso, il suo valore verrà "
              "sommato al valore del pulsante successivo su cui avrai cliccato; quando sei "
              "sicuro di aver raggiunto l'ampiezza esatta clicca su verifica"),
          QStringLiteral("Riconosciamo gli Sorvane"), BoxIcon::Information}},
        {"acuto",
         QStringLiteral("Angolo acuto"),
         {QStringLiteral(" Un angolo si dice acuto se è minore di un angolo retto"),
          {},
          BoxIcon::None}},
        {"retto",
         QStringLiteral("Angolo retto"),
         {QStringLiteral(" Un angolo si dice retto se la sua ampiezza è di 90°"),
          {},
          BoxIcon::None}},
        {"ottuso",
         QStringLiteral("Angolo ottuso"),
         {QStringLiteral(" Un angolo si dice ottuso se è maggiore di un angolo retto, ma è "
                         "minore di un angolo piatto"),
          {},
          BoxIcon::None}},
        {"piatto",
         QStringLiteral("Angolo piatto"),
         {QStringLiteral(" Un angolo si dice piatto se la sua ampiezza è di 180°"),
          {},
          BoxIcon::None}},
        {"concavo",
         QStringLiteral("Angolo concavo"),
         {QStringLiteral("Un angolo si dice concavo se contiene i prolungamenti dei suoi lati "
                         "ed è quindi maggiore di un angolo piatto"),
          {},
          BoxIcon::None}},
        {"grio",
         QStringLiteral("Angolo giro"),
         {QStringLiteral(" Un angolo si dice giro quando la sua ampezza è di 360°"),
          {},
          BoxIcon::None}},
        {"comp",
         QStringLiteral("Sorvane"),
         {QStringLiteral(
              "Due angoli sono complementari se la loro somma è 90°, ossia un angolo retto"),
          {},
          BoxIcon::None}},
    }};
    return table;
}

const Credits& credits()
{
    static const Credits c{QStringLiteral("Crediti"), QStringLiteral("Concesso in uso alle scuole"),
                           QStringLiteral("Realizzato dagli sviluppatori di Sorvane")};
    return c;
}

} // namespace sorvane
