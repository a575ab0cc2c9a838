#include "toolkit/qtdialogs.h"

#include "toolkit/boardbox.h"
#include "toolkit/letterpad.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPixmapCache>
#include <QScreen>
#include <QTranslator>
#include <QVBoxLayout>

#include <memory>

namespace sorvane {

namespace {

QMessageBox::Icon qtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Warning:
        return QMessageBox::Warning;
    case BoxIcon::Error:
        return QMessageBox::Critical;
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Boxes are shown over the window once it is on screen; before that they stand on their own.
QWidget* visibleOrNull(QWidget* w)
{
    return w && w->isVisible() ? w : nullptr;
}

// The game's background over the whole of the board's screen, behind the boxes of start-up;
// it goes once the game's window has been painted over it.
class Backdrop : public QWidget
{
public:
    Backdrop(QScreen* screen, QColor background)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        QPalette p = palette();
        p.setColor(QPalette::Window, background);
        setPalette(p);
        setAutoFillBackground(true);
        if (screen) {
            setScreen(screen);
            setGeometry(screen->geometry());
        }
        showFullScreen();
    }

    void giveWayTo(QWidget* window)
    {
        if (window_)
            window_->removeEventFilter(this);
        window_ = window;
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return false;
    }

private:
    QPointer<QWidget> window_;
};

} // namespace

QtDialogs::~QtDialogs()
{
    delete backdrop_;
}

void QtDialogs::setParent(QWidget* parent)
{
    parent_ = parent;
    if (backdrop_ && parent)
        static_cast<Backdrop*>(backdrop_.data())->giveWayTo(parent);
}

void QtDialogs::setBoard(const Board& board)
{
    board_ = board;
    delete backdrop_;
    auto* backdrop = new Backdrop(board.screen, board.background);
    backdrop_ = backdrop;
    if (parent_)
        backdrop->giveWayTo(parent_);
}

QWidget* QtDialogs::owner() const
{
    if (QWidget* window = visibleOrNull(parent_))
        return window;
    return visibleOrNull(backdrop_);
}

QString QtDialogs::input(const QString& prompt, const QString& title)
{
    if (letterPad_ || board_)
        return inputWithPad(prompt, title);
    QInputDialog box(visibleOrNull(parent_));
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(QString());
    box.setInputMode(QInputDialog::TextInput);
    if (box.exec() != QDialog::Accepted)
        return QString();
    return box.textValue();
}

// The input box's prompt, field and buttons, with the letter pad between the field and the
// buttons, all in one box.
QString QtDialogs::inputWithPad(const QString& prompt, const QString& title)
{
    std::unique_ptr<QDialog> made;
    QVBoxLayout* column = nullptr;
    if (board_) {
        auto* own = new BoardBox(title, board_->scale, owner());
        column = new QVBoxLayout;
        own->content()->addLayout(column);
        own->keepWindowMargins(*column);
        made.reset(own);
    } else {
        made = std::make_unique<QDialog>(visibleOrNull(parent_));
        made->setWindowTitle(title);
        column = new QVBoxLayout(made.get());
    }
    QDialog& box = *made;
    auto* label = new QLabel(prompt, &box);
    auto* field = new QLineEdit(&box);
    label->setBuddy(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    column->addWidget(label);
    column->addWidget(field);
    if (letterPad_)
        column->addWidget(new LetterPad(*field, &box));
    column->addWidget(buttons);
    box.layout()->setSizeConstraint(QLayout::SetFixedSize);
    field->setFocus();
    const bool accepted = box.exec() == QDialog::Accepted;
    // The style keeps a picture of each kind of key it drew; none is drawn again.
    QPixmapCache::clear();
    return accepted ? field->text() : QString();
}

void QtDialogs::showMessage(const QString& text, const QString& title, BoxIcon icon)
{
    if (board_) {
        BoardMessage box(text, title, qtIcon(icon), board_->scale, owner());
        box.exec();
        return;
    }
    QMessageBox box(qtIcon(icon), title, text, QMessageBox::Ok, visibleOrNull(parent_));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool installItalianTranslation()
{
    // Lives as long as the application.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace sorvane
