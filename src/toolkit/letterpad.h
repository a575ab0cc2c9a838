#pragma once

#include <QWidget>

#include <vector>

class QLineEdit;
class QToolButton;

namespace sorvane {

// Keys on the screen that type a name into a field, for a board that has no keyboard: the
// letters, the accented ones Italian names use, the apostrophe, a space, a capitals key and a
// delete key. A letter is typed as a capital at the start of the name and after a space or an
// apostrophe, as names are written; the capitals key turns the next letter the other way.
// The keys never take the focus, so the field keeps its cursor and a real keyboard still
// types into it.
class LetterPad : public QWidget
{
    Q_OBJECT

public:
    LetterPad(QLineEdit& field, QWidget* parent = nullptr);

    // The key that types `letter` (either case), or the space, the apostrophe, the capitals
    // or the delete key by their captions.
    QToolButton* key(const QString& caption) const;

private:
    void type(const QString& letter);
    void followField();
    void setCapital(bool capital);

    QLineEdit& field_;
    std::vector<QToolButton*> letters_;
    QToolButton* capitals_ = nullptr;
};

} // namespace sorvane
