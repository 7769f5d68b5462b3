// "Data.vrp" holding anything at all: reading it must not crash, and a file
// that opens always counts as read.

#include <cstdint>

#include "core/game_world.h"
#include "fuzz_support.h"
#include "gameplay/progress_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::enterWorkingFolder();
    fuzz::writeInput("Data.vrp", data, size);
    world.level = 0;
    fuzz::require(loadProgress(), "an existing progress file reads");
    return 0;
}
