#include <gmock/gmock.h>

#include <QClipboard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest/QTest>
#include <chrono>
#include <memory>

#include "NmeaTestSentences.h"
#include "gps/GpsdReader.h"
#include "gps/window/GpsReference.h"
#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr std::int64_t ms(std::int64_t milliseconds) {
    return milliseconds * kUnitsPerMillisecond;
}

// One second's burst of a receiver: RMC (A with a fix, V without) and GGA.
std::string burstOf(TimeCount second, char status = 'A') {
    const CalendarTime t = toCalendarTime(second);
    const bool fix = status == 'A';
    return rmc(t, status) + gga(t, fix ? 1 : 0, fix ? 7 : 0);
}

class GpsWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        os.serialPorts["COM4"];
    }

    TTabbedForm& buildListening(const std::string& source, int delayMs = 0) {
        givenSettingsFile("[Gps]\nListen=1\nSource=" + source +
                          "\nDelayMs=" + std::to_string(delayMs) + "\n");
        TTabbedForm& window = build();
        reference<GpsReference>().setClock([this] { return monotonic; });
        return window;
    }

    // The receiver's burst for `second`, read by a clock `ahead` of UTC,
    // `arrival` after the second; handed over when the port is next asked.
    void burst(TimeCount utc, std::int64_t ahead, std::int64_t arrival, char status = 'A') {
        StandInSerialPort& port = os.serialPorts["COM4"];
        os.now = utc + ahead + arrival;
        port.arrived = burstOf(utc, status);
        EXPECT_TRUE(QTest::qWaitFor([&] { return port.arrived.empty(); }, 2000));
    }

    // Waits until the line reads `expected`; the line as it is otherwise.
    QString lineBecomes(const QString& expected, int milliseconds = 3000) {
        static_cast<void>(
            QTest::qWaitFor([&] { return line()->toolTip() == expected; }, milliseconds));
        return line()->toolTip();
    }

    QLabel* line() const { return referenceLine(u"Gps"_s); }
    QPushButton* use() const { return useButton(u"Gps"_s); }

    TimeCount second = toTimeCount({2026, 12, 5, 11, 7, 0, 58, 0});
    GpsReference::Moment monotonic{1'000'000};
};

TEST_F(GpsWindowTest, WithoutTheSectionNothingListensAndTheDefaultsAreShown) {
    TTabbedForm& window = build();
    EXPECT_EQ(line()->text(), line()->toolTip()) << "a short line is shown whole";
    EXPECT_FALSE(window.swListenGps->isChecked());
    EXPECT_EQ(window.edGpsSource->text(), u"gpsd"_s);
    EXPECT_EQ(window.edGpsDelay->text(), u"0"_s);
    EXPECT_EQ(line()->toolTip(), u"GPS: not listening"_s);
    EXPECT_FALSE(use()->isEnabled());
    EXPECT_TRUE(window.close());
    EXPECT_THAT(withNewlines(os.files[settingsPath()]),
                HasSubstr("[Gps]\nListen=0\nSource=gpsd\nDelayMs=0\n"));
}

TEST_F(GpsWindowTest, TheSettingsAreLoadedAndWrittenBackAndThePortOpenedAtTheirRate) {
    const std::string section = "[Gps]\nListen=1\nSource=COM4:9600\nDelayMs=120\n";
    givenSettingsFile(section);
    TTabbedForm& window = build();
    EXPECT_TRUE(window.swListenGps->isChecked());
    EXPECT_EQ(window.edGpsSource->text(), u"COM4:9600"_s);
    EXPECT_EQ(window.edGpsDelay->text(), u"120"_s);
    EXPECT_TRUE(os.serialPorts["COM4"].open);
    EXPECT_EQ(os.serialPorts["COM4"].baudRate, 9600u);
    EXPECT_EQ(line()->toolTip(), u"GPS: listening \u2026"_s);

    window.swListenGps->click();
    EXPECT_FALSE(os.serialPorts["COM4"].open) << "not listening closes the port";
    EXPECT_EQ(line()->toolTip(), u"GPS: not listening"_s);
    window.swListenGps->click();
    EXPECT_TRUE(window.close());
    EXPECT_THAT(withNewlines(os.files[settingsPath()]), HasSubstr(section));
}

// The clock runs 214 ms ahead of GPS; the bursts come 130 ms after their
// second, of which the receiver's own delay is 100.
TEST_F(GpsWindowTest, TheLineShowsTheOffsetUseGivesMinusItAndAMovedClockStartsAfresh) {
    TTabbedForm& window = buildListening("COM4", 100);
    for (int i = 0; i < 3; ++i) {
        burst(second + i * kUnitsPerSecond, ms(214), ms(130));
    }
    const QString measured = u"GPS: +0,244 s \u00b10,020 (COM4, 7 satellites)"_s;
    ASSERT_EQ(lineBecomes(measured), measured);
    ASSERT_TRUE(use()->isEnabled());

    QTest::mouseClick(use(), Qt::LeftButton);
    EXPECT_EQ(unit.AlignShift, -ms(244));
    EXPECT_FALSE(unit.SetPending) << "the operator presses SET";

    window.swPauseActive->click();
    QTest::mouseClick(window.btnSet, Qt::LeftButton);
    window.Timer1Timer();
    ASSERT_THAT(os.appliedShifts, ::testing::ElementsAre(-ms(244)));
    EXPECT_THAT(os.files[fileInDirectory(os.workingDirectory, "Quarnel.log")],
                ::testing::EndsWith("from Use: GPS (COM4)\n"));
    EXPECT_EQ(line()->toolTip(), u"GPS: listening \u2026"_s) << "stamps of the old clock are gone";
    EXPECT_FALSE(use()->isEnabled());

    burst(second + 3 * kUnitsPerSecond, ms(214 - 244), ms(130));
    EXPECT_EQ(lineBecomes(u"GPS: +0,000 s \u00b10,020 (COM4, 7 satellites)"_s),
              u"GPS: +0,000 s \u00b10,020 (COM4, 7 satellites)"_s);
}

TEST_F(GpsWindowTest, AReceiverWithoutFixOffersNothing) {
    buildListening("COM4");
    burst(second, ms(214), ms(130));
    ASSERT_TRUE(use()->isEnabled());
    burst(second + kUnitsPerSecond, ms(214), ms(130), 'V');
    EXPECT_EQ(line()->toolTip(), u"GPS: no fix"_s);
    EXPECT_FALSE(use()->isEnabled());
}

// What keeps the reference from listening is the line, with nothing to use.
TEST_F(GpsWindowTest, WhatKeepsItFromListeningIsTheLine) {
    struct Case {
        const char* what;
        std::string source;
        int delayMs;
        QString shown;
    };
    const std::vector<Case> cases = {
        {"no source", "LPT1", 0,
         u"GPS: the source LPT1 is neither gpsd, a COM port nor a device under /dev/"_s},
        {"a port that is not there", "COM7", 0,
         u"GPS: cannot open COM7: No such file or directory"_s},
        {"a delay of a second", "COM4", 1000,
         u"GPS: the receiver delay \"1000\" is not 0 to 999 ms"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        buildListening(c.source, c.delayMs);
        EXPECT_EQ(line()->toolTip(), c.shown);
        EXPECT_EQ(line()->accessibleDescription(), c.shown);
        EXPECT_FALSE(use()->isEnabled());
        EXPECT_FALSE(os.serialPorts["COM4"].open);
        form.reset();
    }
}

// A line longer than its row is shortened at its end, and is whole in the
// tool tip, for screen readers and in a copy.
TEST_F(GpsWindowTest, ALongLineIsShortenedAtItsEnd) {
    buildListening("/dev/serial/by-id/usb-u-blox_AG_-_www.u-blox.com_u-blox_7_-_GPS_GNSS_Receiver");
    const QString whole = line()->toolTip();
    EXPECT_THAT(whole.toStdString(), HasSubstr("GNSS_Receiver: No such file or directory"));
    EXPECT_TRUE(line()->text().endsWith(u'\u2026'));
    EXPECT_TRUE(whole.startsWith(line()->text().chopped(1)));
    EXPECT_EQ(line()->accessibleDescription(), whole);

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(line(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(line(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), whole) << "a copy takes the whole line";
}

// A receiver that is pulled out fails the read: the port is closed and
// opened again after a while, when the receiver may be back.
TEST_F(GpsWindowTest, AFailedReadClosesThePortAndItIsOpenedAgainLater) {
    buildListening("COM4");
    burst(second, ms(214), ms(130));
    StandInSerialPort& port = os.serialPorts["COM4"];
    port.failWith = "Input/output error";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !port.open; }, 2000));
    EXPECT_EQ(line()->toolTip(), u"GPS: reading COM4 failed: Input/output error"_s);
    EXPECT_FALSE(use()->isEnabled());

    monotonic += GpsReference::kRetryAfter;
    EXPECT_TRUE(QTest::qWaitFor([&] { return port.open; }, 3000)) << "opened again";
    EXPECT_EQ(line()->toolTip(), u"GPS: listening \u2026"_s);
}

TEST_F(GpsWindowTest, SilenceIsSaidAndDropsTheMeasurement) {
    buildListening("COM4");
    burst(second, ms(214), ms(130));
    ASSERT_TRUE(use()->isEnabled());
    monotonic += GpsReader::kQuietLimit;
    const QString quiet = u"GPS: nothing has come for 5 s"_s;
    EXPECT_EQ(lineBecomes(quiet), quiet);
    EXPECT_FALSE(use()->isEnabled());
    burst(second + kUnitsPerSecond, ms(214), ms(130));
    EXPECT_TRUE(use()->isEnabled()) << "a burst ends the silence";
}

// gpsd of the test's own on loopback, speaking as gpsd 3.22 does: its
// greeting at once, and the device list and its reports after the watch.
class StandInGpsd {
  public:
    StandInGpsd() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            client.reset(server.nextPendingConnection());
            client->write(R"({"class":"VERSION","release":"3.22","rev":"3.22","proto_major":3,)"
                          R"("proto_minor":14})"
                          "\n");
            QObject::connect(client.get(), &QTcpSocket::readyRead,
                             [this] { received += client->readAll(); });
        });
    }

    std::string source() const { return "gpsd:127.0.0.1:" + std::to_string(server.serverPort()); }
    void send(const QByteArray& lines) {
        client->write(lines);
        client->flush();
    }

    QTcpServer server;
    std::unique_ptr<QTcpSocket> client;
    QByteArray received;
};

// gpsd's stamp of the burst (TOFF) says the clock was 100,123 ms ahead at
// the burst's start; the receiver's delay of 40 ms is taken off.
TEST_F(GpsWindowTest, ReadsGpsdAndSaysWhenItGoesAway) {
    StandInGpsd gpsd;
    buildListening(gpsd.source(), 40);
    ASSERT_TRUE(QTest::qWaitFor([&] { return gpsd.received.endsWith('\n'); }, 3000));
    EXPECT_EQ(gpsd.received.toStdString(), kGpsdWatchCommand);

    gpsd.send(
        R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/pts/3","driver":"NMEA0183","activated":"2026-12-11T07:00:01.000Z","flags":1,"native":0,"bps":4800,"parity":"N","stopbits":1,"cycle":1.00}]})"
        "\n"
        R"({"class":"TPV","device":"/dev/pts/3","mode":3,"time":"2026-12-11T07:00:05.000Z","ept":0.005,"lat":47.285,"lon":8.565})"
        "\n"
        R"({"class":"TOFF","device":"/dev/pts/3","real_sec":1796972405,"real_nsec":0,"clock_sec":1796972405,"clock_nsec":100123000,"precision":-1})"
        "\n"
        R"({"class":"SKY","device":"/dev/pts/3","nSat":9,"uSat":7,"satellites":[]})"
        "\n");
    const QString measured = u"GPS: +0,060 s \u00b10,020 (gpsd, 7 satellites)"_s;
    ASSERT_EQ(lineBecomes(measured), measured);
    QTest::mouseClick(use(), Qt::LeftButton);
    EXPECT_EQ(unit.AlignShift, -ms(60));

    gpsd.client->disconnectFromHost();
    const QString gone = QString::fromStdString(
        "GPS: gpsd at 127.0.0.1:" + std::to_string(gpsd.server.serverPort()) +
        " closed the connection");
    EXPECT_EQ(lineBecomes(gone), gone);
    EXPECT_FALSE(use()->isEnabled());
}

TEST_F(GpsWindowTest, GpsdThatIsNotThereIsSaid) {
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const quint16 port = closed.serverPort();
    closed.close();
    buildListening("gpsd:127.0.0.1:" + std::to_string(port));
    const QString prefix = u"GPS: cannot reach gpsd at 127.0.0.1:"_s + QString::number(port);
    EXPECT_TRUE(QTest::qWaitFor([&] { return line()->toolTip().startsWith(prefix); }, 3000))
        << line()->toolTip().toStdString();
    EXPECT_FALSE(use()->isEnabled());
}

}  // namespace
}  // namespace quarnel::testing
