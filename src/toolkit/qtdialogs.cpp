#include "toolkit/qtdialogs.h"

#include "toolkit/letterpad.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPixmapCache>
#include <QTranslator>
#include <QVBoxLayout>

namespace sorvane {

namespace {

QMessageBox::Icon qtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Warning:
        return QMessageBox::Warning;
    case BoxIcon::Error:
        return QMessageBox::Critical;
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Boxes are shown over the window once it is on screen; before that they stand on their own.
QWidget* visibleOrNull(QWidget* w)
{
    return w && w->isVisible() ? w : nullptr;
}

} // namespace

QString QtDialogs::input(const QString& prompt, const QString& title)
{
    if (letterPad_)
        return inputWithPad(prompt, title);
    QInputDialog box(visibleOrNull(parent_));
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(QString());
    box.setInputMode(QInputDialog::TextInput);
    if (box.exec() != QDialog::Accepted)
        return QString();
    return box.textValue();
}

// The input box's prompt, field and buttons, with the letter pad between the field and the
// buttons, all in one box.
QString QtDialogs::inputWithPad(const QString& prompt, const QString& title)
{
    QDialog box(visibleOrNull(parent_));
    box.setWindowTitle(title);
    auto* column = new QVBoxLayout(&box);
    auto* label = new QLabel(prompt, &box);
    auto* field = new QLineEdit(&box);
    label->setBuddy(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    column->addWidget(label);
    column->addWidget(field);
    column->addWidget(new LetterPad(*field, &box));
    column->addWidget(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
    field->setFocus();
    const bool accepted = box.exec() == QDialog::Accepted;
    // The style keeps a picture of each kind of key it drew; none is drawn again.
    QPixmapCache::clear();
    return accepted ? field->text() : QString();
}

void QtDialogs::showMessage(const QString& text, const QString& title, BoxIcon icon)
{
    QMessageBox box(qtIcon(icon), title, text, QMessageBox::Ok, visibleOrNull(parent_));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool installItalianTranslation()
{
    // Lives as long as the application.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace sorvane
