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
        // Four bars: the painter's fastest path, cheaper than a style's frame.
        QPainter p(this);
        const int w = width(), h = height(), b = border_;
        p.fillRect(0, 0, w, b, Qt::black);
        p.fillRect(0, h - b, w, b, Qt::black);
        p.fillRect(0, b, b, h - 2 * b, Qt::black);
        p.fillRect(w - b, b, b, h - 2 * b, Qt::black);
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
    if (line_ == 1) {
        p.setPen(border_);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    } else {
        const int w = width(), h = height(), b = line_;
        for (const QRect& bar : {QRect(0, 0, w, b), QRect(0, h - b, w, b),
                                 QRect(0, b, b, h - 2 * b), QRect(w - b, b, b, h - 2 * b)})
            p.fillRect(bar, border_);
    }
}

} // namespace sorvane
