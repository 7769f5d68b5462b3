#include "core/player_settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/game_world.h"
#include "core/settings_file.h"

namespace {

// The file as last read or written, and what it is to hold from now on. A
// game that never read it (a test, a benchmark) has no path and never writes.
SettingsFile settingsFile;
Settings remembered;

}  // namespace

void loadPlayerSettings(const CommandLine& commandLine) {
    settingsFile = readSettingsFile(
        settingsFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")), stderr);
    remembered = settingsFile.values;
    world.settings = settingsFile.values;
    if (commandLine.fullScreen) world.settings.fullScreen = *commandLine.fullScreen;
    if (commandLine.mute) world.settings.musicVolume = world.settings.soundVolume = 0;
}

void rememberFullScreen(bool fullScreen) { remembered.fullScreen = fullScreen; }

void rememberWindowSize(int width, int height) {
    // Within what the file accepts, so a window the desktop made smaller still reads back.
    remembered.windowWidth = std::clamp(width, kMinWindowWidth, kMaxWindowSide);
    remembered.windowHeight = std::clamp(height, kMinWindowHeight, kMaxWindowSide);
}

void savePlayerSettings() {
    if (settingsFile.path.empty() || !settingsFile.writable) return;
    if (remembered == settingsFile.values) return;
    if (writeSettingsFile(settingsFile, remembered, stderr)) settingsFile.values = remembered;
}
