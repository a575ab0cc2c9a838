#pragma once

#include <QTimer>

#include <functional>

namespace sorvane {

// What gives the game its seconds. The program's ticks once a second on the thread that
// started it; a test's ticks when the test says so.
class Ticker
{
public:
    virtual ~Ticker() = default;

    // Calls `tick` once a second from now until stop().
    virtual void start(std::function<void()> tick) = 0;
    virtual void stop() = 0;
    virtual bool running() const = 0;
};

// The program's: Qt's timer, once every 1000 ms. A tick that comes late is still one second.
class SecondTicker final : public Ticker
{
public:
    SecondTicker();

    void start(std::function<void()> tick) override;
    void stop() override { timer_.stop(); }
    bool running() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> tick_;
};

} // namespace sorvane
