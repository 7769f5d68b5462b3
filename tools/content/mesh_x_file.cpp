#include "content/mesh_x_file.h"

#include "scene/platform/x_file_writer.h"

bool writeXFile(const MeshBuilder& mesh, const std::string& meshName, const std::string& path) {
    platform::XFileContent content;
    for (const MeshVertexSpec& v : mesh.vertices()) {
        platform::MeshVertex vertex;
        vertex.position = {v.position.x, v.position.y, v.position.z};
        vertex.normal = {v.normal.x, v.normal.y, v.normal.z};
        vertex.u = v.u;
        vertex.v = v.v;
        content.vertices.push_back(vertex);
    }
    for (const TriangleSpec& t : mesh.triangles())
        content.triangles.push_back({t.a, t.b, t.c, t.material});
    for (const MaterialSpec& m : mesh.materials()) {
        platform::XFileNamedMaterial named;
        named.name = m.name;
        platform::Material& out = named.material.material;
        out.diffuse = {m.r, m.g, m.b, m.a};
        out.power = m.power;
        out.specular = {m.specular.x, m.specular.y, m.specular.z, 0};
        out.emissive = {m.emissive.x, m.emissive.y, m.emissive.z, 0};
        named.material.textureFileName = m.textureFileName;
        content.materials.push_back(named);
    }
    return platform::writeXFile(content, meshName, path);
}
