#include "core/platform/clock.h"

#include <time.h>

namespace platform {
namespace {

class SystemClock final : public Clock {
public:
    uint32_t milliseconds() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        // The low 32 bits of a millisecond count wrap just like the classic
        // multimedia timer; callers compare differences, never absolute values.
        const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u +
                            static_cast<uint64_t>(now.tv_nsec) / 1000000u;
        return static_cast<uint32_t>(ms);
    }

    void sleep(uint32_t ms) override {
        timespec duration{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
        while (nanosleep(&duration, &duration) != 0) {
        }
    }
};

SystemClock systemClock;
Clock* installed = nullptr;

}  // namespace

Clock& clock() { return installed != nullptr ? *installed : systemClock; }

void installClock(Clock* replacement) { installed = replacement; }

}  // namespace platform
