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
#include "scene/meshmanager.h"
#include "scene/sky_dome.h"
#include "core/game_world.h"






