// One running Quarnel per settings file: real lock files in a scratch folder
// and real local sockets, the settings file named by the platform double.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <chrono>
#include <future>

#include "app/SingleInstance.h"
#include "support/WindowFixture.h"

namespace quarnel::testing {
namespace {

using Claim = SingleInstance::Claim;

class SingleInstanceTest : public WindowTest {
  protected:
    // A platform double whose settings file is `name` in the scratch folder.
    std::unique_ptr<RecordingPlatform> platformFor(const QString& name) {
        auto platform = std::make_unique<RecordingPlatform>();
        platform->settingsFileAt = scratch.filePath(name).toStdString();
        return platform;
    }

    // Claims in a thread of its own, so that the copy in this thread can
    // answer: this thread runs the event loop until the claim is decided.
    Claim claimElsewhere(Platform& platform) {
        std::future<Claim> claim = std::async(std::launch::async, [&platform] {
            SingleInstance instance(platform);
            return instance.claim();
        });
        const bool decided = QTest::qWaitFor(
            [&] { return claim.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            10'000);
        EXPECT_TRUE(decided) << "the second claim did not end";
        return claim.get();
    }

    QTemporaryDir scratch;
};

TEST_F(SingleInstanceTest, ASecondStartWithTheSameSettingsRaisesTheFirstCopy) {
    const auto platform = platformFor(u"Quarnel.ini"_s);
    SingleInstance first(*platform);
    QSignalSpy raiseRequests(&first, &SingleInstance::raiseRequested);
    ASSERT_EQ(first.claim(), Claim::Run);
    EXPECT_TRUE(QFileInfo::exists(scratch.filePath(u"Quarnel.ini.lock"_s)));

    const auto again = platformFor(u"Quarnel.ini"_s);
    EXPECT_EQ(claimElsewhere(*again), Claim::HandedOver);
    EXPECT_EQ(raiseRequests.count(), 1);
    EXPECT_EQ(errorBoxes, QStringList());
}

// Two portable folders: each copy has its own settings, lock and channel, so
// a start in the first folder still reaches the first copy.
TEST_F(SingleInstanceTest, CopiesWithDifferentSettingsFilesRunSideBySide) {
    ASSERT_TRUE(QDir(scratch.path()).mkdir(u"second"_s));
    const auto platform = platformFor(u"Quarnel.ini"_s);
    SingleInstance first(*platform);
    QSignalSpy raisesOfFirst(&first, &SingleInstance::raiseRequested);
    ASSERT_EQ(first.claim(), Claim::Run);
    const auto other = platformFor(u"second/Quarnel.ini"_s);
    SingleInstance second(*other);
    QSignalSpy raisesOfSecond(&second, &SingleInstance::raiseRequested);
    EXPECT_EQ(second.claim(), Claim::Run);

    const auto again = platformFor(u"Quarnel.ini"_s);
    EXPECT_EQ(claimElsewhere(*again), Claim::HandedOver);
    EXPECT_EQ(raisesOfFirst.count(), 1);
    EXPECT_EQ(raisesOfSecond.count(), 0);
}

// The copy holding the lock cannot answer while this thread waits for it, as
// a copy that hangs: the second start gives up after a short wait and says so.
TEST_F(SingleInstanceTest, ACopyThatDoesNotAnswerIsReported) {
    const auto platform = platformFor(u"Quarnel.ini"_s);
    SingleInstance first(*platform);
    ASSERT_EQ(first.claim(), Claim::Run);

    const auto again = platformFor(u"Quarnel.ini"_s);
    SingleInstance second(*again);
    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(second.claim(), Claim::Unanswered);
    EXPECT_LT(waited.elapsed(), 5'000);
    ASSERT_EQ(errorBoxes.size(), 1);
    EXPECT_TRUE(
        errorBoxes[0].startsWith(u"A copy of Quarnel is already running with the "
                                 u"settings file "_s +
                                 QDir::toNativeSeparators(scratch.filePath(u"Quarnel.ini"_s))))
        << errorBoxes[0].toStdString();
}

// A copy that crashed leaves its lock behind; the next start takes it over.
TEST_F(SingleInstanceTest, TheLockOfACopyThatIsGoneIsTakenOver) {
    const QString lockFile = scratch.filePath(u"Quarnel.ini.lock"_s);
    const QString leaver = QDir(QCoreApplication::applicationDirPath())
                               .filePath(QStringLiteral(QUARNEL_LOCK_LEAVER_NAME));
    ASSERT_EQ(QProcess::execute(leaver, {QDir::toNativeSeparators(lockFile)}), 0);
    qint64 leftBy = 0;
    QString host;
    QString application;
    ASSERT_TRUE(QLockFile(lockFile).getLockInfo(&leftBy, &host, &application))
        << "no lock was left behind";

    const auto platform = platformFor(u"Quarnel.ini"_s);
    SingleInstance instance(*platform);
    EXPECT_EQ(instance.claim(), Claim::Run);
    qint64 heldBy = 0;
    ASSERT_TRUE(QLockFile(lockFile).getLockInfo(&heldBy, &host, &application));
    EXPECT_EQ(heldBy, QCoreApplication::applicationPid());
    EXPECT_NE(heldBy, leftBy);
}

}  // namespace
}  // namespace quarnel::testing
