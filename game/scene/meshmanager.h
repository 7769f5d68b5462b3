#pragma once
// Mesh resources loaded from .x files with their materials and textures, and
// the scene objects that place them in the world with their bounding boxes.

#include <cstdint>
#include <string>
#include <vector>

#include "scene/platform/graphics_device.h"
#include "scene/platform/math3d.h"

// The geometry of a loaded mesh: drawn from the device's buffers, with the
// vertices also kept readable for bounding boxes.
struct MeshGeometry {
    platform::GpuMesh* gpu = nullptr;
    std::vector<platform::MeshVertex> vertices;
};

// One material as the file gives it, with the texture file it names (empty
// when it names none).
struct MaterialRecord {
    platform::Material material;
    std::string textureFileName;
};

// The material records of the most recent mesh load.
struct MaterialBuffer {
    std::vector<MaterialRecord> records;
};

class MeshResource {
public:
    explicit MeshResource(platform::GraphicsDevice* device);

    // Loads the mesh and its textures; failures are told to the player.
    void load(const char* fileName);
    // Every subset with its material and texture.
    void draw();
    void release();

    platform::GraphicsDevice* device = nullptr;
    MeshGeometry* mesh = nullptr;               // null when loading failed
    std::vector<platform::Material> materials;  // materialCount entries
    std::vector<platform::Texture*> textures;   // null where none or failed
    uint32_t materialCount = 0;
    const char* fileName = nullptr;  // not copied: the caller's text must outlive the load
};

class SceneObject {
public:
    explicit SceneObject(MeshResource* meshResource);

    // The model-space box and its eight corners; false without geometry.
    bool computeLocalBox();
    // The corners moved by scale x translation (never rotation), and their extents.
    void updateWorldBox();

    Vec3 minBounds;
    Vec3 maxBounds;
    Vec3 localCorners[8];
    Vec3 worldBounds[8];
    Matrix translation;
    Matrix scale;
    Matrix rotation;
    platform::GraphicsDevice* device = nullptr;
    MeshResource* meshResource = nullptr;
};

// minBounds/maxBounds := the extents of the eight worldBounds corners.
void computeBoxExtents(Vec3* minBounds, Vec3* maxBounds, const Vec3* worldBounds);
