#include "decodes/DecodeEstimator.h"

#include <gmock/gmock.h>

#include <functional>

#include "decodes/DecodesText.h"

namespace quarnel {
namespace {

using namespace std::chrono_literals;
using Moment = DecodeEstimator::Moment;

DecodeMessage decode(double deltaTime, std::string id = "WSJT-X",
                     std::string text = "CQ DL1ABC JO62") {
    DecodeMessage d;
    d.clientId = std::move(id);
    d.isNew = true;
    d.deltaTime = deltaTime;
    d.mode = "~";
    d.text = std::move(text);
    return d;
}

StatusMessage status(std::string mode, std::string id = "WSJT-X") {
    StatusMessage s;
    s.clientId = std::move(id);
    s.mode = std::move(mode);
    return s;
}

// Feeds the DTs one second apart, starting at the given moment.
void feed(DecodeEstimator& estimator, std::initializer_list<double> deltaTimes, Moment& now,
          const std::string& id = "WSJT-X") {
    for (double dt : deltaTimes) {
        estimator.take(decode(dt, id), now);
        now += 1s;
    }
}

struct Case {
    const char* what;
    std::function<void(DecodeEstimator&, Moment&)> events;
    std::size_t count;
    std::optional<double> median;  // none: no estimate
    double spread = 0;
    std::int64_t suggestedShift = 0;
};

TEST(DecodeEstimator, Cases) {
    const std::vector<Case> cases = {
        {"no decodes", [](auto&, auto&) {}, 0, std::nullopt},
        {"too few decodes",
         [](auto& e, auto& t) {
             feed(e, {0.4, 0.4, 0.4, 0.4}, t);
         },
         4, std::nullopt},
        {"five decodes suffice",
         [](auto& e, auto& t) {
             feed(e, {0.3, 0.4, 0.5, 0.4, 0.42}, t);
         },
         5, 0.4, 0.02, -4'000'000},
        {"outliers move neither median nor spread much",
         [](auto& e, auto& t) {
             feed(e, {0.4, 0.41, 0.39, 0.42, 0.38, 2.5, -1.9}, t);
         },
         7, 0.4, 0.02, -4'000'000},
        {"an even count takes the middle two",
         [](auto& e, auto& t) {
             feed(e, {-0.1, -0.2, -0.3, -0.4, -0.5, -0.6}, t);
         },
         6, -0.35, 0.15, 3'500'000},
        {"the shift is a whole number of 0.05 s, halves away from zero",
         [](auto& e, auto& t) {
             feed(e, {0.125, 0.125, 0.125, 0.125, 0.125}, t);
         },
         5, 0.125, 0.0, -1'500'000},
        {"replays, recordings and low-confidence decodes do not count",
         [](auto& e, auto& t) {
             feed(e, {0.4, 0.4, 0.4, 0.4}, t);
             DecodeMessage replay = decode(0.4), offAir = decode(0.4), doubtful = decode(0.4);
             replay.isNew = false;
             offAir.offAir = true;
             doubtful.lowConfidence = true;
             for (const auto& d : {replay, offAir, doubtful}) {
                 e.take(d, t);
             }
         },
         4, std::nullopt},
        {"decodes older than the window expire",
         [](auto& e, auto& t) {
             feed(e, {1.0, 1.0, 1.0}, t);
             t += 118s;  // the first three are 121 s old when the summary is taken
             feed(e, {0.2, 0.2, 0.2, 0.2, 0.2}, t);
         },
         5, 0.2, 0.0, -2'000'000},
        {"a Clear starts the client anew",
         [](auto& e, auto& t) {
             feed(e, {0.4, 0.4, 0.4, 0.4, 0.4}, t);
             e.take(ClearMessage{"WSJT-X"}, t);
             feed(e, {0.1}, t);
         },
         1, std::nullopt},
        {"the first Status keeps what was gathered, another mode starts anew",
         [](auto& e, auto& t) {
             feed(e, {0.4, 0.4, 0.4}, t);
             e.take(status("FT8"), t);
             feed(e, {0.4, 0.4}, t);
             e.take(status("FT8"), t);
             ASSERT_EQ(e.summary(t).count, 5u);
             e.take(status("FT4"), t);
             feed(e, {0.1}, t);
         },
         1, std::nullopt},
        {"a decode of another mode mark starts anew",
         [](auto& e, auto& t) {
             feed(e, {0.4, 0.4, 0.4, 0.4, 0.4}, t);
             DecodeMessage ft4 = decode(0.1);
             ft4.mode = "+";
             e.take(ft4, t);
         },
         1, std::nullopt},
        {"two clients are kept apart; the one with more decodes is shown",
         [](auto& e, auto& t) {
             feed(e, {-0.5, -0.5, -0.5, -0.5, -0.5}, t, "JTDX");
             feed(e, {0.3, 0.3, 0.3, 0.3, 0.3, 0.3}, t, "WSJT-X");
             e.take(ClearMessage{"JTDX"}, t);  // touches only its own decodes
         },
         6, 0.3, 0.0, -3'000'000},
        {"after the clock moved, decodes of the settle time do not count",
         [](auto& e, auto& t) {
             feed(e, {0.4, 0.4, 0.4, 0.4, 0.4}, t);
             e.restart(t);
             feed(e, {0.4, 0.4, 0.4, 0.4, 0.4}, t);  // within 15 s of the move
             t += 10s;
             feed(e, {0.05, 0.0, 0.0, -0.05, 0.0}, t);
         },
         5, 0.0, 0.0, 0},
        {"DTs no decoder reports are ignored",
         [](auto& e, auto& t) {
             feed(e, {0.4, 0.4, 0.4, 0.4, 1e9}, t);
         },
         4, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DecodeEstimator estimator;
        Moment now = 1000s;
        c.events(estimator, now);
        const DecodeSummary summary = estimator.summary(now);
        EXPECT_EQ(summary.count, c.count);
        ASSERT_EQ(summary.estimate.has_value(), c.median.has_value());
        if (c.median) {
            EXPECT_NEAR(summary.estimate->medianDeltaTime, *c.median, 1e-9);
            EXPECT_NEAR(summary.estimate->spread, c.spread, 1e-9);
            EXPECT_EQ(summary.estimate->suggestedShift, c.suggestedShift);
        }
    }
}

TEST(DecodeEstimator, NextExpiryIsWhenTheOldestDecodeLeavesTheWindow) {
    DecodeEstimator estimator({.window = 60s});
    EXPECT_FALSE(estimator.nextExpiry());
    Moment now = 10s;
    feed(estimator, {0.1, 0.2}, now, "A");
    feed(estimator, {0.1}, now, "B");
    EXPECT_EQ(estimator.nextExpiry(), 70s);
    EXPECT_EQ(estimator.summary(70s).count, 1u);  // A's first has gone
    EXPECT_EQ(estimator.nextExpiry(), 71s);
    EXPECT_EQ(estimator.summary(73s).count, 0u);
    EXPECT_FALSE(estimator.nextExpiry());
}

// A flood keeps only the newest decodes of a client; the line must not pass
// the kept ones off as all that arrived, until the dropped ones would have
// left the window too.
TEST(DecodeEstimator, AFloodBeyondTheKeptDecodesIsShownAsMore) {
    DecodeEstimator estimator;
    const Moment start = 100s;
    for (int i = 0; i < 10'050; ++i) {
        estimator.take(decode(0.1), start + Moment(i));
    }
    const Moment lastDropped = start + 49ms;
    for (const Moment at : {start + 10'049ms, lastDropped + 2min - 1ms}) {
        const DecodeSummary flooded = estimator.summary(at);
        EXPECT_EQ(formatDecodesLine(flooded, 2min, ","),
                  "Decodes: DT +0,10 s \u00b10,00 (10000+ in 2 min)");
    }
    EXPECT_EQ(formatDecodesLine(estimator.summary(lastDropped + 2min), 2min, ","),
              "Decodes: DT +0,10 s \u00b10,00 (10000 in 2 min)");

    for (int i = 0; i < 10'001; ++i) {
        estimator.take(decode(0.1), 10min + Moment(i));
    }
    ClearMessage clear;
    clear.clientId = "WSJT-X";
    estimator.take(clear, 10min + 10'001ms);
    Moment later = 11min;
    feed(estimator, {0.2, 0.2, 0.2, 0.2, 0.2}, later);
    EXPECT_EQ(formatDecodesLine(estimator.summary(11min + 5s), 2min, ","),
              "Decodes: DT +0,20 s \u00b10,00 (5 in 2 min)")
        << "a Clear starts the count anew";
}

// Each station's decodes give its own DT, with the same window and the same
// fresh start after a move of the clock as the median of all.
TEST(DecodeEstimator, StationsAreHeardSeparatelyMostRecentFirst) {
    DecodeEstimator estimator;
    Moment now = 1000s;
    const auto hear = [&](const std::string& message, double deltaTime,
                          const std::string& id = "WSJT-X") {
        estimator.take(decode(deltaTime, id, message), now);
        now += 1s;
    };
    hear("CQ C6ABC EL84", 1.9);
    hear("CQ DL1ABC JO62", 0.1);
    hear("K1ABC C6ABC -05", 2.0);
    hear("TNX FOR QSO 73", 5.0);  // names no station
    hear("C6ABC <PJ4/K1ABC> R-10", 0.2);
    hear("W9XYZ C6ABC RR73", 1.8);
    hear("CQ DL1ABC JO62", 0.3);
    hear("CQ 9Z9ZZ", 9.0, "JTDX");  // a client not shown

    using ::testing::ElementsAre;
    const auto calls = [](const std::vector<StationSummary>& stations) {
        std::vector<std::string> result;
        for (const StationSummary& s : stations) {
            result.push_back(s.call);
        }
        return result;
    };
    std::vector<StationSummary> stations = estimator.stations(now);
    EXPECT_THAT(calls(stations), ElementsAre("DL1ABC", "C6ABC", "PJ4/K1ABC"));
    ASSERT_EQ(stations.size(), 3u);
    EXPECT_EQ(stations[1].count, 3u);
    EXPECT_EQ(stations[1].lastHeard, 1005s);
    EXPECT_NEAR(stations[1].estimate.medianDeltaTime, 1.9, 1e-9);
    EXPECT_EQ(stations[1].estimate.suggestedShift, -19'000'000);
    EXPECT_NEAR(stations[0].estimate.medianDeltaTime, 0.2, 1e-9) << "two decodes: the middle";
    EXPECT_EQ(stations[2].count, 1u) << "one decode is enough";
    EXPECT_EQ(formatStationLine("C6ABC", &stations[1], 2min, ","),
              "Decodes: C6ABC DT +1,90 s (3 in 2 min)");

    // 2 min after the first five decodes, PJ4/K1ABC has left and C6ABC has
    // one decode left.
    stations = estimator.stations(1000s + 2min + 4s);
    EXPECT_THAT(calls(stations), ElementsAre("DL1ABC", "C6ABC"));
    EXPECT_EQ(stations[1].count, 1u);
    EXPECT_NEAR(stations[1].estimate.medianDeltaTime, 1.8, 1e-9);

    estimator.restart(now);
    EXPECT_THAT(estimator.stations(now), ElementsAre()) << "the clock moved";
}

TEST(DecodesText, Lines) {
    const DecodeSummary none;
    const DecodeSummary few{3, std::nullopt};
    const DecodeSummary late{37, DtEstimate{0.42, 0.05, -4'000'000}};
    const DecodeSummary early{12, DtEstimate{-0.004, 0.125, 0}};
    const DecodeSummary wide{8, DtEstimate{-1.2345, 1.5, 12'500'000}};
    EXPECT_EQ(formatDecodesLine(none, 2min, ","), "Decodes: none yet");
    EXPECT_EQ(formatDecodesLine(few, 2min, ","), "Decodes: too few yet (3 in 2 min)");
    EXPECT_EQ(formatDecodesLine(late, 2min, ","), "Decodes: DT +0,42 s \u00b10,05 (37 in 2 min)");
    EXPECT_EQ(formatDecodesLine(early, 90s, "."), "Decodes: DT 0.00 s \u00b10.13 (12 in 90 s)");
    EXPECT_EQ(formatDecodesLine(wide, 2min, ","), "Decodes: DT -1,23 s \u00b11,50 (8 in 2 min)");

    const StationSummary station{"C6ABC", 3, 0s, DtEstimate{1.954, 0.05, -19'500'000}};
    EXPECT_EQ(formatStationLine("C6ABC", &station, 2min, ","),
              "Decodes: C6ABC DT +1,95 s (3 in 2 min)");
    EXPECT_EQ(formatStationLine("C6ABC", nullptr, 2min, ","), "Decodes: C6ABC not heard for 2 min");
}

}  // namespace
}  // namespace quarnel
