#include <gmock/gmock.h>
#include <sys/stat.h>

#include <QAbstractProxyModel>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include "support/WindowFixture.h"

namespace quarnel::testing {
namespace {

using ::testing::IsEmpty;

class SetupTabWindowTest : public WindowTest {
  protected:
    // The user's answer to the open-file dialog: a file, or nothing (cancel).
    void answerDialogWith(std::optional<QString> answer) {
        form->OpenDialog1.setPicker([answer](QFileDialog&) { return answer; });
    }
};

TEST_F(SetupTabWindowTest, ClearButtonsEmptyTheirEditOnly) {
    TTabbedForm& window = build();
    const std::vector<std::pair<QPushButton*, QLineEdit*>> pairs{
        {window.btnClearServiceName, window.edServiceName},
        {window.btnClearProgFilePath, window.edProgFilePath},
        {window.btnClearProgParams, window.edProgParams}};
    for (const auto& [button, edit] : pairs) {
        edit->setText("text");
        edit->setToolTip("hint");
    }
    window.swPauseActive->click();
    os.calls.clear();

    for (const auto& [button, edit] : pairs) {
        button->click();
        EXPECT_EQ(edit->text(), "") << edit->objectName().toStdString();
        EXPECT_EQ(edit->toolTip(), "hint") << edit->objectName().toStdString();
    }
    EXPECT_THAT(os.calls, IsEmpty());
    EXPECT_TRUE(window.swPauseActive->isChecked());
}

TEST_F(SetupTabWindowTest, AConfirmedFileBecomesPathAndHint) {
    TTabbedForm& window = build();
    window.edProgFilePath->setText("/old/keeper");
    answerDialogWith("/opt/keepers/My Clock");

    window.btnOpenFileDialog->click();

    // With the system's separators, as a user of the system writes them.
    const QString chosen = QDir::toNativeSeparators("/opt/keepers/My Clock");
    EXPECT_EQ(window.edProgFilePath->text(), chosen);
    EXPECT_EQ(window.edProgFilePath->toolTip(), chosen);
    EXPECT_THAT(os.calls, IsEmpty());
}

TEST_F(SetupTabWindowTest, ACancelledDialogKeepsThePathButStillSetsTheHint) {
    TTabbedForm& window = build();
    window.edProgFilePath->setText("/typed/by/hand");
    answerDialogWith(std::nullopt);

    window.btnOpenFileDialog->click();
    EXPECT_EQ(window.edProgFilePath->text(), "/typed/by/hand");
    EXPECT_EQ(window.edProgFilePath->toolTip(), "/typed/by/hand");

    window.btnClearProgFilePath->click();
    EXPECT_EQ(window.edProgFilePath->toolTip(), "/typed/by/hand") << "clearing keeps the old hint";
}

#ifndef Q_OS_WIN
// Linux programs carry no extension: the dialog lists folders and the files
// that may be run, and hides the rest.
TEST_F(SetupTabWindowTest, TheDialogOffersFoldersAndExecutableFiles) {
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    ASSERT_TRUE(QDir(directory.path()).mkdir("bin"));
    for (const char* name : {"run-me", "notes.txt"}) {
        QFile file(directory.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ::chmod(QFile::encodeName(directory.filePath("run-me")).constData(), 0755);
    ::chmod(QFile::encodeName(directory.filePath("notes.txt")).constData(), 0644);

    TTabbedForm& window = build();
    QStringList offered;
    window.OpenDialog1.setPicker([&](QFileDialog& dialog) -> std::optional<QString> {
        EXPECT_EQ(dialog.nameFilters(), QStringList("Applications (*)"));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        dialog.setDirectory(directory.path());

        QAbstractProxyModel* shown = dialog.proxyModel();
        if (shown == nullptr) {
            ADD_FAILURE() << "no filter on the listed files";
            return std::nullopt;
        }
        const auto* files = qobject_cast<QFileSystemModel*>(shown->sourceModel());
        const QModelIndex folder = files->index(directory.path());
        EXPECT_TRUE(QTest::qWaitFor([&] { return files->rowCount(folder) == 3; }, 10000));
        const QModelIndex shownFolder = shown->mapFromSource(folder);
        for (int row = 0; row < shown->rowCount(shownFolder); ++row) {
            offered << shown->index(row, 0, shownFolder).data().toString();
        }
        return directory.filePath("run-me");
    });

    window.btnOpenFileDialog->click();

    offered.sort();
    EXPECT_EQ(offered, QStringList({"bin", "run-me"}));
    EXPECT_EQ(window.edProgFilePath->text(), directory.filePath("run-me"));
}
#endif

}  // namespace
}  // namespace quarnel::testing
