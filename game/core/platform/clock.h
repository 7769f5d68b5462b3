#pragma once
// Millisecond clock of the game: an unsigned 32-bit count that wraps about
// every 49.7 days, and short sleeps. Tests put their own clock in its place.

#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t milliseconds() = 0;
    virtual void sleep(uint32_t ms) = 0;
    // Asks for 1 ms timer resolution; our sleeps are precise enough without.
    virtual void requestResolution(uint32_t) {}
};

// The clock in use: the system clock unless one was installed.
Clock& clock();
// Installs `replacement` (null restores the system clock). The caller keeps ownership.
void installClock(Clock* replacement);

inline uint32_t timeMilliseconds() { return clock().milliseconds(); }
inline void sleepMilliseconds(uint32_t ms) { clock().sleep(ms); }
inline void beginTimerPeriod(uint32_t ms) { clock().requestResolution(ms); }

}  // namespace platform
