// How exactly a shift moves the clock: SystemPlatform::shiftLocalTime, the
// call the program makes, run through the clock interception library, which
// records how far each set really moved the clock.
//
// Prints key=value lines:
//   shift.*   |moved - asked| over single sets
//   reset.*   distance from the original timeline after random sets and the
//             RESET that undoes them, as the program books them
// and the same for two ways of setting the clock to an absolute time, for
// comparison: full_reading.* (read at full resolution, add, set) and
// ms_reading.* (the reading cut to the millisecond first). The library sees
// an absolute set when libc is called; a real kernel would also lose the
// system call's entry, so their figures are the best such a set can do.
//
// Runs only with the library preloaded and without the right to set the real
// clock, so that nothing it does can reach this machine's clock.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ClockShimClient.h"
#include "platform/SystemPlatform.h"

namespace {

namespace shim = quarnel::clockshim;

constexpr std::int64_t kNsPerUnit = 100;
constexpr std::int64_t kNsPerMillisecond = 1'000'000;
constexpr std::int64_t kNsPerSecond = 1'000'000'000;
constexpr std::int64_t kWheelStep = 500'000;  // 0.05 s, the finest step the program offers
constexpr int kSets = 1000;
constexpr int kResetRounds = 20;
constexpr int kSetsBeforeReset = 100;

using Shifter = std::function<void(std::int64_t shift)>;

struct Statistics {
    std::int64_t median = 0;
    std::int64_t p99 = 0;
    std::int64_t max = 0;
};

Statistics summarise(std::vector<std::int64_t> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values[values.size() * 99 / 100], values.back()};
}

void print(const std::string& name, const Statistics& statistics) {
    std::printf("%s.median_ns=%lld\n%s.p99_ns=%lld\n%s.max_ns=%lld\n", name.c_str(),
                static_cast<long long>(statistics.median), name.c_str(),
                static_cast<long long>(statistics.p99), name.c_str(),
                static_cast<long long>(statistics.max));
}

class Bench {
  public:
    explicit Bench(std::uint64_t seed) : random_(seed) {}

    std::int64_t randomShift() {
        return std::uniform_int_distribution<std::int64_t>(-60, 60)(random_) * kWheelStep;
    }

    // A pause of up to 2 ms between sets, so that they do not all run from a
    // warm cache like a tight loop would.
    void pause() {
        const timespec wait{0, std::uniform_int_distribution<long>(0, 2'000'000)(random_)};
        nanosleep(&wait, nullptr);
    }

    // |moved - asked| of each set, in ns.
    std::vector<std::int64_t> setErrors(const Shifter& shifter, int sets) {
        std::vector<std::int64_t> errors;
        for (int i = 0; i < sets; ++i) {
            const std::int64_t shift = randomShift();
            const std::int64_t before = *shim::offsetNs();
            shifter(shift);
            errors.push_back(std::abs(*shim::offsetNs() - before - shift * kNsPerUnit));
            pause();
        }
        return errors;
    }

    // Sets, booked as the program books them, then the RESET that undoes them:
    // how far the clock ends up from where it would be without them.
    std::vector<std::int64_t> resetDistances(const Shifter& shifter) {
        std::vector<std::int64_t> distances;
        for (int round = 0; round < kResetRounds; ++round) {
            const std::int64_t start = *shim::offsetNs();
            std::int64_t runningShift = 0;
            for (int i = 0; i < kSetsBeforeReset; ++i) {
                const std::int64_t shift = randomShift();
                shifter(shift);
                runningShift -= shift;
                pause();
            }
            shifter(runningShift);
            distances.push_back(std::abs(*shim::offsetNs() - start));
        }
        return distances;
    }

  private:
    std::mt19937_64 random_;
};

// The clock read, cut to a multiple of `resolution`, then set to the reading
// plus the shift: the time between reading and set is lost on every set, and
// so is the part of the reading below the resolution.
void shiftFromReading(std::int64_t shift, std::int64_t resolution) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t read = static_cast<std::int64_t>(now.tv_sec) * kNsPerSecond +
                              now.tv_nsec / resolution * resolution;
    const std::int64_t target = read + shift * kNsPerUnit;
    const timespec set{static_cast<time_t>(target / kNsPerSecond),
                       static_cast<long>(target % kNsPerSecond)};
    clock_settime(CLOCK_REALTIME, &set);
}

void shiftFromFullReading(std::int64_t shift) {
    shiftFromReading(shift, 1);
}

void shiftFromMillisecondReading(std::int64_t shift) {
    shiftFromReading(shift, kNsPerMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    if (!shim::isLoaded() || shim::mayChangeRealClock()) {
        std::fprintf(stderr,
                     "%s: run as an unprivileged user with the clock interception library "
                     "preloaded\n",
                     argv[0]);
        return 2;
    }
    const std::uint64_t seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20'261'210;
    Bench bench(seed);
    quarnel::SystemPlatform system;
    // Without a time service to ask, the set is answered within the call.
    const Shifter platformShift = [&system](std::int64_t shift) {
        system.shiftLocalTime(shift, [](const quarnel::Refusal& refusal) {
            if (refusal) {
                std::fprintf(stderr, "a set was refused: %s\n", refusal->c_str());
                std::exit(1);
            }
        });
    };

    std::printf("seed=%llu\nsets=%d\nreset.rounds=%d\nreset.sets_per_round=%d\n",
                static_cast<unsigned long long>(seed), kSets, kResetRounds, kSetsBeforeReset);
    const std::vector<std::int64_t> errors = bench.setErrors(platformShift, kSets);
    std::printf("shift.first_ns=%lld\n", static_cast<long long>(errors.front()));
    print("shift", summarise(errors));
    print("reset", summarise(bench.resetDistances(platformShift)));

    print("full_reading.shift", summarise(bench.setErrors(shiftFromFullReading, kSets)));
    print("full_reading.reset", summarise(bench.resetDistances(shiftFromFullReading)));
    print("ms_reading.shift", summarise(bench.setErrors(shiftFromMillisecondReading, kSets)));
    print("ms_reading.reset", summarise(bench.resetDistances(shiftFromMillisecondReading)));
    return 0;
}
