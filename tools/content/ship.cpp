#include "content/ship.h"

#include <algorithm>
#include <cmath>

#include "content/flame_texture.h"
#include "content/image.h"
#include "content/mesh_builder.h"
#include "content/mesh_x_file.h"
#include "content/model_sizes.h"
#include "content/noise.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kRingPoints = 14;
constexpr float kNoseZ = model_sizes::kShipNoseZ;
constexpr float kTailZ = model_sizes::kShipTailZ;

struct Materials {
    uint32_t hull, canopy, flame;
};

Materials addMaterials(MeshBuilder& mesh) {
    MaterialSpec hull;
    hull.name = "Hull";
    hull.power = 12.0f;
    hull.specular = {0.4f, 0.4f, 0.4f};
    // A little glow of its own keeps the hull bright on the sides the light misses.
    hull.emissive = {0.12f, 0.12f, 0.12f};
    hull.textureFileName = "hull.bmp";
    MaterialSpec canopy;
    canopy.name = "Canopy";
    canopy.power = 40.0f;
    canopy.specular = {0.9f, 0.9f, 0.9f};
    canopy.emissive = {0.1f, 0.1f, 0.15f};
    canopy.textureFileName = "canopy.bmp";
    MaterialSpec flame;
    flame.name = "EngineGlow";
    flame.emissive = {1.0f, 1.0f, 1.0f};  // lights itself
    flame.textureFileName = kFlameTextureName;
    return {mesh.addMaterial(hull), mesh.addMaterial(canopy), mesh.addMaterial(flame)};
}

// One cross-section of a lofted part: an ellipse at depth z.
struct Section {
    float z, halfWidth, halfHeight, centreY;
};

std::vector<std::vector<V3>> loft(const std::vector<Section>& sections, float x) {
    std::vector<std::vector<V3>> rings;
    for (const Section& s : sections)
        rings.push_back(ellipseRing({x, s.centreY, s.z}, s.halfWidth, s.halfHeight, kRingPoints));
    return rings;
}

// Hull texture coordinates: u around the part from the top, v along it.
void addHullTube(MeshBuilder& mesh, const std::vector<Section>& sections, float x,
                 uint32_t material) {
    const float first = sections.front().z, last = sections.back().z;
    mesh.addRings(
        loft(sections, x),
        [&](int ring, int point, float& u, float& v) {
            u = static_cast<float>(point) / kRingPoints;
            v = (sections[ring].z - first) / (last - first);
        },
        material, Facing::Outward);
}

void addFuselage(MeshBuilder& mesh, const Materials& m) {
    const std::vector<Section> body = {{kNoseZ, 0.0f, 0.0f, 0.0f},  {-7.0f, 0.45f, 0.35f, 0.0f},
                                       {-5.5f, 0.9f, 0.7f, 0.05f},  {-3.5f, 1.25f, 0.95f, 0.1f},
                                       {-1.0f, 1.45f, 1.05f, 0.1f}, {2.0f, 1.45f, 1.0f, 0.1f},
                                       {4.5f, 1.3f, 0.9f, 0.1f},    {6.0f, 1.1f, 0.8f, 0.1f}};
    addHullTube(mesh, body, 0.0f, m.hull);
    mesh.addCap(
        ellipseRing({0.0f, 0.1f, 6.0f}, 1.1f, 0.8f, kRingPoints), {0, 0, 1},
        [](const V3&, float& u, float& v) { u = 0.5f, v = 0.98f; }, m.hull);
}

void addCanopy(MeshBuilder& mesh, const Materials& m) {
    constexpr int kBands = 7;
    const V3 centre{0.0f, 0.72f, -2.6f};
    std::vector<std::vector<V3>> rings;
    for (int band = 0; band <= kBands; ++band) {
        // From the front tip to the back tip, as rings about the z axis.
        const float angle = kPi * band / kBands;
        const float radius = std::sin(angle);
        rings.push_back(ellipseRing({centre.x, centre.y, centre.z - 1.9f * std::cos(angle)},
                                    0.62f * radius, 0.55f * radius, 12));
    }
    mesh.addRings(
        rings,
        [&](int ring, int point, float& u, float& v) {
            u = static_cast<float>(point) / 12;
            v = static_cast<float>(ring) / kBands;
        },
        m.canopy, Facing::Outward);
}

// Texture coordinates of the red stripe, and of plates laid flat on a wing.
void stripe(const V3&, float& u, float& v) { u = 0.02f, v = 0.5f; }
void wingPlates(const V3& p, float& u, float& v) {
    u = 0.2f + std::fabs(p.x) * 0.12f;
    v = 0.15f + (p.z + 2.5f) * 0.1f;
}

void addWings(MeshBuilder& mesh, const Materials& m) {
    for (float side : {1.0f, -1.0f}) {
        const float s = model_sizes::kShipHalfSpan;
        // Root, back root, back tip, front tip: swept back, tips a little raised.
        const std::vector<V3> top = {{1.2f * side, 0.15f, -2.5f},
                                     {1.2f * side, 0.15f, 4.2f},
                                     {s * side, 0.33f, 4.6f},
                                     {s * side, 0.33f, 2.6f}};
        const std::vector<V3> bottom = {{1.2f * side, -0.2f, -2.5f},
                                        {1.2f * side, -0.2f, 4.2f},
                                        {s * side, 0.23f, 4.6f},
                                        {s * side, 0.23f, 2.6f}};
        mesh.addSlab(top, bottom, wingPlates, m.hull);
        // A red tip stripe, as a second slab sitting on the wing's end.
        const std::vector<V3> tipTop = {{(s - 0.6f) * side, 0.34f, 2.75f},
                                        {(s - 0.6f) * side, 0.34f, 4.52f},
                                        {s * side, 0.36f, 4.6f},
                                        {s * side, 0.36f, 2.6f}};
        const std::vector<V3> tipBottom = {{(s - 0.6f) * side, 0.2f, 2.75f},
                                           {(s - 0.6f) * side, 0.2f, 4.52f},
                                           {s * side, 0.2f, 4.6f},
                                           {s * side, 0.2f, 2.6f}};
        mesh.addSlab(tipTop, tipBottom, stripe, m.hull);
    }
}

void addFin(MeshBuilder& mesh, const Materials& m) {
    const std::vector<V3> right = {
        {0.1f, 0.8f, 2.0f}, {0.1f, 0.8f, 5.8f}, {0.03f, 2.5f, 6.1f}, {0.03f, 2.5f, 4.7f}};
    std::vector<V3> left = right;
    for (V3& p : left) p.x = -p.x;
    mesh.addSlab(right, left, stripe, m.hull);
}

void addEngines(MeshBuilder& mesh, const Materials& m) {
    for (float x : {2.3f, -2.3f}) {
        const std::vector<Section> nacelle = {{0.2f, 0.0f, 0.0f, -0.15f},
                                              {0.9f, 0.42f, 0.42f, -0.15f},
                                              {2.0f, 0.58f, 0.58f, -0.15f},
                                              {5.6f, 0.58f, 0.58f, -0.15f},
                                              {kTailZ, 0.5f, 0.5f, -0.15f}};
        addHullTube(mesh, nacelle, x, m.hull);
        mesh.addCap(
            ellipseRing({x, -0.15f, kTailZ}, 0.5f, 0.5f, kRingPoints), {0, 0, 1},
            [x](const V3& p, float& u, float& v) {
                u = 0.5f + (p.x - x) / 1.0f;
                v = 0.5f + (p.y + 0.15f) / 1.0f;
            },
            m.flame);
    }
}

// Light grey plates with darker seams, a red stripe along the spine (u near
// 0 and 1 is the top of each part) and vents near the back.
Image hullTexture() {
    constexpr int kSize = 256;
    Image image(kSize, kSize);
    const Colour plate = fromBytes(226, 229, 234), seam = fromBytes(150, 156, 168),
                 stripe = fromBytes(205, 40, 32), vent = fromBytes(70, 74, 84);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float u = (x + 0.5f) / kSize, v = (y + 0.5f) / kSize;
            const float grime = tiledFractal(u * 8, v * 8, 8, 8, 3, 404);
            Colour c = scaled(plate, 0.92f + 0.1f * grime);
            if (x % 32 == 0 || y % 40 == 0) c = seam;
            const float fromSpine = std::min(u, 1.0f - u);
            if (fromSpine < 0.05f) c = stripe;
            if (v > 0.82f && v < 0.92f && (x / 8) % 3 == 1 && fromSpine > 0.2f) c = vent;
            image.at(x, y) = toRgba(c);
        }
    }
    return image;
}

// Tinted glass: deep blue, lighter towards the top, with a bright streak.
Image canopyTexture() {
    constexpr int kSize = 64;
    Image image(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float u = (x + 0.5f) / kSize, v = (y + 0.5f) / kSize;
            const float top = std::cos(u * 2 * kPi) * 0.5f + 0.5f;  // 1 on top
            Colour c = mix(fromBytes(20, 40, 90), fromBytes(70, 130, 200), top);
            if (std::fabs(v - 0.35f - 0.1f * u) < 0.05f && top > 0.6f) c = fromBytes(200, 230, 255);
            image.at(x, y) = toRgba(c);
        }
    }
    return image;
}

}  // namespace

bool writeShip(const std::string& folder) {
    MeshBuilder mesh;
    const Materials materials = addMaterials(mesh);
    addFuselage(mesh, materials);
    addCanopy(mesh, materials);
    addWings(mesh, materials);
    addFin(mesh, materials);
    addEngines(mesh, materials);
    return writeXFile(mesh, "BigShip", folder + "/bigship.x") &&
           saveBmp(hullTexture(), folder + "/hull.bmp") &&
           saveBmp(canopyTexture(), folder + "/canopy.bmp");
}
