#include "scene/platform/x_mesh_file.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <fstream>
#include <sstream>

#include "scene/platform/x_file_text.h"

namespace platform {

namespace {

// The importer reads the file right-handed (z negated, winding and v
// flipped); converting back to left-handed undoes all three, so positions
// and corner order come out as the file wrote them. Polygons are fanned
// here rather than by the importer, whose triangulation aborts the whole
// process on a face with no corners.
constexpr unsigned kImportSteps =
    aiProcess_PreTransformVertices | aiProcess_ConvertToLeftHanded | aiProcess_JoinIdenticalVertices;

std::string wholeFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The importer adds an unnamed material of its own when the file lists none;
// every material it reads from the file carries a name, given or made up.
bool isAddedDefault(const aiMaterial& material) {
    aiString name;
    return material.Get(AI_MATKEY_NAME, name) != AI_SUCCESS;
}

ColorValue colorOf(const aiMaterial& material, const char* key, unsigned type, unsigned index) {
    aiColor4D color(0.0f, 0.0f, 0.0f, 1.0f);
    material.Get(key, type, index, color);
    return {color.r, color.g, color.b, color.a};
}

// The file's one texture name. The importer files some names (those that
// look like bump or normal maps) under other kinds, so every kind is asked.
std::string textureNameOf(const aiMaterial& material) {
    aiString path;
    if (material.GetTexture(aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS) {
        path.Clear();
        for (int type = aiTextureType_NONE + 1; type <= AI_TEXTURE_TYPE_MAX; ++type) {
            if (material.GetTexture(static_cast<aiTextureType>(type), 0, &path) == AI_SUCCESS)
                break;
            path.Clear();
        }
    }
    std::string name = path.C_Str();
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

XFileMaterial materialOf(const aiMaterial& source) {
    XFileMaterial result;
    result.material.diffuse = colorOf(source, AI_MATKEY_COLOR_DIFFUSE);
    result.material.specular = colorOf(source, AI_MATKEY_COLOR_SPECULAR);
    result.material.emissive = colorOf(source, AI_MATKEY_COLOR_EMISSIVE);
    float power = 0.0f;
    source.Get(AI_MATKEY_SHININESS, power);
    result.material.power = power;
    result.textureFileName = textureNameOf(source);
    return result;
}

void appendMesh(const aiMesh& source, MeshData& data) {
    const auto base = static_cast<uint32_t>(data.vertices.size());
    for (unsigned i = 0; i < source.mNumVertices; ++i) {
        MeshVertex vertex;
        const aiVector3D& p = source.mVertices[i];
        vertex.position = {p.x, p.y, p.z};
        if (source.mNormals != nullptr) {
            const aiVector3D& n = source.mNormals[i];
            vertex.normal = {n.x, n.y, n.z};
        }
        if (source.mTextureCoords[0] != nullptr) {
            vertex.u = source.mTextureCoords[0][i].x;
            vertex.v = source.mTextureCoords[0][i].y;
        }
        data.vertices.push_back(vertex);
    }
    for (unsigned f = 0; f < source.mNumFaces; ++f) {
        // Stray points and lines are not drawn; a polygon is a fan of
        // triangles around its first corner.
        const aiFace& face = source.mFaces[f];
        for (unsigned k = 2; k < face.mNumIndices; ++k) {
            data.indices.push_back(base + face.mIndices[0]);
            data.indices.push_back(base + face.mIndices[k - 1]);
            data.indices.push_back(base + face.mIndices[k]);
        }
    }
    if (source.mNormals == nullptr) data.hasNormals = false;
}

}  // namespace

std::optional<XMeshFile> readXMeshFile(const std::string& fileName) {
    // Other formats the importer knows must not pass for a mesh file.
    const std::optional<std::string> text = xFileAsCheckedText(wholeFile(fileName));
    if (!text) return std::nullopt;
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFileFromMemory(text->data(), text->size(), kImportSteps, "x");
    if (scene == nullptr || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 ||
        scene->mNumMeshes == 0 || scene->mNumMaterials == 0)
        return std::nullopt;

    XMeshFile result;
    unsigned fileMaterials = scene->mNumMaterials;
    if (isAddedDefault(*scene->mMaterials[fileMaterials - 1])) --fileMaterials;
    for (unsigned m = 0; m < fileMaterials; ++m)
        result.materials.push_back(materialOf(*scene->mMaterials[m]));

    // The importer makes one mesh per material used; subset i gathers them all.
    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        MeshSubset subset;
        subset.firstIndex = static_cast<uint32_t>(result.mesh.indices.size());
        for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
            if (scene->mMeshes[i]->mMaterialIndex == m) appendMesh(*scene->mMeshes[i], result.mesh);
        }
        subset.indexCount = static_cast<uint32_t>(result.mesh.indices.size()) - subset.firstIndex;
        result.mesh.subsets.push_back(subset);
    }
    if (result.mesh.vertices.empty() || result.mesh.indices.empty()) return std::nullopt;
    return result;
}

}  // namespace platform
