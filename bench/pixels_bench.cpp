// Not a benchmark but its safeguard: what each screen shows, as one hash of
// the presented frames over a few hundred frames driven by a clock that
// moves exactly 16 ms a frame. Two builds that print the same hashes show
// the same pictures, so an optimisation can be checked against the build
// before it.
//
//   bench_pixels [GAME_FOLDER] [--frames N]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_support.h"
#include "game_screens.h"
#include "vorlune.h"

namespace {

// A clock that only moves when told to, or by what is slept.
class SteppedClock final : public platform::Clock {
public:
    uint32_t milliseconds() override { return now; }
    void sleep(uint32_t ms) override { now += ms; }
    uint32_t now = 100000;
};

uint64_t fnv1a(uint64_t hash, const std::vector<uint32_t>& pixels) {
    for (uint32_t pixel : pixels) {
        for (int byte = 0; byte < 4; ++byte) {
            hash ^= (pixel >> (8 * byte)) & 0xFF;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 300;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0) frames = std::atoi(argv[++i]);
    }
    bench::GameFolder folder(bench::distDirFrom(argc, argv));
    SteppedClock clock;
    platform::installClock(&clock);
    platform::setFrameCapture(true);

    platform::WindowHandle window = createGameWindow(world.screenWidth, world.screenHeight);
    if (window == nullptr || !loadGame(window)) {
        std::fprintf(stderr, "the game could not start\n");
        return 1;
    }
    bench::Table table("Pixels: one hash of " + std::to_string(frames) +
                           " presented frames per screen (same hashes = same pictures)",
                       {"screen", "hash"});
    for (const bench::Scenario& scenario : bench::gameScenarios()) {
        scenario.prepare();
        uint64_t hash = 14695981039346656037ull;
        for (int i = 0; i < frames; ++i) {
            bench::takeOneMessage();
            clock.now += kFrameInterval;
            scenario.betweenFrames(i);
            scenario.frame();
            hash = fnv1a(hash, world.device->lastPresentedFrame());
        }
        char text[32];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
        table.add({scenario.name, text});
    }
    table.print();

    platform::destroyWindow(window);
    shutdownGame();
    platform::installClock(nullptr);
    return 0;
}
