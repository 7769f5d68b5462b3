#pragma once
// A built mesh written as the game's .x file, by the game's own writer.

#include <string>

#include "content/mesh_builder.h"

bool writeXFile(const MeshBuilder& mesh, const std::string& meshName, const std::string& path);
