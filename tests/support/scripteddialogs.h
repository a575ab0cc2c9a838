#pragma once

#include "game/clock.h"
#include "game/question.h"
#include "game/ticker.h"
#include "toolkit/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace sorvane::testing {

// Boxes that never wait: each one shown is recorded, input boxes answer from a script, and a
// hook runs while a box is "open".
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown
    {
        QString kind; // "message" or "input"
        QString text; // the message, or the input box's prompt
        QString title;
        BoxIcon icon = BoxIcon::None;
    };

    QList<Shown> shown;
    QStringList answers;                         // for input boxes; none left: Cancel
    std::function<void(const Shown&)> whileOpen; // runs while a box is shown
    Dialogs* real = nullptr;                     // when set, shows every box in its own too

    QString input(const QString& prompt, const QString& title) override
    {
        record({QStringLiteral("input"), prompt, title, BoxIcon::None});
        if (real)
            return real->input(prompt, title);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }

protected:
    void showMessage(const QString& text, const QString& title, BoxIcon icon) override
    {
        record({QStringLiteral("message"), text, title, icon});
        if (real)
            real->message({text, title, icon});
    }

private:
    void record(const Shown& s)
    {
        shown << s;
        if (whileOpen)
            whileOpen(s);
    }
};

// The random number that gives a question with the given angle.
inline float numberForAngle(int angle)
{
    return float((angle - 1 + 0.5) / 89.0);
}

// Random numbers from a list, then the last one again.
class ScriptedRandom : public RandomSource
{
public:
    QList<float> values{0.5f};
    int reseeds = 0;
    void reseed() override { ++reseeds; }
    float next() override { return values.size() > 1 ? values.takeFirst() : values.first(); }
};

// How long a game lasts, and what its clock shows `seconds` into it.
inline constexpr int gameSeconds = gameMinutes * 60;
inline QString clockAfter(int seconds)
{
    CountdownClock clock;
    clock.start();
    for (int i = 0; i < seconds; ++i)
        clock.tick();
    return clock.text();
}

// Seconds that pass when the test says so.
class ManualTicker : public Ticker
{
public:
    void start(std::function<void()> tick) override
    {
        tick_ = std::move(tick);
        running_ = true;
    }
    void stop() override { running_ = false; }
    bool running() const override { return running_; }
    // `n` seconds, delivered even once stopped, as a timer's tick already on its way is.
    void fire(int n = 1)
    {
        for (int i = 0; i < n && tick_; ++i)
            tick_();
    }

private:
    std::function<void()> tick_;
    bool running_ = false;
};

} // namespace sorvane::testing
