// The yardstick for Quarnel's start-up time, memory and idle CPU: an empty
// Qt window of the same size, built with the same compiler and flags.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(400, 540);
    window.setWindowTitle(QStringLiteral("Empty window"));
    window.show();
    return QApplication::exec();
}
