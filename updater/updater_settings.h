#pragma once
// What a run of the launcher depends on besides the working folder. The
// program fixes all of it when it is built; tests set it to reach their own
// server quickly.

#include <cstdint>
#include <string>

#include "updater/platform/download.h"

struct UpdaterSettings {
    // Base URL of the update endpoint; "/new.txt" and "/update.exe" are appended.
    std::string endpoint;
    platform::DownloadLimits downloads;
    // How long "installing updates" stays on screen once the installer has
    // started, before the launcher ends; a message taken meanwhile does not
    // lengthen it.
    uint32_t installingShownMs = 1000;
};
