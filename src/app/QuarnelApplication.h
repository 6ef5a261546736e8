#pragma once

#include <QApplication>
#include <exception>
#include <functional>

// The application object. An exception that leaves an event handler is shown
// in the standard error box and the program runs on. That is the last resort:
// the toolkit's signal and event delivery does not expect exceptions and
// leaks its bookkeeping when one passes through, so the window's handlers
// catch their own (see reportingErrors).
class QuarnelApplication : public QApplication {
    Q_OBJECT

  public:
    QuarnelApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The box's text: the message, with a full stop added when its last character
// comes after "." in the character set.
QString errorBoxText(const QString& message);

// Shows the standard error box for a message. It returns at once: the box
// stays in front of the window until the user closes it, while the clock
// goes on ticking behind it.
void showErrorBox(const QString& message);
// The same for an exception: its message, or no text for one without.
void showErrorBoxFor(const std::exception_ptr& failure);
// The box for a failure that ends the program: it returns when it is closed.
void showFatalErrorBox(const QString& message);
void showFatalErrorBox(const std::exception_ptr& failure);

// Window tests replace the modal box with a recorder; an empty function puts
// the real box back.
void setErrorBoxHandler(std::function<void(const QString& text)> handler);

// Runs a handler's work and shows what it throws in the error box, before the
// exception could reach the toolkit's frames.
template <typename Work>
void reportingErrors(Work&& work) {
    try {
        work();
    } catch (...) {
        showErrorBoxFor(std::current_exception());
    }
}

// Shows why the settings could not be saved at close and asks whether to
// close without them (true) or to stay open (false, the default button).
bool askCloseWithoutSaving(const QString& message);

// Window tests answer the question themselves; an empty function puts the
// real box back.
void setCloseQuestionHandler(std::function<bool(const QString& text)> handler);

// Closing with shifts that no time keeper will correct asks first.
enum class UndoAnswer { ResetAndClose, Close, StayOpen };
UndoAnswer askUndoBeforeClose(const QString& question);
void setUndoQuestionHandler(std::function<UndoAnswer(const QString& question)> handler);

// Delete on the clip list asks first: a deleted clip has no undo. True deletes.
bool askDeleteClip(const QString& clip);
void setDeleteClipQuestionHandler(std::function<bool(const QString& clip)> handler);
