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
    // The update path takes one message from the window system; this window
    // system sends none of its own, so the wait has to end by itself.
    uint32_t messageWaitMs = 3000;
};
