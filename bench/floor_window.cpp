#include "floor_window.h"

#include "app/windowlayout.h"
#include "game/valuebuttons.h"
#include "texts/definitions.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolButton>

#include <array>
#include <map>

namespace {

QColor rgb(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QFont font(sorvane::layout::Font from)
{
    using sorvane::layout::Family;
    QFont f(from.family == Family::Serif ? QStringLiteral("Liberation Serif")
                                         : QStringLiteral("Liberation Sans"));
    f.setPixelSize(from.pixels);
    f.setWeight(from.family == Family::Black ? QFont::Black
                                             : (from.bold ? QFont::Bold : QFont::Normal));
    return f;
}

// A colour of the layout; the system's are the default palette's.
QColor colour(const sorvane::layout::Colour& c, QColor system)
{
    return c.system == sorvane::layout::Colour::System::None ? rgb(c.bgr) : system;
}

// The client area: background and the question's two pies, painted on every repaint.
class Pies : public QWidget
{
public:
    explicit Pies(QWidget* parent) : QWidget(parent)
    {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, rgb(0xC0C000));
        setPalette(pal);
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRectF box(160, 60, 380, 380);
        p.setPen(rgb(0x00FF00));
        p.setBrush(rgb(0x800000));
        p.drawPie(box, 0, 90 * 16);
        p.setPen(Qt::black);
        p.setBrush(rgb(0x008000));
        p.drawPie(box, 60 * 16, 30 * 16);
    }
};

// A label; a bordered one has a one-pixel black box around it.
QLabel* label(QWidget* parent, const QString& text, QRect place, QColor colour, const QFont& f,
              bool centred, bool bordered, QColor background)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(place);
    l->setFont(f);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignTop | (centred ? Qt::AlignHCenter : Qt::AlignLeft));
    l->setForegroundRole(QPalette::Text);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Text, colour);
    pal.setColor(QPalette::WindowText, Qt::black);
    if (background.isValid()) {
        pal.setColor(QPalette::Window, background);
        l->setAutoFillBackground(true);
    }
    l->setPalette(pal);
    if (bordered)
        l->setFrameStyle(QFrame::Box | QFrame::Plain);
    return l;
}

// A filled rectangle with a border.
void shape(QWidget* parent, QRect place, QColor fill, QColor border)
{
    auto* s = new QFrame(parent);
    s->setGeometry(place);
    s->setFrameStyle(QFrame::Box | QFrame::Plain);
    QPalette pal = s->palette();
    pal.setColor(QPalette::Window, fill);
    pal.setColor(QPalette::WindowText, border);
    s->setPalette(pal);
    s->setAutoFillBackground(true);
}

// A 32 x 32 icon: a quarter disc with `degrees` of it in another colour. Drawn once per
// process, as the game makes its icons.
QIcon quarterIcon(int degrees)
{
    static std::map<int, QIcon> made;
    if (const auto it = made.find(degrees); it != made.end())
        return it->second;
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(-24, 6, 52, 52);
    p.setBrush(QColor(0, 0, 128));
    p.drawPie(box, 0, 90 * 16);
    p.setBrush(QColor(255, 200, 0));
    p.drawPie(box, (90 - degrees) * 16, degrees * 16);
    p.end();
    return made[degrees] = QIcon(pixmap);
}

// One of the game's picture files, loaded the plain way, when the program carries it (under
// :/icons, in whatever format); else the quarter disc. Loaded once per process, as the game
// loads its own.
QIcon picture(const QString& name, int degrees)
{
    static std::map<QString, QIcon> made;
    if (const auto it = made.find(name); it != made.end())
        return it->second;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& file : icons.entryList(QDir::Files)) {
        if (QFileInfo(file).completeBaseName() == name)
            return made[name] = QIcon(icons.filePath(file));
    }
    return made[name] = quarterIcon(degrees);
}

QToolButton* button(QWidget* parent, const QString& caption, QRect place, quint32 face,
                    quint32 text, const QFont& f, const QIcon& icon)
{
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setGeometry(place);
    b->setFont(f);
    b->setIcon(icon);
    b->setIconSize(QSize(32, 32));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QPalette pal = b->palette();
    pal.setColor(QPalette::Button, rgb(face));
    pal.setColor(QPalette::ButtonText, rgb(text));
    b->setPalette(pal);
    return b;
}

} // namespace

FloorWindow makeFloorWindow()
{
    FloorWindow floor;
    floor.window = std::make_unique<QMainWindow>();
    QMainWindow& w = *floor.window;
    w.setWindowTitle(QString(92, u' ') + QStringLiteral("Impariamo a riconoscere gli angoli"));
    w.setWindowIcon(picture(QStringLiteral("sorvane"), 30));
    w.setFont(font(sorvane::layout::baseFont));

    auto* area = new Pies(&w);
    area->setFixedSize(sorvane::layout::clientSize);
    w.setCentralWidget(area);

    // The window's layout as the game's shows it after start-up, in stock widgets.
    const std::map<QString, QString> shown{
        {QStringLiteral("lblpunti"), QString()},
        {QStringLiteral("lblnome"), QString()},
        {QStringLiteral("lblangolo"), QStringLiteral("45")},
        {QStringLiteral("lblnome1"), QStringLiteral("Anna")},
        {QStringLiteral("lblconto"), QStringLiteral("00:15:00")}};
    using Kind = sorvane::layout::Control::Kind;
    for (const sorvane::layout::Control& c : sorvane::layout::controls()) {
        const auto it = shown.find(c.name);
        const QString caption = it == shown.end() ? c.caption : it->second;
        switch (c.kind) {
        case Kind::Shape:
            shape(area, c.place, colour(*c.back, Qt::white), colour(c.fore, Qt::black));
            break;
        case Kind::Label: {
            QLabel* l =
                label(area, caption, c.place, colour(c.fore, Qt::black), font(c.font), c.centred(),
                      c.bordered(), c.back ? colour(*c.back, Qt::white) : QColor());
            if (c.name == u"lblconto")
                floor.clock = l;
            break;
        }
        case Kind::Picture: {
            auto* image = new QLabel(area);
            image->setGeometry(c.place);
            image->setPixmap(picture(QStringLiteral("goniometro"), 60).pixmap(c.place.size()));
            break;
        }
        case Kind::Button:
            button(area, caption, c.place, c.back->bgr, c.fore.bgr, font(c.font),
                   picture(c.icon, c.icon == u"verifica" ? 90 : 0));
            break;
        }
    }
    const QFont valueFont = font(sorvane::layout::valueButtonFont);
    for (const sorvane::ValueButton& b : sorvane::valueButtons)
        button(area, QString::number(b.value), b.place(), sorvane::layout::valueButtonFace,
               sorvane::layout::valueButtonText, valueFont, quarterIcon(b.value))
            ->setCheckable(true);

    for (const auto& d : sorvane::definitions())
        w.menuBar()->addAction(d.caption);
    QMenu* credits = w.menuBar()->addMenu(sorvane::credits().heading);
    credits->addAction(sorvane::credits().licensee);
    credits->addAction(sorvane::credits().authors);
    w.layout()->setSizeConstraint(QLayout::SetFixedSize);
    return floor;
}
