// A bare Qt Widgets program that shows a window the size of the game's: the floor of what
// a program of this toolkit takes from the machine.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(748, 570);
    window.show();
    return QApplication::exec();
}
