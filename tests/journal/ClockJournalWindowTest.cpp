// The journal on the platform double: where it is written, how it starts
// anew, and how a failure to write it is told.
#include <gmock/gmock.h>

#include "journal/window/ClockJournal.h"
#include "support/WindowFixture.h"

namespace quarnel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ClockJournalTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        os.now = toTimeCount({2021, 3, 5, 5, 9, 7, 3, 42});
    }

    void recordStop() { journal.recordKeeper(u"service chronyd"_s, TKeeperAction::Stop, {}); }

    std::string journalPath() const { return fileInDirectory(os.workingDirectory, "Quarnel.log"); }

    static inline const std::string kStopLine =
        "2021-03-05 09:07:03.042 UTC  STOP    service chronyd: done\n";

    ClockJournal journal;
};

TEST_F(ClockJournalTest, LinesGoBesideTheSettingsFileWhereverThatIs) {
    recordStop();
    EXPECT_EQ(os.files[journalPath()], kStopLine);

    os.settingsFileAt = "/home/op/.config/quarnel/Quarnel.ini";
    recordStop();
    EXPECT_EQ(os.files["/home/op/.config/quarnel/Quarnel.log"], kStopLine);
    EXPECT_EQ(os.files[journalPath()], kStopLine) << "the other journal is left alone";
}

TEST_F(ClockJournalTest, TheTimeIsUniversalTime) {
    os.localMinusUniversal = 2 * 3600 * kUnitsPerSecond;
    recordStop();
    EXPECT_EQ(os.files[journalPath()],
              "2021-03-05 07:07:03.042 UTC  STOP    service chronyd: done\n");
}

// The journal moves aside only when the next line would take it past
// 1,000,000 bytes; the older copy it replaces is gone.
TEST_F(ClockJournalTest, StartingAnewKeepsOneOlderCopy) {
    const std::string older = journalPath() + ".1";
    os.files[older] = "the oldest lines\n";
    const std::string full(1'000'000 - kStopLine.size(), 'x');
    os.files[journalPath()] = full;

    recordStop();
    EXPECT_EQ(os.files[journalPath()].size(), 1'000'000U) << "exactly full is not past";
    EXPECT_EQ(os.files[older], "the oldest lines\n");

    recordStop();
    EXPECT_EQ(os.files[journalPath()], kStopLine);
    EXPECT_EQ(os.files[older], full + kStopLine);
    EXPECT_THAT(errorBoxes, IsEmpty());
}

// The first failure is told, with the path and the system's reason; the next
// ones are not, so that a broken journal cannot bury the user in boxes.
TEST_F(ClockJournalTest, AFailureIsToldOnceAndTheJournalIsTriedAgain) {
    os.refuseAppendWith = "Read-only file system";
    recordStop();
    recordStop();
    EXPECT_THAT(
        errorBoxes,
        ElementsAre(QString::fromStdString("The journal " + journalPath() +
                                           " could not be written: Read-only file system.")));

    os.refuseAppendWith.reset();
    recordStop();
    EXPECT_EQ(os.files[journalPath()], kStopLine);
    EXPECT_EQ(errorBoxes.size(), 1);
}

TEST_F(ClockJournalTest, AJournalThatCannotMoveAsideStillTakesTheLine) {
    const std::string full(1'000'000, 'x');
    os.files[journalPath()] = full;
    os.refuseRenameWith = "Permission denied";
    recordStop();
    EXPECT_EQ(os.files[journalPath()], full + kStopLine);
    EXPECT_THAT(errorBoxes,
                ElementsAre(QString::fromStdString("The journal " + journalPath() +
                                                   " could not be written: Permission denied.")));
}

}  // namespace
}  // namespace quarnel::testing
