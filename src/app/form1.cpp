#include "app/form1.h"

#include "app/announcer.h"
#include "app/windowlayout.h"
#include "game/valuebuttons.h"

#include "game/numbers.h"
#include "records/recordkeeper.h"
#include "texts/boxtexts.h"
#include "texts/definitions.h"
#include "toolkit/colors.h"
#include "toolkit/label.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>

namespace sorvane {

namespace {
const QString startTitle = QStringLiteral("Riconosciamo gli angoli");

// While the record keeper reads or stores the record: the window keeps painting, but takes no
// click or key meanwhile.
void waitPainting(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
} // namespace

Form1::Form1(Dialogs& dialogs, RandomSource& random, QString recordFolder,
             std::function<void()> quit, QWidget* parent, std::optional<Board> board,
             Ticker* ticker)
    : QMainWindow(parent), dialogs_(dialogs), recordFolder_(std::move(recordFolder)),
      quit_(std::move(quit)), board_(board), scale_(board ? board->fit.scale : Scale()),
      model_(random, ticker ? *ticker : Timer1_), narration_(model_), waiting_(this)
{
    // Only the part of the client area that the figure can cover is kept, in the unscaled
    // layout's pixels, at the resolution it is shown at.
    surface_ = std::make_unique<ImageSurface>(figure::area(), devicePixelRatioF() * scale_.factor(),
                                              backColor, scale_.line());
    buildLayout();
    showModel();
}

Form1::~Form1() = default;

// What the labels and the figure show, and what the screen reader is told, as the model
// changes.
void Form1::showModel()
{
    connect(&model_, &GameModel::timeChanged, this,
            [this] { lblconto->setCaption(model_.clock().text()); });
    connect(&model_, &GameModel::playerChanged, this,
            [this] { lblnome1->setCaption(model_.player()); });
    connect(&model_, &GameModel::recordChanged, this, [this] {
        lblpunti->setCaption(model_.recordScore());
        lblnome->setCaption(model_.recordName());
    });
    connect(&model_, &GameModel::countsChanged, this, [this] {
        lblScore1->setCaption(decimalText(model_.errate()));
        lblScore->setCaption(decimalText(model_.esatte()));
    });
    connect(&model_, &GameModel::sumChanged, this, &Form1::showTotals);
    connect(&model_, &GameModel::sumCleared, this, &Form1::showTotals);
    connect(&model_, &GameModel::questionChanged, this, [this] {
        using namespace figure;
        surface_->setFillColor(rightAngleFill);
        pigrecoesettore(*surface_, centreX, centreY, radius, rightAngleOutline, 0, 90);
        surface_->setFillColor(givenAngleFill);
        lblangolo->setCaption(decimalText(model_.primoangolo()));
        pigrecoesettore(*surface_, centreX, centreY, radius, givenAngleOutline, 0,
                        model_.primoangolo());
    });
    connect(&model_, &GameModel::ending, this, &Form1::showEnding);
    connect(&narration_, &Narration::said, this,
            [this](const QString& text) { announcer_->announce(text); });
}

void Form1::showTotals()
{
    const QString text = decimalText(model_.somma());
    for (Label* l : {lbltotale, lbltotal2, lbltotal3, lbltotal4})
        l->setCaption(text);
    unselectValueButtons();
}

Label* Form1::label(const QString& name) const
{
    return findChild<Label*>(name);
}

QAction* Form1::menuCommand(const QString& name) const
{
    for (QAction* a : menu_->actions()) {
        if (a->objectName() == name)
            return a;
    }
    return menu_->findChild<QAction*>(name);
}

void Form1::later(Handler handler)
{
    // Each asks the phase itself: after the end it does nothing.
    waiting_.post([this, handler] { (this->*handler)(); });
}

// ---- Start-up -----------------------------------------------------------------------------

bool Form1::Form_Load()
{
    model_.reseed(); // the clock is not running while the player is being asked
    // The record is read while the name box is open: a school server may take its time.
    if (!classFolderProblem_) {
        keeper_ =
            std::make_unique<RecordKeeper>(GetSystemDir(), std::move(recordOpener_), classFolder_);
        connect(
            keeper_.get(), &RecordKeeper::recordArrived, this,
            [this](const QString& score, const QString& name) { model_.setRecord(score, name); });
        keeper_->beginReading();
    }
    const QString name = dialogs_.input(QStringLiteral("Come ti chiami?"), startTitle);
    dialogs_.message({u' ' + name + QStringLiteral(" vediamo se sei un vero campione  "),
                      startTitle, BoxIcon::Warning});
    model_.setPlayer(name);
    aggiornatempo();
    dirsistema_ = GetSystemDir();
    if (classFolderProblem_) {
        dialogs_.message(classRecordUnavailable(*classFolderProblem_));
    } else {
        const RecordKeeper::Shown shown = keeper_->recordToShow(waitPainting);
        if (shown.box)
            dialogs_.message(*shown.box);
        if (shown.fatal) {
            endProgram();
            return false;
        }
        model_.setRecord(shown.score, shown.name);
    }

    Command4_Click();
    return true;
}

void Form1::aggiornatempo()
{
    model_.startClock();
}

QString Form1::GetSystemDir() const
{
    // The record folder the program's start chose (the Windows directory on Windows), written
    // the system's own way and ending in one separator: C:\WINDOWS\ on Windows.
    QString dir = QDir::toNativeSeparators(recordFolder_);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir;
}

void Form1::Command4_Click()
{
    for (int i = firstValueButton; i <= lastValueButton; ++i) {
        QToolButton* b = Option1_[i];
        QPalette pal = b->palette();
        pal.setColor(QPalette::Button, fromBgr(layout::valueButtonFace));
        pal.setColor(QPalette::ButtonText, fromBgr(layout::valueButtonText));
        if (pal != b->palette()) // setting a palette restyles the button: only when it changes
            b->setPalette(pal);
        b->show();
        b->setEnabled(true);
        b->setChecked(false);
    }
    Command1_Click();
}

// ---- Questions ----------------------------------------------------------------------------

void Form1::Command1_Click()
{
    model_.newQuestion();
}

// ---- Answer entry and checking ------------------------------------------------------------

void Form1::Option1_Click(qint16 index)
{
    model_.press(index);
}

void Form1::Option1_GotFocus(qint16 index)
{
    if (isValueButton(index))
        Option1_[index]->setChecked(false);
}

void Form1::unselectValueButtons()
{
    for (int i = firstValueButton; i <= lastValueButton; ++i)
        Option1_[i]->setChecked(false);
}

void Form1::cmdverifica_Click()
{
    model_.verifica([this](const Message& verdict) { dialogs_.message(verdict); });
}

// ---- Game end -----------------------------------------------------------------------------

void Form1::Cmdexit1_Click()
{
    model_.finish();
}

// The game's end has begun, from "Esci" or at the end of the time: the farewell, then the
// record. Runs once; nothing of the game starts again while its boxes are open.
void Form1::showEnding()
{
    dialogs_.message(farewell(model_.player()));
    if (model_.phase() == Phase::Ended) // the window was closed while the farewell was open
        return;
    const std::optional<Message> said =
        keeper_ ? keeper_->store(model_.scoreText(), model_.recordScore(), model_.player(),
                                 waitPainting)
                : std::nullopt;         // no record to compare with
    if (model_.phase() == Phase::Ended) // closed while the record was being stored
        return;
    if (said)
        dialogs_.message(*said);
    endProgram();
}

void Form1::endProgram()
{
    if (model_.phase() == Phase::Ended)
        return;
    model_.end();
    hide();
    if (quit_)
        quit_();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closed through the title bar: the program ends without a farewell or a record.
    model_.end();
    event->accept();
    if (quit_)
        quit_();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // Watches the value buttons.
    if (event->type() == QEvent::FocusIn) {
        for (int i = firstValueButton; i <= lastValueButton; ++i) {
            if (watched == Option1_[i])
                Option1_GotFocus(static_cast<qint16>(i));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Definitions and help -----------------------------------------------------------------

void Form1::showDefinition(int index)
{
    if (!model_.playing()) // asked for before the end, and taken up after it
        return;
    dialogs_.message(definitions().at(static_cast<std::size_t>(index)).message);
}

void Form1::help_Click()
{
    showDefinition(0);
}
void Form1::acuto_Click()
{
    showDefinition(1);
}
void Form1::retto_Click()
{
    showDefinition(2);
}
void Form1::ottuso_Click()
{
    showDefinition(3);
}
void Form1::piatto_Click()
{
    showDefinition(4);
}
void Form1::concavo_Click()
{
    showDefinition(5);
}
void Form1::grio_Click()
{
    showDefinition(6);
}
void Form1::comp_Click()
{
    showDefinition(7);
}

} // namespace sorvane
