#pragma once
// Image files (BMP, PNG and whatever else SDL2_image reads) as device textures.

#include <string>

#include "scene/platform/graphics_device.h"

namespace platform {

// Decodes the file and uploads it once; null when it is missing, not a
// regular file, larger than kLargestImageFile, unreadable or cannot be uploaded.
Texture* loadTextureFile(GraphicsDevice& device, const std::string& fileName);

}  // namespace platform
