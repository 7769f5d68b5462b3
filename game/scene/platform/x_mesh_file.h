#pragma once
// Mesh files in the .x format, text or binary, read into plain data: one
// triangle list whose subset i holds every face of material i, and the
// materials the file gives with the texture file names they name.

#include <optional>
#include <string>
#include <vector>

#include "scene/platform/graphics_device.h"

namespace platform {

struct XFileMaterial {
    // Diffuse, specular, emissive and power as the file gives them; the
    // format has no ambient colour, so it is left zero.
    Material material;
    std::string textureFileName;  // empty when none; '\' separators turned into '/'
};

struct XMeshFile {
    // Positions with the file's frame transforms applied, in the file's own
    // left-handed coordinates, winding and texture coordinates.
    MeshData mesh;
    // Only the materials the file itself lists, used or not: a file with no
    // material list has none. `mesh.subsets` may hold one more subset than
    // there are materials, for faces that no material covers.
    std::vector<XFileMaterial> materials;
};

// Nothing when the file is missing, is not an .x file or cannot be read.
std::optional<XMeshFile> readXMeshFile(const std::string& fileName);

}  // namespace platform
