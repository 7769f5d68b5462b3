#include <optional>

#include "core/game_world.h"
#include "core/platform/message_box.h"
#include "scene/meshmanager.h"
#include "scene/platform/texture_file.h"
#include "scene/platform/x_mesh_file.h"

namespace {

void showLoadError(const char* text) {
    platform::showMessageBox({nullptr, "שגיאה", text, platform::MessageBoxIcon::None});
}

// The material records are kept until the next load or shutdown, as the
// records of the most recent load.
void replaceMaterialBuffer(MaterialBuffer* records) {
    delete world.materialBuffer;
    world.materialBuffer = records;
}

}  // namespace

MeshResource::MeshResource(platform::GraphicsDevice* device) : device(device) {}

void MeshResource::load(const char* fileName) {
    mesh = nullptr;
    materials.clear();
    textures.clear();
    materialCount = 0;
    this->fileName = fileName;
    replaceMaterialBuffer(nullptr);

    std::optional<platform::XMeshFile> file;
    if (fileName != nullptr && device != nullptr) file = platform::readXMeshFile(fileName);
    platform::GpuMesh* gpu = file ? device->createMesh(file->mesh) : nullptr;
    if (gpu == nullptr) {
        showLoadError("שגיאה בטעינת מודל.");
        return;
    }
    mesh = new MeshGeometry{gpu, std::move(file->mesh.vertices)};

    auto* records = new MaterialBuffer;
    for (const platform::XFileMaterial& material : file->materials)
        records->records.push_back({material.material, material.textureFileName});
    replaceMaterialBuffer(records);

    materialCount = static_cast<uint32_t>(records->records.size());
    materials.resize(materialCount);
    textures.assign(materialCount, nullptr);
    for (uint32_t i = 0; i < materialCount; ++i) {
        const MaterialRecord& record = records->records[i];
        materials[i] = record.material;
        // The file's ambient colour plays no part: ambient light shows the diffuse colour.
        materials[i].ambient = materials[i].diffuse;
        if (record.textureFileName.empty()) continue;
        textures[i] = platform::loadTextureFile(*device, record.textureFileName);
        if (textures[i] == nullptr) showLoadError("שגיאה בטעינת טקסטורה.");
    }
}

void MeshResource::draw() {
    if (mesh == nullptr) return;
    for (uint32_t i = 0; i < materialCount; ++i) {
        device->setMaterial(materials[i]);
        device->setTexture(0, textures[i]);
        device->drawSubset(mesh->gpu, i);
    }
}

void MeshResource::release() {
    // Everything given back is also forgotten, so a second release or a
    // stray draw finds nothing left to touch.
    materials.clear();
    for (platform::Texture* texture : textures) {
        if (texture != nullptr) device->releaseTexture(texture);
    }
    textures.clear();
    if (mesh != nullptr) {
        device->releaseMesh(mesh->gpu);
        delete mesh;
        mesh = nullptr;
    }
    materialCount = 0;
    fileName = nullptr;
}
