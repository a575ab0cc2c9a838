// The window as it is created: every control with its place, colours, font and state, the
// menu bar, the stacking and the focus order.

#include "app/form1.h"

#include "app/announcer.h"
#include "app/icons.h"
#include "app/windowlayout.h"
#include "game/valuebuttons.h"
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

// Windows fonts mapped to Debian's metric-compatible ones, enlarged by `k`.
QFont makeFont(layout::Font font, Scale k = {})
{
    QFont f;
    switch (font.family) {
    case layout::Family::SansSerif:
        f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                       QStringLiteral("sans-serif")});
        break;
    case layout::Family::Serif:
        f.setFamilies({QStringLiteral("Liberation Serif"), QStringLiteral("Times New Roman"),
                       QStringLiteral("serif")});
        break;
    case layout::Family::Black:
        f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial Black"),
                       QStringLiteral("sans-serif")});
        break;
    }
    f.setPixelSize(k(font.pixels));
    f.setWeight(font.family == layout::Family::Black ? QFont::Black
                                                     : (font.bold ? QFont::Bold : QFont::Normal));
    return f;
}

// The layout's pictures by their names.
QIcon iconNamed(const QString& name)
{
    if (name == u"verifica")
        return icons::verifica();
    if (name == u"esci")
        return icons::esci();
    return icons::decoration();
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
                           QRect place, const QFont& f, const QIcon& icon, int iconSize)
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
    setFont(makeFont(layout::baseFont, k));

    Announcer::installAccessibility();
    auto* canvas = new Canvas(this, *surface_, k);
    canvas->setFixedSize(k(layout::clientSize));
    setCentralWidget(board_ ? buildBoard(canvas) : canvas);
    surface_->setChangedHandler([canvas](const QRect& r) { canvas->update(canvas->shown(r)); });

    // Controls painted on the window, lowest first: what lies above is created later.
    for (const layout::Control& c : layout::controls())
        buildControl(canvas, c);
    lblpunti = label(QStringLiteral("lblpunti"));
    lblnome = label(QStringLiteral("lblnome"));
    lblangolo = label(QStringLiteral("lblangolo"));
    lblScore = label(QStringLiteral("lblScore"));
    lblScore1 = label(QStringLiteral("lblScore1"));
    lblnome1 = label(QStringLiteral("lblnome1"));
    lblconto = label(QStringLiteral("lblconto"));
    lbltotale = label(QStringLiteral("lbltotale"));
    lbltotal2 = label(QStringLiteral("lbltotal2"));
    lbltotal3 = label(QStringLiteral("lbltotal3"));
    lbltotal4 = label(QStringLiteral("lbltotal4"));
    cmdverifica_ = canvas->findChild<QToolButton*>(QStringLiteral("cmdverifica"));
    Cmdexit1_ = canvas->findChild<QToolButton*>(QStringLiteral("Cmdexit1"));

    // What a screen reader reads on demand, each fact over its label; lies under the band and
    // the buttons.
    auto fact = [this](Narration::Fact which) {
        return [this, which] { return narration_.fact(which); };
    };
    announcer_ =
        new Announcer(canvas, {{lblangolo->geometry(), fact(Narration::Fact::Angle)},
                               {lbltotal4->geometry(), fact(Narration::Fact::Total)},
                               {lblScore->geometry(), fact(Narration::Fact::RightAnswers)},
                               {lblScore1->geometry(), fact(Narration::Fact::WrongAnswers)},
                               {lblconto->geometry(), fact(Narration::Fact::TimeLeft)}});
    announcer_->stackUnder(canvas->findChild<Shape*>(QStringLiteral("Shape1")));

    for (int i = firstValueButton; i <= lastValueButton; ++i) {
        const ValueButton& value = valueButton(i);
        const QString caption = QString::number(value.value);
        auto* b =
            pictureButton(canvas, QStringLiteral("Option1(%1)").arg(i), caption, k(value.place()),
                          makeFont(layout::valueButtonFont, k), icons::value(value.value), k(32));
        // Momentary keys, not options, so not checkable: each press adds its value once, none
        // stays selected, and a screen reader sees a push button whose action presses it.
        b->setToolTip(layout::valueButtonTip);
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
    Option1_[0]->setGeometry(k(layout::templatePlace));
    Option1_[0]->setCheckable(true);
    Option1_[0]->setEnabled(false);
    Option1_[0]->hide();

    // Their boxes open once the press has returned (`later`).
    connect(cmdverifica_, &QToolButton::clicked, this,
            [this] { later(&Form1::cmdverifica_Click); });
    connect(Cmdexit1_, &QToolButton::clicked, this, [this] { later(&Form1::Cmdexit1_Click); });
    cmdverifica_->installEventFilter(&returnPresses_);
    Cmdexit1_->installEventFilter(&returnPresses_);

    QWidget* previous = nullptr;
    for (const QString& name : layout::focusOrder) {
        auto* next = canvas->findChild<QWidget*>(name);
        if (previous)
            setTabOrder(previous, next);
        else
            next->setFocus();
        previous = next;
    }

    buildMenu();
    if (board_) {
        // The unscaled menu bar's height enlarged, so that the game fits the screen exactly.
        menu_->setFixedHeight(k(board_->menuHeight));
        return;
    }
    // Fixed to the client area and the menu bar, once everything is in place.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

// One control of the layout on the canvas, enlarged by the window's factor.
void Form1::buildControl(QWidget* canvas, const layout::Control& c)
{
    const Scale k = scale_;
    const auto colour = [this](const layout::Colour& c) {
        switch (c.system) {
        case layout::Colour::System::ButtonText:
            return palette().color(QPalette::ButtonText);
        case layout::Colour::System::Base:
            return palette().color(QPalette::Base);
        case layout::Colour::System::Text:
            return palette().color(QPalette::Text);
        case layout::Colour::System::None:
            break;
        }
        return fromBgr(c.bgr);
    };
    switch (c.kind) {
    case layout::Control::Kind::Shape:
        new Shape(canvas, c.name, k(c.place), colour(*c.back), colour(c.fore), k.line());
        return;
    case layout::Control::Kind::Label: {
        Label::Look look(toBgr(colour(c.fore)), makeFont(c.font, k));
        look.line = k.line();
        if (c.back)
            look.on(toBgr(colour(*c.back)));
        if (c.centred())
            look.centre();
        if (c.bordered())
            look.bordered();
        if (c.sizedToText())
            look.sizedToText();
        auto* l = new Label(canvas, c.name, c.caption, k(c.place), look);
        if (!c.tip.isEmpty())
            l->setToolTip(c.tip);
        if (!c.spoken.isEmpty())
            l->setAccessibleName(c.spoken);
        return;
    }
    case layout::Control::Kind::Picture: {
        auto* image = new QLabel(canvas);
        image->setObjectName(c.name);
        image->setGeometry(k(c.place));
        image->setPixmap(iconNamed(c.icon).pixmap(k(c.place.size())));
        image->setAttribute(Qt::WA_TransparentForMouseEvents);
        return;
    }
    case layout::Control::Kind::Button: {
        auto* b = pictureButton(canvas, c.name, c.caption, k(c.place), makeFont(c.font, k),
                                iconNamed(c.icon), k(32));
        QPalette pal = b->palette();
        pal.setColor(QPalette::Button, colour(*c.back));
        pal.setColor(QPalette::ButtonText, colour(c.fore));
        b->setPalette(pal);
        if (!c.tip.isEmpty())
            b->setToolTip(c.tip);
        return;
    }
    }
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
    bar.setFont(makeFont(layout::baseFont));
    addMenuCommands(bar);
    const int menuHeight = bar.sizeHint().height();
    return {fitToScreen(available, layout::clientSize + QSize(0, menuHeight)), menuHeight};
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
