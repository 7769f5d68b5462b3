#pragma once
// SDL key symbols to the virtual-key codes the window procedure expects.

#include <cstdint>

namespace platform {

uintptr_t virtualKeyFromSdl(int32_t sdlKey);

}  // namespace platform
