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

} // namespace

Label::Label(QWidget* parent, const QString& objectName, const QString& caption, QRect place,
             const Look& look)
    : QLabel(parent), caption_(caption), border_(look.border), sizesToText_(look.sizesToText)
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
        setContentsMargins(1, 1, 1, 1);
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
        // Four one-pixel bars: the painter's fastest path, cheaper than a style's frame.
        QPainter p(this);
        const int w = width(), h = height();
        p.fillRect(0, 0, w, 1, Qt::black);
        p.fillRect(0, h - 1, w, 1, Qt::black);
        p.fillRect(0, 1, 1, h - 2, Qt::black);
        p.fillRect(w - 1, 1, 1, h - 2, Qt::black);
    }
}

Shape::Shape(QWidget* parent, const QString& objectName, QRect place, QColor fill, QColor border)
    : QWidget(parent), fill_(fill), border_(border)
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
    p.setPen(border_);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace sorvane
