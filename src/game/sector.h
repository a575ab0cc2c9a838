#pragma once

#include "game/bgrcolor.h"

namespace sorvane {

// What the figure is drawn on. Circle() works in radians, 0 at 3 o'clock, growing
// counterclockwise: it draws the arc from |start| counterclockwise to |end| in the given colour,
// a radius line for every end given as a negative number, and when both ends are negative it
// fills the closed pie with the current fill colour.
class DrawingSurface
{
public:
    virtual ~DrawingSurface() = default;
    virtual BgrColor fillColor() const = 0;
    virtual void setFillColor(BgrColor color) = 0;
    virtual void circle(float x, float y, float radius, BgrColor color, float start, float end) = 0;
};

// The program's own constants.
inline constexpr double pigreco = 3.14159265;
inline constexpr float duepigreco = 6.2831853f;
inline constexpr float quasizero = 0.01f; // stands in for an exact zero angle

// A game angle (degrees from 12 o'clock, clockwise) as the primitive takes it.
float trasformaradianti(const float& gradi);

// Draws the pie sector between two game angles (either order), filled with the surface's
// fill colour and outlined in `color`. Sectors across 3 o'clock are drawn as two pies with the
// seam in the fill colour, so every sector from 0 to 360 degrees comes out as one clean pie.
void pigrecoesettore(DrawingSurface& obj, float x, float Y, float radius, BgrColor color,
                     float start_ang, float end_ang);

} // namespace sorvane
