#include "gameplay/level_files.h"

#include <cstdio>

#include "core/game_world.h"
#include "effects/explosions.h"
#include "gameplay/line_reader.h"
#include "gameplay/number_text.h"

namespace {

std::string levelFileName(const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "Level%d.%s", world.level, extension);
    return name;
}

// The rock stands at world z = -depth; the negation is done in 64 bits so the
// most negative depth cannot overflow.
float worldZOf(int32_t depth) { return static_cast<float>(-static_cast<int64_t>(depth)); }

}  // namespace

void loadLevel() {
    LineReader rocks(levelFileName("vr").c_str());
    if (!rocks.isOpen()) {
        spawnExplosion();
        spawnExplosion();
        spawnExplosion();
        world.mode = GameMode::TheEnd;
    } else {
        int slot = 0;
        for (; slot < kRockSlots; ++slot) {
            if (rocks.atEnd()) break;
            RockPosition& rock = world.rockPos[slot];
            rock.x = truncatedDecimal(rocks.readLine());
            rock.y = truncatedDecimal(rocks.readLine());
            rock.z = truncatedDecimal(rocks.readLine());
            const float d = worldZOf(rock.z);
            if (d < world.levelEndZ) world.levelEndZ = d;
            rocks.readLine();  // separator line
        }
        world.rockCount = slot;
    }
    loadPickups();
}

void loadPickups() {
    for (auto& active : world.pickupActive) active = 0;
    LineReader pickups(levelFileName("su").c_str());
    if (!pickups.isOpen()) return;
    int slot = 0;
    for (; slot < kPickupSlots; ++slot) {
        if (pickups.atEnd()) break;
        const int32_t x = integerText(pickups.readLine());
        const int32_t y = integerText(pickups.readLine());
        const int32_t z = integerText(pickups.readLine());
        pickups.readLine();  // separator line
        if (world.pickups[slot] != nullptr) {
            world.pickups[slot]->translation =
                matrixTranslation(static_cast<float>(x), static_cast<float>(y), worldZOf(z));
        }
        world.pickupActive[slot] = 1;
    }
    world.pickupCount = slot;
}
