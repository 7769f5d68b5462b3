#pragma once
// Only an installer its publisher signed, for the very version offered now,
// is started: whoever controls the update server, a mirror or a certificate
// could otherwise make every player run anything, or an older installer
// the publisher once signed.

#include "updater/updater_settings.h"

// A signature file is four short lines.
constexpr uint64_t kLargestInstallerSignature = 4096;

// Fetches "update.exe" into a file nothing can run, then its signature, and
// checks both against the updater's public key and the version
// `offeredVersion` that "new.txt" offered (by value, as versions compare).
// Only then is the installer made runnable as "update.exe". Returns a
// read-only descriptor of that very file, to start it by, or -1: when a
// fetch failed, or, after one line on standard error saying why, when the
// installer was refused. Nothing of a failed or refused installer stays.
// A updater built without a key checks no signature.
int fetchCheckedInstaller(const UpdaterSettings& settings, int offeredVersion);
