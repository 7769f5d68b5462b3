#include "gameplay/progress_file.h"

#include <sstream>
#include <string>

#include "core/game_world.h"
#include "core/platform/file_system.h"
#include "gameplay/line_reader.h"
#include "gameplay/number_text.h"

namespace {

constexpr const char* kProgressFile = "Data.vrp";

// The level is not stored as itself but as (level x 8 - 5) / 5.
std::string progressText(int32_t level) {
    const double stored = (static_cast<double>(level) * 8.0 - 5.0) / 5.0;
    std::ostringstream text;
    text << stored;
    return text.str();
}

}  // namespace

void saveProgress() {
    // A replay shows levels finished long ago; the player's progress stays.
    if (world.watchingReplay) return;
    // Replaced in one step, so a failed save leaves the player's saved level
    // as it was; the failure is not reported.
    platform::replaceFile(kProgressFile, progressText(world.level));
}

bool loadProgress() {
    LineReader file(kProgressFile);
    if (!file.isOpen()) return false;
    const double stored = decimalValue(file.readLine());
    // Each step rounded to double, so every level written reads back as itself.
    const double level = (stored * 5.0 + 5.0) * 0.125;
    world.level = truncateToInt32(level);
    return true;
}
