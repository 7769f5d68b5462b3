#include "content/rock.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>

#include "content/image.h"
#include "content/mesh_builder.h"
#include "content/mesh_x_file.h"
#include "content/model_sizes.h"
#include "content/noise.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr uint32_t kShapeSeed = 71;
constexpr uint32_t kSurfaceSeed = 1207;

// A twice-divided icosahedron: 320 faces, the most the rock may have.
struct Sphere {
    std::vector<V3> points;
    std::vector<std::array<uint32_t, 3>> faces;
};

Sphere icosphere(int divisions) {
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    Sphere s;
    for (V3 p :
         {V3{-1, t, 0}, V3{1, t, 0}, V3{-1, -t, 0}, V3{1, -t, 0}, V3{0, -1, t}, V3{0, 1, t},
          V3{0, -1, -t}, V3{0, 1, -t}, V3{t, 0, -1}, V3{t, 0, 1}, V3{-t, 0, -1}, V3{-t, 0, 1}})
        s.points.push_back(normalized(p));
    s.faces = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
               {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
               {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int d = 0; d < divisions; ++d) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> middles;
        auto middle = [&](uint32_t a, uint32_t b) {
            const auto key = std::minmax(a, b);
            auto found = middles.find(key);
            if (found != middles.end()) return found->second;
            s.points.push_back(normalized((s.points[a] + s.points[b]) * 0.5f));
            const auto index = static_cast<uint32_t>(s.points.size() - 1);
            middles[key] = index;
            return index;
        };
        std::vector<std::array<uint32_t, 3>> finer;
        for (const auto& f : s.faces) {
            const uint32_t ab = middle(f[0], f[1]), bc = middle(f[1], f[2]),
                           ca = middle(f[2], f[0]);
            finer.push_back({f[0], ab, ca});
            finer.push_back({f[1], bc, ab});
            finer.push_back({f[2], ca, bc});
            finer.push_back({ab, bc, ca});
        }
        s.faces = std::move(finer);
    }
    return s;
}

// Lumps and a flattened side, then scaled so the box is exactly the chosen one.
std::vector<V3> rockShape(const std::vector<V3>& directions) {
    std::vector<V3> points;
    for (const V3& d : directions) {
        const float lumps =
            spaceFractal(d.x * 1.7f + 5, d.y * 1.7f + 5, d.z * 1.7f + 5, 3, kShapeSeed);
        const float facet = std::max(0.0f, dot(d, normalized({0.4f, -0.7f, 0.3f})) - 0.55f);
        points.push_back(d * (0.78f + 0.45f * lumps - 0.5f * facet));
    }
    V3 lo = points[0], hi = points[0];
    for (const V3& p : points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    const V3 centre = (lo + hi) * 0.5f;
    const V3 half = (hi - lo) * 0.5f;
    for (V3& p : points) {
        p = {(p.x - centre.x) / half.x * model_sizes::kRockHalfWidth,
             (p.y - centre.y) / half.y * model_sizes::kRockHalfHeight,
             (p.z - centre.z) / half.z * model_sizes::kRockHalfDepth};
    }
    return points;
}

MeshBuilder rockMesh() {
    const Sphere sphere = icosphere(2);
    const std::vector<V3> points = rockShape(sphere.points);

    // Smooth normals from the shared corners, before the corners are split.
    std::vector<V3> normals(points.size());
    for (const auto& f : sphere.faces) {
        V3 n = cross(points[f[1]] - points[f[0]], points[f[2]] - points[f[0]]);
        if (dot(n, points[f[0]] + points[f[1]] + points[f[2]]) < 0) n = n * -1.0f;
        for (uint32_t corner : f) normals[corner] = normals[corner] + n;
    }

    MeshBuilder mesh;
    MaterialSpec stone;
    stone.name = "RockSurface";
    stone.r = stone.g = stone.b = 0.9f;
    stone.power = 4.0f;
    stone.textureFileName = "rock.bmp";
    const uint32_t material = mesh.addMaterial(stone);

    // Each face has corners of its own, so the wrap-around of the texture's
    // u never runs backwards across a face.
    for (const auto& f : sphere.faces) {
        MeshVertexSpec corners[3];
        float u[3];
        for (int k = 0; k < 3; ++k) {
            const V3& d = sphere.points[f[k]];
            u[k] = 0.5f + std::atan2(d.z, d.x) / (2.0f * kPi);
            corners[k].position = points[f[k]];
            corners[k].normal = normalized(normals[f[k]]);
            corners[k].v = std::acos(std::clamp(d.y, -1.0f, 1.0f)) / kPi;
        }
        const float lowest = std::min({u[0], u[1], u[2]});
        for (int k = 0; k < 3; ++k) {
            if (u[k] - lowest > 0.5f) u[k] -= 1.0f;
            corners[k].u = u[k] * 2.0f;  // twice round: the texture tiles
        }
        const uint32_t a = mesh.addVertex(corners[0]), b = mesh.addVertex(corners[1]),
                       c = mesh.addVertex(corners[2]);
        const V3 facing = cross(points[f[1]] - points[f[0]], points[f[2]] - points[f[0]]);
        if (dot(facing, points[f[0]] + points[f[1]] + points[f[2]]) > 0)
            mesh.addTriangle(a, b, c, material);
        else
            mesh.addTriangle(a, c, b, material);
    }
    return mesh;
}

// Grey-brown stone: broad blotches, fine grain, dark pits and pale flecks.
Image rockTexture() {
    constexpr int kSize = 256;
    Image image(kSize, kSize);
    const Colour dark = fromBytes(78, 66, 56), light = fromBytes(156, 140, 120);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float fx = x / 32.0f, fy = y / 32.0f;
            const float broad = tiledFractal(fx, fy, 8, 8, 4, kSurfaceSeed);
            const float grain =
                tiledNoise(x / 4.0f, y / 4.0f, kSize / 4, kSize / 4, kSurfaceSeed + 9);
            const float pits = tiledFractal(fx * 1.5f, fy * 1.5f, 12, 12, 2, kSurfaceSeed + 20);
            float shade = 0.2f + 0.9f * broad + 0.15f * (grain - 0.5f);
            if (pits > 0.68f) shade -= (pits - 0.68f) * 2.2f;
            Colour c = mix(dark, light, std::clamp(shade, 0.0f, 1.0f));
            if (latticeValue(x, y, 3, kSurfaceSeed) > 0.995f)
                c = mix(c, fromBytes(210, 200, 185), 0.6f);
            image.at(x, y) = toRgba(c);
        }
    }
    return image;
}

}  // namespace

bool writeRock(const std::string& folder) {
    return writeXFile(rockMesh(), "Rock", folder + "/rock.x") &&
           saveBmp(rockTexture(), folder + "/rock.bmp");
}
