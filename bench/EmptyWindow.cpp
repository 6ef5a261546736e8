// The yardsticks for Quarnel's start-up time, memory and idle CPU: an empty
// Qt window of the same size, built with the same compiler and flags.
//   --text  adds one line of text, so the font system is set up and used
//   --tick  adds a timer that wakes the program every 1000 ms and does nothing
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    QWidget window;
    window.setFixedSize(400, 540);
    window.setWindowTitle(QStringLiteral("Empty window"));
    if (arguments.contains(QStringLiteral("--text"))) {
        auto* label = new QLabel(QStringLiteral("Quarnel"), &window);
        label->move(20, 20);
    }
    QTimer timer;
    if (arguments.contains(QStringLiteral("--tick"))) {
        timer.setTimerType(Qt::PreciseTimer);  // as Quarnel's clock timer
        QObject::connect(&timer, &QTimer::timeout, [] {});
        timer.start(1000);
    }
    window.show();
    return QApplication::exec();
}
