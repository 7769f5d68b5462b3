#pragma once
// Meshes written as text .x files, as the content generator makes them:
// positions, normals, texture coordinates, and a material list whose
// materials name their texture files. What this writes, readXMeshFile
// reads back.

#include <cstdint>
#include <string>
#include <vector>

#include "scene/platform/x_mesh_file.h"

namespace platform {

struct XFileTriangle {
    uint32_t a = 0, b = 0, c = 0;
    uint32_t material = 0;
};

struct XFileNamedMaterial {
    std::string name;
    XFileMaterial material;  // its ambient colour is not written: the format has none
};

struct XFileContent {
    std::vector<MeshVertex> vertices;
    std::vector<XFileTriangle> triangles;
    std::vector<XFileNamedMaterial> materials;
};

std::string xFileText(const XFileContent& mesh, const std::string& meshName);
bool writeXFile(const XFileContent& mesh, const std::string& meshName, const std::string& path);

}  // namespace platform
