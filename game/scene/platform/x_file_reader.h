#pragma once
// The meshes of an .x file, in any of its forms, read into one triangle
// list: exactly the objects a mesh needs (frames and their transforms,
// meshes with normals, texture coordinates and material lists, materials
// with their texture names), every other object passed over by its braces.
// Every count is held against what is left of the file before anything is
// sized by it.

#include <optional>
#include <string_view>

#include "scene/platform/x_mesh_file.h"

namespace platform {

// Compressed files may unpack to no more than this.
constexpr size_t kLargestUnpackedMeshFile = 16u << 20;

// `file` is the whole file, header included. Nothing when it is not an .x
// file or anything in it does not add up: counts beyond what follows,
// faces naming vertices or materials that are not there, normals that do
// not match their faces, a material named but never declared.
std::optional<XMeshFile> readXMeshBytes(std::string_view file);

}  // namespace platform
