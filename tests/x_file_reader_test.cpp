// The game's own .x reader: the shipped meshes draw what they drew before
// it (figures taken from the reader it replaced), what the writer writes
// reads back as written, and files that would cost what they do not hold
// are refused.

#include "scene/platform/x_file_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fault_support.h"
#include "fuzz/x_binary.h"
#include "scene/platform/x_file_writer.h"
#include "x_mesh_digest.h"

namespace {

// What each shipped mesh drew through the reader this one replaced.
struct Golden {
    const char* file;
    x_digest::Drawn drawn;
};
const Golden kShippedMeshes[] = {
    {"rock.x",
     {"triangles 320, normals, textures 'rock.bmp'", -459169.108, -219536.512, 961775.081,
      1065.69999}},
    {"bigship.x",
     {"triangles 452 144 28, normals, textures 'hull.bmp' 'canopy.bmp' 'flame.bmp'", 5175261.09,
      291633.567, 1380803.23, 15477.38}},
    {"SkyDome.x",
     {"triangles 1840, normals, textures 'sky.png'", -67217187.9, 166994.186, 4035832.35, 632}},
    {"BombS.x",
     {"triangles 312, normals, textures 'bomb.bmp'", 238003.883, -130919.152, 805898.604,
      3187.70001}},
    {"Rocket.x",
     {"triangles 118 20, normals, textures 'rocket.bmp' 'flame.bmp'", -652851.843, -66887.6422,
      146570.283, 4556.4}},
};

TEST(XFileReader, ShippedMeshesDrawWhatTheyDrewBeforeInEveryForm) {
    for (const Golden& golden : kShippedMeshes) {
        const std::string text = fault::readFile(std::string(VORLUNE_DIST_DIR) + "/" + golden.file);
        const std::string binary = x_binary::binaryBody(text);
        const std::string forms[] = {
            text,
            "xof 0303bin 0032" + binary,
            "xof 0303bzip0032" + x_binary::compressedBody(binary),
            "xof 0303tzip0032" + x_binary::compressedBody(text.substr(16)),
        };
        for (const std::string& form : forms) {
            const std::optional<platform::XMeshFile> read = platform::readXMeshBytes(form);
            ASSERT_TRUE(read) << golden.file << " as " << form.substr(8, 4);
            const x_digest::Summed summed = x_digest::sum(*read);
            EXPECT_TRUE(x_digest::alike(summed, golden.drawn))
                << golden.file << " as " << form.substr(8, 4) << " draws "
                << x_digest::describe(summed.drawn);
        }
    }
}

platform::MeshVertex vertex(Vec3 position, Vec3 normal, float u, float v) {
    platform::MeshVertex out;
    out.position = position;
    out.normal = normal;
    out.u = u;
    out.v = v;
    return out;
}

// Numbers the writer's six decimals hold exactly.
TEST(XFileReader, WhatTheWriterWritesReadsBackAsWritten) {
    platform::XFileContent content;
    content.vertices = {vertex({0, 0, 0}, {0, 0, -1}, 0, 1), vertex({1, 0, 0}, {0, 0, -1}, 1, 1),
                        vertex({1, 2, 0}, {0, 0, -1}, 1, 0), vertex({0, 2, 0.5f}, {0, 1, 0}, 0, 0)};
    content.triangles = {{0, 2, 1, 1}, {0, 3, 2, 0}, {3, 1, 2, 1}};
    platform::XFileNamedMaterial plain, textured;
    plain.name = "Plain";
    plain.material.material.diffuse = {0.25f, 0.5f, 0.75f, 0.5f};
    plain.material.material.power = 8;
    plain.material.material.specular = {0.125f, 0.25f, 0.375f, 1};
    plain.material.material.emissive = {1, 0.5f, 0, 1};
    textured.name = "Textured";
    textured.material.textureFileName = "sub/rock.bmp";
    textured.material.material.diffuse = {1, 1, 1, 1};
    textured.material.material.specular = textured.material.material.emissive = {0, 0, 0, 1};
    content.materials = {plain, textured};

    const std::optional<platform::XMeshFile> read =
        platform::readXMeshBytes(platform::xFileText(content, "Round"));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->materials.size(), 2u);
    for (size_t m = 0; m < 2; ++m) {
        const platform::Material& got = read->materials[m].material;
        const platform::Material& wrote = content.materials[m].material.material;
        EXPECT_EQ(got.diffuse, wrote.diffuse) << m;
        EXPECT_EQ(got.specular, wrote.specular) << m;
        EXPECT_EQ(got.emissive, wrote.emissive) << m;
        EXPECT_EQ(got.power, wrote.power) << m;
        EXPECT_EQ(read->materials[m].textureFileName,
                  content.materials[m].material.textureFileName);
    }
    // Subset i holds material i's triangles in the order they were written.
    const platform::MeshData& mesh = read->mesh;
    ASSERT_EQ(mesh.subsets.size(), 2u);
    std::vector<std::vector<uint32_t>> expected(2);
    for (const platform::XFileTriangle& t : content.triangles)
        expected[t.material].insert(expected[t.material].end(), {t.a, t.b, t.c});
    for (size_t s = 0; s < 2; ++s) {
        ASSERT_EQ(mesh.subsets[s].indexCount, expected[s].size()) << s;
        for (size_t k = 0; k < expected[s].size(); ++k) {
            const platform::MeshVertex& got =
                mesh.vertices[mesh.indices[mesh.subsets[s].firstIndex + k]];
            const platform::MeshVertex& wrote = content.vertices[expected[s][k]];
            EXPECT_EQ(got.position, wrote.position) << s << " " << k;
            EXPECT_EQ(got.normal, wrote.normal) << s << " " << k;
            EXPECT_EQ(got.u, wrote.u) << s << " " << k;
            EXPECT_EQ(got.v, wrote.v) << s << " " << k;
        }
    }
    EXPECT_TRUE(mesh.hasNormals);
}

// Normals go through the inverse transpose of their frames: scaled along x
// alone, a slanted normal turns away from x.
TEST(XFileReader, FrameTransformsMoveNormalsAsTheyMoveSurfaces) {
    const std::optional<platform::XMeshFile> read = platform::readXMeshBytes(
        "xof 0303txt 0032\nFrame {\nFrameTransformMatrix {\n"
        "2,0,0,0, 0,1,0,0, 0,0,1,0, 1,0,0,1;;\n}\n"
        "Mesh {\n3;\n0;0;0;,\n1;0;0;,\n0;1;0;;\n1;\n3;0,1,2;;\n"
        "MeshNormals {\n1;\n0.6;0.8;0;;\n1;\n3;0,0,0;;\n}\n}\n}\n");
    ASSERT_TRUE(read);
    const platform::MeshVertex& corner = read->mesh.vertices[read->mesh.indices[1]];
    EXPECT_EQ(corner.position, (Vec3{3, 0, 0}));
    const float length = std::hypot(0.3f, 0.8f);
    EXPECT_NEAR(corner.normal.x, 0.3f / length, 1e-6f);
    EXPECT_NEAR(corner.normal.y, 0.8f / length, 1e-6f);
}

// Each of these once could cost a stack, memory or a read past an array.
TEST(XFileReader, FilesThatCostMoreThanTheyHoldAreRefused) {
    const std::string triangle = "Mesh {\n3;\n0;0;0;,\n1;0;0;,\n0;1;0;;\n1;\n3;0,1,2;;\n";
    std::string deepFrames, deepMeshes;
    for (int i = 0; i < 100000; ++i) deepFrames += "Frame {\n";
    deepFrames += triangle + "}\n" + std::string(100000, '}');
    for (int i = 0; i < 100000; ++i) deepMeshes += triangle;
    deepMeshes += std::string(100000, '}');
    // Spaces pack to almost nothing: the bound holds for what they unpack to.
    const std::string longComment =
        triangle + "}\n#" + std::string(platform::kLargestUnpackedMeshFile, ' ');
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"frames nested past any mesh of ours", "xof 0303txt 0032\n" + deepFrames},
        {"meshes nested in meshes", "xof 0303txt 0032\n" + deepMeshes},
        {"fewer texture coordinates than vertices",
         "xof 0303txt 0032\n" + triangle + "MeshTextureCoords {\n2;\n0;0;,\n1;1;;\n}\n}\n"},
        {"a compressed file unpacking past the bound",
         "xof 0303tzip0032" + x_binary::compressedBody(longComment)},
    };
    for (const auto& c : cases) EXPECT_FALSE(platform::readXMeshBytes(c.file)) << c.what;
    // The same files within the bounds read.
    EXPECT_TRUE(
        platform::readXMeshBytes("xof 0303txt 0032\nFrame {\nFrame {\n" + triangle + "}\n}\n}\n"));
    EXPECT_TRUE(platform::readXMeshBytes("xof 0303txt 0032\n" + triangle +
                                         "MeshTextureCoords {\n3;\n0;0;,\n1;1;,\n0;1;;\n}\n}\n"));
    EXPECT_TRUE(platform::readXMeshBytes("xof 0303tzip0032" +
                                         x_binary::compressedBody(longComment.substr(0, 1 << 20))));
}

}  // namespace
