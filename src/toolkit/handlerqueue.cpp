#include "toolkit/handlerqueue.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace sorvane {

void HandlerQueue::post(std::function<void()> handler)
{
    QMetaObject::invokeMethod(
        context_,
        [this, handler = std::move(handler)] {
            waiting_.push_back(handler);
            if (running_)
                return; // the one running takes it up when its box is closed
            running_ = true;
            while (!waiting_.empty()) {
                const auto next = std::move(waiting_.front());
                waiting_.pop_front();
                next();
            }
            running_ = false;
        },
        Qt::QueuedConnection);
}

bool ReturnPressesButton::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            QKeyEvent space(key->type(), Qt::Key_Space, key->modifiers() & ~Qt::KeypadModifier,
                            QStringLiteral(" "), key->isAutoRepeat(), key->count());
            QCoreApplication::sendEvent(watched, &space);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sorvane
