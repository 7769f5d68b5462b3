#include "content/sky_dome.h"

#include <algorithm>
#include <cmath>

#include "content/image.h"
#include "content/mesh_builder.h"
#include "content/mesh_x_file.h"
#include "content/model_sizes.h"
#include "content/noise.h"

namespace {

constexpr float kPi = 3.14159265f;
// 24 bands of 7.5 degrees, the middle ring on the horizon; 40 points round.
constexpr int kBands = 24;
constexpr int kPoints = 40;
constexpr uint32_t kSeed = 3301;

MeshBuilder domeMesh() {
    MeshBuilder mesh;
    MaterialSpec sky;
    sky.name = "Sky";
    sky.textureFileName = "sky.png";
    const uint32_t material = mesh.addMaterial(sky);
    std::vector<std::vector<V3>> rings;
    for (int band = 0; band <= kBands; ++band) {
        const float polar = kPi * band / kBands;  // 0 straight up
        const float y = model_sizes::kDomeRadius * std::cos(polar);
        // The poles exactly on the axis, so their faces collapse and are left out.
        const float r =
            band == 0 || band == kBands ? 0.0f : model_sizes::kDomeRadius * std::sin(polar);
        std::vector<V3> ring;
        for (int p = 0; p < kPoints; ++p) {
            const float around = 2 * kPi * p / kPoints;
            ring.push_back({r * std::cos(around), y, r * std::sin(around)});
        }
        rings.push_back(ring);
    }
    // v runs from the zenith (0) through the horizon (0.5) to the nadir (1),
    // so the texture's middle row lies on the horizon ring.
    mesh.addRings(
        rings,
        [](int ring, int point, float& u, float& v) {
            u = static_cast<float>(point) / kPoints;
            v = static_cast<float>(ring) / kBands;
        },
        material, Facing::Inward);
    return mesh;
}

// Every colour here keeps its luminance between about 0.12 and 0.28, where
// both the black menu texts and the white screen messages stand out.
Image skyTexture() {
    constexpr int kWidth = 1024, kHeight = 512;
    Image image(kWidth, kHeight);
    const Colour zenith = fromBytes(48, 92, 168), skyAtHorizon = fromBytes(112, 146, 190),
                 haze = fromBytes(116, 146, 184), cloudLow = fromBytes(86, 118, 160),
                 cloudDeep = fromBytes(62, 96, 146), cloudTop = fromBytes(126, 148, 178);
    for (int y = 0; y < kHeight; ++y) {
        const float v = (y + 0.5f) / kHeight;
        for (int x = 0; x < kWidth; ++x) {
            const float u = (x + 0.5f) / kWidth;
            Colour c;
            if (v < 0.5f) {
                const float height = 1.0f - v / 0.5f;  // 0 on the horizon, 1 overhead
                c = mix(skyAtHorizon, zenith, std::pow(height, 0.6f));
                // A few pale stars still showing through the high blue.
                if (height > 0.45f && latticeValue(x, y, 1, kSeed) > 0.9985f)
                    c = mix(c, fromBytes(205, 215, 235), 0.35f * (height - 0.45f) / 0.55f + 0.15f);
            } else {
                const float depth = (v - 0.5f) / 0.5f;  // 0 on the horizon, 1 straight down
                c = mix(cloudLow, cloudDeep, std::pow(depth, 0.7f));
                // Cloud tops, stretched flat near the horizon as seen far off.
                const float squeeze = 2.0f + 14.0f * depth;
                const float cloud = tiledFractal(u * 16, depth * squeeze, 16, 1 << 20, 4, kSeed);
                c = mix(c, cloudTop, std::clamp((cloud - 0.45f) * 2.2f, 0.0f, 1.0f));
            }
            // The haze line where sky meets cloud.
            const float fromHorizon = std::fabs(v - 0.5f);
            if (fromHorizon < 0.03f) c = mix(c, haze, 1.0f - fromHorizon / 0.03f);
            image.at(x, y) = toRgba(c);
        }
    }
    return image;
}

}  // namespace

bool writeSkyDome(const std::string& folder) {
    return writeXFile(domeMesh(), "SkyDome", folder + "/SkyDome.x") &&
           savePng(skyTexture(), folder + "/sky.png");
}
