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

using namespace Qt::StringLiterals;

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
        edit->setText(u"text"_s);
        edit->setToolTip(u"hint"_s);
    }
    window.swPauseActive->click();
    os.calls.clear();

    for (const auto& [button, edit] : pairs) {
        button->click();
        EXPECT_EQ(edit->text(), QString()) << edit->objectName().toStdString();
        EXPECT_EQ(edit->toolTip(), u"hint"_s) << edit->objectName().toStdString();
    }
    EXPECT_THAT(os.calls, IsEmpty());
    EXPECT_TRUE(window.swPauseActive->isChecked());
}

TEST_F(SetupTabWindowTest, AConfirmedFileBecomesPathAndHint) {
    TTabbedForm& window = build();
    window.edProgFilePath->setText(u"/old/keeper"_s);
    answerDialogWith(u"/opt/keepers/My Clock"_s);

    window.btnOpenFileDialog->click();

    // With the system's separators, as a user of the system writes them.
    const QString chosen = QDir::toNativeSeparators(u"/opt/keepers/My Clock"_s);
    EXPECT_EQ(window.edProgFilePath->text(), chosen);
    EXPECT_EQ(window.edProgFilePath->toolTip(), chosen);
    EXPECT_THAT(os.calls, IsEmpty());
}

TEST_F(SetupTabWindowTest, ACancelledDialogKeepsThePathButStillSetsTheHint) {
    TTabbedForm& window = build();
    window.edProgFilePath->setText(u"/typed/by/hand"_s);
    answerDialogWith(std::nullopt);

    window.btnOpenFileDialog->click();
    EXPECT_EQ(window.edProgFilePath->text(), u"/typed/by/hand"_s);
    EXPECT_EQ(window.edProgFilePath->toolTip(), u"/typed/by/hand"_s);

    window.btnClearProgFilePath->click();
    EXPECT_EQ(window.edProgFilePath->toolTip(), u"/typed/by/hand"_s)
        << "clearing keeps the old hint";
}

#ifndef Q_OS_WIN
// Linux programs carry no extension: the dialog lists folders and the files
// that may be run, and hides the rest.
TEST_F(SetupTabWindowTest, TheDialogOffersFoldersAndExecutableFiles) {
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    ASSERT_TRUE(QDir(directory.path()).mkdir(u"bin"_s));
    for (const char* name : {"run-me", "notes.txt"}) {
        QFile file(directory.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ::chmod(QFile::encodeName(directory.filePath(u"run-me"_s)).constData(), 0755);
    ::chmod(QFile::encodeName(directory.filePath(u"notes.txt"_s)).constData(), 0644);

    TTabbedForm& window = build();
    QStringList offered;
    window.OpenDialog1.setPicker([&](QFileDialog& dialog) -> std::optional<QString> {
        EXPECT_EQ(dialog.nameFilters(), QStringList(u"Applications (*)"_s));
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
        return directory.filePath(u"run-me"_s);
    });

    window.btnOpenFileDialog->click();

    offered.sort();
    EXPECT_EQ(offered, QStringList({u"bin"_s, u"run-me"_s}));
    EXPECT_EQ(window.edProgFilePath->text(), directory.filePath(u"run-me"_s));
}
#endif

}  // namespace
}  // namespace quarnel::testing
