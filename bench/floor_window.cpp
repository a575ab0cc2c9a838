#include "floor_window.h"

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

QFont font(const char* family, int pixels, QFont::Weight weight)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setWeight(weight);
    return f;
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
QLabel* label(QWidget* parent, const QString& text, QRect place, quint32 colour, const QFont& f,
              bool centred, bool bordered, int background = -1)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(place);
    l->setFont(f);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignTop | (centred ? Qt::AlignHCenter : Qt::AlignLeft));
    l->setForegroundRole(QPalette::Text);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Text, rgb(colour));
    pal.setColor(QPalette::WindowText, Qt::black);
    if (background >= 0) {
        pal.setColor(QPalette::Window, rgb(quint32(background)));
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
    w.setFont(font("Liberation Sans", 11, QFont::Normal));

    auto* area = new Pies(&w);
    area->setFixedSize(748, 552);
    w.setCentralWidget(area);

    const QFont sans13 = font("Liberation Sans", 18, QFont::Bold);
    const QFont counts = font("Liberation Sans", 18, QFont::Normal);
    const QFont score = font("Liberation Serif", 48, QFont::Bold);
    const QFont total = font("Liberation Sans", 32, QFont::Bold);
    shape(area, {0, 0, 745, 25}, rgb(0xC0FFFF), rgb(0xFF0000));
    label(area, QString(), {656, 0, 81, 65}, 0xFF0000, sans13, false, false);
    label(area, QStringLiteral("con punti"), {544, 0, 105, 33}, 0xFF0000, sans13, false, false);
    label(area, QString(), {152, 0, 392, 24}, 0xFF0000, sans13, true, false);
    label(area, QStringLiteral("Il record è di"), {8, 0, 119, 24}, 0xFF0000, sans13, false, false);
    shape(area, {232, 24, 281, 33}, Qt::white, Qt::black);
    label(area, QStringLiteral("Sorvane"), {272, 24, 217, 25}, 0xC000C0, sans13, false, false);
    label(area, QStringLiteral("45"), {40, 88, 89, 49}, 0x00C000,
          font("Liberation Sans", 32, QFont::Bold), true, true, 0xFFFF80);
    label(area, QStringLiteral(" Il primo angolo misura gradi."), {0, 24, 241, 169}, 0x000000,
          font("Liberation Sans", 24, QFont::Bold), false, false);
    label(area, QStringLiteral("Determina il suo complementare  cliccando sui pulsanti sotto"),
          {8, 144, 177, 105}, 0xFF0000, sans13, false, false);
    label(area, QStringLiteral("Risposte esatte"), {8, 336, 131, 28}, 0x00FF00, counts, true, true,
          0xFFFF80);
    label(area, QStringLiteral("0"), {56, 368, 37, 59}, 0x00FF00, score, true, true, 0xFFFFC0);
    label(area, QStringLiteral("Sfidante"), {16, 432, 74, 24}, 0xFF00FF,
          font("Liberation Serif", 21, QFont::Bold), true, false);
    label(area, QStringLiteral("Anna"), {104, 432, 56, 24}, 0xFF00FF, counts, false, false);
    label(area, QStringLiteral("Tempo restante"), {576, 32, 169, 41}, 0x80FFFF, sans13, true, true);
    floor.clock = label(area, QStringLiteral("00:15:00"), {592, 88, 137, 41}, 0x00FFFF,
                        font("Liberation Sans", 24, QFont::Black), true, true);
    auto* image = new QLabel(area);
    image->setGeometry(520, 64, 32, 32);
    image->setPixmap(picture(QStringLiteral("goniometro"), 60).pixmap(32, 32));
    label(area, QStringLiteral("Risposte errate"), {600, 328, 139, 28}, 0x0000FF, counts, true,
          true, 0xFFFF00);
    label(area, QStringLiteral("0"), {656, 368, 36, 59}, 0x0000FF, score, true, true, 0xFFFFC0);
    label(area, QStringLiteral("0"), {240, 312, 137, 113}, 0x80FF80, total, false, false);
    shape(area, {280, 248, 305, 25}, rgb(0xC0C000), rgb(0xC0C000));
    label(area, QStringLiteral("0"), {243, 312, 137, 57}, 0xFF8080, total, false, false);
    label(area, QStringLiteral("0"), {242, 312, 145, 97}, 0xC00000, total, false, false);
    label(area, QStringLiteral("0"), {244, 312, 113, 97}, 0xFFFF00, total, false, false);
    shape(area, {0, 464, 753, 97}, rgb(0x400000), rgb(0xFF0000));

    const QFont small = font("Liberation Sans", 11, QFont::Normal);
    button(area, QStringLiteral("Verifica"), {24, 248, 105, 73}, 0xFFC0C0, 0x000000, small,
           picture(QStringLiteral("verifica"), 90));
    button(area, QStringLiteral("Esci"), {616, 248, 105, 73}, 0xFF00FF, 0x000000, small,
           picture(QStringLiteral("esci"), 0));
    static constexpr std::array<int, 11> lefts{5, 72, 139, 206, 273, 340, 408, 475, 542, 610, 680};
    static constexpr std::array<int, 11> values{1, 2, 3, 5, 10, 20, 30, 40, 50, 60, 70};
    const QFont valueFont = font("Liberation Sans", 13, QFont::Bold);
    for (std::size_t i = 0; i < values.size(); ++i)
        button(area, QString::number(values[i]), {lefts[i], 472, 65, 70}, 0xC0C000, 0xFFFF00,
               valueFont, quarterIcon(values[i]))
            ->setCheckable(true);

    for (const auto& d : sorvane::definitions())
        w.menuBar()->addAction(d.caption);
    QMenu* credits = w.menuBar()->addMenu(sorvane::credits().heading);
    credits->addAction(sorvane::credits().licensee);
    credits->addAction(sorvane::credits().authors);
    w.layout()->setSizeConstraint(QLayout::SetFixedSize);
    return floor;
}
