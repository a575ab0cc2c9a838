#pragma once

// What the benchmarks put in place of the player: boxes that answer at once and a fixed
// sequence of random numbers.

#include "game/question.h"
#include "toolkit/dialogs.h"

namespace bench {

class SilentDialogs : public sorvane::Dialogs
{
public:
    QString input(const QString&, const QString&) override { return QStringLiteral("Anna"); }

protected:
    void showMessage(const QString&, const QString&, sorvane::BoxIcon) override {}
};

class FixedRandom : public sorvane::RandomSource
{
public:
    void reseed() override {}
    float next() override
    {
        r_ = r_ + 0.37f;
        if (r_ >= 1.0f)
            r_ -= 1.0f;
        return r_;
    }

private:
    float r_ = 0.0f;
};

} // namespace bench
