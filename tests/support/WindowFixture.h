#pragma once

#include <gmock/gmock.h>

#include <QLocale>
#include <QStringList>
#include <memory>

#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"
#include "support/RecordingPlatform.h"

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

// Builds the real window on the double with a fresh unit state, a German
// locale (decimal comma) and error boxes recorded instead of shown. The
// question after a failed save is recorded too and answered with
// `closeWithoutSaving` (stay open unless a test says otherwise).
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        unit = UnitState{};
        setPlatform(os);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        setErrorBoxHandler([this](const QString& text) { errorBoxes.append(text); });
        setCloseQuestionHandler([this](const QString& text) {
            closeQuestions.append(text);
            return closeWithoutSaving;
        });
        qtWarnings().clear();
    }

    void TearDown() override {
        form.reset();
        setErrorBoxHandler({});
        setCloseQuestionHandler({});
        EXPECT_EQ(qtWarnings().filter(QStringLiteral("QObject::connect")).join('\n'), QString());
    }

    TTabbedForm& build() {
        form = std::make_unique<TTabbedForm>();
        return *form;
    }

    // The settings file in the double's current directory.
    std::string settingsPath() const {
        return fileInDirectory(os.workingDirectory, IniFileName.toStdString());
    }
    void givenSettingsFile(const std::string& contents) { os.files[settingsPath()] = contents; }

    RecordingPlatform os;
    QStringList errorBoxes;
    QStringList closeQuestions;
    bool closeWithoutSaving = false;
    std::unique_ptr<TTabbedForm> form;
};

}  // namespace quarnel::testing
