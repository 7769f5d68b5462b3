#pragma once
// Meshes put together from parts, in the game's left-handed coordinates
// (x right, y up, z ahead). A face's front is the side from which its three
// corners run clockwise; its normal, cross(b - a, c - a), points that way.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct V3 {
    float x = 0, y = 0, z = 0;
};
V3 operator+(const V3& a, const V3& b);
V3 operator-(const V3& a, const V3& b);
V3 operator*(const V3& a, float s);
float dot(const V3& a, const V3& b);
V3 cross(const V3& a, const V3& b);
float length(const V3& v);
V3 normalized(const V3& v);

struct MeshVertexSpec {
    V3 position;
    V3 normal;
    float u = 0, v = 0;
};

struct MaterialSpec {
    std::string name;
    float r = 1, g = 1, b = 1, a = 1;  // diffuse
    float power = 0;
    V3 specular;
    V3 emissive;
    std::string textureFileName;
};

struct TriangleSpec {
    uint32_t a, b, c;
    uint32_t material;
};

// Which way a closed part's faces look.
enum class Facing { Outward, Inward };

class MeshBuilder {
public:
    uint32_t addMaterial(const MaterialSpec& material);
    uint32_t addVertex(const MeshVertexSpec& vertex);
    void addTriangle(uint32_t a, uint32_t b, uint32_t c, uint32_t material);
    // A face with its own three corners and its own flat normal.
    void addFlatTriangle(const MeshVertexSpec& a, const MeshVertexSpec& b, const MeshVertexSpec& c,
                         uint32_t material);
    // Rings of equally many points, joined ring to ring: a tube, a loft or a
    // sphere. `uv(ring, point)` gives each point's texture coordinates; the
    // points of each ring are written once more at its end to close the seam.
    // Faces look away from (or towards) the centre of their ring; faces that
    // collapse to a line, as at a pointed end, are left out. Normals are smooth.
    void addRings(const std::vector<std::vector<V3>>& rings,
                  const std::function<void(int, int, float&, float&)>& uv, uint32_t material,
                  Facing facing);
    // A flat fan closing a ring, facing along `outward`.
    void addCap(const std::vector<V3>& ring, const V3& outward,
                const std::function<void(const V3&, float&, float&)>& uv, uint32_t material);
    // A closed convex solid from its corners, every face flat: a slab such as
    // a wing or a fin, given as its top outline and the matching bottom one.
    void addSlab(const std::vector<V3>& top, const std::vector<V3>& bottom,
                 const std::function<void(const V3&, float&, float&)>& uv, uint32_t material);

    const std::vector<MeshVertexSpec>& vertices() const { return vertices_; }
    const std::vector<TriangleSpec>& triangles() const { return triangles_; }
    const std::vector<MaterialSpec>& materials() const { return materials_; }

private:
    void smoothNormals(size_t firstVertex, size_t firstTriangle);

    std::vector<MeshVertexSpec> vertices_;
    std::vector<TriangleSpec> triangles_;
    std::vector<MaterialSpec> materials_;
};

// Points around an ellipse at height `centre`, starting at the top and
// running towards +x: half-width `w`, half-height `h`, in the plane z.
std::vector<V3> ellipseRing(const V3& centre, float w, float h, int points);
