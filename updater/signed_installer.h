#pragma once
// Only an installer its publisher signed is started: whoever controls the
// update server, a mirror or a certificate could otherwise make every player
// run anything.

#include "updater/updater_settings.h"

// A signature file is four short lines.
constexpr uint64_t kLargestInstallerSignature = 4096;

// Fetches "update.exe.minisig" and checks the freshly fetched "update.exe"
// against it and the launcher's public key. True when it is genuine, or when
// the launcher was built without a key and so starts installers unsigned.
// Otherwise deletes "update.exe", which must never be started, says why in
// one line on standard error, and returns false.
bool checkInstallerSignature(const UpdaterSettings& settings);
