#include <cstdlib>

#include "update_public_key.h"
#include "updater/updater_run.h"

// The updater takes no command line and reads no configuration: where it
// asks for updates, whose signature it trusts and how large an installer
// may be are fixed when it is built.
int main() {
    UpdaterSettings settings;
    settings.endpoint = VORLUNE_UPDATE_URL;
#ifdef VORLUNE_UPDATE_URL_VARIABLE
    // The test build asks whichever loopback server its test started.
    if (const char* url = std::getenv(VORLUNE_UPDATE_URL_VARIABLE)) settings.endpoint = url;
#endif
    settings.publicKey = VORLUNE_UPDATE_PUBLIC_KEY;
    settings.largestInstaller = VORLUNE_UPDATE_LARGEST_INSTALLER;
    return runUpdater(settings).exitCode;
}
