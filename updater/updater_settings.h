#pragma once
// What a run of the updater depends on besides the working folder. The
// program fixes all of it when it is built; tests set it to reach their own
// server quickly.

#include <cstdint>
#include <string>

#include "updater/platform/download.h"

struct UpdaterSettings {
    // Base URL of the update endpoint; "/new.txt" and "/update.exe" are appended.
    std::string endpoint;
    platform::DownloadLimits downloads;
    // The publisher's minisign public key, the base64 line of its key file:
    // only an installer signed with its secret key is started. Empty: any
    // installer is, as in builds that predate signing.
    std::string publicKey;
    // An installer larger than this is abandoned as a failed download.
    uint64_t largestInstaller = 512ull << 20;
    // How long "installing updates" stays on screen once the installer has
    // started, before the updater ends; a message taken meanwhile does not
    // lengthen it.
    uint32_t installingShownMs = 1000;
};
