#include <cstdio>
#include <cstdlib>

#include "core/game_world.h"
#include "scene/meshmanager.h"

namespace {

// Kept in release builds too: three pointer tests per box update cost
// nothing, and a box written through a null pointer would corrupt memory.
[[noreturn]] void failedCheck(const char* expression, const char* file, int line) {
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression, file, line);
    std::fflush(stderr);
    std::abort();
}

#define CHECK_PRESENT(pointer) \
    ((pointer) != nullptr ? static_cast<void>(0) : failedCheck(#pointer, __FILE__, __LINE__))

}  // namespace

SceneObject::SceneObject(MeshResource* meshResource) {
    device = world.device;
    rotation = matrixRotationX(0.0f);
    scale = matrixScaling(1.0f, 1.0f, 1.0f);
    translation = matrixTranslation(0.0f, 0.0f, 0.0f);
    this->meshResource = meshResource;
    // The box fields start at zero (their declarations): an object whose mesh
    // never loaded then has a box that is a single point at the origin.
}

bool SceneObject::computeLocalBox() {
    if (meshResource == nullptr || meshResource->mesh == nullptr) return false;
    const std::vector<platform::MeshVertex>& vertices = meshResource->mesh->vertices;
    if (vertices.empty()) return false;
    computeBoundingBox(&vertices.front().position, vertices.size(), sizeof(platform::MeshVertex),
                       minBounds, maxBounds);
    // Corner i takes its x, y and z from the maximum where bits 0, 1 and 2 of i are set.
    for (int i = 0; i < 8; ++i) {
        localCorners[i] = {(i & 1) != 0 ? maxBounds.x : minBounds.x,
                           (i & 2) != 0 ? maxBounds.y : minBounds.y,
                           (i & 4) != 0 ? maxBounds.z : minBounds.z};
    }
    return true;
}

void SceneObject::updateWorldBox() {
    // Rotation never enters the box: the overlap rules compare the scaled
    // model box at the object's position, however the object is turned.
    const Matrix placement = matrixMultiply(scale, translation);
    for (int i = 0; i < 8; ++i) worldBounds[i] = vec3TransformCoord(localCorners[i], placement);
    computeBoxExtents(&minBounds, &maxBounds, worldBounds);
}

void computeBoxExtents(Vec3* minBounds, Vec3* maxBounds, const Vec3* worldBounds) {
    CHECK_PRESENT(minBounds);
    CHECK_PRESENT(maxBounds);
    CHECK_PRESENT(worldBounds);
    *minBounds = *maxBounds = worldBounds[0];
    // Strict comparisons: a NaN coordinate never replaces a bound.
    for (int i = 1; i < 8; ++i) {
        const Vec3& corner = worldBounds[i];
        if (minBounds->x > corner.x) minBounds->x = corner.x;
        if (maxBounds->x < corner.x) maxBounds->x = corner.x;
        if (minBounds->y > corner.y) minBounds->y = corner.y;
        if (maxBounds->y < corner.y) maxBounds->y = corner.y;
        if (minBounds->z > corner.z) minBounds->z = corner.z;
        if (maxBounds->z < corner.z) maxBounds->z = corner.z;
    }
}
