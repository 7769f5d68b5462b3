#pragma once
// Meshes written as text .x files: positions, normals, texture coordinates
// and a material list whose materials name their texture files.

#include <string>

#include "content/mesh_builder.h"

bool writeXFile(const MeshBuilder& mesh, const std::string& meshName, const std::string& path);
