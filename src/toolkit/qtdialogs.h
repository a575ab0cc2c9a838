#pragma once

#include "toolkit/dialogs.h"

#include <QPointer>
#include <QWidget>

namespace sorvane {

// The real boxes: QMessageBox and QInputDialog, modal, over the given window. With the letter
// pad, for a board without a keyboard, the input box has keys of its own under its field.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void setLetterPad(bool shown) { letterPad_ = shown; }

    QString input(const QString& prompt, const QString& title) override;

protected:
    void showMessage(const QString& text, const QString& title, BoxIcon icon) override;

private:
    QString inputWithPad(const QString& prompt, const QString& title);

    QPointer<QWidget> parent_;
    bool letterPad_ = false;
};

} // namespace sorvane

namespace sorvane {

// Loads Qt's own Italian translation, so that the boxes' standard buttons read "OK" and
// "Annulla" whatever the desktop's language. False when it is not installed.
bool installItalianTranslation();

} // namespace sorvane
