#include "toolkit/qtdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace sorvane;

namespace {

// Runs `act` on the modal box once it is open.
void whenOpen(const std::function<void(QWidget*)>& act)
{
    QTimer::singleShot(0, [act] {
        QWidget* box = nullptr;
        QTRY_VERIFY((box = QApplication::activeModalWidget()) != nullptr);
        act(box);
    });
}

QStringList buttonTexts(QWidget* box)
{
    QStringList texts;
    for (QAbstractButton* b : box->findChildren<QAbstractButton*>())
        texts << b->text().remove(u'&');
    texts.sort();
    return texts;
}

} // namespace

class TestQtDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(installItalianTranslation()); }

    void messageBox_data()
    {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("qtIcon");
        QTest::addColumn<QString>("title"); // none: the application's
        QTest::newRow("none, application title")
            << int(BoxIcon::None) << int(QMessageBox::NoIcon) << "";
        QTest::newRow("warning") << int(BoxIcon::Warning) << int(QMessageBox::Warning)
                                 << "Riconosciamo gli angoli";
        QTest::newRow("error") << int(BoxIcon::Error) << int(QMessageBox::Critical) << "Attenzione";
        QTest::newRow("information") << int(BoxIcon::Information) << int(QMessageBox::Information)
                                     << "Giochiamo con gli angoli";
    }
    void messageBox()
    {
        QFETCH(int, icon);
        QFETCH(int, qtIcon);
        QFETCH(QString, title);
        QtDialogs dialogs;
        bool seen = false;
        whenOpen([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            QCOMPARE(box->text(), QStringLiteral(" Ok <b>not bold</b> "));
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QCOMPARE(box->windowTitle(), title.isEmpty() ? u"Sorvane"_qs : title);
            QCOMPARE(int(box->icon()), qtIcon);
            QCOMPARE(buttonTexts(box), QStringList{QStringLiteral("OK")});
            QVERIFY(box->isModal());
            seen = true;
            box->button(QMessageBox::Ok)->click();
        });
        dialogs.message({QStringLiteral(" Ok <b>not bold</b> "), title, BoxIcon(icon)});
        QVERIFY(seen);
    }

    void inputBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("result");
        QTest::newRow("typed") << "Niccolò" << true << "Niccolò";
        QTest::newRow("blanks kept") << " Anna " << true << " Anna ";
        QTest::newRow("cancelled") << "Anna" << false << "";
        QTest::newRow("nothing typed") << "" << true << "";
    }
    void inputBox()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accept);
        QFETCH(QString, result);
        QtDialogs dialogs;
        whenOpen([&](QWidget* w) {
            auto* box = qobject_cast<QInputDialog*>(w);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Riconosciamo gli angoli"));
            QCOMPARE(box->labelText(), QStringLiteral("Come ti chiami?"));
            QCOMPARE(box->textValue(), QString()); // the field starts empty
            QCOMPARE(buttonTexts(box), (QStringList{"Annulla", "OK"}));
            box->findChild<QLineEdit*>()->setText(typed);
            accept ? box->accept() : box->reject();
        });
        QCOMPARE(dialogs.input(QStringLiteral("Come ti chiami?"),
                               QStringLiteral("Riconosciamo gli angoli")),
                 result);
    }
};

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
