#pragma once
// A clock the test winds by hand; every sleep moves it on by the time slept.

#include <vector>

#include "core/platform/clock.h"

class FakeClock final : public platform::Clock {
public:
    explicit FakeClock(uint32_t start) : now(start) { platform::installClock(this); }
    ~FakeClock() override { platform::installClock(nullptr); }

    uint32_t milliseconds() override { return now; }
    void sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }

    uint32_t now;
    std::vector<uint32_t> sleeps;
};

// Every read of the clock is one millisecond later than the last.
class SteppingClock final : public platform::Clock {
public:
    explicit SteppingClock(uint32_t start) : now(start) { platform::installClock(this); }
    ~SteppingClock() override { platform::installClock(nullptr); }
    uint32_t milliseconds() override { return now++; }
    void sleep(uint32_t ms) override { now += ms; }
    uint32_t now;
};
