#pragma once
// The updater's small borderless window with its one line of status text.

#include <cstdint>
#include <memory>

#include "core/platform/window_system.h"
#include "updater/platform/status_label.h"

constexpr char kCheckingText[] = "בודק אם קיימים עדכונים";
constexpr char kInstallingText[] = "מתקין עדכונים אנא המתן...";

// Made by the window procedure when the window is created; null while there
// is no window.
extern std::unique_ptr<platform::StatusLabel> statusLabel;

intptr_t updaterWindowProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// Shows the window at its fixed place. Null where there is no display: the
// updater then does its work without one.
platform::WindowHandle createUpdaterWindow();

// Changes the status text; nothing happens without a window.
void showStatus(const char* utf8);
