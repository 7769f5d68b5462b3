#include "gameplay/progress_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "core/game_world.h"
#include "gameplay/line_reader.h"
#include "gameplay/number_text.h"

namespace {

constexpr const char* kProgressFile = "Data.vrp";
constexpr const char* kProgressScratch = "Data.vrp.new";

// The level is not stored as itself but as (level x 8 - 5) / 5.
std::string progressText(int32_t level) {
    const double stored = (static_cast<double>(level) * 8.0 - 5.0) / 5.0;
    std::ostringstream text;
    text << stored;
    return text.str();
}

bool writeWhole(int descriptor, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t step = ::write(descriptor, text.data() + written, text.size() - written);
        if (step < 0) return false;
        written += static_cast<size_t>(step);
    }
    return true;
}

}  // namespace

void saveProgress() {
    // The new content goes to a scratch file that replaces the old one only
    // once it is safely on disk: a crash, a kill or a full disk part-way
    // leaves the player's saved level as it was.
    const std::string text = progressText(world.level);
    const int descriptor = ::open(kProgressScratch, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) return;
    const bool written = writeWhole(descriptor, text) && ::fsync(descriptor) == 0;
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed || std::rename(kProgressScratch, kProgressFile) != 0) {
        std::remove(kProgressScratch);
    }
}

bool loadProgress() {
    LineReader file(kProgressFile);
    if (!file.isOpen()) return false;
    const double stored = std::atof(file.readLine().c_str());
    // Each step rounded to double, so every level written reads back as itself.
    const double level = (stored * 5.0 + 5.0) * 0.125;
    world.level = truncateToInt32(level);
    return true;
}
