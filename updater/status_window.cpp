#include "updater/status_window.h"

#include "updater/platform/display.h"

std::unique_ptr<platform::StatusLabel> statusLabel;

intptr_t updaterWindowProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
    if (message == platform::kMsgCreate) {
        // 260 wide from x 20, so it runs 20 pixels past the window's right edge.
        statusLabel = platform::StatusLabel::create(window, {20, 20, 260, 50}, kCheckingText);
    } else if (message == platform::kMsgDestroy) {
        // The label draws on the window, so it goes before the window does.
        statusLabel.reset();
        platform::postQuitMessage(0);
    }
    return platform::defaultWindowProcedure(window, message, wParam, lParam);
}

platform::WindowHandle createUpdaterWindow() {
    if (!platform::displayAvailable()) return nullptr;
    platform::WindowDescription description;
    description.title = "Updater";
    description.x = 480;
    description.y = 360;
    description.width = 260;
    description.height = 50;
    description.procedure = updaterWindowProcedure;
    return platform::createWindow(description);
}

void showStatus(const char* utf8) {
    if (statusLabel) statusLabel->setText(utf8);
}
