#include "game/sector.h"

#include <utility>

namespace sorvane {

float trasformaradianti(const float& gradi)
{
    return static_cast<float>(pigreco / 2.0 - static_cast<double>(gradi) * pigreco / 180.0);
}

void pigrecoesettore(DrawingSurface& obj, float x, float Y, float radius, BgrColor color,
                     float start_ang, float end_ang)
{
    float lo = trasformaradianti(end_ang);
    float hi = trasformaradianti(start_ang);
    // The primitive marks a radius line through the sign of an end, which an exact 0 lacks.
    if (lo == 0.0f)
        lo = quasizero;
    if (hi == 0.0f)
        hi = quasizero;
    if (lo > hi)
        std::swap(lo, hi);
    // Both edges clockwise past 3 o'clock: bring them into the positive turn.
    if (hi < 0.0f) {
        lo = lo + duepigreco;
        hi = hi + duepigreco;
    }
    if (lo > 0.0f) {
        obj.circle(x, Y, radius, color, -lo, -hi);
        return;
    }
    // The sector contains 3 o'clock, where no negative end can stand: fill it as two pies
    // meeting at 0.01 with their seam in the fill colour, then draw the real outline.
    const float wrapped = lo + duepigreco;
    obj.circle(x, Y, radius, obj.fillColor(), -wrapped, -quasizero);
    obj.circle(x, Y, radius, obj.fillColor(), -quasizero, -hi);
    obj.circle(x, Y, radius, color, -wrapped, quasizero);
    obj.circle(x, Y, radius, color, quasizero, -hi);
}

} // namespace sorvane
