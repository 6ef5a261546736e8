#pragma once

#include <QApplication>
#include <functional>

// The application object. An exception that leaves an event handler is shown
// in the standard error box and the program runs on.
class QuarnelApplication : public QApplication {
    Q_OBJECT

  public:
    QuarnelApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The box's text: the message, with a full stop added when its last character
// comes after "." in the character set.
QString errorBoxText(const QString& message);

// Shows the standard error box for a message (modal).
void showErrorBox(const QString& message);

// Window tests replace the modal box with a recorder; an empty function puts
// the real box back.
void setErrorBoxHandler(std::function<void(const QString& text)> handler);
