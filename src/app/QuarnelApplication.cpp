#include "app/QuarnelApplication.h"

#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <exception>

#include "widgets/PanelCacheStyle.h"

namespace {

std::function<void(const QString&)>& errorBoxHandler() {
    static std::function<void(const QString&)> handler;
    return handler;
}

std::function<bool(const QString&)>& closeQuestionHandler() {
    static std::function<bool(const QString&)> handler;
    return handler;
}

std::function<bool(const QString&)>& deleteClipQuestionHandler() {
    static std::function<bool(const QString&)> handler;
    return handler;
}

std::function<UndoAnswer(const QString&)>& undoQuestionHandler() {
    static std::function<UndoAnswer(const QString&)> handler;
    return handler;
}

QString exceptionText(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return {};
    }
}

QString loadStyleSheet() {
    QFile file(QStringLiteral(":/styles.qss"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

QuarnelApplication::QuarnelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quarnel"));
    // Ties the window to its menu entry (where the desktop has menu entries)
    // and takes the installed icon, named after the application id like the
    // entry, where the icon theme has it.
    setDesktopFileName(QStringLiteral(QUARNEL_APP_ID));
    if (const QIcon icon = QIcon::fromTheme(QStringLiteral(QUARNEL_APP_ID)); !icon.isNull()) {
        setWindowIcon(icon);
    }
    // The cache knows what Fusion's panels are drawn from; another style (the
    // Windows one) draws its own way, every time.
    if (style()->name() == QLatin1String("fusion")) {
        setStyle(new PanelCacheStyle);
    }
    // A palette set on the window reaches the widgets in it also under the
    // style sheet (the window holds its light palette on a dark desktop).
    setAttribute(Qt::AA_UseStyleSheetPropagationInWidgetStyles);
    setStyleSheet(loadStyleSheet());
}

bool QuarnelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showErrorBoxFor(std::current_exception());
    }
    return false;
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) {
        return message + QLatin1Char('.');
    }
    return message;
}

void showErrorBox(const QString& message) {
    const QString text = errorBoxText(message);
    if (errorBoxHandler()) {
        errorBoxHandler()(text);
        return;
    }
    // A box run in its own event loop would hold the timer that opened it:
    // the clock display would stand still until the box is closed.
    auto* box = new QMessageBox(QMessageBox::Critical, QApplication::applicationName(), text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void showErrorBoxFor(const std::exception_ptr& failure) {
    showErrorBox(exceptionText(failure));
}

void showFatalErrorBox(const std::exception_ptr& failure) {
    showFatalErrorBox(exceptionText(failure));
}

void showFatalErrorBox(const QString& message) {
    const QString text = errorBoxText(message);
    if (errorBoxHandler()) {
        errorBoxHandler()(text);
        return;
    }
    QMessageBox::critical(nullptr, QApplication::applicationName(), text);
}

void setErrorBoxHandler(std::function<void(const QString&)> handler) {
    errorBoxHandler() = std::move(handler);
}

bool askCloseWithoutSaving(const QString& message) {
    const QString text = errorBoxText(message);
    if (closeQuestionHandler()) {
        return closeQuestionHandler()(text);
    }
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text);
    box.setInformativeText(QStringLiteral(
        "The settings were not saved. Close anyway and lose the changes since the start, or stay "
        "open to fix the cause and close again?"));
    QPushButton* close =
        box.addButton(QStringLiteral("Close without saving"), QMessageBox::DestructiveRole);
    QPushButton* stay = box.addButton(QStringLiteral("Stay open"), QMessageBox::RejectRole);
    box.setDefaultButton(stay);
    box.setEscapeButton(stay);
    box.exec();
    return box.clickedButton() == close;
}

void setCloseQuestionHandler(std::function<bool(const QString&)> handler) {
    closeQuestionHandler() = std::move(handler);
}

UndoAnswer askUndoBeforeClose(const QString& question) {
    if (undoQuestionHandler()) {
        return undoQuestionHandler()(question);
    }
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question);
    box.setInformativeText(
        QStringLiteral("No time keeper will correct the clock after Quarnel closes."));
    QPushButton* reset = box.addButton(QStringLiteral("RESET and close"), QMessageBox::AcceptRole);
    QPushButton* close = box.addButton(QStringLiteral("Close"), QMessageBox::DestructiveRole);
    QPushButton* stay = box.addButton(QStringLiteral("Stay open"), QMessageBox::RejectRole);
    box.setDefaultButton(reset);
    box.setEscapeButton(stay);
    box.exec();
    if (box.clickedButton() == reset) {
        return UndoAnswer::ResetAndClose;
    }
    return box.clickedButton() == close ? UndoAnswer::Close : UndoAnswer::StayOpen;
}

void setUndoQuestionHandler(std::function<UndoAnswer(const QString&)> handler) {
    undoQuestionHandler() = std::move(handler);
}

bool askDeleteClip(const QString& clip) {
    if (deleteClipQuestionHandler()) {
        return deleteClipQuestionHandler()(clip);
    }
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(),
                    QStringLiteral("Delete the clip \"%1\"?").arg(clip));
    box.setInformativeText(QStringLiteral("A deleted clip cannot be brought back."));
    QPushButton* remove = box.addButton(QStringLiteral("&Delete"), QMessageBox::DestructiveRole);
    QPushButton* keep = box.addButton(QStringLiteral("&Keep"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == remove;
}

void setDeleteClipQuestionHandler(std::function<bool(const QString&)> handler) {
    deleteClipQuestionHandler() = std::move(handler);
}
