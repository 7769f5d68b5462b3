// Operations of the game that are declared but not built yet. Each one moves
// to its own file, with its real behaviour, when its part of the game is
// built; until then they do nothing, so the program runs its finished parts.

#include "audio/music.h"
#include "audio/sound.h"
#include "core/screens.h"
#include "effects/explosions.h"
#include "effects/particle_emitters.h"
#include "gameplay/flight.h"
#include "gameplay/impact_rules.h"
#include "gameplay/level_files.h"
#include "gameplay/progress_file.h"
#include "gameplay/rocks_and_rockets.h"
#include "scene/sky_dome.h"

void startMusic(platform::WindowHandle) {}
void onMusicEvent() {}
void playExplosionSound() {}

bool createEmitter(int32_t, const std::string&, const Vec3&, const Vec3&, int32_t, uint32_t) {
    return false;
}
void updateEmitters() {}
void drawEmitters() {}
void expireParticles() {}
bool spawnExplosion() { return false; }
void spawnSmallExplosion() {}

void loadLevel() {}
void loadPickups() {}
void saveProgress() {}
bool loadProgress() { return true; }
void applySteering() {}
void playingFrame() {}
bool boxesOverlap(const SceneObject&, const SceneObject&) { return false; }
void applyImpactRules() {}
void drawRocksAndPickups() {}
void moveAndDrawRockets() {}

void drawSkyDome() {}

void gameOverFrame() {}
void levelTransitionFrame() {}
void theEndFrame() {}
