#include "scene/platform/x_file_reader.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "scene/platform/x_file_document.h"
#include "scene/platform/x_file_tokens.h"

namespace platform {

namespace {

XFileMatrix multiply(const XFileMatrix& a, const XFileMatrix& b) {
    XFileMatrix out{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k) out[r * 4 + c] += a[r * 4 + k] * b[k * 4 + c];
    return out;
}

XFileMatrix absoluteTransform(const XFileDocument& document, int frame) {
    XFileMatrix transform = kXFileIdentity;
    for (int f = frame; f != -1; f = document.frames[f].parent)
        transform = multiply(transform, document.frames[f].local);
    return transform;
}

Vec3 transformPoint(const Vec3& p, const XFileMatrix& m) {
    return {p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12],
            p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
            p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]};
}

// Normals go through the inverse transpose, and come out of unit length.
// A transform that flattens space leaves them as they are.
Vec3 transformNormal(const Vec3& n, const XFileMatrix& m) {
    const float a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9],
                i = m[10];
    const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (det == 0) return n;
    // n times the transposed inverse, as a row vector: the cofactors over det.
    const Vec3 out = {(n.x * (e * i - f * h) + n.y * (f * g - d * i) + n.z * (d * h - e * g)),
                      (n.x * (c * h - b * i) + n.y * (a * i - c * g) + n.z * (b * g - a * h)),
                      (n.x * (b * f - c * e) + n.y * (c * d - a * f) + n.z * (a * e - b * d))};
    const float scale = 1 / det;
    Vec3 result = {out.x * scale, out.y * scale, out.z * scale};
    const float length = std::sqrt(result.x * result.x + result.y * result.y + result.z * result.z);
    if (length == 0) return n;
    return {result.x / length, result.y / length, result.z / length};
}

// Corners at the same position whose normals and texture coordinates lie
// within a hundred-thousandth of each other are one vertex, the first of
// them; vertices come in the order their first corner does. The game has
// always joined them so: the generator's normals, rounded to six places,
// differ by that much where they meet.
class VertexJoin {
public:
    explicit VertexJoin(MeshData& mesh) : mesh_(mesh) {}

    // Vertices join only within one mesh's faces of one material.
    void start() {
        first_ = mesh_.vertices.size();
        positions_.clear();
        nextAtPosition_.clear();
        slots_.assign(64, 0);
        occupied_ = 0;
    }
    uint32_t add(const MeshVertex& vertex) {
        Key key;
        // +0 makes -0 and 0 the same.
        const float values[3] = {vertex.position.x + 0, vertex.position.y + 0,
                                 vertex.position.z + 0};
        std::memcpy(key.data(), values, sizeof values);
        const size_t slot = find(key);
        uint32_t* link = &slots_[slot];
        while (*link != 0) {
            const uint32_t index = static_cast<uint32_t>(first_ + *link - 1);
            if (near(mesh_.vertices[index], vertex)) return index;
            link = &nextAtPosition_[*link - 1];
        }
        const bool newPosition = slots_[slot] == 0;
        *link = static_cast<uint32_t>(positions_.size() + 1);  // before `link` may move
        positions_.push_back(key);
        nextAtPosition_.push_back(0);
        mesh_.vertices.push_back(vertex);
        if (newPosition && ++occupied_ * 2 > slots_.size()) grow();
        return static_cast<uint32_t>(mesh_.vertices.size() - 1);
    }

private:
    using Key = std::array<uint32_t, 3>;

    static bool near(const MeshVertex& a, const MeshVertex& b) {
        constexpr float kSquaredDistance = 1e-5f * 1e-5f;
        const float dx = a.normal.x - b.normal.x, dy = a.normal.y - b.normal.y,
                    dz = a.normal.z - b.normal.z, du = a.u - b.u, dv = a.v - b.v;
        return dx * dx + dy * dy + dz * dz < kSquaredDistance &&
               du * du + dv * dv < kSquaredDistance;
    }
    static size_t hash(const Key& key) {
        uint64_t hash = 1469598103934665603ull;
        hash = (hash ^ key[0]) * 1099511628211ull;
        hash = (hash ^ key[1]) * 1099511628211ull;
        hash = (hash ^ key[2]) * 1099511628211ull;
        return static_cast<size_t>(hash ^ (hash >> 29));
    }
    // The slot of the first vertex at `key`, or the empty one where it belongs.
    size_t find(const Key& key) const {
        const size_t mask = slots_.size() - 1;
        size_t slot = hash(key) & mask;
        while (slots_[slot] != 0 && positions_[slots_[slot] - 1] != key) slot = (slot + 1) & mask;
        return slot;
    }
    void grow() {
        const std::vector<uint32_t> old = std::move(slots_);
        slots_.assign(old.size() * 2, 0);
        for (uint32_t head : old)
            if (head != 0) slots_[find(positions_[head - 1])] = head;
    }

    MeshData& mesh_;
    size_t first_ = 0;
    size_t occupied_ = 0;
    std::vector<Key> positions_;            // of the vertices added since start()
    std::vector<uint32_t> nextAtPosition_;  // 1 + the next of them at the same place, or 0
    std::vector<uint32_t> slots_;           // 1 + the first of them at a place, or 0
};

// A mesh's faces gathered by material once, so that each material's part
// costs its own faces alone, however many materials there are.
struct FacesByMaterial {
    std::vector<size_t> firstCorner;  // of each face, and one past the last
    std::vector<uint32_t> faces;      // face indices, material by material
    std::vector<size_t> start;        // where each material's run begins, and one past
};

FacesByMaterial facesByMaterial(const XFileMeshObject& mesh) {
    FacesByMaterial out;
    const size_t materials = mesh.hasMaterialList ? mesh.materials.size() : 1;
    out.firstCorner.assign(mesh.faceSizes.size() + 1, 0);
    out.start.assign(materials + 1, 0);
    for (size_t f = 0; f < mesh.faceSizes.size(); ++f) {
        out.firstCorner[f + 1] = out.firstCorner[f] + mesh.faceSizes[f];
        ++out.start[(mesh.hasMaterialList ? mesh.faceMaterials[f] : 0) + 1];
    }
    for (size_t m = 0; m < materials; ++m) out.start[m + 1] += out.start[m];
    out.faces.resize(mesh.faceSizes.size());
    std::vector<size_t> next(out.start.begin(), out.start.end() - 1);
    for (size_t f = 0; f < mesh.faceSizes.size(); ++f)
        out.faces[next[mesh.hasMaterialList ? mesh.faceMaterials[f] : 0]++] =
            static_cast<uint32_t>(f);
    return out;
}

// The faces of `mesh` that use `material` (the one run of a mesh without a list).
void appendFaces(const XFileMeshObject& mesh, const FacesByMaterial& byMaterial, uint32_t material,
                 const XFileMatrix& transform, bool transformed, VertexJoin& join, MeshData& out) {
    std::vector<uint32_t> vertexOf;
    for (size_t i = byMaterial.start[material]; i < byMaterial.start[material + 1]; ++i) {
        const size_t f = byMaterial.faces[i];
        const size_t start = byMaterial.firstCorner[f], size = mesh.faceSizes[f];
        vertexOf.clear();
        for (size_t k = start; k < start + size; ++k) {
            MeshVertex vertex;
            vertex.position = transformPoint(mesh.positions[mesh.corners[k]], transform);
            if (mesh.hasNormals) {
                const Vec3& n = mesh.normals[mesh.normalCorners[k]];
                vertex.normal = transformed ? transformNormal(n, transform) : n;
            }
            if (mesh.hasTextureCoords) {
                vertex.u = mesh.textureCoords[mesh.corners[k]][0];
                // The game has always drawn v as 1 - (1 - v), worked in
                // floats: the last bit that costs keeps every texel where
                // it was drawn before.
                const float flipped = 1.0f - mesh.textureCoords[mesh.corners[k]][1];
                vertex.v = 1.0f - flipped;
            }
            vertexOf.push_back(join.add(vertex));
        }
        // Stray points and lines are not drawn; a polygon is a fan around
        // its first corner.
        for (size_t k = 2; k < size; ++k) {
            out.indices.push_back(vertexOf[0]);
            out.indices.push_back(vertexOf[k - 1]);
            out.indices.push_back(vertexOf[k]);
        }
    }
}

std::optional<XMeshFile> triangleList(const XFileDocument& document) {
    // The materials declared at the top come first, used or not; then each
    // mesh's own, mesh by mesh. A material named in several lists gathers
    // the faces of them all; faces of meshes without a list gather in one
    // more subset at the end.
    XMeshFile result;
    result.materials = document.declaredMaterials;
    struct Part {
        size_t mesh;
        uint32_t material;  // in the mesh's list
    };
    std::vector<std::vector<Part>> partsOf(result.materials.size());
    bool unlisted = false;
    for (size_t m = 0; m < document.meshes.size(); ++m) {
        const XFileMeshObject& mesh = document.meshes[m];
        if (!mesh.hasMaterialList) {
            unlisted = true;
            continue;
        }
        for (uint32_t i = 0; i < mesh.materials.size(); ++i) {
            const XFileListedMaterial& listed = mesh.materials[i];
            if (listed.reference.empty()) {
                result.materials.push_back(listed.material);
                partsOf.push_back({{m, i}});
                continue;
            }
            const auto declared = document.declaredByName.find(listed.reference);
            if (declared == document.declaredByName.end()) return std::nullopt;
            partsOf[declared->second].push_back({m, i});
        }
    }
    MeshData& out = result.mesh;
    VertexJoin join(out);
    std::vector<FacesByMaterial> faces;
    for (const XFileMeshObject& mesh : document.meshes) faces.push_back(facesByMaterial(mesh));
    const auto appendPart = [&](size_t m, uint32_t material) {
        const XFileMeshObject& mesh = document.meshes[m];
        const XFileMatrix transform = absoluteTransform(document, mesh.frame);
        const size_t before = out.indices.size();
        appendFaces(mesh, faces[m], material, transform, transform != kXFileIdentity, join, out);
        if (out.indices.size() > before && !mesh.hasNormals) out.hasNormals = false;
    };
    for (const std::vector<Part>& parts : partsOf) {
        MeshSubset subset;
        subset.firstIndex = static_cast<uint32_t>(out.indices.size());
        for (const Part& part : parts) {
            join.start();
            appendPart(part.mesh, part.material);
        }
        subset.indexCount = static_cast<uint32_t>(out.indices.size()) - subset.firstIndex;
        out.subsets.push_back(subset);
    }
    if (unlisted) {
        MeshSubset subset;
        subset.firstIndex = static_cast<uint32_t>(out.indices.size());
        for (size_t m = 0; m < document.meshes.size(); ++m) {
            if (document.meshes[m].hasMaterialList) continue;
            join.start();
            appendPart(m, 0);
        }
        subset.indexCount = static_cast<uint32_t>(out.indices.size()) - subset.firstIndex;
        out.subsets.push_back(subset);
    }
    if (out.vertices.empty() || out.indices.empty()) return std::nullopt;
    return result;
}

}  // namespace

std::optional<XMeshFile> readXMeshBytes(std::string_view file) {
    const std::optional<XFileBody> body = xFileBody(file, kLargestUnpackedMeshFile);
    if (!body) return std::nullopt;
    XFileDocument document;
    if (!readXFileDocument(*body, document)) return std::nullopt;
    return triangleList(document);
}

}  // namespace platform
