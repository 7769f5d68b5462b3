#include "content/bomb.h"

#include <algorithm>
#include <cmath>

#include "content/image.h"
#include "content/mesh_builder.h"
#include "content/mesh_x_file.h"
#include "content/model_sizes.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kBands = 10;
constexpr int kPoints = 14;
constexpr float kRadius = model_sizes::kBombRadius;

// The texture's top 80% is the shell, pole to pole; the rest is metal.
constexpr float kShellRows = 0.8f;
constexpr float kMetalV = 0.92f;

void addShell(MeshBuilder& mesh, uint32_t material) {
    std::vector<std::vector<V3>> rings;
    for (int band = 0; band <= kBands; ++band) {
        const float polar = kPi * band / kBands;
        const float r = band == 0 || band == kBands ? 0.0f : kRadius * std::sin(polar);
        std::vector<V3> ring;
        for (int p = 0; p < kPoints; ++p) {
            const float around = 2 * kPi * p / kPoints;
            ring.push_back({r * std::cos(around), kRadius * std::cos(polar), r * std::sin(around)});
        }
        rings.push_back(ring);
    }
    mesh.addRings(
        rings,
        [](int ring, int point, float& u, float& v) {
            u = static_cast<float>(point) / kPoints;
            v = kShellRows * ring / kBands;
        },
        material, Facing::Outward);
}

// A collar on top and a short fuse standing out of it.
void addFuse(MeshBuilder& mesh, uint32_t material) {
    auto metal = [](int, int point, float& u, float& v) {
        u = static_cast<float>(point) / 10;
        v = kMetalV;
    };
    auto tube = [](float radius, float low, float high) {
        std::vector<std::vector<V3>> rings;
        for (float y : {low, high}) {
            std::vector<V3> ring;
            for (int p = 0; p < 10; ++p) {
                const float around = 2 * kPi * p / 10;
                ring.push_back({radius * std::cos(around), y, radius * std::sin(around)});
            }
            rings.push_back(ring);
        }
        return rings;
    };
    const auto collar = tube(0.55f, kRadius - 0.2f, kRadius + 0.2f);
    mesh.addRings(collar, metal, material, Facing::Outward);
    mesh.addCap(
        collar.back(), {0, 1, 0}, [](const V3&, float& u, float& v) { u = 0.5f, v = kMetalV; },
        material);
    const auto fuse = tube(0.12f, kRadius + 0.2f, kRadius + 0.75f);
    mesh.addRings(fuse, metal, material, Facing::Outward);
    mesh.addCap(
        fuse.back(), {0, 1, 0}, [](const V3&, float& u, float& v) { u = 0.5f, v = 0.99f; },
        material);
}

// A red shell with a yellow band round the middle and yellow stars, a grey
// metal strip and, in the last rows, the fuse's glowing tip.
Image bombTexture() {
    constexpr int kSize = 128;
    Image image(kSize, kSize);
    const Colour shell = fromBytes(190, 36, 28), band = fromBytes(250, 205, 40),
                 metal = fromBytes(150, 150, 160), tip = fromBytes(255, 230, 120);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float u = (x + 0.5f) / kSize, v = (y + 0.5f) / kSize;
            Colour c;
            if (v < kShellRows) {
                const float polar = v / kShellRows;  // 0 top, 1 bottom
                c = scaled(shell, 0.85f + 0.15f * std::sin(polar * kPi));
                if (std::fabs(polar - 0.5f) < 0.06f) c = band;
                // Four stars round the upper half.
                const float cell = u * 4 - std::floor(u * 4) - 0.5f;
                const float dy = (polar - 0.3f) * 2.2f;
                const float r = std::sqrt(cell * cell + dy * dy);
                const float angle = std::atan2(dy, cell);
                if (r < 0.16f + 0.1f * std::cos(5 * angle)) c = band;
            } else {
                c = v < 0.97f ? metal : tip;
            }
            image.at(x, y) = toRgba(c);
        }
    }
    return image;
}

}  // namespace

bool writeBomb(const std::string& folder) {
    MeshBuilder mesh;
    MaterialSpec bomb;
    bomb.name = "Bomb";
    bomb.power = 20.0f;
    bomb.specular = {0.6f, 0.6f, 0.6f};
    bomb.emissive = {0.15f, 0.1f, 0.1f};
    bomb.textureFileName = "bomb.bmp";
    const uint32_t material = mesh.addMaterial(bomb);
    addShell(mesh, material);
    addFuse(mesh, material);
    return writeXFile(mesh, "BombS", folder + "/BombS.x") &&
           saveBmp(bombTexture(), folder + "/bomb.bmp");
}
