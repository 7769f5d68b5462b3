#pragma once
// Whether a window made now would be seen. Without a display SDL falls back
// to drawing into memory, where a window opens fine and nobody sees it.

namespace platform {

bool displayAvailable();

}  // namespace platform
