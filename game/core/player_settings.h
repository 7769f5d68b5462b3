#pragma once
// The player's settings file as the game uses it: read once at start, the
// command line's choices put over it for that start only, and written back
// when the player changes something.

#include "core/command_line.h"

// Fills world.settings from the file and the command line.
void loadPlayerSettings(const CommandLine& commandLine);
// Changes the player made, kept for the next start.
void rememberFullScreen(bool fullScreen);
void rememberWindowSize(int width, int height);
// Writes the file when something it holds changed; quiet otherwise.
void savePlayerSettings();
