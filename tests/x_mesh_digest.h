#pragma once
// What a mesh file draws, in a few numbers: triangles per subset, texture
// names, and sums over every drawn corner (position, normal, texture
// coordinates) and every material, each term weighted by its place so that
// the order counts too. Sums rather than a hash of bits: two readers of the
// same text may differ in a float's last bit, and whether corners that
// differ by such a bit share a vertex changes nothing that is drawn.

#include <cmath>
#include <cstdio>
#include <string>

#include "scene/platform/x_mesh_file.h"

namespace x_digest {

struct Drawn {
    std::string shape;  // triangles per subset, normals or not, textures
    double positions = 0, normals = 0, textureCoords = 0, materials = 0;
};

// Sums a weighted term and its size, for a tolerance that suits the file.
struct Sum {
    double value = 0, size = 0;
    void add(double weight, double term) {
        value += weight * term;
        size += std::fabs(weight * term);
    }
};

struct Summed {
    Drawn drawn;
    double sizes[4] = {};
};

inline Summed sum(const platform::XMeshFile& file) {
    const platform::MeshData& mesh = file.mesh;
    Summed out;
    std::string& shape = out.drawn.shape;
    shape = "triangles";
    for (const platform::MeshSubset& s : mesh.subsets)
        shape += " " + std::to_string(s.indexCount / 3);
    shape += mesh.hasNormals ? ", normals" : ", no normals";
    shape += ", textures";
    Sum positions, normals, textureCoords, materials;
    for (size_t k = 0; k < mesh.indices.size(); ++k) {
        const platform::MeshVertex& v = mesh.vertices[mesh.indices[k]];
        const double w = static_cast<double>(k % 1009 + 1);
        positions.add(w, v.position.x + 2.0 * v.position.y + 3.0 * v.position.z);
        normals.add(w, v.normal.x + 2.0 * v.normal.y + 3.0 * v.normal.z);
        textureCoords.add(w, v.u + 2.0 * v.v);
    }
    for (size_t m = 0; m < file.materials.size(); ++m) {
        const platform::Material& a = file.materials[m].material;
        shape += " '" + file.materials[m].textureFileName + "'";
        const float values[] = {
            a.diffuse.r,  a.diffuse.g,  a.diffuse.b,  a.diffuse.a,  a.ambient.r,  a.ambient.g,
            a.ambient.b,  a.ambient.a,  a.specular.r, a.specular.g, a.specular.b, a.specular.a,
            a.emissive.r, a.emissive.g, a.emissive.b, a.emissive.a, a.power};
        for (size_t i = 0; i < std::size(values); ++i)
            materials.add(static_cast<double>((m + 1) * 100 + i), values[i]);
    }
    out.drawn.positions = positions.value;
    out.drawn.normals = normals.value;
    out.drawn.textureCoords = textureCoords.value;
    out.drawn.materials = materials.value;
    const Sum* all[] = {&positions, &normals, &textureCoords, &materials};
    for (int i = 0; i < 4; ++i) out.sizes[i] = all[i]->size;
    return out;
}

// Alike to a part in a million of each sum's size: far below what a last
// bit of a float adds up to, far above what a moved or missing corner does.
inline bool alike(const Summed& read, const Drawn& expected) {
    const double got[] = {read.drawn.positions, read.drawn.normals, read.drawn.textureCoords,
                          read.drawn.materials};
    const double want[] = {expected.positions, expected.normals, expected.textureCoords,
                           expected.materials};
    for (int i = 0; i < 4; ++i)
        if (std::fabs(got[i] - want[i]) > 1e-6 * read.sizes[i] + 1e-9) return false;
    return read.drawn.shape == expected.shape;
}

inline std::string describe(const Drawn& d) {
    char sums[160];
    std::snprintf(sums, sizeof sums, "%.9g, %.9g, %.9g, %.9g", d.positions, d.normals,
                  d.textureCoords, d.materials);
    return "{\"" + d.shape + "\", " + sums + "}";
}

}  // namespace x_digest
