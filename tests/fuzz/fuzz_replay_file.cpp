// A replay file holding anything at all: reading it must not crash or hang,
// and whatever it accepts it writes back as text that reads the same.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/game_world.h"
#include "fuzz_support.h"
#include "gameplay/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const std::optional<Replay> replay = parseReplay(text, error);
    fuzz::require(replay.has_value() == error.empty(), "a reason exactly when refused");
    if (!replay) return 0;
    const std::optional<Replay> again = parseReplay(replayText(*replay), error);
    fuzz::require(again && again->start == replay->start && again->end == replay->end &&
                      again->inputs == replay->inputs && again->passes == replay->passes,
                  "what is read is written back the same");
    applyRunState(replay->start);
    return 0;
}
