#include "toolkit/qtdialogs.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

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
    QInputDialog box(visibleOrNull(parent_));
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(QString());
    box.setInputMode(QInputDialog::TextInput);
    if (box.exec() != QDialog::Accepted)
        return QString();
    return box.textValue();
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
