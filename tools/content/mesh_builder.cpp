#include "content/mesh_builder.h"

#include <cmath>

V3 operator+(const V3& a, const V3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(const V3& a, const V3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(const V3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float dot(const V3& a, const V3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(const V3& a, const V3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float length(const V3& v) { return std::sqrt(dot(v, v)); }
V3 normalized(const V3& v) {
    const float l = length(v);
    return l > 0 ? v * (1.0f / l) : V3{};
}

namespace {

constexpr float kCollapsedArea = 1e-7f;

V3 faceNormal(const V3& a, const V3& b, const V3& c) { return cross(b - a, c - a); }

V3 centreOf(const std::vector<V3>& points) {
    V3 sum;
    for (const V3& p : points) sum = sum + p;
    return sum * (1.0f / static_cast<float>(points.size()));
}

}  // namespace

uint32_t MeshBuilder::addMaterial(const MaterialSpec& material) {
    materials_.push_back(material);
    return static_cast<uint32_t>(materials_.size() - 1);
}

uint32_t MeshBuilder::addVertex(const MeshVertexSpec& vertex) {
    vertices_.push_back(vertex);
    return static_cast<uint32_t>(vertices_.size() - 1);
}

void MeshBuilder::addTriangle(uint32_t a, uint32_t b, uint32_t c, uint32_t material) {
    triangles_.push_back({a, b, c, material});
}

void MeshBuilder::addFlatTriangle(const MeshVertexSpec& a, const MeshVertexSpec& b,
                                  const MeshVertexSpec& c, uint32_t material) {
    const V3 normal = normalized(faceNormal(a.position, b.position, c.position));
    MeshVertexSpec corners[3] = {a, b, c};
    for (MeshVertexSpec& corner : corners) corner.normal = normal;
    addTriangle(addVertex(corners[0]), addVertex(corners[1]), addVertex(corners[2]), material);
}

void MeshBuilder::addRings(const std::vector<std::vector<V3>>& rings,
                           const std::function<void(int, int, float&, float&)>& uv,
                           uint32_t material, Facing facing) {
    const size_t firstVertex = vertices_.size(), firstTriangle = triangles_.size();
    const int points = static_cast<int>(rings.front().size());
    const int columns = points + 1;
    for (int r = 0; r < static_cast<int>(rings.size()); ++r) {
        for (int p = 0; p < columns; ++p) {
            MeshVertexSpec vertex;
            vertex.position = rings[r][p % points];
            uv(r, p, vertex.u, vertex.v);
            addVertex(vertex);
        }
    }
    auto index = [&](int r, int p) {
        return static_cast<uint32_t>(firstVertex + static_cast<size_t>(r) * columns + p);
    };
    for (int r = 0; r + 1 < static_cast<int>(rings.size()); ++r) {
        const V3 axis = centreOf(rings[r]) + (centreOf(rings[r + 1]) - centreOf(rings[r])) * 0.5f;
        for (int p = 0; p < points; ++p) {
            const uint32_t quad[2][3] = {{index(r, p), index(r + 1, p), index(r, p + 1)},
                                         {index(r, p + 1), index(r + 1, p), index(r + 1, p + 1)}};
            for (const auto& corner : quad) {
                const V3 a = vertices_[corner[0]].position, b = vertices_[corner[1]].position,
                         c = vertices_[corner[2]].position;
                const V3 normal = faceNormal(a, b, c);
                if (length(normal) < kCollapsedArea) continue;
                const bool outward = dot(normal, (a + b + c) * (1.0f / 3.0f) - axis) > 0;
                if (outward == (facing == Facing::Outward))
                    addTriangle(corner[0], corner[1], corner[2], material);
                else
                    addTriangle(corner[0], corner[2], corner[1], material);
            }
        }
    }
    smoothNormals(firstVertex, firstTriangle);
}

void MeshBuilder::addCap(const std::vector<V3>& ring, const V3& outward,
                         const std::function<void(const V3&, float&, float&)>& uv,
                         uint32_t material) {
    MeshVertexSpec centre;
    centre.position = centreOf(ring);
    uv(centre.position, centre.u, centre.v);
    const int points = static_cast<int>(ring.size());
    for (int p = 0; p < points; ++p) {
        MeshVertexSpec a, b;
        a.position = ring[p];
        b.position = ring[(p + 1) % points];
        uv(a.position, a.u, a.v);
        uv(b.position, b.u, b.v);
        if (dot(faceNormal(centre.position, a.position, b.position), outward) >= 0)
            addFlatTriangle(centre, a, b, material);
        else
            addFlatTriangle(centre, b, a, material);
    }
}

void MeshBuilder::addSlab(const std::vector<V3>& top, const std::vector<V3>& bottom,
                          const std::function<void(const V3&, float&, float&)>& uv,
                          uint32_t material) {
    std::vector<V3> all = top;
    all.insert(all.end(), bottom.begin(), bottom.end());
    const V3 inside = centreOf(all);
    auto face = [&](const V3& a, const V3& b, const V3& c) {
        MeshVertexSpec va{a, {}, 0, 0}, vb{b, {}, 0, 0}, vc{c, {}, 0, 0};
        uv(a, va.u, va.v);
        uv(b, vb.u, vb.v);
        uv(c, vc.u, vc.v);
        if (dot(faceNormal(a, b, c), (a + b + c) * (1.0f / 3.0f) - inside) >= 0)
            addFlatTriangle(va, vb, vc, material);
        else
            addFlatTriangle(va, vc, vb, material);
    };
    const size_t n = top.size();
    for (size_t i = 1; i + 1 < n; ++i) {
        face(top[0], top[i], top[i + 1]);
        face(bottom[0], bottom[i], bottom[i + 1]);
    }
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        face(top[i], top[j], bottom[i]);
        face(top[j], bottom[j], bottom[i]);
    }
}

void MeshBuilder::smoothNormals(size_t firstVertex, size_t firstTriangle) {
    // Area-weighted: each face adds its unnormalised normal to its corners,
    // and corners at the same place share the sum.
    std::vector<V3> sums(vertices_.size() - firstVertex);
    for (size_t t = firstTriangle; t < triangles_.size(); ++t) {
        const TriangleSpec& tri = triangles_[t];
        const V3 normal = faceNormal(vertices_[tri.a].position, vertices_[tri.b].position,
                                     vertices_[tri.c].position);
        for (uint32_t corner : {tri.a, tri.b, tri.c})
            sums[corner - firstVertex] = sums[corner - firstVertex] + normal;
    }
    for (size_t i = 0; i < sums.size(); ++i) {
        V3 shared;
        const V3& here = vertices_[firstVertex + i].position;
        for (size_t j = 0; j < sums.size(); ++j) {
            if (length(vertices_[firstVertex + j].position - here) < 1e-5f)
                shared = shared + sums[j];
        }
        vertices_[firstVertex + i].normal = normalized(shared);
    }
}

std::vector<V3> ellipseRing(const V3& centre, float w, float h, int points) {
    std::vector<V3> ring;
    for (int p = 0; p < points; ++p) {
        const float angle = 2.0f * 3.14159265f * static_cast<float>(p) / static_cast<float>(points);
        ring.push_back({centre.x + w * std::sin(angle), centre.y + h * std::cos(angle), centre.z});
    }
    return ring;
}
