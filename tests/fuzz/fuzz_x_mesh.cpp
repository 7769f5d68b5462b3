// Mesh files, text or binary, packed or not, holding anything at all:
// reading must not crash, and whatever is read must be safe to hand to the
// device, which trusts every index and subset range. The bytes go to the
// reader straight: reading the file around them is tested on its own.

#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "scene/platform/x_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<platform::XMeshFile> file =
        platform::readXMeshBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!file) return 0;
    const platform::MeshData& mesh = file->mesh;
    fuzz::require(!mesh.vertices.empty() && !mesh.indices.empty(), "something to draw");
    fuzz::require(mesh.indices.size() % 3 == 0, "whole triangles");
    for (uint32_t index : mesh.indices)
        fuzz::require(index < mesh.vertices.size(), "indices name existing vertices");
    for (const platform::MeshSubset& subset : mesh.subsets) {
        fuzz::require(subset.firstIndex <= mesh.indices.size() &&
                          subset.indexCount <= mesh.indices.size() - subset.firstIndex,
                      "subsets within the index list");
    }
    fuzz::require(file->materials.size() <= mesh.subsets.size(), "a subset for every material");
    return 0;
}
