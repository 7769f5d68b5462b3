#include "scene/sky_dome.h"

#include "core/game_world.h"
#include "scene/meshmanager.h"

namespace {

constexpr float kPlayingYaw = 3.5415928f;                // pi + 0.4
constexpr double kTurningYawOffset = 3.541592741012573;  // single-precision pi + 0.4, as a double

void switchDepthAndLighting(platform::GraphicsDevice& device, uint32_t on) {
    device.setRenderState(platform::RenderState::ZEnable, on);
    device.setRenderState(platform::RenderState::ZWriteEnable, on);
    device.setRenderState(platform::RenderState::Lighting, on);
}

}  // namespace

void drawSkyDome() {
    if (world.device == nullptr) return;
    platform::GraphicsDevice& device = *world.device;
    switchDepthAndLighting(device, 0);

    // The dome is seen from the camera's own position, whatever it is, so it
    // always surrounds the camera and never comes closer.
    const Matrix savedView = device.getTransform(platform::TransformType::View);
    Matrix domeView = savedView;
    domeView.m[3][0] = 0.0f;
    domeView.m[3][1] = 0.0f;
    domeView.m[3][2] = 1.0f;
    device.setTransform(platform::TransformType::View, domeView);

    SceneObject* dome = world.skyDome;
    if (dome != nullptr) {
        if (world.mode == GameMode::Playing || world.mode == GameMode::GameOver) {
            dome->translation = matrixTranslation(0.0f, -14.0f, 0.0f);
            dome->rotation = matrixRotationY(kPlayingYaw);
        } else {
            dome->translation = matrixTranslation(0.0f, -15.0f, 0.0f);
            dome->rotation = matrixRotationY(
                static_cast<float>(static_cast<double>(world.spin) + kTurningYawOffset));
        }
        if (dome->device != nullptr) {
            dome->device->setTransform(platform::TransformType::World,
                                       matrixMultiply(dome->translation, dome->rotation));
        }
        if (dome->meshResource != nullptr) dome->meshResource->draw();
    }

    device.setTransform(platform::TransformType::View, savedView);
    switchDepthAndLighting(device, 1);
}
