#include <gmock/gmock.h>

#include <QUdpSocket>
#include <QtTest/QTest>

#include "DecoderDatagrams.h"
#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

using namespace std::chrono_literals;

// A port nobody listens on right now, found by binding to any free one.
quint16 freePort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

std::string decodesSection(bool listen, const std::string& address, const std::string& port) {
    return "[Decodes]\nListen=" + std::string(listen ? "1" : "0") + "\nAddress=" + address +
           "\nPort=" + port + "\n";
}

class DecodesWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        QGuiApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override {
        WindowTest::TearDown();
        QGuiApplication::setQuitOnLastWindowClosed(true);
    }

    // The window, listening on a free loopback port, on a clock of the test's.
    TTabbedForm& buildListening() {
        port = freePort();
        givenSettingsFile(decodesSection(true, "127.0.0.1", std::to_string(port)));
        TTabbedForm& window = build();
        window.Decodes.setClock([this] { return now; });
        return window;
    }

    // Decodes one second apart, shown at once instead of after the show
    // delay.
    void receiveDecodes(std::initializer_list<double> deltaTimes) {
        for (double dt : deltaTimes) {
            form->Decodes.receive(decodeDatagram({.deltaTime = dt}).data());
            now += 1s;
        }
        form->ShowDecodes();
    }

    quint16 port = 0;
    DecodeEstimator::Moment now = 5000s;
};

TEST_F(DecodesWindowTest, WithoutTheSectionNothingListensAndTheDefaultsAreShown) {
    TTabbedForm& window = build();
    EXPECT_FALSE(window.swListenDecoders->isChecked());
    EXPECT_EQ(window.edDecodesAddress->text(), u"127.0.0.1"_s);
    EXPECT_EQ(window.edDecodesPort->text(), u"2237"_s);
    EXPECT_FALSE(window.Decodes.listening());
    EXPECT_EQ(window.lblDecodes->text(), u"Decodes: not listening"_s);
    EXPECT_FALSE(window.btnUseDecodes->isEnabled());
}

TEST_F(DecodesWindowTest, TheSettingsAreLoadedAndWrittenBack) {
    givenSettingsFile("[Program]\nActive=0\n" + decodesSection(false, "239.255.0.1", "2238"));
    TTabbedForm& window = build();
    EXPECT_EQ(window.edDecodesAddress->text(), u"239.255.0.1"_s);
    EXPECT_EQ(window.edDecodesPort->text(), u"2238"_s);

    window.swListenDecoders->setChecked(true);
    window.edDecodesPort->setText(u"2240"_s);
    EXPECT_TRUE(window.close());
    EXPECT_THAT(withNewlines(os.files[settingsPath()]),
                ::testing::EndsWith(decodesSection(true, "239.255.0.1", "2240")));
}

TEST_F(DecodesWindowTest, AnUnusablePortInTheFileGivesTheDefault) {
    for (const std::string stored : {"0", "70000", "abc", ""}) {
        givenSettingsFile(decodesSection(false, "127.0.0.1", stored));
        TTabbedForm& window = build();
        EXPECT_EQ(window.edDecodesPort->text(), u"2237"_s) << stored;
    }
}

TEST_F(DecodesWindowTest, TheLineFollowsTheDecodesAndUsePutsTheShiftIntoAlign) {
    TTabbedForm& window = buildListening();
    ASSERT_TRUE(window.Decodes.listening());
    EXPECT_EQ(window.lblDecodes->text(), u"Decodes: none yet"_s);

    receiveDecodes({0.38, 0.42, 0.40, 0.44});
    EXPECT_EQ(window.lblDecodes->text(), u"Decodes: too few yet (4 in 2 min)"_s);
    EXPECT_FALSE(window.btnUseDecodes->isEnabled());

    receiveDecodes({0.41, 0.43, 2.9});
    EXPECT_EQ(window.lblDecodes->text(), u"Decodes: DT +0,42 s \u00b10,02 (7 in 2 min)"_s);
    ASSERT_TRUE(window.btnUseDecodes->isEnabled());

    QTest::mouseClick(window.btnUseDecodes, Qt::LeftButton);
    EXPECT_EQ(unit.AlignShift, -4'000'000);
    EXPECT_EQ(window.edAlign->text(), u"-0,4"_s);
    EXPECT_FALSE(unit.SetPending) << "the operator presses SET";
}

TEST_F(DecodesWindowTest, ASetStartsTheEstimateAnew) {
    TTabbedForm& window = buildListening();
    window.swPauseActive->click();
    receiveDecodes({0.4, 0.4, 0.4, 0.4, 0.4});
    QTest::mouseClick(window.btnUseDecodes, Qt::LeftButton);
    QTest::mouseClick(window.btnSet, Qt::LeftButton);
    window.Timer1Timer();
    EXPECT_THAT(os.appliedShifts, ::testing::ElementsAre(-4'000'000));
    EXPECT_THAT(os.files[fileInDirectory(os.workingDirectory, "Quarnel.log")],
                ::testing::EndsWith("SET     -0.4 s  total -0.4 s  from Use: decodes\n"));
    EXPECT_EQ(window.lblDecodes->text(), u"Decodes: none yet"_s);
    EXPECT_FALSE(window.btnUseDecodes->isEnabled());
}

// The second burst shows that reading goes on after the socket was read
// empty: the socket reports new datagrams only after a read.
TEST_F(DecodesWindowTest, DatagramsArriveThroughTheSocketBurstAfterBurst) {
    TTabbedForm& window = buildListening();
    QUdpSocket sender;
    const DatagramBuilder decode = decodeDatagram({.deltaTime = -0.2});
    const std::vector<std::uint8_t>& bytes = decode.data();
    const auto sendBurst = [&] {
        for (int i = 0; i < 5; ++i) {
            sender.writeDatagram(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<qint64>(bytes.size()), QHostAddress::LocalHost, port);
        }
        sender.writeDatagram("garbage", QHostAddress::LocalHost, port);
    };
    sendBurst();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.btnUseDecodes->isEnabled(); }, 5000))
        << window.lblDecodes->text().toStdString();
    EXPECT_EQ(window.lblDecodes->text(), u"Decodes: DT -0,20 s \u00b10,00 (5 in 2 min)"_s);

    sendBurst();
    const QString both = u"Decodes: DT -0,20 s \u00b10,00 (10 in 2 min)"_s;
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.lblDecodes->text() == both; }, 5000))
        << window.lblDecodes->text().toStdString();
}

TEST_F(DecodesWindowTest, TheLineCatchesUpByItselfWhenTheDatagramsStop) {
    TTabbedForm& window = buildListening();
    receiveDecodes({0.1, 0.1, 0.1, 0.1});
    form->Decodes.receive(decodeDatagram({.deltaTime = 0.1}).data());
    EXPECT_FALSE(window.btnUseDecodes->isEnabled()) << "shown after the show delay";
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.btnUseDecodes->isEnabled(); }, 2000));
    EXPECT_EQ(window.lblDecodes->text(), u"Decodes: DT +0,10 s \u00b10,00 (5 in 2 min)"_s);
}

TEST_F(DecodesWindowTest, SwitchingOffClosesTheSocketAndTheLineSaysSo) {
    TTabbedForm& window = buildListening();
    receiveDecodes({0.4, 0.4, 0.4, 0.4, 0.4});
    window.swListenDecoders->click();
    EXPECT_FALSE(window.Decodes.listening());
    EXPECT_EQ(window.lblDecodes->text(), u"Decodes: not listening"_s);
    EXPECT_FALSE(window.btnUseDecodes->isEnabled());
}

TEST_F(DecodesWindowTest, ProblemsAreShownInTheLine) {
    struct Case {
        std::string address;
        std::string port;
        std::string shown;
    };
    // A port that another program holds for itself alone cannot be bound.
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::LocalHost, 0, QUdpSocket::DontShareAddress));
    const std::string held = std::to_string(holder.localPort());
    const std::vector<Case> cases = {
        {"abc", "2237", "Decodes: 'abc' is not an IP address"},
        {"127.0.0.1", "0", "Decodes: the port must be a number from 1 to 65535"},
        {"127.0.0.1", held, "Decodes: cannot listen on 127.0.0.1 port " + held + ": "},
    };
    TTabbedForm& window = build();
    for (const Case& c : cases) {
        window.edDecodesAddress->setText(QString::fromStdString(c.address));
        window.edDecodesPort->setText(QString::fromStdString(c.port));
        if (!window.swListenDecoders->isChecked()) {
            window.swListenDecoders->click();
        }
        EXPECT_FALSE(window.Decodes.listening()) << c.address;
        EXPECT_THAT(window.lblDecodes->text().toStdString(), ::testing::StartsWith(c.shown));
    }
    EXPECT_THAT(errorBoxes, ::testing::ElementsAre());

    window.edDecodesAddress->setText(u"127.0.0.1"_s);
    window.edDecodesPort->setText(QString::number(freePort()));
    EXPECT_TRUE(window.Decodes.listening()) << "a corrected setting is used at once";
    EXPECT_EQ(window.lblDecodes->text(), u"Decodes: none yet"_s);
}

}  // namespace
}  // namespace quarnel::testing
