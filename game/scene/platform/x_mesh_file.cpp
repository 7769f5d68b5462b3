#include "scene/platform/x_mesh_file.h"

#include "core/platform/file_system.h"
#include "scene/platform/x_file_reader.h"

namespace platform {

std::optional<XMeshFile> readXMeshFile(const std::string& fileName) {
    const std::optional<std::string> bytes =
        readWholeRegularFile(fileName.c_str(), kLargestMeshFile);
    if (!bytes) return std::nullopt;
    return readXMeshBytes(*bytes);
}

}  // namespace platform
