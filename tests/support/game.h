#pragma once

#include "app/form1.h"
#include "game/valuebuttons.h"
#include "support/gamewindow.h"
#include "support/recordfolder.h"
#include "support/scripteddialogs.h"
#include "toolkit/label.h"

#include <QPaintEvent>
#include <QPointingDevice>
#include <QToolButton>

#include <cmath>
#include <memory>
#include <optional>

namespace sorvane::testing {

// A finger on a touch screen, through Qt's own touch events: `at` is in `w`'s pixels, the
// widget's centre when not given.
inline QPointingDevice* touchScreen()
{
    static QPointingDevice* device = QTest::createTouchDevice();
    return device;
}
inline void tap(QWidget* w, std::optional<QPoint> at = std::nullopt)
{
    const QPoint p = at.value_or(w->rect().center());
    QTest::touchEvent(w->window(), touchScreen()).press(0, p, w);
    QTest::touchEvent(w->window(), touchScreen()).release(0, p, w);
}

// A game in a window of its own, with its record files in a temporary folder, scripted boxes
// and pinned questions.
struct Game
{
    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    ScriptedRandom random;
    ManualTicker ticker;
    int quits = 0;
    std::optional<Form1::Board> board; // the classroom's board, when set before start()
    bool classFolder = false;          // the record folder is a class's, named by the administrator
    bool realSeconds = false;          // the window's own timer, not the test's `ticker`
    std::unique_ptr<Form1> form;

    Game() { dialogs.answers = {QStringLiteral("Anna")}; }
    explicit Game(const QString& recordFolder) : Game() { folderOverride = recordFolder; }

    QString recordFolder() const
    {
        return folderOverride.isEmpty() ? folder.path() : folderOverride;
    }
    QString scorePath() const { return recordFolder() + QStringLiteral("/sorvane.txt"); }
    QString namePath() const { return recordFolder() + QStringLiteral("/nsorvane.txt"); }

    void storeFiles(const QByteArray& score, const QByteArray& name) const
    {
        putRecord(recordFolder(), score, name);
    }
    QByteArray bytes(const QString& path) const { return bytesOf(path); }
    QByteArray record() const { return recordIn(recordFolder()); }

    // Creates the window and runs start-up; true when the game is on.
    bool start()
    {
        form = std::make_unique<Form1>(
            dialogs, random, recordFolder(), [this] { ++quits; }, nullptr, board,
            realSeconds ? nullptr : &ticker);
        if (classFolder)
            form->useClassFolder();
        return form->Form_Load();
    }

    // Shows the window, as the program does once start-up has returned.
    void show()
    {
        form->showWindow();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }

    bool hasEnded() const { return form->model().phase() == GameModel::Phase::Ended; }

    QString caption(const char* name) const
    {
        return form->label(QString::fromLatin1(name))->caption();
    }

    QToolButton* valueButton(int value) const
    {
        const int i = GameWindow::indexOf(value);
        return i ? form->option1(i) : nullptr;
    }

    bool noneChecked() const
    {
        for (int i = firstValueButton; i <= lastValueButton; ++i) {
            if (form->option1(i)->isChecked())
                return false;
        }
        return true;
    }

    int somma() const { return form->model().somma(); }

    void press(int value) const
    {
        QToolButton* b = valueButton(value);
        QVERIFY2(b, qPrintable(QStringLiteral("no value button adds %1").arg(value)));
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void pressAt(int index) const { QTest::mouseClick(form->option1(index), Qt::LeftButton); }
    void verifica() { clickForBox(form->cmdverifica()); }
    void esci() { clickForBox(form->cmdexit1()); }
    void ticks(int n) { ticker.fire(n); }
    bool ticking() const { return form->model().ticking(); }

    // Clicks a button whose box opens once the click has returned, and lets the event loop
    // run until it has been shown, as the real one does.
    void clickForBox(QWidget* button)
    {
        const auto before = dialogs.shown.size();
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY2(waitForBoxes(before + 1), qPrintable(button->objectName()));
    }

    // Runs the event loop until at least `n` boxes have been shown in all.
    bool waitForBoxes(qsizetype n, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return dialogs.shown.size() >= n; }, ms);
    }

    // Presses buttons that add up to `sum` (largest first).
    void build(int sum) const
    {
        for (const ValueButton& b : GameWindow::valuesFor(sum))
            press(b.value);
    }

    // Starts, shows the window and answers `right` questions right, of angles 10, 11 and so on.
    void playRight(int right)
    {
        random.values.clear();
        for (int i = 0; i <= right; ++i)
            random.values << numberForAngle(10 + i);
        QVERIFY(start());
        show();
        for (int i = 0; i < right; ++i) {
            build(80 - i);
            verifica();
        }
        QCOMPARE(caption("lblScore"), QString::number(right));
    }

    QStringList totals() const
    {
        return {caption("lbltotale"), caption("lbltotal2"), caption("lbltotal3"),
                caption("lbltotal4")};
    }

    // The boxes shown after start-up's two.
    QList<ScriptedDialogs::Shown> laterBoxes() const { return dialogs.shown.mid(2); }

private:
    QString folderOverride;
};

// A game on screen with its questions pinned: by default one that asks for 35 (given 55).
inline std::unique_ptr<Game> gameOnScreen(const QList<float>& numbers = {numberForAngle(55)})
{
    auto g = std::make_unique<Game>();
    g->random.values = numbers;
    if (!g->start())
        return nullptr;
    g->show();
    return g;
}

// The paint events a widget is given from now on: how many, and where.
struct Paints : QObject
{
    explicit Paints(QWidget* watched) { watched->installEventFilter(this); }
    int count = 0;
    QRegion region;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            ++count;
            region += static_cast<QPaintEvent*>(e)->region();
        }
        return false;
    }
};

// The answers' texts, up to the right value.
inline const QString tooBig =
    QStringLiteral(" Hai raggiunto un valore maggiore. Il valore esatto era ");
inline const QString tooSmall =
    QStringLiteral("Fai attenzione, hai sbagliato. Il valore esatto era ");

} // namespace sorvane::testing
