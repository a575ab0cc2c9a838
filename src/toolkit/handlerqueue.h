#pragma once

#include <QObject>

#include <deque>
#include <functional>

namespace sorvane {

// Runs handlers that open a box once the click, key or screen reader's action that asked for
// them has returned, on the window's thread: a screen reader gets its answer at once, not when
// the box is closed. One asked for while another's box is open waits for it to close, so the
// boxes, and what they change, come one after another as they were asked for.
class HandlerQueue
{
public:
    explicit HandlerQueue(QObject* context) : context_(context) {}

    void post(std::function<void()> handler);

private:
    QObject* context_;
    std::deque<std::function<void()>> waiting_;
    bool running_ = false;
};

// Makes Return and Enter press the button that has the focus as Space does: down while held,
// pressed once when let go. Installed on each button as its event filter.
class ReturnPressesButton : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace sorvane
