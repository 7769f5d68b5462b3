#include "scene/platform/x_file_writer.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace platform {

namespace {

// Every number is written with a decimal point: readers that take a comma
// for a decimal separator would otherwise read "1,0" as a single number.
std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
    return text;
}

// The last entry of a list ends with ";;", every other one with ";,".
const char* listEnd(size_t i, size_t count) { return i + 1 == count ? ";;" : ";,"; }

void writeFaces(std::ostream& out, const std::vector<XFileTriangle>& triangles) {
    out << "    " << triangles.size() << ";\n";
    for (size_t i = 0; i < triangles.size(); ++i) {
        const XFileTriangle& t = triangles[i];
        out << "    3;" << t.a << "," << t.b << "," << t.c << listEnd(i, triangles.size()) << "\n";
    }
}

void writeVectors(std::ostream& out, const std::vector<MeshVertex>& vertices, bool normals) {
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Vec3& p = normals ? vertices[i].normal : vertices[i].position;
        out << "    " << number(p.x) << ";" << number(p.y) << ";" << number(p.z)
            << listEnd(i, vertices.size()) << "\n";
    }
}

void writeMaterial(std::ostream& out, const XFileNamedMaterial& named) {
    const Material& m = named.material.material;
    out << "      Material " << named.name << " {\n";
    out << "        " << number(m.diffuse.r) << ";" << number(m.diffuse.g) << ";"
        << number(m.diffuse.b) << ";" << number(m.diffuse.a) << ";;\n";
    out << "        " << number(m.power) << ";\n";
    out << "        " << number(m.specular.r) << ";" << number(m.specular.g) << ";"
        << number(m.specular.b) << ";;\n";
    out << "        " << number(m.emissive.r) << ";" << number(m.emissive.g) << ";"
        << number(m.emissive.b) << ";;\n";
    const std::string& texture = named.material.textureFileName;
    if (!texture.empty())
        out << "        TextureFilename {\n          \"" << texture << "\";\n        }\n";
    out << "      }\n";
}

}  // namespace

std::string xFileText(const XFileContent& mesh, const std::string& meshName) {
    const auto& vertices = mesh.vertices;
    const auto& triangles = mesh.triangles;
    std::ostringstream out;
    out << "xof 0303txt 0032\n\n";
    out << "// Made by Vorlune's content generator.\n\n";
    out << "Frame " << meshName << "Frame {\n";
    out << "  FrameTransformMatrix {\n";
    for (int row = 0; row < 4; ++row) {
        out << "    ";
        for (int col = 0; col < 4; ++col) {
            out << number(row == col ? 1.0f : 0.0f);
            out << (row == 3 && col == 3 ? ";;" : ", ");
        }
        out << "\n";
    }
    out << "  }\n\n";

    out << "  Mesh " << meshName << " {\n";
    out << "    " << vertices.size() << ";\n";
    writeVectors(out, vertices, false);
    writeFaces(out, triangles);

    out << "\n    MeshNormals {\n    " << vertices.size() << ";\n";
    writeVectors(out, vertices, true);
    writeFaces(out, triangles);
    out << "    }\n";

    out << "\n    MeshTextureCoords {\n    " << vertices.size() << ";\n";
    for (size_t i = 0; i < vertices.size(); ++i) {
        out << "    " << number(vertices[i].u) << ";" << number(vertices[i].v)
            << listEnd(i, vertices.size()) << "\n";
    }
    out << "    }\n";

    out << "\n    MeshMaterialList {\n";
    out << "      " << mesh.materials.size() << ";\n";
    out << "      " << triangles.size() << ";\n";
    for (size_t i = 0; i < triangles.size(); ++i)
        out << "      " << triangles[i].material << (i + 1 == triangles.size() ? ";;" : ",")
            << "\n";
    for (const XFileNamedMaterial& material : mesh.materials) writeMaterial(out, material);
    out << "    }\n";
    out << "  }\n";
    out << "}\n";
    return out.str();
}

bool writeXFile(const XFileContent& mesh, const std::string& meshName, const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << xFileText(mesh, meshName);
    return static_cast<bool>(file);
}

}  // namespace platform
