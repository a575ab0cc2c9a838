#include "game/ticker.h"

namespace sorvane {

SecondTicker::SecondTicker()
{
    timer_.setInterval(1000);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (tick_)
            tick_();
    });
}

void SecondTicker::start(std::function<void()> tick)
{
    tick_ = std::move(tick);
    timer_.start();
}

} // namespace sorvane
