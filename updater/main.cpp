#include "updater/updater_run.h"

// The launcher takes no command line and reads no configuration: where it
// asks for updates is fixed when it is built.
int main() {
    UpdaterSettings settings;
    settings.endpoint = VORLUNE_UPDATE_URL;
    return runUpdater(settings).exitCode;
}
