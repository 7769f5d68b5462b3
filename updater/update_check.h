#pragma once
// Comparing the installed version with the published one, and fetching the
// installer when they differ.

#include <string>

#include "updater/updater_settings.h"

constexpr char kInstalledVersionFile[] = "version.txt";
constexpr char kPublishedVersionFile[] = "new.txt";
constexpr char kInstallerFile[] = "update.exe";
// The platform's names for "Game.exe" and "update.exe" when started from the
// game folder.
constexpr char kGameProgram[] = "./Game";
constexpr char kInstallerProgram[] = "./update.exe";
// A version is a short number; anything larger is not one.
constexpr uint64_t kLargestPublishedVersion = 4096;

std::string endpointUrl(const std::string& endpoint, const std::string& path);

struct UpdateCheck {
    bool updateAvailable = false;  // the published version differs, either way
    std::string publishedText;     // to be recorded as read, once the installer has arrived
    // The version offered now: that of "new.txt" fetched this time, 0 when
    // it could not be (an earlier run's copy offers nothing).
    int offeredVersion = 0;
};

// Fetches "new.txt" and compares its version with "version.txt"'s. Writes
// nothing but "new.txt": the new version is recorded only once its installer
// has arrived whole.
UpdateCheck checkForUpdate(const UpdaterSettings& settings);
