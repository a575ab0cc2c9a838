#include "app/form1.h"

#include "app/announcer.h"

#include "game/numbers.h"
#include "records/gameend.h"
#include "texts/definitions.h"
#include "texts/spoken.h"
#include "toolkit/colors.h"
#include "toolkit/label.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenuBar>
#include <QToolButton>

namespace sorvane {

namespace {
const QString startTitle = QStringLiteral("Riconosciamo gli angoli");

// While another copy of the game holds the record files: the window keeps painting, but takes
// no click or key meanwhile.
void waitPainting(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
} // namespace

Form1::Form1(Dialogs& dialogs, RandomSource& random, QString recordFolder,
             std::function<void()> quit, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), random_(random),
      recordFolder_(std::move(recordFolder)), quit_(std::move(quit))
{
    // Only the part of the client area that the figure can cover is kept.
    surface_ = std::make_unique<ImageSurface>(figure::area(), devicePixelRatioF(), backColor);
    buildLayout();
    Timer1_.setInterval(1000);
    connect(&Timer1_, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    Timer1_.start(); // on as created; start-up stops it at once
}

Form1::~Form1() = default;

Label* Form1::label(const QString& name) const
{
    return findChild<Label*>(name);
}

QAction* Form1::menuCommand(const QString& name) const
{
    for (QAction* a : menuBar()->actions()) {
        if (a->objectName() == name)
            return a;
    }
    return menuBar()->findChild<QAction*>(name);
}

void Form1::later(Handler handler)
{
    // The box opens after the click, key or screen reader's action that asked for it has
    // returned, on the window's thread: a screen reader gets its answer at once, not when the
    // box is closed. One asked for while another's box is open waits for it to close, so the
    // boxes, and the counts they change, come one after another as they were asked for.
    QMetaObject::invokeMethod(
        this,
        [this, handler] {
            waiting_.push_back(handler);
            if (runningLater_)
                return; // the one running takes it up when its box is closed
            runningLater_ = true;
            while (!waiting_.empty()) {
                const Handler next = waiting_.front();
                waiting_.pop_front();
                (this->*next)(); // each asks the phase itself: after the end it does nothing
            }
            runningLater_ = false;
        },
        Qt::QueuedConnection);
}

// ---- Start-up -----------------------------------------------------------------------------

bool Form1::Form_Load()
{
    random_.reseed();
    Timer1_.stop(); // no tick while the player is being asked
    const QString name = dialogs_.input(QStringLiteral("Come ti chiami?"), startTitle);
    dialogs_.message({u' ' + name + QStringLiteral(" vediamo se sei un vero campione  "),
                      startTitle, BoxIcon::Warning});
    lblnome1->setCaption(name);
    aggiornatempo();
    dirsistema_ = GetSystemDir();
    records_.emplace(dirsistema_, std::move(openedRecords_));

    if (auto error = records_->ensureExist()) {
        fatal(*error);
        return false;
    }
    // Read under the lock that storing takes, so that what is shown is always a whole record;
    // a record whose storing was cut short by a kill or a power cut is finished first.
    const StoredRecord stored = records_->readRecord(waitPainting);
    if (stored.error) {
        fatal(*stored.error);
        return false;
    }
    // Another copy has kept the files too long: the pupil plays all the same, and the end of
    // the game compares with the record the files hold then.
    if (stored.unknown)
        dialogs_.message(recordUnknown());
    lblpunti->setCaption(stored.score);
    lblnome->setCaption(stored.name);

    lblconto->setCaption(clock_.text());
    Command4_Click();
    return true;
}

void Form1::aggiornatempo()
{
    Timer1_.start();
    clock_.start();
    lblconto->setCaption(clock_.text());
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
    for (int i = 1; i <= 11; ++i) {
        QToolButton* b = Option1_[i];
        QPalette pal = b->palette();
        pal.setColor(QPalette::Button, fromBgr(valueFaceColor));
        pal.setColor(QPalette::ButtonText, fromBgr(valueTextColor));
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
    if (!playing())
        return;
    somma_ = 0;
    lblScore1->setCaption(decimalText(counts_.errate));
    lblScore->setCaption(decimalText(counts_.esatte));
    random_.reseed();
    primoangolo_ = givenAngleFor(random_.next());
    valoreesatto_ = complementOf(primoangolo_);

    using namespace figure;
    surface_->setFillColor(rightAngleFill);
    pigrecoesettore(*surface_, centreX, centreY, radius, rightAngleOutline, 0, 90);
    surface_->setFillColor(givenAngleFill);
    lblangolo->setCaption(decimalText(primoangolo_));
    pigrecoesettore(*surface_, centreX, centreY, radius, givenAngleOutline, 0, primoangolo_);
    // The counts once there are any (after a check), then the new angle.
    const bool checked = counts_.esatte > 0 || counts_.errate > 0;
    announce((checked ? spoken::counts(counts_.esatte, counts_.errate) + u' ' : QString()) +
             spoken::angle(primoangolo_));
}

// ---- Answer entry and checking ------------------------------------------------------------

void Form1::Option1_Click(qint16 index)
{
    if (!playing() || index < 1 || index > 11)
        return;
    const double value = leadingNumber(Option1_[index]->text());
    somma_ = addInt16(somma_, value);
    const QString text = decimalText(somma_);
    for (Label* l : {lbltotale, lbltotal2, lbltotal3, lbltotal4})
        l->setCaption(text);
    unselectValueButtons();
    announce(text);
}

void Form1::Option1_GotFocus(qint16 index)
{
    if (index >= 1 && index <= 11)
        Option1_[index]->setChecked(false);
}

void Form1::unselectValueButtons()
{
    for (int i = 1; i <= 11; ++i)
        Option1_[i]->setChecked(false);
}

void Form1::cmdverifica_Click()
{
    if (!playing())
        return;
    for (Label* l : {lbltotal3, lbltotal2, lbltotal4, lbltotale})
        l->setCaption(QStringLiteral("0"));
    lblScore1->setCaption(decimalText(counts_.errate));
    lblScore->setCaption(decimalText(counts_.esatte));
    const Judgement j = judge(valoreesatto_, somma_);
    dialogs_.message(j.message);
    if (!playing()) // the clock ran out while the box was open
        return;
    counts_.count(j.verdict);
    unselectValueButtons();
    Command1_Click();
}

// ---- Clock --------------------------------------------------------------------------------

void Form1::Timer1_Timer()
{
    if (!playing())
        return;
    if (CountdownClock::showsEnd(lblconto->caption())) {
        Cmdexit1_Click();
        return;
    }
    clock_.tick();
    lblconto->setCaption(clock_.text());
    if (clock_.isMilestone())
        announce(spoken::timeLeft(clock_));
}

void Form1::announce(const QString& text)
{
    announcer_->announce(text);
}

// ---- Game end -----------------------------------------------------------------------------

void Form1::Cmdexit1_Click()
{
    // Runs once: neither a second "Esci" nor a tick starts it again while its boxes are open,
    // and nothing else of the game starts either.
    if (!playing())
        return;
    phase_ = Phase::Ending;
    Timer1_.stop();
    dialogs_.message(farewell(lblnome1->caption()));
    if (phase_ == Phase::Ended) // the window was closed while the farewell was open
        return;
    const StoreResult result =
        records_ ? checkRecord(*records_, lblScore->caption(), lblpunti->caption(),
                               lblnome1->caption(), waitPainting)
                 : StoreResult{}; // start-up never ran: no record to compare with
    if (phase_ == Phase::Ended)   // closed while waiting for another copy's lock
        return;
    if (result.outcome == StoreOutcome::Failed && result.error)
        dialogs_.message({result.error->message(), {}, BoxIcon::Error});
    else if (result.outcome == StoreOutcome::Busy)
        dialogs_.message(recordNotStored());
    else if (result.outcome == StoreOutcome::Stored)
        dialogs_.message(recordStored());
    endProgram();
}

void Form1::fatal(const RecordError& error)
{
    dialogs_.message({error.message(), {}, BoxIcon::Error});
    endProgram();
}

void Form1::endProgram()
{
    if (phase_ == Phase::Ended)
        return;
    phase_ = Phase::Ended;
    Timer1_.stop();
    hide();
    if (quit_)
        quit_();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closed through the title bar: the program ends without a farewell or a record.
    phase_ = Phase::Ended;
    Timer1_.stop();
    event->accept();
    if (quit_)
        quit_();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // Watches the value buttons, "Verifica" and "Esci".
    if (event->type() == QEvent::FocusIn) {
        for (int i = 1; i <= 11; ++i) {
            if (watched == Option1_[i])
                Option1_GotFocus(static_cast<qint16>(i));
        }
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Return and Enter press the focused button as Space does: down while held,
            // pressed once when let go.
            QKeyEvent space(key->type(), Qt::Key_Space, key->modifiers() & ~Qt::KeypadModifier,
                            QStringLiteral(" "), key->isAutoRepeat(), key->count());
            QCoreApplication::sendEvent(watched, &space);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Definitions and help -----------------------------------------------------------------

void Form1::showDefinition(int index)
{
    if (!playing())
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
