#include "updater/updater_run.h"

#include "core/platform/clock.h"
#include "core/platform/window_system.h"
#include "updater/status_window.h"
#include "updater/update_check.h"
#include "updater/version_file.h"

namespace {

// The update path takes exactly one message from the window system and
// returns the exit code it carries. Without a window none can come.
int handleOneMessage(platform::WindowHandle window, uint32_t waitMs) {
    platform::Message message;
    if (window == nullptr || !platform::waitMessage(message, waitMs)) return 0;
    // A quit message ends the wait without being dispatched.
    if (message.message == platform::kMsgQuit) return static_cast<int>(message.wParam);
    platform::dispatchMessage(message);
    platform::sleepMilliseconds(1000);
    return static_cast<int>(message.wParam);
}

// The new version is recorded only once its installer is running: recorded
// any earlier, a failed update would read as installed at the next start and
// never be tried again.
bool startInstaller(const UpdateCheck& check, UpdaterOutcome& outcome) {
    outcome.started = platform::startProgram(kInstallerProgram);
    if (!outcome.started.started()) return false;
    writeVersionText(kInstalledVersionFile, check.publishedText);
    return true;
}

}  // namespace

UpdaterOutcome runUpdater(const UpdaterSettings& settings) {
    const platform::WindowHandle window = createUpdaterWindow();
    UpdaterOutcome outcome;
    const UpdateCheck check = checkForUpdate(settings);
    if (check.updateAvailable && fetchInstaller(settings) && startInstaller(check, outcome)) {
        showStatus(kInstallingText);
        outcome.exitCode = handleOneMessage(window, settings.messageWaitMs);
    } else {
        // No update, or none that could be installed now: the player plays
        // on, and the next start tries again.
        outcome.started = platform::startProgram(kGameProgram);
    }
    platform::destroyWindow(window);
    return outcome;
}
