#include <gmock/gmock.h>

#include <QFile>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QUdpSocket>
#include <QtTest/QTest>
#include <chrono>
#include <functional>

#include "NtpReplyBuilder.h"
#include "support/WindowFixture.h"
#include "timeserver/window/TimeServerReference.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

using namespace std::chrono_literals;

// The reply's fields 40-47: the request's transmit timestamp.
NtpTimestamp transmitOf(const QByteArray& request) {
    NtpTimestamp transmit = 0;
    for (int i = 40; i < 48 && i < request.size(); ++i) {
        transmit = transmit << 8 | static_cast<std::uint8_t>(request[i]);
    }
    return transmit;
}

// A time server of the test's own on loopback. It answers each request with
// what `reply` makes of the request's transmit timestamp, sent from its own
// port or, for a spoofed reply, from another one.
class StandInServer {
  public:
    using Reply = std::function<std::vector<std::uint8_t>(NtpTimestamp requestTransmit)>;

    StandInServer() {
        socket.bind(QHostAddress::LocalHost, 0);
        other.bind(QHostAddress::LocalHost, 0);
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] { answer(); });
    }

    QString address() const { return u"127.0.0.1:"_s + QString::number(socket.localPort()); }

    Reply reply;
    bool fromOtherPort = false;
    int requests = 0;

  private:
    void answer() {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram request = socket.receiveDatagram();
            ++requests;
            if (!reply) {
                continue;
            }
            const std::vector<std::uint8_t> bytes = reply(transmitOf(request.data()));
            (fromOtherPort ? other : socket)
                .writeDatagram(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qint64>(bytes.size()), request.senderAddress(),
                               static_cast<quint16>(request.senderPort()));
        }
    }

    QUdpSocket socket;
    QUdpSocket other;
};

class TimeServerWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        os.now = trueTime + kLocalAhead;
    }

    // A good reply from a server on true time, which held the request for
    // no time, so the offset is exact and the ± is the server's own.
    NtpReplyBuilder goodReply(NtpTimestamp requestTransmit) const {
        NtpReplyBuilder reply;
        reply.rootDelay = 0;
        reply.rootDispersion = 0x0000'0100;  // 3.9 ms, shown as 4
        reply.origin = requestTransmit;
        reply.receive = toNtpTimestamp(trueTime);
        reply.transmit = reply.receive;
        return reply;
    }

    TTabbedForm& buildAsking(const QString& address) {
        givenSettingsFile("[TimeServer]\nAsk=1\nServer=" + address.toStdString() + "\n");
        return build();
    }

    // Waits until the line reads `expected`; the line as it is otherwise.
    QString lineBecomes(const QString& expected, int milliseconds = 5000) {
        static_cast<void>(
            QTest::qWaitFor([&] { return line()->toolTip() == expected; }, milliseconds));
        return line()->toolTip();
    }

    QLabel* line() const { return referenceLine(u"TimeServer"_s); }
    QPushButton* use() const { return useButton(u"TimeServer"_s); }

    static constexpr std::int64_t kLocalAhead = 7'300'000;  // 0.73 s
    TimeCount trueTime = toTimeCount({2026, 12, 5, 11, 14, 30, 5, 250});
    StandInServer server;
};

TEST_F(TimeServerWindowTest, WithoutTheSectionNothingIsAskedAndTheDefaultsAreShown) {
    TTabbedForm& window = build();
    EXPECT_FALSE(window.swAskTimeServer->isChecked());
    EXPECT_EQ(window.edTimeServer->text(), u"pool.ntp.org"_s);
    EXPECT_EQ(line()->toolTip(), u"Time server: not asking"_s);
    EXPECT_FALSE(use()->isEnabled());
}

TEST_F(TimeServerWindowTest, TheSettingsAreLoadedAndWrittenBack) {
    const std::string section = "[TimeServer]\nAsk=1\nServer=[::1]:1123\n";
    givenSettingsFile(section);
    TTabbedForm& window = build();
    EXPECT_TRUE(window.swAskTimeServer->isChecked());
    EXPECT_EQ(window.edTimeServer->text(), u"[::1]:1123"_s);
    EXPECT_TRUE(window.close());
    EXPECT_THAT(withNewlines(os.files[settingsPath()]), ::testing::HasSubstr(section));
}

// The local clock runs 0.73 s ahead of the server.
TEST_F(TimeServerWindowTest, TheLineShowsTheOffsetAndUseAndSetBringTheClockToTheServer) {
    server.reply = [this](NtpTimestamp sent) { return goodReply(sent).bytes(); };
    TTabbedForm& window = buildAsking(server.address());
    const QString measured =
        u"Time server: +0,730 s \u00b10,004 ("_s + server.address() + u", stratum 2)"_s;
    ASSERT_EQ(lineBecomes(measured), measured);
    ASSERT_TRUE(use()->isEnabled());

    QTest::mouseClick(use(), Qt::LeftButton);
    EXPECT_EQ(unit.AlignShift, -kLocalAhead);
    EXPECT_EQ(window.edAlign->text(), u"-0,73"_s);
    EXPECT_FALSE(unit.SetPending) << "the operator presses SET";

    window.swPauseActive->click();
    QTest::mouseClick(window.btnSet, Qt::LeftButton);
    window.Timer1Timer();
    EXPECT_THAT(os.appliedShifts, ::testing::ElementsAre(-kLocalAhead));
    EXPECT_THAT(
        os.files[fileInDirectory(os.workingDirectory, "Quarnel.log")],
        ::testing::EndsWith("from Use: time server " + server.address().toStdString() + "\n"));
    // The moved clock is asked about anew, and now agrees with the server.
    const QString agreed =
        u"Time server: +0,000 s \u00b10,004 ("_s + server.address() + u", stratum 2)"_s;
    EXPECT_EQ(lineBecomes(agreed), agreed);
}

// Each reply below is rejected whole; the line says why while no good reply
// came in the burst.
TEST_F(TimeServerWindowTest, ARejectedReplyIsSaidInTheLine) {
    struct Case {
        const char* what;
        std::function<void(NtpReplyBuilder&)> change;
        QString shown;  // after "Time server: "; %1 is the server
    };
    const NtpTimestamp aSecond = NtpTimestamp{1} << 32;
    const std::vector<Case> cases = {
        {"client mode", [](NtpReplyBuilder& r) { r.mode = 3; },
         u"the reply was not a time server's answer"_s},
        {"version 2", [](NtpReplyBuilder& r) { r.version = 2; },
         u"the reply was of an NTP version this program does not read"_s},
        {"leap indicator 3", [](NtpReplyBuilder& r) { r.leapIndicator = 3; },
         u"%1 is not synchronized"_s},
        {"stratum 16", [](NtpReplyBuilder& r) { r.stratum = 16; },
         u"%1 is not synchronized (stratum 16)"_s},
        {"kiss RATE",
         [](NtpReplyBuilder& r) {
             r.stratum = 0;
             r.referenceId = "RATE";
         },
         u"%1 asked to be asked less often (RATE)"_s},
        {"kiss DENY",
         [](NtpReplyBuilder& r) {
             r.stratum = 0;
             r.referenceId = "DENY";
         },
         u"%1 refused to answer (DENY)"_s},
        {"stale origin", [](NtpReplyBuilder& r) { r.origin += 1; },
         u"the reply did not answer the request sent"_s},
        {"zero transmit", [](NtpReplyBuilder& r) { r.transmit = 0; },
         u"the reply carried no time"_s},
        {"held longer than the round trip", [=](NtpReplyBuilder& r) { r.transmit += aSecond; },
         u"the reply's times contradict each other"_s},
        {"root distance above 1 s", [](NtpReplyBuilder& r) { r.rootDispersion = 0x0001'1000; },
         u"%1 may be more than a second from true time"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.reply = [&](NtpTimestamp sent) {
            NtpReplyBuilder reply = goodReply(sent);
            c.change(reply);
            return reply.bytes();
        };
        TTabbedForm& window = buildAsking(server.address());
        const QString expected = u"Time server: "_s + c.shown.arg(server.address());
        EXPECT_EQ(lineBecomes(expected), expected);
        EXPECT_FALSE(use()->isEnabled());
        EXPECT_TRUE(window.close());
    }
}

TEST_F(TimeServerWindowTest, OnlyAWholeReplyFromTheServerAskedCounts) {
    struct Case {
        const char* what;
        bool fromOtherPort;
        std::size_t keptBytes;
        QString shown;
    };
    const std::vector<Case> cases = {
        {"from another port", true, 48, u"Time server: the reply was not from the server asked"_s},
        {"cut short", false, 40, u"Time server: the reply was cut short"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.fromOtherPort = c.fromOtherPort;
        server.reply = [&](NtpTimestamp sent) {
            std::vector<std::uint8_t> bytes = goodReply(sent).bytes();
            bytes.resize(c.keptBytes);
            return bytes;
        };
        TTabbedForm& window = buildAsking(server.address());
        EXPECT_EQ(lineBecomes(c.shown), c.shown);
        EXPECT_FALSE(use()->isEnabled());
        EXPECT_TRUE(window.close());
    }
}

// NTP's seconds start again from zero on 7 February 2036 at 06:28:16 UTC.
TEST_F(TimeServerWindowTest, RepliesAcrossThe2036RolloverAreRead) {
    for (const TimeCount moment : {toTimeCount({2036, 2, 0, 7, 6, 28, 15, 900}),
                                   toTimeCount({2036, 2, 0, 7, 6, 28, 16, 100})}) {
        trueTime = moment;
        os.now = trueTime + kLocalAhead;
        server.reply = [this](NtpTimestamp sent) { return goodReply(sent).bytes(); };
        TTabbedForm& window = buildAsking(server.address());
        const QString measured =
            u"Time server: +0,730 s \u00b10,004 ("_s + server.address() + u", stratum 2)"_s;
        EXPECT_EQ(lineBecomes(measured), measured);
        EXPECT_TRUE(window.close());
    }
}

TEST_F(TimeServerWindowTest, AServerThatCannotBeAskedIsSaidInTheLine) {
    struct Case {
        QString server;
        QString shown;  // the line starts with it
    };
    const std::vector<Case> cases = {
        {u"pool.ntp.org:0"_s, u"Time server: "_s},
        {u""_s, u"Time server: "_s},
        {u"no-such-host.invalid"_s, u"Time server: cannot find no-such-host.invalid: "_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server.toStdString());
        TTabbedForm& window = buildAsking(c.server);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return line()->toolTip().startsWith(c.shown) &&
                       line()->toolTip() != u"Time server: asking \u2026"_s;
            },
            10000))
            << line()->toolTip().toStdString();
        EXPECT_FALSE(use()->isEnabled());
        EXPECT_EQ(window.edTimeServer->text(), c.server) << "kept as the file has it";
        EXPECT_TRUE(window.close());
    }
}

TEST_F(TimeServerWindowTest, SwitchingOffStopsAskingAndTheLineSaysSo) {
    server.reply = [this](NtpTimestamp sent) { return goodReply(sent).bytes(); };
    TTabbedForm& window = buildAsking(server.address());
    ASSERT_TRUE(QTest::qWaitFor([&] { return use()->isEnabled(); }, 5000));
    window.swAskTimeServer->click();
    EXPECT_EQ(line()->toolTip(), u"Time server: not asking"_s);
    EXPECT_FALSE(use()->isEnabled());
    const int asked = server.requests;
    QTest::qWait(2500);
    EXPECT_EQ(server.requests, asked) << "no request after switching off";
}

// The double's clock, but read from the machine's clock plus a fixed
// offset, so that a real server's timestamps can be compared with it.
class RealClockPlatform : public RecordingPlatform {
  public:
    explicit RealClockPlatform(std::int64_t ahead) : m_ahead(ahead) {}

    TimeCount readUniversalTime() override {
        constexpr TimeCount k1601To1970 = 116'444'736'000'000'000;
        const auto sinceEpoch = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::system_clock::now().time_since_epoch());
        return k1601To1970 + sinceEpoch.count() / 100 + m_ahead;
    }
    TimeCount readLocalTime() override { return readUniversalTime(); }

  private:
    std::int64_t m_ahead;
};

// Debian's chronyd on loopback (the test fixture time_server names it in
// QUARNEL_TEST_TIME_SERVER_FILE), serving the machine's time; the window's
// clock runs 0.73 s ahead of it.
class TimeServerRealServerTest : public TimeServerWindowTest {
  protected:
    void SetUp() override {
        const QByteArray file = qgetenv("QUARNEL_TEST_TIME_SERVER_FILE");
        if (file.isEmpty()) {
            GTEST_SKIP() << "needs the time server fixture: ctest -R window.time_server";
        }
        TimeServerWindowTest::SetUp();
        setPlatform(realClock);
        QFile addressFile(QString::fromLocal8Bit(file));
        ASSERT_TRUE(addressFile.open(QIODevice::ReadOnly)) << file.toStdString();
        address = QString::fromLatin1(addressFile.readAll()).trimmed();
    }

    RealClockPlatform realClock{kLocalAhead};
    QString address;
};

TEST_F(TimeServerRealServerTest, TheLineShowsHowFarTheClockIsAheadOfTheServer) {
    realClock.files[settingsPath()] = "[TimeServer]\nAsk=1\nServer=" + address.toStdString() + "\n";
    TTabbedForm& window = build();
    const QRegularExpression measured(
        u"^Time server: \\+(\\d+,\\d{3}) s \u00b1(\\d+,\\d{3}) \\("_s +
        QRegularExpression::escape(address) + u", stratum 8\\)$"_s);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return measured.match(line()->toolTip()).hasMatch(); }, 10000))
        << line()->toolTip().toStdString();
    const QRegularExpressionMatch match = measured.match(line()->toolTip());
    const QLocale german(QLocale::German, QLocale::Germany);
    const double ahead = german.toDouble(match.captured(1));
    const double within = german.toDouble(match.captured(2));
    EXPECT_NEAR(ahead, 0.73, within + 0.001) << line()->toolTip().toStdString();
    EXPECT_LT(within, 0.01) << "a server on loopback answers within milliseconds";

    QTest::mouseClick(use(), Qt::LeftButton);
    EXPECT_NEAR(static_cast<double>(unit.AlignShift), -static_cast<double>(kLocalAhead),
                (within + 0.001) * static_cast<double>(kUnitsPerSecond));
    EXPECT_TRUE(window.close());
}

}  // namespace
}  // namespace quarnel::testing
