#include "updater/updater_run.h"

#include <unistd.h>

#include <cstdio>

#include "core/platform/clock.h"
#include "core/platform/window_system.h"
#include "updater/platform/program_start.h"
#include "updater/platform/unchecked_program.h"
#include "updater/signed_installer.h"
#include "updater/status_window.h"
#include "updater/update_check.h"
#include "updater/version_file.h"

namespace {

// The update path ends with "installing updates" on screen for about
// `shownMs`, then returns the exit code: the wParam of the one message taken
// meanwhile, dispatched, or 0 when none came. This window system sends no
// message of its own, so the wait ends by itself; without a window none can
// come, yet the updater ends no sooner.
int showInstallingThenEnd(platform::WindowHandle window, uint32_t shownMs) {
    const uint32_t shownAt = platform::timeMilliseconds();
    int exitCode = 0;
    platform::Message message;
    if (window != nullptr && platform::waitMessage(message, shownMs)) {
        // A quit message ends the wait without being dispatched.
        if (message.message == platform::kMsgQuit) return static_cast<int>(message.wParam);
        platform::dispatchMessage(message);
        exitCode = static_cast<int>(message.wParam);
    }
    const uint32_t shownFor = platform::timeMilliseconds() - shownAt;
    if (shownFor < shownMs) platform::sleepMilliseconds(shownMs - shownFor);
    return exitCode;
}

// The new version is recorded before its installer starts: an installer
// may read or rewrite "version.txt" at once. One that does not start gets
// its record taken back, so the next start tries the update again.
bool startInstaller(const UpdateCheck& check, int installer, UpdaterOutcome& outcome) {
    const ReplacedVersion replaced = recordVersion(kInstalledVersionFile, check.publishedText);
    outcome.started = platform::startProgramFile(installer, kInstallerProgram);
    close(installer);
    if (outcome.started.started()) return true;
    takeBackVersion(replaced);
    return false;
}

bool fetchAndStartInstaller(const UpdaterSettings& settings, const UpdateCheck& check,
                            UpdaterOutcome& outcome) {
    const int installer = fetchCheckedInstaller(settings, check.offeredVersion);
    return installer >= 0 && startInstaller(check, installer, outcome);
}

}  // namespace

UpdaterOutcome runUpdater(const UpdaterSettings& settings) {
    UpdaterOutcome outcome;
    if (settings.endpoint.empty()) {
        std::fputs("Updater: updates are not configured in this build; starting the game\n",
                   stderr);
        outcome.started = platform::startProgram(kGameProgram);
        return outcome;
    }
    // An updater killed before its installer was checked left it unrunnable;
    // now nothing of it stays either.
    platform::removeUncheckedLeftovers(kInstallerFile);
    const platform::WindowHandle window = createUpdaterWindow();
    const UpdateCheck check = checkForUpdate(settings);
    if (check.updateAvailable && fetchAndStartInstaller(settings, check, outcome)) {
        showStatus(kInstallingText);
        outcome.exitCode = showInstallingThenEnd(window, settings.installingShownMs);
    } else {
        // No update, or none that could be installed now: the player plays
        // on, and the next start tries again.
        outcome.started = platform::startProgram(kGameProgram);
    }
    platform::destroyWindow(window);
    return outcome;
}
