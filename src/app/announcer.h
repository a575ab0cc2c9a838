#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

namespace sorvane {

// What the window tells a screen reader that no control's own name or text carries: a short
// sentence spoken once when something changes (the new angle, the total, the counts, the
// time left), and the same facts read again on demand.
//
// With Qt 6.4 and Orca 43, a change of a control's name or description reaches Orca without
// its text (Qt sends the object itself), so Orca speaks nothing, and label text changes are
// ignored by Orca. What Orca does speak, whatever has the focus, is a notification that is
// shown; inside a status bar it speaks only the notification's text, without the word
// "notification". So this is an accessibility-only status bar: drawn nowhere, under every
// control, taking no click and no focus. It holds hidden notifications, "shown" to announce
// a text, and one item per fact, whose names are what Orca's "read status bar" command
// (Orca+keypad Enter twice) speaks. Their names are read when asked for, so nothing is sent
// every second for the clock.
class Announcer : public QWidget
{
public:
    struct Item
    {
        QRect place; // over the label whose fact it tells
        std::function<QString()> text;
    };

    Announcer(QWidget* canvas, std::vector<Item> items);

    // Speaks `text` once: as soon as control returns to the event loop when the window is
    // active, otherwise when it is next activated (so that a screen reader, which reads the
    // window and its focused control on activation, says it after them). Texts asked for
    // meanwhile are spoken together, in their order.
    void announce(const QString& text);

    // The text last spoken and how many have been, for those who watch it.
    QString lastSpoken() const { return lastSpoken_; }
    int spokenCount() const { return spokenCount_; }

    // Makes the accessibility layer create this class's own objects. Called once by the window
    // before it creates its first control: an accessible object made before it would be Qt's
    // default one, and kept.
    static void installAccessibility();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void speakWhenActive();
    void speak();

    // Two notifications, used in turn: a screen reader reads a notification's name a little
    // after it is shown, and by then a second announcement must not have changed it.
    std::array<QWidget*, 2> notices_{};
    std::array<QString, 2> noticeTexts_;
    std::size_t nextNotice_ = 0;
    QStringList waiting_;
    QString lastSpoken_;
    int spokenCount_ = 0;
    bool speakAsked_ = false;
};

} // namespace sorvane
