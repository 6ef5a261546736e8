#include "gps/GpsEstimate.h"

#include <gmock/gmock.h>

#include <vector>

namespace quarnel {
namespace {

constexpr std::int64_t ms(std::int64_t milliseconds) {
    return milliseconds * kUnitsPerMillisecond;
}

const TimeCount kFirstSecond = toTimeCount(CalendarTime{2026, 12, 5, 11, 7, 0, 0, 0});

// Stamps for consecutive seconds, each `ahead` of its second.
void takeSeconds(GpsEstimator& estimator, GpsTiming timing, int first,
                 const std::vector<std::int64_t>& aheads) {
    for (std::size_t i = 0; i < aheads.size(); ++i) {
        const TimeCount utc = kFirstSecond + (first + static_cast<int>(i)) * kUnitsPerSecond;
        estimator.take(timing, utc, utc + aheads[i]);
    }
}

TEST(GpsEstimator, MedianAndDeviationOfTheLastSixteenSeconds) {
    const struct {
        const char* what;
        std::vector<std::int64_t> aheads;
        std::int64_t delay;
        GpsOffset expected;
    } cases[] = {
        {"one stamp", {ms(214)}, 0, {ms(214), ms(20), GpsTiming::BurstStart}},
        {"an even count takes the middle two's mean",
         {ms(100), ms(110), ms(120), ms(130)},
         0,
         {ms(115), ms(30), GpsTiming::BurstStart}},
        {"an outlier moves neither",
         {ms(-50), ms(-52), ms(-48), ms(900), ms(-50)},
         0,
         {ms(-50), ms(22), GpsTiming::BurstStart}},
        {"the delay is the receiver's part of the stamp",
         {ms(300), ms(300)},
         ms(120),
         {ms(180), ms(20), GpsTiming::BurstStart}},
        {"only the last sixteen seconds count",
         {ms(900), ms(900), ms(900), ms(900), ms(5), ms(5), ms(5), ms(5), ms(5), ms(5),
          ms(5),   ms(5),   ms(5),   ms(5),   ms(5), ms(5), ms(5), ms(5), ms(5), ms(5)},
         0,
         {ms(5), ms(20), GpsTiming::BurstStart}},
        // Halves of a millisecond away from zero; the uncertainty upward.
        {"rounded to the millisecond",
         {ms(10) + 5'000, ms(10) + 5'001, ms(10) + 4'999},
         0,
         {ms(11), ms(21), GpsTiming::BurstStart}},
        {"rounded to the millisecond, below zero",
         {-ms(10) - 5'000, -ms(10) - 5'000},
         0,
         {-ms(11), ms(20), GpsTiming::BurstStart}},
    };
    for (const auto& c : cases) {
        GpsEstimator estimator;
        estimator.setReceiverDelay(c.delay);
        takeSeconds(estimator, GpsTiming::BurstStart, 0, c.aheads);
        EXPECT_EQ(estimator.offset(), c.expected) << c.what;
    }
}

TEST(GpsEstimator, APulseWinsWhileItLastsAndIsNotDelayed) {
    GpsEstimator estimator;
    estimator.setReceiverDelay(ms(250));
    takeSeconds(estimator, GpsTiming::Report, 0, {ms(700), ms(700)});
    EXPECT_EQ(estimator.offset(), (GpsOffset{ms(450), ms(20), GpsTiming::Report}));
    takeSeconds(estimator, GpsTiming::BurstStart, 0, {ms(400), ms(400)});
    EXPECT_EQ(estimator.offset(), (GpsOffset{ms(150), ms(20), GpsTiming::BurstStart}));
    takeSeconds(estimator, GpsTiming::Pulse, 1, {ms(150) + 30, ms(150) - 20, ms(150) + 30});
    EXPECT_EQ(estimator.offset(), (GpsOffset{ms(150), ms(1), GpsTiming::Pulse}));

    // The pulse stops (a cable pulled); once its stamps are older than the
    // window the bursts count again.
    takeSeconds(estimator, GpsTiming::BurstStart, 2, std::vector<std::int64_t>(16, ms(400)));
    EXPECT_EQ(estimator.offset()->timing, GpsTiming::Pulse);
    takeSeconds(estimator, GpsTiming::BurstStart, 18, {ms(400), ms(400)});
    EXPECT_EQ(estimator.offset(), (GpsOffset{ms(150), ms(20), GpsTiming::BurstStart}));
}

TEST(GpsEstimator, EachSecondCountsOnceAndATimeGoingBackStartsAfresh) {
    GpsEstimator estimator;
    takeSeconds(estimator, GpsTiming::BurstStart, 5, {ms(10)});
    takeSeconds(estimator, GpsTiming::BurstStart, 5, {ms(90), ms(90)});
    // Seconds 5 (10), 6 (90): the second stamp of second 5 was not taken.
    EXPECT_EQ(estimator.offset()->clockAhead, ms(50));

    // A receiver restarted with its time a day back.
    takeSeconds(estimator, GpsTiming::BurstStart, -86'400, {ms(-30)});
    EXPECT_EQ(estimator.offset()->clockAhead, ms(-30));

    estimator.clear();
    EXPECT_EQ(estimator.offset(), std::nullopt);
}

TEST(GpsEstimator, OnlyRealSecondsHaveAUtc) {
    EXPECT_EQ(receiverUtc(2026, 12, 5, 11, 7, 0, 250),
              toTimeCount(CalendarTime{2026, 12, 6, 5, 11, 7, 0, 250}));
    EXPECT_EQ(receiverUtc(2024, 2, 29, 0, 0, 0, 0),
              toTimeCount(CalendarTime{2024, 2, 4, 29, 0, 0, 0, 0}));
    EXPECT_EQ(receiverUtc(2026, 2, 29, 0, 0, 0, 0), std::nullopt);
    EXPECT_EQ(receiverUtc(2100, 2, 29, 0, 0, 0, 0), std::nullopt);
    EXPECT_EQ(receiverUtc(2026, 4, 31, 0, 0, 0, 0), std::nullopt);
    EXPECT_EQ(receiverUtc(2016, 12, 31, 23, 59, 60, 0), std::nullopt);
    EXPECT_EQ(receiverUtc(1000, 1, 1, 0, 0, 0, 0), std::nullopt);
}

}  // namespace
}  // namespace quarnel
