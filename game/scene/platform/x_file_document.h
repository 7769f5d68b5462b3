#pragma once
// An .x file's objects as far as a mesh needs them, read and checked: every
// count held against what is left of the file before anything is sized by
// it, every index against what it names. Other objects are passed over.

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "scene/platform/x_file_tokens.h"
#include "scene/platform/x_mesh_file.h"

namespace platform {

// Row vectors, as the file writes its matrices: the fourth row moves.
using XFileMatrix = std::array<float, 16>;
inline constexpr XFileMatrix kXFileIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct XFileFrame {
    XFileMatrix local = kXFileIdentity;
    int parent = -1;  // a frame before it, or none
};

// A material in a mesh's list: given in place, or named by `{ name }` and
// declared at the top of the file.
struct XFileListedMaterial {
    XFileMaterial material;
    std::string reference;  // empty when given in place
};

struct XFileMeshObject {
    int frame = -1;  // the frame it stands in, or none
    std::vector<Vec3> positions;
    std::vector<uint32_t> faceSizes;
    std::vector<uint32_t> corners;  // every face's vertex indices in turn
    bool hasNormals = false;
    std::vector<Vec3> normals;
    std::vector<uint32_t> normalCorners;
    bool hasTextureCoords = false;
    std::vector<std::array<float, 2>> textureCoords;
    bool hasMaterialList = false;
    std::vector<uint32_t> faceMaterials;
    std::vector<XFileListedMaterial> materials;
};

struct XFileDocument {
    std::vector<XFileFrame> frames;
    std::vector<XFileMeshObject> meshes;
    // Materials declared at the top of the file, in order, and by name.
    std::vector<XFileMaterial> declaredMaterials;
    std::unordered_map<std::string, size_t> declaredByName;
};

// False when anything does not add up; `document` then holds a part.
bool readXFileDocument(const XFileBody& body, XFileDocument& document);

}  // namespace platform
