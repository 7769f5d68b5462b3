#pragma once
// The player's settings file, settings.ini: plain `name = value` lines a
// player may edit by hand. Whatever in it the game does not understand is
// reported and left in place, and nothing in it can stop the game starting.

#include <cstdio>
#include <string>
#include <vector>

#include "core/settings.h"

// $XDG_CONFIG_HOME/vorlune/settings.ini, or $HOME/.config/vorlune/settings.ini when XDG_CONFIG_HOME
// is unset, empty or not absolute (XDG rules). Empty string when neither gives a folder.
std::string settingsFilePath(const char* xdgConfigHome, const char* home);

struct SettingsFile {
    std::string path;
    Settings values;                 // what the file said; defaults for the rest
    std::vector<std::string> lines;  // the file as read, line by line, to be kept on rewrite
    bool writable = true;            // false: a file is there that could not be read as settings
};

// Never blocks and never fails the game. Missing file: defaults, no message,
// writable. Each line ignored, and a file that could not be read at all,
// gives one line on `warnings` (null: none).
SettingsFile readSettingsFile(const std::string& path, std::FILE* warnings);

// Writes `values` in one step, keeping every line that is not one of the
// settings' own. Returns false (with one warning line) when it cannot, and
// always when `file` is not writable. Values outside their ranges are
// written at the nearest end, so the file never holds what it would refuse.
bool writeSettingsFile(SettingsFile& file, const Settings& values, std::FILE* warnings);
