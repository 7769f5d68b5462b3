#include "content/rocket.h"

#include <cmath>

#include "content/flame_texture.h"
#include "content/image.h"
#include "content/mesh_builder.h"
#include "content/mesh_x_file.h"
#include "content/model_sizes.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kPoints = 10;
// Nose at +z; the whole rocket, exhaust included, spans -kHalf to +kHalf.
constexpr float kHalf = model_sizes::kRocketHalfLength;
constexpr float kBody = model_sizes::kRocketBodyRadius;
constexpr float kTailZ = -kHalf + 2.5f;  // where the body ends and the exhaust begins
// The texture's v runs from the nose (0) to the tail (1); fins use its red band.
constexpr float kFinU = 0.5f, kFinV = 0.6f;

std::vector<V3> ring(float z, float radius) {
    std::vector<V3> points;
    for (int p = 0; p < kPoints; ++p) {
        const float around = 2 * kPi * p / kPoints;
        points.push_back({radius * std::cos(around), radius * std::sin(around), z});
    }
    return points;
}

void addBody(MeshBuilder& mesh, uint32_t material) {
    const float sections[][2] = {{kHalf, 0.0f},
                                 {kHalf - 0.8f, kBody * 0.55f},
                                 {kHalf - 2.0f, kBody},
                                 {kTailZ + 0.4f, kBody},
                                 {kTailZ, kBody * 0.8f}};
    std::vector<std::vector<V3>> rings;
    for (const auto& s : sections) rings.push_back(ring(s[0], s[1]));
    mesh.addRings(
        rings,
        [&](int r, int p, float& u, float& v) {
            u = static_cast<float>(p) / kPoints;
            v = (kHalf - sections[r][0]) / (kHalf - kTailZ);
        },
        material, Facing::Outward);
}

void addFins(MeshBuilder& mesh, uint32_t material) {
    const float reach = model_sizes::kRocketFinReach;
    for (int f = 0; f < 4; ++f) {
        const float angle = kPi / 4 + kPi / 2 * f;
        const float c = std::cos(angle), s = std::sin(angle);
        // The fin's outline in its own plane: (out from the axis, z).
        const float outline[][2] = {{kBody * 0.9f, kTailZ + 2.6f},
                                    {kBody * 0.9f, kTailZ},
                                    {reach, kTailZ - 0.3f},
                                    {reach, kTailZ + 0.7f}};
        std::vector<V3> front, back;
        for (const auto& o : outline) {
            const V3 along{c * o[0], s * o[0], o[1]};
            const V3 side{-s * 0.06f, c * 0.06f, 0};
            front.push_back(along + side);
            back.push_back(along - side);
        }
        mesh.addSlab(
            front, back, [](const V3&, float& u, float& v) { u = kFinU, v = kFinV; }, material);
    }
}

void addExhaust(MeshBuilder& mesh, uint32_t flame) {
    // A cone of glow trailing behind the nozzle; its texture coordinates
    // spread the flame picture from the white middle at the nozzle outwards.
    std::vector<std::vector<V3>> rings = {ring(kTailZ, kBody * 0.7f), ring(-kHalf, 0.0f)};
    mesh.addRings(
        rings,
        [](int r, int p, float& u, float& v) {
            const float around = 2 * kPi * p / kPoints;
            const float spread = r == 0 ? 0.1f : 0.48f;
            u = 0.5f + spread * std::cos(around);
            v = 0.5f + spread * std::sin(around);
        },
        flame, Facing::Outward);
    mesh.addCap(
        rings.front(), {0, 0, -1}, [](const V3&, float& u, float& v) { u = v = 0.5f; }, flame);
}

// White with a red nose, a red band, a black roll pattern and a dark tail.
Image rocketTexture() {
    constexpr int kSize = 128;
    Image image(kSize, kSize);
    const Colour white = fromBytes(236, 236, 232), red = fromBytes(210, 36, 30),
                 black = fromBytes(40, 40, 46), grey = fromBytes(90, 90, 98);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float u = (x + 0.5f) / kSize, v = (y + 0.5f) / kSize;
            Colour c = white;
            if (v < 0.24f) c = red;
            if (v > 0.55f && v < 0.65f) c = red;
            if (v > 0.3f && v < 0.45f && static_cast<int>(u * 4) % 2 == 0) c = black;
            if (v > 0.93f) c = grey;
            image.at(x, y) = toRgba(c);
        }
    }
    return image;
}

}  // namespace

bool writeRocket(const std::string& folder) {
    MeshBuilder mesh;
    MaterialSpec body;
    body.name = "RocketBody";
    body.power = 16.0f;
    body.specular = {0.5f, 0.5f, 0.5f};
    body.emissive = {0.1f, 0.1f, 0.1f};
    body.textureFileName = "rocket.bmp";
    MaterialSpec glow;
    glow.name = "Exhaust";
    glow.emissive = {1.0f, 1.0f, 1.0f};
    glow.textureFileName = kFlameTextureName;
    const uint32_t bodyMaterial = mesh.addMaterial(body);
    const uint32_t glowMaterial = mesh.addMaterial(glow);
    addBody(mesh, bodyMaterial);
    addFins(mesh, bodyMaterial);
    addExhaust(mesh, glowMaterial);
    return writeXFile(mesh, "Rocket", folder + "/Rocket.x") &&
           saveBmp(rocketTexture(), folder + "/rocket.bmp");
}
