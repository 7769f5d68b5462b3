// Writes the rock and pickup files of every level, and prints a table of how
// each level plays.
//
// Usage: generate_levels <output folder>

#include <cstdio>
#include <fstream>
#include <string>

#include "level_design.h"

namespace {

constexpr size_t kMaxRocks = 50;
constexpr size_t kMaxPickups = 5;

// Four lines a record: x, y, z and an empty separator; the file ends right
// after the last record's z, so the reader sees exactly these records.
bool writeRecords(const std::string& path, const std::vector<PlacedThing>& things) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (size_t i = 0; i < things.size(); ++i) {
        if (i > 0) out << "\n";
        out << things[i].x << "\n" << things[i].y << "\n" << things[i].z << "\n";
    }
    return static_cast<bool>(out);
}

// What the game could not read as laid out, or could not play fairly.
const char* flaw(const LevelLayout& layout, int previousLength) {
    if (layout.rocks.size() > kMaxRocks) return "more rocks than the game reads";
    if (layout.pickups.size() > kMaxPickups) return "more pickups than the game reads";
    if (layout.length <= previousLength)
        return "no longer than the level before, so it would end late";
    // Checked on the route as it finally stands, every rock moved.
    if (layout.tightestFrames < layout.promisedFrames) return "an action quicker than its pace";
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::printf("level  length  rows  walls  pickups  least frames  rockets needed\n");
    int previousLength = 0;
    const std::vector<LevelLayout> levels = designLevels();
    for (int level = 0; level < kLevelCount; ++level) {
        const LevelLayout& layout = levels[level];
        if (const char* problem = flaw(layout, previousLength)) {
            std::fprintf(stderr, "generate_levels: level %d has %s\n", level, problem);
            return 1;
        }
        previousLength = layout.length;
        const std::string base = folder + "/Level" + std::to_string(level);
        if (!writeRecords(base + ".vr", layout.rocks) ||
            !writeRecords(base + ".su", layout.pickups)) {
            std::fprintf(stderr, "generate_levels: cannot write %s\n", base.c_str());
            return 1;
        }
        std::printf("%5d  %6d  %4d  %5d  %7zu  %12d  %s\n", level, layout.length, layout.rows,
                    layout.walls, layout.pickups.size(), layout.tightestFrames,
                    layout.needsRockets() ? "yes" : "no");
    }
    std::printf(
        "least frames: the shortest time between two required actions, from the moment a lane\n"
        "change or a shot can first be made to the last moment it still works.\n");
    return 0;
}
