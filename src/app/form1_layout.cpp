// The window as it is created: every control with its place, colours, font and state, the
// menu bar, the stacking and the focus order.

#include "app/form1.h"

#include "app/announcer.h"
#include "app/icons.h"
#include "game/valuebuttons.h"
#include "texts/captions.h"
#include "texts/definitions.h"
#include "toolkit/colors.h"
#include "toolkit/label.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace sorvane {

namespace {

enum class Family
{
    SansSerif,
    Serif,
    Black
};

// Windows fonts mapped to Debian's metric-compatible ones, sized in pixels as at 96 dpi so
// that the fixed layout holds on every screen setting.
QFont makeFont(Family family, int pixels, bool bold)
{
    QFont f;
    switch (family) {
    case Family::SansSerif:
        f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                       QStringLiteral("sans-serif")});
        break;
    case Family::Serif:
        f.setFamilies({QStringLiteral("Liberation Serif"), QStringLiteral("Times New Roman"),
                       QStringLiteral("serif")});
        break;
    case Family::Black:
        f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial Black"),
                       QStringLiteral("sans-serif")});
        break;
    }
    f.setPixelSize(pixels);
    f.setWeight(family == Family::Black ? QFont::Black : (bold ? QFont::Bold : QFont::Normal));
    return f;
}

// The menu bar's commands: the definitions in their order, then the credits, a heading with
// two lines under it, which run nothing.
void addMenuCommands(QMenuBar& bar)
{
    for (const auto& definition : definitions())
        bar.addAction(definition.caption)->setObjectName(QString::fromLatin1(definition.name));
    QMenu* copy = bar.addMenu(credits().heading);
    copy->menuAction()->setObjectName(QStringLiteral("copy"));
    copy->addAction(credits().licensee)->setObjectName(QStringLiteral("scuola"));
    copy->addAction(credits().authors)->setObjectName(QStringLiteral("by"));
}

// The client area, unscaled.
constexpr QSize canvasSize(748, 552);

// Point sizes of the layout at 96 dpi.
constexpr int px8_25 = 11;
constexpr int px9_75 = 13;
constexpr int px13_5 = 18;
constexpr int px15_75 = 21;
constexpr int px18 = 24;
constexpr int px24 = 32;
constexpr int px36 = 48;

// The client area: the kept drawing under all controls.
class Canvas : public QWidget
{
public:
    Canvas(QWidget* parent, const ImageSurface& surface, Scale scale)
        : QWidget(parent), surface_(surface), scale_(scale)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setObjectName(QStringLiteral("Form1"));
    }

    // Where a part of the surface, in unscaled pixels, is on the canvas.
    QRect shown(const QRect& part) const
    {
        return scale_.enlarges() ? scale_(part).adjusted(-1, -1, 1, 1) : part;
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        // Only the dirty part, at the surface's own resolution.
        QPainter p(this);
        if (!scale_.enlarges()) {
            surface_.paint(p, event->rect());
            return;
        }
        const double k = scale_.factor();
        p.scale(k, k);
        const QRectF r = event->rect();
        surface_.paint(p, QRectF(r.topLeft() / k, r.size() / k).toAlignedRect());
    }

private:
    const ImageSurface& surface_;
    Scale scale_;
};

// The board's window: the game centred on the window's background, whatever the screen.
class Backdrop : public QWidget
{
public:
    Backdrop(QColor background, QWidget* game) : background_(background), game_(game)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        game->setParent(this);
    }

protected:
    // Painted, not a palette's: the menu bar keeps the colours it has in a window.
    void paintEvent(QPaintEvent* event) override
    {
        QPainter(this).fillRect(event->rect(), background_);
    }

    void resizeEvent(QResizeEvent*) override
    {
        game_->move(std::max(0, (width() - game_->width()) / 2),
                    std::max(0, (height() - game_->height()) / 2));
    }

private:
    QColor background_;
    QWidget* game_;
};

QToolButton* pictureButton(QWidget* parent, const QString& name, const QString& caption,
                           QRect place, BgrColor face, BgrColor text, const QFont& f,
                           const QIcon& icon, int iconSize)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setAccessibleName(caption);
    b->setGeometry(place);
    b->setFont(f);
    b->setIcon(icon);
    b->setIconSize(QSize(iconSize, iconSize));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setAutoRaise(false);
    QPalette pal = b->palette();
    pal.setColor(QPalette::Button, fromBgr(face));
    pal.setColor(QPalette::ButtonText, fromBgr(text));
    b->setPalette(pal);
    return b;
}

} // namespace

void Form1::buildLayout()
{
    setWindowTitle(QString(92, u' ') + QStringLiteral("Impariamo a riconoscere gli angoli"));
    setWindowIcon(icons::window());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Every place, font and line below is the unscaled layout's, enlarged on the board.
    const Scale k = scale_;
    setFont(makeFont(Family::SansSerif, k(px8_25), false));

    Announcer::installAccessibility();
    auto* canvas = new Canvas(this, *surface_, k);
    canvas->setFixedSize(k(canvasSize));
    setCentralWidget(board_ ? buildBoard(canvas) : canvas);
    surface_->setChangedHandler([canvas](const QRect& r) { canvas->update(canvas->shown(r)); });

    using Look = Label::Look;
    const QFont sans13 = makeFont(Family::SansSerif, px13_5, true);
    auto label = [canvas, k](const char* name, const QString& caption, QRect place, Look look) {
        look.font = k(look.font);
        look.line = k.line();
        return new Label(canvas, QString::fromLatin1(name), caption, k(place), look);
    };
    auto shape = [canvas, k](const char* name, QRect place, QColor fill, QColor border) {
        return new Shape(canvas, QString::fromLatin1(name), k(place), fill, border, k.line());
    };
    const QString placeholder = QStringLiteral("Label3");

    // Controls painted on the window, lowest first: what lies above is created later.

    // Record bar.
    shape("Shape2", {0, 0, 745, 25}, fromBgr(0xC0FFFF), fromBgr(0xFF0000));
    lblpunti = label("lblpunti", placeholder, {656, 0, 81, 65}, Look(0xFF0000, sans13));
    label("Label3", QStringLiteral("con punti"), {544, 0, 105, 33}, Look(0xFF0000, sans13));
    lblnome = label("lblnome", placeholder, {152, 0, 392, 24},
                    Look(0xFF0000, sans13).centre().sizedToText());
    label("Label2", QStringLiteral("Il record è di"), {8, 0, 119, 24},
          Look(0xFF0000, sans13).sizedToText());

    // Title.
    shape("Shape4", {232, 24, 281, 33}, palette().color(QPalette::Base),
          palette().color(QPalette::Text));
    label("Label5", QStringLiteral("Sorvane"), {272, 24, 217, 25}, Look(0xC000C0, sans13));

    // Left column.
    lblangolo = label(
        "lblangolo", QString(), {40, 88, 89, 49},
        Look(0x00C000, makeFont(Family::SansSerif, px24, true)).on(0xFFFF80).centre().bordered());
    label("Label4", QStringLiteral(" Il primo angolo misura gradi."), {0, 24, 241, 169},
          Look(toBgr(palette().color(QPalette::ButtonText)),
               makeFont(Family::SansSerif, px18, true)));
    label("Label7", QStringLiteral("Determina il suo complementare  cliccando sui pulsanti sotto"),
          {8, 144, 177, 105}, Look(0xFF0000, sans13));
    const QFont counts = makeFont(Family::SansSerif, px13_5, false);
    label("Label6(0)", captions::rightAnswers, {8, 336, 131, 28},
          Look(0x00FF00, counts).on(0xFFFF80).centre().bordered().sizedToText());
    const QFont score = makeFont(Family::Serif, px36, true);
    lblScore = label("lblScore", QStringLiteral("0"), {56, 368, 37, 59},
                     Look(0x00FF00, score).on(0xFFFFC0).centre().bordered().sizedToText());
    lblScore->setToolTip(QStringLiteral("Questo è il tuo punteggio. Forza con il  record"));
    label("Label1", QStringLiteral("Sfidante"), {16, 432, 74, 24},
          Look(0xFF00FF, makeFont(Family::Serif, px15_75, true)).centre().sizedToText());
    lblnome1 =
        label("lblnome1", placeholder, {104, 432, 56, 24}, Look(0xFF00FF, counts).sizedToText());

    // Right column.
    label("tempo", captions::timeLeft, {576, 32, 169, 41},
          Look(0x80FFFF, sans13).centre().bordered());
    lblconto = label("lblconto", QStringLiteral("00.00.00"), {592, 88, 137, 41},
                     Look(0x00FFFF, makeFont(Family::Black, px18, true)).centre().bordered());
    auto* image1 = new QLabel(canvas);
    image1->setObjectName(QStringLiteral("Image1(1)"));
    image1->setGeometry(k(QRect(520, 64, 32, 32)));
    image1->setPixmap(icons::decoration().pixmap(k(32), k(32)));
    image1->setAttribute(Qt::WA_TransparentForMouseEvents);
    label("Label6(1)", captions::wrongAnswers, {600, 328, 139, 28},
          Look(0x0000FF, counts).on(0xFFFF00).centre().bordered().sizedToText());
    lblScore1 = label("lblScore1", QStringLiteral("0"), {656, 368, 36, 59},
                      Look(0x0000FF, score).on(0xFFFFC0).centre().bordered().sizedToText());

    // Centre: the running total is one number painted four times with small offsets.
    const QFont total = makeFont(Family::SansSerif, px24, true);
    lbltotal2 =
        label("lbltotal2", QStringLiteral("0"), {240, 312, 137, 113}, Look(0x80FF80, total));
    shape("Shape3", {280, 248, 305, 25}, fromBgr(backColor), fromBgr(backColor));
    lbltotale = label("lbltotale", QStringLiteral("0"), {243, 312, 137, 57}, Look(0xFF8080, total));
    lbltotal3 = label("lbltotal3", QStringLiteral("0"), {242, 312, 145, 97}, Look(0xC00000, total));
    lbltotal4 = label("lbltotal4", QStringLiteral("0"), {244, 312, 113, 97}, Look(0xFFFF00, total));
    // The coloured copies are one number to a screen reader.
    for (Label* copy : {lbltotal2, lbltotale, lbltotal3})
        copy->setAccessibleName(QStringLiteral(" "));

    // What a screen reader reads on demand, each fact over its label; lies under everything.
    auto fact = [this](Narration::Fact which) {
        return [this, which] { return narration_.fact(which); };
    };
    announcer_ =
        new Announcer(canvas, {{lblangolo->geometry(), fact(Narration::Fact::Angle)},
                               {lbltotal4->geometry(), fact(Narration::Fact::Total)},
                               {lblScore->geometry(), fact(Narration::Fact::RightAnswers)},
                               {lblScore1->geometry(), fact(Narration::Fact::WrongAnswers)},
                               {lblconto->geometry(), fact(Narration::Fact::TimeLeft)}});

    // The band behind the value buttons.
    shape("Shape1", {0, 464, 753, 97}, fromBgr(0x400000), fromBgr(0xFF0000));

    // Buttons lie above everything painted on the window.
    const QFont buttonFont = makeFont(Family::SansSerif, k(px8_25), false);
    cmdverifica_ = pictureButton(canvas, QStringLiteral("cmdverifica"), QStringLiteral("Verifica"),
                                 k({24, 248, 105, 73}), 0xFFC0C0, 0x000000, buttonFont,
                                 icons::verifica(), k(32));
    Cmdexit1_ =
        pictureButton(canvas, QStringLiteral("Cmdexit1"), QStringLiteral("Esci"),
                      k({616, 248, 105, 73}), 0xFF00FF, 0x000000, buttonFont, icons::esci(), k(32));
    Cmdexit1_->setToolTip(QStringLiteral("Clliccami per uscire"));

    const QFont valueFont = makeFont(Family::SansSerif, k(px9_75), true);
    for (int i = firstValueButton; i <= lastValueButton; ++i) {
        const ValueButton& value = valueButton(i);
        const QString caption = QString::number(value.value);
        auto* b =
            pictureButton(canvas, QStringLiteral("Option1(%1)").arg(i), caption, k(value.place()),
                          valueFaceColor, value.text, valueFont, icons::value(value.value), k(32));
        // Momentary keys, not options, so not checkable: each press adds its value once, none
        // stays selected, and a screen reader sees a push button whose action presses it.
        b->setToolTip(
            QStringLiteral("Cliccando successivamente sui vari pulsanti otterrai la somma"));
        b->installEventFilter(this);
        b->installEventFilter(&returnPresses_);
        const auto index = static_cast<qint16>(i);
        connect(b, &QToolButton::clicked, this, [this, index] { Option1_Click(index); });
        Option1_[i] = b;
    }
    Option1_[1]->setEnabled(false);
    // Member 0 is the array's hidden template: never shown, never pressed.
    Option1_[0] = new QToolButton(canvas);
    Option1_[0]->setObjectName(QStringLiteral("Option1(0)"));
    Option1_[0]->setText(QStringLiteral("0"));
    Option1_[0]->setGeometry(k(QRect(192, 120, 105, 73)));
    Option1_[0]->setCheckable(true);
    Option1_[0]->setEnabled(false);
    Option1_[0]->hide();

    // Their boxes open once the press has returned (`later`).
    connect(cmdverifica_, &QToolButton::clicked, this,
            [this] { later(&Form1::cmdverifica_Click); });
    connect(Cmdexit1_, &QToolButton::clicked, this, [this] { later(&Form1::Cmdexit1_Click); });
    cmdverifica_->installEventFilter(&returnPresses_);
    Cmdexit1_->installEventFilter(&returnPresses_);

    // Focus order of the controls that can take it.
    const std::array<QWidget*, 13> order{
        Option1_[8], Option1_[9], Option1_[1], Option1_[2],  Option1_[3],  Option1_[4], Option1_[5],
        Option1_[6], Option1_[7], Cmdexit1_,   cmdverifica_, Option1_[10], Option1_[11]};
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    Option1_[8]->setFocus();

    buildMenu();
    if (board_) {
        // The unscaled menu bar's height enlarged, so that the game fits the screen exactly.
        menu_->setFixedHeight(k(board_->menuHeight));
        return;
    }
    // Fixed to the client area and the menu bar, once everything is in place.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

// The menu bar over the canvas, the two enlarged alike and centred in the window.
QWidget* Form1::buildBoard(QWidget* canvas)
{
    auto* game = new QWidget;
    game->setObjectName(QStringLiteral("lavagna"));
    auto* column = new QVBoxLayout(game);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    menu_ = new QMenuBar(game);
    column->addWidget(menu_);
    column->addWidget(canvas);
    game->setFixedSize(board_->fit.place.size());
    return new Backdrop(fromBgr(backColor), game);
}

void Form1::showWindow()
{
    if (!board_) {
        show();
        return;
    }
    setGeometry(screen()->geometry());
    showFullScreen();
}

Form1::Board Form1::fitBoard(QSize available)
{
    QMenuBar bar;
    bar.setFont(makeFont(Family::SansSerif, px8_25, false));
    addMenuCommands(bar);
    const int menuHeight = bar.sizeHint().height();
    return {fitToScreen(available, canvasSize + QSize(0, menuHeight)), menuHeight};
}

void Form1::buildMenu()
{
    if (!menu_)
        menu_ = menuBar();
    addMenuCommands(*menu_);
    const std::array<void (Form1::*)(), 8> handlers{
        &Form1::help_Click,   &Form1::acuto_Click,   &Form1::retto_Click, &Form1::ottuso_Click,
        &Form1::piatto_Click, &Form1::concavo_Click, &Form1::grio_Click,  &Form1::comp_Click};
    for (std::size_t i = 0; i < handlers.size(); ++i) {
        const auto handler = handlers[i];
        connect(menu_->actions().at(qsizetype(i)), &QAction::triggered, this,
                [this, handler] { later(handler); });
    }
}

} // namespace sorvane
