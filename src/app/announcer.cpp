#include "app/announcer.h"

#include "platform/speech.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>

namespace sorvane {

namespace {

// A widget whose accessible name is given by a function, read each time it is asked for.
class Spoken : public QWidget
{
public:
    Spoken(QWidget* parent, QAccessible::Role role, std::function<QString()> text)
        : QWidget(parent), role_(role), text_(std::move(text))
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }
    QAccessible::Role role() const { return role_; }
    QString text() const { return text_ ? text_() : QString(); }

private:
    QAccessible::Role role_;
    std::function<QString()> text_;
};

class SpokenAccessible : public QAccessibleWidget
{
public:
    explicit SpokenAccessible(Spoken* w) : QAccessibleWidget(w, w->role()) {}
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? static_cast<Spoken*>(widget())->text() : QString();
    }
};

class StatusAccessible : public QAccessibleWidget
{
public:
    explicit StatusAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::StatusBar) {}
    QString text(QAccessible::Text) const override { return {}; }
};

QAccessibleInterface* accessibleFor(const QString&, QObject* object)
{
    if (auto* s = dynamic_cast<Spoken*>(object))
        return new SpokenAccessible(s);
    if (auto* a = dynamic_cast<Announcer*>(object))
        return new StatusAccessible(a);
    return nullptr;
}

} // namespace

void Announcer::installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    Q_UNUSED(installed);
}

Announcer::Announcer(QWidget* canvas, std::vector<Item> items) : QWidget(canvas)
{
    setObjectName(QStringLiteral("annunci"));
    setGeometry(canvas->rect());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    lower();
    for (Item& item : items) {
        auto* w = new Spoken(this, QAccessible::StaticText, std::move(item.text));
        w->setGeometry(item.place);
    }
    for (std::size_t i = 0; i < notices_.size(); ++i) {
        notices_[i] =
            new Spoken(this, QAccessible::Notification, [this, i] { return noticeTexts_[i]; });
        notices_[i]->hide();
    }
    canvas->window()->installEventFilter(this);
}

void Announcer::announce(const QString& text)
{
    waiting_ << text;
    speakWhenActive();
}

void Announcer::speakWhenActive()
{
    if (waiting_.isEmpty() || speakAsked_ || !window()->isActiveWindow())
        return;
    // After the handler that asked has returned, and after the activation's focus event.
    speakAsked_ = true;
    QMetaObject::invokeMethod(
        this, [this] { speak(); }, Qt::QueuedConnection);
}

void Announcer::speak()
{
    speakAsked_ = false;
    if (waiting_.isEmpty() || !window()->isActiveWindow())
        return;
    lastSpoken_ = waiting_.join(u' ');
    waiting_.clear();
    ++spokenCount_;
    QWidget* notice = notices_[nextNotice_];
    noticeTexts_[nextNotice_] = lastSpoken_;
    nextNotice_ = (nextNotice_ + 1) % notices_.size();
    QAccessibleEvent shown(notice, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
    // Windows' screen readers hear the same text as a UI Automation notification.
    const QStringView spoken(lastSpoken_);
    platform::raiseNotification(static_cast<std::intptr_t>(window()->winId()),
                                {spoken.utf16(), static_cast<std::size_t>(spoken.size())});
}

bool Announcer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        speakWhenActive();
    return QWidget::eventFilter(watched, event);
}

} // namespace sorvane
