#include <gmock/gmock.h>

#include <QComboBox>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QUdpSocket>
#include <QtTest/QTest>

#include "DecoderDatagrams.h"
#include "decodes/window/DecodesReference.h"
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
    // The window, listening on a free loopback port, on a clock of the test's.
    TTabbedForm& buildListening() {
        port = freePort();
        givenSettingsFile(decodesSection(true, "127.0.0.1", std::to_string(port)));
        TTabbedForm& window = build();
        decodes().setClock([this] { return now; });
        return window;
    }

    // Decodes one second apart, shown at once instead of after the show
    // delay.
    void receiveDecodes(std::initializer_list<double> deltaTimes) {
        for (double dt : deltaTimes) {
            decodes().receive(decodeDatagram({.deltaTime = dt}).data());
            now += 1s;
        }
        emit reference<DecodesReference>().changed();
    }

    // Decodes of the messages given, one second apart, then shown.
    void receiveMessages(std::initializer_list<std::pair<const char*, double>> decodes) {
        for (const auto& [message, dt] : decodes) {
            this->decodes().receive(decodeDatagram({.deltaTime = dt, .message = message}).data());
            now += 1s;
        }
        emit reference<DecodesReference>().changed();
    }

    DecodeListener& decodes() { return reference<DecodesReference>().listener(); }
    QComboBox* station() { return reference<DecodesReference>().stationChooser(); }
    QStringList offered() {
        QStringList items;
        for (int i = 0; i < station()->count(); ++i) {
            items << station()->itemText(i);
        }
        return items;
    }
    QLabel* line() const { return referenceLine(u"Decodes"_s); }
    QPushButton* use() const { return useButton(u"Decodes"_s); }

    quint16 port = 0;
    DecodeEstimator::Moment now = 5000s;
};

TEST_F(DecodesWindowTest, WithoutTheSectionNothingListensAndTheDefaultsAreShown) {
    TTabbedForm& window = build();
    EXPECT_FALSE(window.swListenDecoders->isChecked());
    EXPECT_EQ(window.edDecodesAddress->text(), u"127.0.0.1"_s);
    EXPECT_EQ(window.edDecodesPort->text(), u"2237"_s);
    EXPECT_FALSE(decodes().listening());
    EXPECT_EQ(line()->toolTip(), u"Decodes: not listening"_s);
    EXPECT_FALSE(use()->isEnabled());
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
                ::testing::HasSubstr(decodesSection(true, "239.255.0.1", "2240")));
}

// What the file holds is shown and written back as it is, whether or not it
// can be listened on; the line says why not.
TEST_F(DecodesWindowTest, UnusableSettingsAreKeptAndTheLineSaysWhy) {
    struct Case {
        std::string address;
        std::string port;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"127.0.0.1", "0", "Decodes: port 0 is not a port number (1-65535)"},
        {"127.0.0.1", "65536", "Decodes: port 65536 is not a port number (1-65535)"},
        {"127.0.0.1", "abc", "Decodes: port abc is not a port number (1-65535)"},
        {"127.0.0.1", "-1", "Decodes: port -1 is not a port number (1-65535)"},
        {"127.0.0.1", "", "Decodes: no port number given (1-65535)"},
        {"", "2237", "Decodes: no address given"},
    };
    for (const Case& c : cases) {
        const std::string section = decodesSection(true, c.address, c.port);
        givenSettingsFile("[Program]\nActive=0\n" + section);
        TTabbedForm& window = build();
        EXPECT_EQ(window.edDecodesAddress->text().toStdString(), c.address);
        EXPECT_EQ(window.edDecodesPort->text().toStdString(), c.port);
        EXPECT_FALSE(decodes().listening()) << c.port;
        EXPECT_EQ(line()->toolTip().toStdString(), c.shown);
        EXPECT_TRUE(window.close());
        EXPECT_THAT(withNewlines(os.files[settingsPath()]), ::testing::HasSubstr(section));
    }
}

// A name is looked up without holding up the window, then listened on; a
// name nobody knows is reported. Names and IPv6 addresses survive the field
// and the file.
TEST_F(DecodesWindowTest, HostNamesAndIpv6AddressesAreListenedOn) {
    struct Case {
        std::string address;
        std::string shown;  // the start of the line once the name is resolved
        bool listening;
    };
    const std::vector<Case> cases = {
        {"localhost", "Decodes: none yet", true},
        {"::1", "Decodes: none yet", true},
        {"no-such-host.invalid", "Decodes: cannot find no-such-host.invalid: ", false},
    };
    for (const Case& c : cases) {
        const std::string section = decodesSection(true, c.address, std::to_string(freePort()));
        givenSettingsFile("[Program]\nActive=0\n" + section);
        TTabbedForm& window = build();
        EXPECT_EQ(window.edDecodesAddress->text().toStdString(), c.address);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return line()->toolTip().startsWith(QString::fromStdString(c.shown)); }, 10000))
            << line()->toolTip().toStdString();
        EXPECT_EQ(decodes().listening(), c.listening) << c.address;
        EXPECT_TRUE(window.close());
        EXPECT_THAT(withNewlines(os.files[settingsPath()]), ::testing::HasSubstr(section));
    }

    TTabbedForm& window = build();
    window.edDecodesAddress->clear();
    QTest::keyClicks(window.edDecodesAddress, u"decodes-1.example"_s);
    EXPECT_EQ(window.edDecodesAddress->text(), u"decodes-1.example"_s) << "typed names are kept";
}

// A unicast port is held alone: a logger that asks the system to share it
// would otherwise take all the reports (the last to bind gets them).
TEST_F(DecodesWindowTest, AUnicastPortIsNotSharedAndATakenOneIsReported) {
    const auto sharing = QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint;
    TTabbedForm& window = buildListening();
    ASSERT_TRUE(decodes().listening());
    QUdpSocket laterLogger;
    EXPECT_FALSE(laterLogger.bind(QHostAddress::LocalHost, port, sharing))
        << "a second program took the port Quarnel listens on";

    QUdpSocket earlierLogger;
    ASSERT_TRUE(earlierLogger.bind(QHostAddress::LocalHost, 0, sharing));
    const QString taken = QString::number(earlierLogger.localPort());
    window.edDecodesPort->setText(taken);
    EXPECT_FALSE(decodes().listening());
    EXPECT_EQ(line()->toolTip(), u"Decodes: port "_s + taken +
                                     u" is taken; to share the reports, use a multicast group"_s);
}

TEST_F(DecodesWindowTest, TheLineFollowsTheDecodesAndUsePutsTheShiftIntoAlign) {
    TTabbedForm& window = buildListening();
    ASSERT_TRUE(decodes().listening());
    EXPECT_EQ(line()->toolTip(), u"Decodes: none yet"_s);

    receiveDecodes({0.38, 0.42, 0.40, 0.44});
    EXPECT_EQ(line()->toolTip(), u"Decodes: too few yet (4 in 2 min)"_s);
    EXPECT_FALSE(use()->isEnabled());

    receiveDecodes({0.41, 0.43, 2.9});
    EXPECT_EQ(line()->toolTip(), u"Decodes: DT +0,42 s \u00b10,02 (7 in 2 min)"_s);
    ASSERT_TRUE(use()->isEnabled());

    QTest::mouseClick(use(), Qt::LeftButton);
    EXPECT_EQ(unit.AlignShift, -4'000'000);
    EXPECT_EQ(window.edAlign->text(), u"-0,4"_s);
    EXPECT_FALSE(unit.SetPending) << "the operator presses SET";
}

// Three stations, one of them with its clock 1.9 s late: chosen, Use meets
// it there; all stations again give the median of everybody.
TEST_F(DecodesWindowTest, ChoosingAStationUsesItsOwnDt) {
    TTabbedForm& window = buildListening();
    EXPECT_EQ(station()->currentText(), u"All stations"_s) << "the choice is not saved";
    receiveMessages({{"CQ DL1ABC JO62", 0.1},
                     {"CQ DX C6ABC EL84", 1.9},
                     {"DL1ABC K1ABC FN42", 0.2},
                     {"K1ABC C6ABC -05", 2.0},
                     {"C6ABC DL1ABC R-10", 0.1},
                     {"K1ABC <C6ABC> RR73", 1.8},
                     {"C6ABC K1ABC RR73", 0.1}});
    EXPECT_EQ(line()->toolTip(), u"Decodes: DT +0,20 s ±0,10 (7 in 2 min)"_s);
    EXPECT_EQ(offered(), QStringList({u"All stations"_s, u"K1ABC"_s, u"C6ABC"_s, u"DL1ABC"_s}))
        << "most recently heard first";

    station()->setFocus();
    station()->lineEdit()->selectAll();
    QTest::keyClicks(station()->lineEdit(), u"c6"_s);
    EXPECT_EQ(line()->toolTip(), u"Decodes: C6 not heard for 2 min"_s);
    EXPECT_FALSE(use()->isEnabled());
    QTest::keyClicks(station()->lineEdit(), u"abc"_s);
    EXPECT_EQ(line()->toolTip(), u"Decodes: C6ABC DT +1,90 s (3 in 2 min)"_s);
    // The chooser shows the call; beside it the number comes first, in sight
    // even where wider fonts shorten the rest.
    EXPECT_TRUE(line()->text().startsWith(u"DT +1,90 s"_s)) << line()->text().toStdString();
    QTest::mouseClick(use(), Qt::LeftButton);
    EXPECT_EQ(unit.AlignShift, -19'000'000);
    EXPECT_EQ(window.edAlign->text(), u"-1,9"_s);

    receiveMessages({{"CQ W9XYZ EN37", 0.2}});
    EXPECT_EQ(station()->currentText(), u"c6abc"_s) << "new stations keep what is typed";
    EXPECT_EQ(offered().at(1), u"W9XYZ"_s);

    station()->setCurrentIndex(0);
    EXPECT_EQ(line()->toolTip(), u"Decodes: DT +0,20 s ±0,10 (8 in 2 min)"_s);
    QTest::mouseClick(use(), Qt::LeftButton);
    EXPECT_EQ(unit.AlignShift, -2'000'000);

    station()->setCurrentText(u"C6ABC"_s);
    now += 2min - 3s;  // C6ABC's last decode leaves the window
    emit reference<DecodesReference>().changed();
    EXPECT_EQ(line()->toolTip(), u"Decodes: C6ABC not heard for 2 min"_s);
    EXPECT_FALSE(use()->isEnabled());
    EXPECT_FALSE(offered().contains(u"C6ABC"_s));
}

// The rows share the area, one line each: the chooser stands at the start
// of the decodes row while listening, as high as Use, and the line beside it;
// without a socket the chooser goes and the line takes the whole width. The
// rows below keep their places and widths. A text too long for its line is
// shortened at its end; which texts stay whole depends on the fonts.
TEST_F(DecodesWindowTest, TheChooserFitsIntoTheRow) {
    // Whether a text fits depends on the fonts: the Linux lane has the ones
    // the window is laid out for (fonts-liberation2), while Wine's offscreen
    // window draws with fonts of its own, wider than Windows' own ones.
#ifdef _WIN32
    constexpr bool fontsOfTheLayout = false;
#else
    constexpr bool fontsOfTheLayout = true;
#endif
    const auto fits = [this](const QString& shown, bool whole) {
        if (fontsOfTheLayout) {
            EXPECT_EQ(line()->fontMetrics().horizontalAdvance(shown) <= line()->width(), whole)
                << shown.toStdString() << " in " << line()->width() << " px";
        }
    };
    TTabbedForm& window = buildListening();
    const int pitch = window.References->rowPitch();
    EXPECT_EQ(pitch, 24) << "three rows in the 72 px of the area";
    ASSERT_FALSE(station()->isHidden());
    EXPECT_EQ(station()->parentWidget(), window.ReferenceRows);
    const QRect chooser = station()->geometry();
    EXPECT_EQ(chooser.height(), use()->height());
    EXPECT_EQ(use()->geometry(), QRect(312, 0, 57, 22));
    EXPECT_FALSE(chooser.intersects(line()->geometry()));
    EXPECT_FALSE(chooser.intersects(use()->geometry()));
    EXPECT_FALSE(line()->geometry().intersects(use()->geometry()));
    EXPECT_LE(line()->geometry().bottom(), pitch - 1);
    EXPECT_EQ(referenceLine(u"TimeServer"_s)->geometry(), QRect(0, pitch, 305, pitch - 2));
    EXPECT_EQ(referenceLine(u"Gps"_s)->geometry(), QRect(0, 2 * pitch, 305, pitch - 2));
    EXPECT_EQ(useButton(u"Gps"_s)->geometry(), QRect(312, 2 * pitch, 57, 22));
    EXPECT_LE(window.ReferenceRows->height(), 3 * pitch + 1);
    // Beside the chooser the line leaves out what the chooser says, and so
    // its numbers stay in sight; the tool tip has the whole line.
    EXPECT_EQ(line()->text(), u"none yet"_s);
    EXPECT_EQ(line()->toolTip(), u"Decodes: none yet"_s);
    for (const QString& shown :
         {u"DT +1,95 s (3 in 2 min)"_s, u"DT -0,42 s \u00b10,05 (37 in 2 min)"_s,
          u"too few yet (12 in 2 min)"_s, u"not heard for 2 min"_s}) {
        fits(shown, true);
    }

    window.swListenDecoders->click();
    EXPECT_TRUE(station()->isHidden());
    EXPECT_EQ(line()->geometry(), QRect(0, 0, 305, pitch - 2));
    for (const QString& shown :
         {u"Decodes: not listening"_s, u"Decodes: VP2E/K1ABC DT -1,35 s (12 in 2 min)"_s,
          u"Decodes: DT +0,42 s \u00b10,05 (37 in 2 min)"_s,
          u"Decodes: PJ4/K1ABC not heard for 2 min"_s}) {
        fits(shown, true);
    }
    fits(u"Decodes: port 2237 is taken; to share the reports, use a multicast group"_s, false);
    fits(u"Decodes: cannot find no-such-host.invalid: Host not found"_s, false);
    window.swListenDecoders->click();
    EXPECT_FALSE(station()->isHidden()) << "listening again";
    EXPECT_FALSE(station()->geometry().intersects(line()->geometry()));
}

TEST_F(DecodesWindowTest, ASetOrResetStartsTheEstimateAnew) {
    TTabbedForm& window = buildListening();
    window.swPauseActive->click();
    receiveDecodes({0.4, 0.4, 0.4, 0.4, 0.4});
    QTest::mouseClick(use(), Qt::LeftButton);
    QTest::mouseClick(window.btnSet, Qt::LeftButton);
    window.Timer1Timer();
    EXPECT_THAT(os.appliedShifts, ::testing::ElementsAre(-4'000'000));
    EXPECT_THAT(os.files[fileInDirectory(os.workingDirectory, "Quarnel.log")],
                ::testing::EndsWith("SET     -0.4 s  total -0.4 s  from Use: decodes\n"));
    EXPECT_EQ(line()->toolTip(), u"Decodes: none yet"_s);
    EXPECT_FALSE(use()->isEnabled());

    receiveDecodes({0.1, 0.1, 0.1, 0.1, 0.1});
    QTest::mouseClick(window.btnSetOrigin, Qt::LeftButton);
    EXPECT_THAT(os.appliedShifts, ::testing::ElementsAre(-4'000'000, 4'000'000));
    EXPECT_EQ(line()->toolTip(), u"Decodes: none yet"_s) << "RESET moves the clock too";
}

// The second burst shows that reading goes on after the socket was read
// empty: the socket reports new datagrams only after a read.
TEST_F(DecodesWindowTest, DatagramsArriveThroughTheSocketBurstAfterBurst) {
    buildListening();
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return use()->isEnabled(); }, 5000))
        << line()->toolTip().toStdString();
    EXPECT_EQ(line()->toolTip(), u"Decodes: DT -0,20 s \u00b10,00 (5 in 2 min)"_s);

    sendBurst();
    const QString both = u"Decodes: DT -0,20 s \u00b10,00 (10 in 2 min)"_s;
    EXPECT_TRUE(QTest::qWaitFor([&] { return line()->toolTip() == both; }, 5000))
        << line()->toolTip().toStdString();
}

TEST_F(DecodesWindowTest, TheLineCatchesUpByItselfWhenTheDatagramsStop) {
    buildListening();
    receiveDecodes({0.1, 0.1, 0.1, 0.1});
    decodes().receive(decodeDatagram({.deltaTime = 0.1}).data());
    EXPECT_FALSE(use()->isEnabled()) << "shown after the show delay";
    EXPECT_TRUE(QTest::qWaitFor([&] { return use()->isEnabled(); }, 2000));
    EXPECT_EQ(line()->toolTip(), u"Decodes: DT +0,10 s \u00b10,00 (5 in 2 min)"_s);
}

TEST_F(DecodesWindowTest, SwitchingOffClosesTheSocketAndTheLineSaysSo) {
    TTabbedForm& window = buildListening();
    receiveDecodes({0.4, 0.4, 0.4, 0.4, 0.4});
    window.swListenDecoders->click();
    EXPECT_FALSE(decodes().listening());
    EXPECT_EQ(line()->toolTip(), u"Decodes: not listening"_s);
    EXPECT_FALSE(use()->isEnabled());
}

TEST_F(DecodesWindowTest, ProblemsAreShownInTheLine) {
    struct Case {
        std::string address;
        std::string port;
        std::string shown;
    };
    // A port that another program holds for itself alone cannot be bound.
    // (An address of no interface of the machine is no case here: Wine binds
    // any address.)
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::LocalHost, 0, QUdpSocket::DontShareAddress));
    const std::string held = std::to_string(holder.localPort());
    const std::vector<Case> cases = {
        {"127.0.0.1", "0", "Decodes: port 0 is not a port number (1-65535)"},
        {"127.0.0.1", held, "Decodes: port " + held + " is taken; "},
    };
    TTabbedForm& window = build();
    for (const Case& c : cases) {
        window.edDecodesAddress->setText(QString::fromStdString(c.address));
        window.edDecodesPort->setText(QString::fromStdString(c.port));
        if (!window.swListenDecoders->isChecked()) {
            window.swListenDecoders->click();
        }
        EXPECT_FALSE(decodes().listening()) << c.address;
        EXPECT_THAT(line()->toolTip().toStdString(), ::testing::StartsWith(c.shown));
    }
    EXPECT_THAT(errorBoxes, ::testing::ElementsAre());

    window.edDecodesAddress->setText(u"127.0.0.1"_s);
    window.edDecodesPort->setText(QString::number(freePort()));
    EXPECT_TRUE(decodes().listening()) << "a corrected setting is used at once";
    EXPECT_EQ(line()->toolTip(), u"Decodes: none yet"_s);
}

// Listening to a multicast group, in a network of the test's own:
// private_network.sh runs these in a new network namespace whose loopback
// carries multicast and has a second address, 127.0.0.2, so that nothing
// leaves the machine. Elsewhere they are skipped.
class DecodesPrivateNetworkTest : public DecodesWindowTest {
  protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QUARNEL_PRIVATE_NETWORK")) {
            GTEST_SKIP() << "runs in a network namespace: ctest -R decodes_private_network";
        }
        DecodesWindowTest::SetUp();
    }

    TTabbedForm& buildListeningToGroup() {
        port = freePort();
        givenSettingsFile(
            decodesSection(true, group.toString().toStdString(), std::to_string(port)));
        TTabbedForm& window = build();
        decodes().setClock([this] { return now; });
        return window;
    }

    const QHostAddress group{u"239.255.0.1"_s};
};

// Only what is sent to the group counts: a host that reaches the port with
// a unicast datagram must not choose what Use proposes. Another listener
// shares the group and gets the same reports.
TEST_F(DecodesPrivateNetworkTest, OnlyTheGroupsDatagramsCount) {
    buildListeningToGroup();
    ASSERT_TRUE(decodes().listening()) << line()->toolTip().toStdString();
    const QNetworkInterface loopback = QNetworkInterface::interfaceFromName(u"lo"_s);
    QUdpSocket sender;
    ASSERT_TRUE(sender.bind(QHostAddress::LocalHost, 0));
    sender.setMulticastInterface(loopback);
    const auto send = [&](double deltaTime, const QHostAddress& to) {
        const DatagramBuilder decode = decodeDatagram({.deltaTime = deltaTime});
        const std::vector<std::uint8_t>& bytes = decode.data();
        EXPECT_EQ(sender.writeDatagram(reinterpret_cast<const char*>(bytes.data()),
                                       static_cast<qint64>(bytes.size()), to, port),
                  static_cast<qint64>(bytes.size()))
            << sender.errorString().toStdString();
    };
    const auto lineReads = [&](const QString& expected) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return line()->toolTip() == expected; }, 5000))
            << line()->toolTip().toStdString();
        QTest::qWait(200);  // a stray datagram would show by now
        EXPECT_EQ(line()->toolTip().toStdString(), expected.toStdString());
    };

    for (const char* stranger : {"127.0.0.1", "127.0.0.2"}) {
        for (int i = 0; i < 5; ++i) {
            send(2.5, QHostAddress(QString::fromLatin1(stranger)));
        }
    }
    for (int i = 0; i < 5; ++i) {
        send(-0.3, group);
    }
    lineReads(u"Decodes: DT -0,30 s \u00b10,00 (5 in 2 min)"_s);

    const auto sharing = QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint;
    QUdpSocket logger;
    ASSERT_TRUE(logger.bind(QHostAddress::AnyIPv4, port, sharing)) << "the group is shared";
    ASSERT_TRUE(logger.joinMulticastGroup(group, loopback));
    for (int i = 0; i < 5; ++i) {
        send(-0.3, group);
    }
    lineReads(u"Decodes: DT -0,30 s \u00b10,00 (10 in 2 min)"_s);
    int toGroup = 0;
    while (logger.hasPendingDatagrams()) {
        toGroup += logger.receiveDatagram().destinationAddress() == group ? 1 : 0;
    }
    EXPECT_EQ(toGroup, 5) << "the other listener gets the group's reports too";

    // Where the system cannot bind to a group (Windows), the socket is bound
    // to every address and the destination it reports decides.
    const DatagramBuilder decode = decodeDatagram({.deltaTime = -0.3});
    const QByteArray bytes(reinterpret_cast<const char*>(decode.data().data()),
                           static_cast<qsizetype>(decode.data().size()));
    for (const QHostAddress& destination : {QHostAddress(u"127.0.0.2"_s), group}) {
        QNetworkDatagram datagram(bytes);
        datagram.setDestination(destination, port);
        decodes().receive(datagram);
    }
    emit reference<DecodesReference>().changed();
    EXPECT_EQ(line()->toolTip(), u"Decodes: DT -0,30 s \u00b10,00 (11 in 2 min)"_s);
}

}  // namespace
}  // namespace quarnel::testing
