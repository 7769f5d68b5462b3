#include "content/x_file_writer.h"

#include <cstdio>
#include <fstream>
#include <sstream>

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

void writeFaces(std::ostream& out, const std::vector<TriangleSpec>& triangles) {
    out << "    " << triangles.size() << ";\n";
    for (size_t i = 0; i < triangles.size(); ++i) {
        const TriangleSpec& t = triangles[i];
        out << "    3;" << t.a << "," << t.b << "," << t.c << listEnd(i, triangles.size()) << "\n";
    }
}

void writeMaterial(std::ostream& out, const MaterialSpec& m) {
    out << "      Material " << m.name << " {\n";
    out << "        " << number(m.r) << ";" << number(m.g) << ";" << number(m.b) << ";"
        << number(m.a) << ";;\n";
    out << "        " << number(m.power) << ";\n";
    out << "        " << number(m.specular.x) << ";" << number(m.specular.y) << ";"
        << number(m.specular.z) << ";;\n";
    out << "        " << number(m.emissive.x) << ";" << number(m.emissive.y) << ";"
        << number(m.emissive.z) << ";;\n";
    if (!m.textureFileName.empty())
        out << "        TextureFilename {\n          \"" << m.textureFileName << "\";\n        }\n";
    out << "      }\n";
}

}  // namespace

bool writeXFile(const MeshBuilder& mesh, const std::string& meshName, const std::string& path) {
    const auto& vertices = mesh.vertices();
    const auto& triangles = mesh.triangles();
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
    for (size_t i = 0; i < vertices.size(); ++i) {
        const V3& p = vertices[i].position;
        out << "    " << number(p.x) << ";" << number(p.y) << ";" << number(p.z)
            << listEnd(i, vertices.size()) << "\n";
    }
    writeFaces(out, triangles);

    out << "\n    MeshNormals {\n    " << vertices.size() << ";\n";
    for (size_t i = 0; i < vertices.size(); ++i) {
        const V3& n = vertices[i].normal;
        out << "    " << number(n.x) << ";" << number(n.y) << ";" << number(n.z)
            << listEnd(i, vertices.size()) << "\n";
    }
    writeFaces(out, triangles);
    out << "    }\n";

    out << "\n    MeshTextureCoords {\n    " << vertices.size() << ";\n";
    for (size_t i = 0; i < vertices.size(); ++i) {
        out << "    " << number(vertices[i].u) << ";" << number(vertices[i].v)
            << listEnd(i, vertices.size()) << "\n";
    }
    out << "    }\n";

    out << "\n    MeshMaterialList {\n";
    out << "      " << mesh.materials().size() << ";\n";
    out << "      " << triangles.size() << ";\n";
    for (size_t i = 0; i < triangles.size(); ++i)
        out << "      " << triangles[i].material << (i + 1 == triangles.size() ? ";;" : ",")
            << "\n";
    for (const MaterialSpec& material : mesh.materials()) writeMaterial(out, material);
    out << "    }\n";
    out << "  }\n";
    out << "}\n";

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << out.str();
    return static_cast<bool>(file);
}
