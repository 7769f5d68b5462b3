#pragma once
// One run of the updater: check the published version, then start the game
// or the freshly fetched installer, and end.

#include "updater/platform/program_start.h"
#include "updater/updater_settings.h"

struct UpdaterOutcome {
    int exitCode = 0;
    // The game or the installer; the updater never waits for it.
    platform::StartedProgram started;
};

UpdaterOutcome runUpdater(const UpdaterSettings& settings);
