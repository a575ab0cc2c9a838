#pragma once

// The window as it is laid out, as data: every label, shape, picture and button with its place
// in the unscaled client area, caption, colours and font, in the order they are stacked (the
// lowest first), and the focus order. The window is built from it; the tests and the floor
// program read it. The value buttons are in game/valuebuttons.h.

#include "game/bgrcolor.h"
#include "texts/captions.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <stdexcept>
#include <vector>

namespace sorvane::layout {

// The client area, unscaled, under the menu bar.
inline constexpr QSize clientSize(748, 552);

enum class Family
{
    SansSerif, // Arial
    Serif,     // Times New Roman
    Black      // Arial Black
};

// Sized in pixels as at 96 dpi, so that the fixed layout holds on every screen setting.
struct Font
{
    Family family = Family::SansSerif;
    int pixels = 11; // 8.25 points
    bool bold = false;
};

// A colour of the layout: a fixed one, or one the system's palette gives.
struct Colour
{
    enum class System
    {
        None,
        ButtonText,
        Base,
        Text
    };
    BgrColor bgr = 0;
    System system = System::None;
};
constexpr Colour systemColour(Colour::System which)
{
    return {0, which};
}

// How a label lays out its caption: any of these, or'ed.
enum Look : unsigned
{
    Plain = 0,
    Centred = 1,     // centred across the label, else from the left
    Bordered = 2,    // a black line around it
    SizedToText = 4, // resized to its caption whenever the caption changes
};

struct Control
{
    enum class Kind
    {
        Shape,   // a filled rectangle: `back` inside, a `fore` border
        Label,   // `caption` in `fore`, on `back` when it has one
        Picture, // the icon named `icon`
        Button   // `caption` in `fore` on a `back` face, the icon named `icon` above it
    };
    Kind kind;
    QString name;
    QRect place;
    QString caption = {};
    Colour fore = {};
    std::optional<Colour> back = {};
    Font font = {};
    unsigned look = Plain;
    QString tip = {};    // the tooltip, if any
    QString icon = {};   // a picture's or a button's
    QString spoken = {}; // what a screen reader reads instead of the caption, if anything

    bool centred() const { return look & Centred; }
    bool bordered() const { return look & Bordered; }
    bool sizedToText() const { return look & SizedToText; }
};

// The base font of the window, its menu bar and buttons.
inline constexpr Font baseFont{Family::SansSerif, 11, false};

// The value buttons' look, with their places and values from game/valuebuttons.h.
inline constexpr Font valueButtonFont{Family::SansSerif, 13, true};
inline constexpr BgrColor valueButtonFace = 0xC0C000;
inline constexpr BgrColor valueButtonText = 0xFFFF80;
inline const QString valueButtonTip =
    QStringLiteral("Cliccando successivamente sui vari pulsanti otterrai la somma");
// The hidden template of the value buttons' array, member 0.
inline constexpr QRect templatePlace{192, 120, 105, 73};

inline const std::vector<Control>& controls()
{
    using K = Control::Kind;
    using S = Colour::System;
    const Font sans13{Family::SansSerif, 18, true};
    const Font counts{Family::SansSerif, 18, false};
    const Font score{Family::Serif, 48, true};
    const Font total{Family::SansSerif, 32, true};
    const Colour red{0xFF0000};
    const QString placeholder = QStringLiteral("Label3");
    const QString none = QStringLiteral(" "); // nothing to read
    const unsigned boxed = Centred | Bordered;
    // clang-format off
    static const std::vector<Control> all{
        // Record bar.
        {K::Shape, "Shape2",    {0, 0, 745, 25},    {},               red, Colour{0xC0FFFF}},
        {K::Label, "lblpunti",  {656, 0, 81, 65},   placeholder,      red, {}, sans13},
        {K::Label, "Label3",    {544, 0, 105, 33},  "con punti",      red, {}, sans13},
        {K::Label, "lblnome",   {152, 0, 392, 24},  placeholder,      red, {}, sans13, Centred | SizedToText},
        {K::Label, "Label2",    {8, 0, 119, 24},    "Il record è di", red, {}, sans13, SizedToText},
        // Title.
        {K::Shape, "Shape4",    {232, 24, 281, 33}, {},        systemColour(S::Text), systemColour(S::Base)},
        {K::Label, "Label5",    {272, 24, 217, 25}, "Sorvane", Colour{0xC000C0}, {}, sans13},
        // Left column.
        {K::Label, "lblangolo", {40, 88, 89, 49},   {}, Colour{0x00C000}, Colour{0xFFFF80},
         {Family::SansSerif, 32, true}, boxed},
        {K::Label, "Label4",    {0, 24, 241, 169},  " Il primo angolo misura gradi.",
         systemColour(S::ButtonText), {}, {Family::SansSerif, 24, true}},
        {K::Label, "Label7",    {8, 144, 177, 105},
         "Determina il suo complementare  cliccando sui pulsanti sotto", red, {}, sans13},
        {K::Label, "Label6(0)", {8, 336, 131, 28},  captions::rightAnswers,
         Colour{0x00FF00}, Colour{0xFFFF80}, counts, boxed | SizedToText},
        {K::Label, "lblScore",  {56, 368, 37, 59},  "0", Colour{0x00FF00}, Colour{0xFFFFC0}, score,
         boxed | SizedToText, "Questo è il tuo punteggio. Forza con il  record"},
        {K::Label, "Label1",    {16, 432, 74, 24},  "Sfidante", Colour{0xFF00FF}, {},
         {Family::Serif, 21, true}, Centred | SizedToText},
        {K::Label, "lblnome1",  {104, 432, 56, 24}, placeholder, Colour{0xFF00FF}, {}, counts, SizedToText},
        // Right column.
        {K::Label, "tempo",     {576, 32, 169, 41}, captions::timeLeft, Colour{0x80FFFF}, {}, sans13, boxed},
        {K::Label, "lblconto",  {592, 88, 137, 41}, "00.00.00", Colour{0x00FFFF}, {},
         {Family::Black, 24, true}, boxed},
        {K::Picture, "Image1(1)", {520, 64, 32, 32}, {}, {}, {}, {}, Plain, {}, "goniometro"},
        {K::Label, "Label6(1)", {600, 328, 139, 28}, captions::wrongAnswers,
         Colour{0x0000FF}, Colour{0xFFFF00}, counts, boxed | SizedToText},
        {K::Label, "lblScore1", {656, 368, 36, 59}, "0", Colour{0x0000FF}, Colour{0xFFFFC0}, score,
         boxed | SizedToText},
        // Centre: the running total is one number painted four times with small offsets, and
        // one number to a screen reader.
        {K::Label, "lbltotal2", {240, 312, 137, 113}, "0", Colour{0x80FF80}, {}, total, Plain, {}, {}, none},
        {K::Shape, "Shape3",    {280, 248, 305, 25},  {},  Colour{0xC0C000}, Colour{0xC0C000}},
        {K::Label, "lbltotale", {243, 312, 137, 57},  "0", Colour{0xFF8080}, {}, total, Plain, {}, {}, none},
        {K::Label, "lbltotal3", {242, 312, 145, 97},  "0", Colour{0xC00000}, {}, total, Plain, {}, {}, none},
        {K::Label, "lbltotal4", {244, 312, 113, 97},  "0", Colour{0xFFFF00}, {}, total},
        // The band behind the value buttons.
        {K::Shape, "Shape1",    {0, 464, 753, 97},    {},  red, Colour{0x400000}},
        // Buttons lie above everything painted on the window; the value buttons follow.
        {K::Button, "cmdverifica", {24, 248, 105, 73},  "Verifica", Colour{0x000000}, Colour{0xFFC0C0},
         baseFont, Plain, {}, "verifica"},
        {K::Button, "Cmdexit1",    {616, 248, 105, 73}, "Esci",     Colour{0x000000}, Colour{0xFF00FF},
         baseFont, Plain, "Clliccami per uscire", "esci"},
    };
    // clang-format on
    return all;
}

// The control of that name; a name the layout lacks is a fault of the caller.
inline const Control& control(QStringView name)
{
    for (const Control& c : controls()) {
        if (c.name == name)
            return c;
    }
    throw std::out_of_range("no such control in the layout");
}

// The controls that take the focus, in the order Tab moves it: value buttons by their index.
inline const std::array<QString, 13> focusOrder{
    "Option1(8)",  "Option1(9)",  "Option1(1)", "Option1(2)", "Option1(3)",
    "Option1(4)",  "Option1(5)",  "Option1(6)", "Option1(7)", "Cmdexit1",
    "cmdverifica", "Option1(10)", "Option1(11)"};

} // namespace sorvane::layout
