#include "toolkit/label.h"

#include "toolkit/colors.h"

#include <QPainter>

namespace sorvane {

namespace {

// Line ends as the painter understands them; the caption itself keeps its CR LF.
QString displayed(QString caption)
{
    caption.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    caption.replace(u'\r', u'\n');
    return caption;
}

// A border `width` pixels wide around a widget's whole area: four bars, the painter's fastest
// path, cheaper than a style's frame.
void paintBorder(QPainter& p, const QWidget& w, int width, const QColor& colour)
{
    const int x = w.width(), y = w.height(), b = width;
    for (const QRect& bar : {QRect(0, 0, x, b), QRect(0, y - b, x, b), QRect(0, b, b, y - 2 * b),
                             QRect(x - b, b, b, y - 2 * b)})
        p.fillRect(bar, colour);
}

} // namespace

Label::Label(QWidget* parent, const QString& objectName, const QString& caption, QRect place,
             const Look& look)
    : QLabel(parent), caption_(caption), border_(look.border ? look.line : 0),
      sizesToText_(look.sizesToText)
{
    setObjectName(objectName);
    setTextFormat(Qt::PlainText);
    setFont(look.font);
    setAlignment(Qt::AlignTop | (look.centred ? Qt::AlignHCenter : Qt::AlignLeft));
    setWordWrap(look.wordWrap && !look.sizesToText);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, fromBgr(look.text));
    if (look.background) {
        pal.setColor(QPalette::Window, fromBgr(*look.background));
        setAutoFillBackground(true);
    }
    setPalette(pal);
    if (border_)
        setContentsMargins(border_, border_, border_, border_);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(place);
    setText(displayed(caption));
}

void Label::setCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    setText(displayed(caption));
    if (sizesToText_)
        resize(sizeHint());
}

void Label::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (border_) {
        QPainter p(this);
        paintBorder(p, *this, border_, Qt::black);
    }
}

Shape::Shape(QWidget* parent, const QString& objectName, QRect place, QColor fill, QColor border,
             int line)
    : QWidget(parent), fill_(fill), border_(border), line_(line)
{
    setObjectName(objectName);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(place);
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), fill_);
    paintBorder(p, *this, line_, border_);
}

} // namespace sorvane
