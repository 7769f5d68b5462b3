// Writes the rock and pickup files of every level.
//
// Usage: generate_levels <output folder>

#include <cstdio>
#include <fstream>
#include <string>

#include "level_design.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    for (int level = 0; level < kLevelCount; ++level) {
        const LevelLayout layout = designLevel(level);
        const std::string base = folder + "/Level" + std::to_string(level);
        if (!writeRecords(base + ".vr", layout.rocks) || !writeRecords(base + ".su", layout.pickups)) {
            std::fprintf(stderr, "generate_levels: cannot write %s\n", base.c_str());
            return 1;
        }
    }
    return 0;
}
