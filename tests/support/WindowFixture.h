#pragma once

#include <gmock/gmock.h>

#include <QGuiApplication>
#include <QLocale>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>

#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"
#include "settings/IniDocument.h"
#include "settings/window/ScreenList.h"
#include "support/RecordingPlatform.h"
#include "widgets/IntervalTimer.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {

// Qt's warnings, kept so that a test can fail on a handler that the .ui binds
// to a slot that does not exist (uic's connections only warn at run time).
inline QStringList& qtWarnings() {
    static QStringList warnings;
    return warnings;
}

inline void captureQtWarnings() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg) {
            qtWarnings().append(message);
        }
    });
}

// The timer that drives an interval timer: whether it runs, and how long
// until it fires.
inline const QTimer& timerOf(const IntervalTimer& timer) {
    const QTimer* found = timer.findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_NE(found, nullptr);
    return *found;
}

// Paths and settings files as this system has them, so that one expectation
// holds on Linux and on Windows: the program joins a directory and a file
// name with the system's separator and writes CR LF line ends on Windows.
#ifdef _WIN32
inline const std::string kRootDirectory = "C:\\";
#else
inline const std::string kRootDirectory = "/";
#endif

// A settings text as this system writes it, with its line ends turned into
// "\n"; a line end of the other kind fails the test.
inline std::string withNewlines(const std::string& text) {
    std::string lines;
    std::size_t at = 0;
    const std::string_view lineEnd = kBuiltForConventions.settingsLineEnd;
    for (std::size_t end; (end = text.find(lineEnd, at)) != std::string::npos;
         at = end + lineEnd.size()) {
        lines.append(text, at, end - at).append("\n");
    }
    lines.append(text, at);
    EXPECT_EQ(lines.find_first_of("\r"), std::string::npos) << "a line end not of this system";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'),
              std::count(text.begin(), text.end(), '\n'))
        << "a line end not of this system";
    return lines;
}

// Builds the real window on the double with a fresh unit state, a German
// locale (decimal comma) and error boxes recorded instead of shown. The
// question after a failed save is recorded too and answered with
// `closeWithoutSaving` (stay open unless a test says otherwise), and so is
// the question about undoing the shifts, answered with `undoAnswer`. Tests
// close windows without running the event loop, so the application is kept
// from being told to quit when the last one closes.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        unit = UnitState{};
        QGuiApplication::setQuitOnLastWindowClosed(false);
        setPlatform(os);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        setErrorBoxHandler([this](const QString& text) { errorBoxes.append(text); });
        setCloseQuestionHandler([this](const QString& text) {
            closeQuestions.append(text);
            return closeWithoutSaving;
        });
        setUndoQuestionHandler([this](const QString& question) {
            undoQuestions.append(question);
            return undoAnswer;
        });
        qtWarnings().clear();
    }

    void TearDown() override {
        form.reset();
        setErrorBoxHandler({});
        setCloseQuestionHandler({});
        setUndoQuestionHandler({});
        setDesktopScreensHandler({});
        QGuiApplication::setQuitOnLastWindowClosed(true);
        EXPECT_EQ(qtWarnings().filter(QStringLiteral("QObject::connect")).join(u'\n'), QString());
    }

    TTabbedForm& build() {
        form = std::make_unique<TTabbedForm>();
        return *form;
    }

    // The settings file in the double's current directory, and the call
    // that writes it.
    std::string replaceSettingsCall() const { return "replaceFile [" + settingsPath() + "]"; }
    std::string settingsPath() const {
        return fileInDirectory(os.workingDirectory, IniFileName.toStdString());
    }
    void givenSettingsFile(const std::string& contents) { os.files[settingsPath()] = contents; }

    // A clock reference's row on the Timeshift tab, by the reference's name.
    QLabel* referenceLine(const QString& name) const {
        return form->findChild<QLabel*>(QStringLiteral("lbl") + name);
    }
    QPushButton* useButton(const QString& name) const {
        return form->findChild<QPushButton*>(QStringLiteral("btnUse") + name);
    }
    template <class Reference>
    Reference& reference() const {
        auto* found = form->findChild<Reference*>();
        EXPECT_NE(found, nullptr);
        return *found;
    }

    RecordingPlatform os;
    QStringList errorBoxes;
    QStringList closeQuestions;
    bool closeWithoutSaving = false;
    QStringList undoQuestions;
    UndoAnswer undoAnswer = UndoAnswer::Close;
    std::unique_ptr<TTabbedForm> form;
};

}  // namespace quarnel::testing
